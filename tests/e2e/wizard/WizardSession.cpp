#include "WizardSession.h"

#include <commctrl.h>
#include <prsht.h>

#include "TestSupport.h"

namespace wizardtest {

namespace {

const int kNextButton = 12324;

}  // namespace

bool WizardSession::Start(const std::wstring& commandLine) { return process_.Start(commandLine); }

HWND WizardSession::WaitFrame(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs && process_.Running()) {
    process_.AnswerBoxes(answer_);
    for (HWND frame : process_.DialogsWithControl(kNextButton)) {
      if (IsWindowVisible(frame)) {
        frame_ = frame;
        return frame;
      }
    }
    Sleep(30);
  }
  return nullptr;
}

HWND WizardSession::CurrentPage() const {
  if (!frame_) return nullptr;
  DWORD_PTR page = 0;
  if (!SendMessageTimeoutW(frame_, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 2000, &page))
    return nullptr;
  return reinterpret_cast<HWND>(page);
}

HWND WizardSession::WaitPage(int controlId, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs && process_.Running()) {
    process_.AnswerBoxes(answer_);
    HWND page = CurrentPage();
    HWND control = page ? GetDlgItem(page, controlId) : nullptr;
    if (control) return page;
    Sleep(30);
  }
  return nullptr;
}

void WizardSession::Press(int button) const {
  if (frame_) PostMessageW(frame_, PSM_PRESSBUTTON, button, 0);
}

void WizardSession::Close() const {
  if (frame_) PostMessageW(frame_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::wstring WizardSession::Caption() const {
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  if (!frame_ ||
      !SendMessageTimeoutW(frame_, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 2000, &length))
    return std::wstring();
  return text;
}

std::wstring WizardSession::Text(HWND page, int controlId) const {
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  if (!control ||
      !SendMessageTimeoutW(control, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 2000, &length))
    return std::wstring();
  return text;
}

bool WizardSession::Visible(HWND page, int controlId) const {
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  return control && IsWindowVisible(control);
}

bool WizardSession::Enabled(HWND page, int controlId) const {
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  return control && IsWindowEnabled(control);
}

bool WizardSession::Checked(HWND page, int controlId) const {
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  DWORD_PTR state = 0;
  return control &&
         SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) &&
         state == BST_CHECKED;
}

void WizardSession::Click(HWND page, int controlId) const {
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  DWORD_PTR ignored = 0;
  if (control) SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

bool WizardSession::WaitEnd(DWORD timeoutMs) { return process_.WaitAnswering(answer_, timeoutMs); }

bool WizardSession::SaveWindowShot(HWND window, const std::wstring& path) {
  if (!window) return false;
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD stride = ((width * 3 + 3) / 4) * 4;
  const DWORD size = stride * height;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
  file.bfSize = file.bfOffBits + size;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
  bytes.append(static_cast<const char*>(bits), size);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return testsupport::WriteFileBytes(path, bytes.data(), bytes.size());
}

}  // namespace wizardtest
