#include "WizardSession.h"

#include <commctrl.h>
#include <prsht.h>

#include "TestSupport.h"

namespace wizardtest {

bool WizardSession::Start(const std::wstring& commandLine) { return process_.Start(commandLine); }

HWND WizardSession::WaitFrame(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs && process_.Running()) {
    process_.AnswerBoxes(answer_);
    if (driver_.Find(process_, 30)) return driver_.Frame();
  }
  return nullptr;
}

HWND WizardSession::CurrentPage() const {
  return driver_.Frame() ? driver_.CurrentPage() : nullptr;
}

HWND WizardSession::WaitPage(int controlId, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs && process_.Running()) {
    process_.AnswerBoxes(answer_);
    if (driver_.Frame() && driver_.OnPage(controlId)) return driver_.CurrentPage();
    Sleep(30);
  }
  return nullptr;
}

void WizardSession::Press(int button) const {
  if (driver_.Frame()) driver_.Press(button);
}

void WizardSession::Close() const {
  if (driver_.Frame()) PostMessageW(driver_.Frame(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::wstring WizardSession::Caption() const {
  return driver_.Frame() ? driver_.Caption() : std::wstring();
}

std::wstring WizardSession::Text(HWND page, int controlId) const {
  return page && GetDlgItem(page, controlId) ? testsupport::ControlText(page, controlId)
                                             : std::wstring();
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
  return page && testsupport::IsChecked(page, controlId);
}

void WizardSession::Click(HWND page, int controlId) const {
  // A sent click, so that the box's state has changed on return.
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  DWORD_PTR ignored = 0;
  if (control) SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

bool WizardSession::WaitBoxes(size_t count, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (process_.Boxes().size() < count) {
    if (GetTickCount() - start >= timeoutMs || !process_.Running()) return false;
    process_.AnswerBoxes(answer_);
    Sleep(30);
  }
  return true;
}

void WizardSession::SetTextNoWait(HWND page, int controlId, const std::wstring& text) const {
  HWND control = page ? GetDlgItem(page, controlId) : nullptr;
  DWORD_PTR ignored = 0;
  if (control)
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 500, &ignored);
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
