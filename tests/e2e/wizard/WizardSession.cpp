#include "WizardSession.h"

#include <commctrl.h>
#include <prsht.h>

#include "Screenshot.h"
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
  return window && testsupport::SaveWindowBitmap(window, path);
}

}  // namespace wizardtest
