#include "DialogDriver.h"

#include <algorithm>

#include "Waiting.h"

namespace testsupport {

namespace {

// The static text control of a message box.
const int kMessageBoxText = 0xFFFF;

struct Search {
  DWORD processId;
  int controlId;
  std::vector<HWND> found;
};

bool CollectDialog(HWND window, Search* search) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return false;
  wchar_t className[32];
  if (!GetClassNameW(window, className, 32) || lstrcmpW(className, L"#32770") != 0) return false;
  if (GetDlgItem(window, search->controlId)) search->found.push_back(window);
  return true;
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM context) {
  if (IsWindowVisible(window)) CollectDialog(window, reinterpret_cast<Search*>(context));
  return TRUE;
}

BOOL CALLBACK CollectShownOrHiddenDialogs(HWND window, LPARAM context) {
  CollectDialog(window, reinterpret_cast<Search*>(context));
  return TRUE;
}

const DWORD kAnswerMs = 5000;

// A message sent with a time-out, so a hung window cannot hang the test.
LRESULT SendWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result))
    return 0;
  return static_cast<LRESULT>(result);
}

bool HasAnyButton(HWND box) {
  return GetDlgItem(box, IDOK) || GetDlgItem(box, IDYES) || GetDlgItem(box, IDNO) ||
         GetDlgItem(box, IDCANCEL);
}

// The first button of the box that the answer names, or a button it has.
int PressableButton(HWND box, int wanted) {
  if (GetDlgItem(box, wanted)) return wanted;
  for (int id : {IDOK, IDCANCEL, IDNO, IDYES})
    if (GetDlgItem(box, id)) return id;
  return wanted;
}

}  // namespace

DrivenProcess::~DrivenProcess() {
  Terminate();
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool DrivenProcess::Start(const std::wstring& commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  std::wstring line = commandLine;
  return CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info_) != FALSE;
}

std::vector<HWND> DrivenProcess::DialogsWithControl(int controlId) const {
  Search search = {info_.dwProcessId, controlId, {}};
  if (info_.dwProcessId) EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

size_t DrivenProcess::AnswerBoxes(const BoxAnswer& answer) {
  size_t count = 0;
  for (HWND box : DialogsWithControl(kMessageBoxText)) {
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
    // Wait until the box has its buttons.
    if (!HasAnyButton(box)) continue;
    const SeenBox seen = ReadMessageBox(box);
    boxes_.push_back(seen);
    answered_.push_back(box);
    AnswerMessageBox(box, answer ? answer(seen) : IDOK);
    ++count;
  }
  return count;
}

HWND DrivenProcess::WaitForDialogWithControl(int controlId, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND dialog : DialogsWithControl(controlId)) {
      HWND control = GetDlgItem(dialog, controlId);
      if (control && IsWindowVisible(control)) return dialog;
    }
    if (!Running() || GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

HWND DrivenProcess::WaitForMessageBox(DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND box : DialogsWithControl(kMessageBoxText))
      if (HasAnyButton(box)) return box;
    if (!Running() || GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

HWND DrivenProcess::UnansweredMessageBox() const {
  Search search = {info_.dwProcessId, kMessageBoxText, {}};
  if (info_.dwProcessId)
    EnumWindows(&CollectShownOrHiddenDialogs, reinterpret_cast<LPARAM>(&search));
  for (HWND box : search.found)
    if (std::find(answered_.begin(), answered_.end(), box) == answered_.end()) return box;
  return nullptr;
}

bool DrivenProcess::WaitAnswering(const BoxAnswer& answer, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (Running()) {
    if (GetTickCount() - start > timeoutMs) return false;
    AnswerBoxes(answer);
    WaitForSingleObject(info_.hProcess, 50);
  }
  return true;
}

bool DrivenProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD DrivenProcess::ExitCode() const {
  DWORD code = 0;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void DrivenProcess::Terminate() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 0xDEAD);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

DrivenResult RunAnsweringBoxes(const std::wstring& commandLine, const BoxAnswer& answer,
                               DWORD timeoutMs) {
  DrivenResult result;
  DrivenProcess process;
  result.started = process.Start(commandLine);
  if (!result.started) return result;
  result.timedOut = !process.WaitAnswering(answer, timeoutMs);
  if (result.timedOut) process.Terminate();
  result.exitCode = process.ExitCode();
  result.boxes = process.Boxes();
  return result;
}

std::wstring ControlText(HWND window) {
  if (!window) return std::wstring();
  const LRESULT length = SendWaiting(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendWaiting(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(copied) < text.size() ? static_cast<size_t>(copied) : 0);
  return text;
}

std::wstring ControlText(HWND dialog, int controlId) {
  return ControlText(GetDlgItem(dialog, controlId));
}

bool SetControlText(HWND dialog, int controlId, const std::wstring& text) {
  HWND control = GetDlgItem(dialog, controlId);
  return control && SendWaiting(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool PressButton(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
  return PostMessageW(control, BM_CLICK, 0, 0) != FALSE;
}

void PostCommand(HWND window, int commandId) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

bool IsChecked(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  return control && SendWaiting(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND WaitForControl(HWND dialog, int controlId, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND control = GetDlgItem(dialog, controlId);
    if (control && IsWindowVisible(control)) return control;
    if (!IsWindow(dialog) || GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

std::wstring WaitForText(HWND window, const std::wstring& expected, DWORD timeoutMs) {
  std::wstring text;
  WaitUntil([&] { return (text = ControlText(window)) == expected; }, timeoutMs);
  return text;
}

std::wstring WaitForText(HWND dialog, int controlId, const std::wstring& expected,
                         DWORD timeoutMs) {
  return WaitForText(GetDlgItem(dialog, controlId), expected, timeoutMs);
}

bool RoundTrip(HWND window, DWORD timeoutMs) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

bool SendCommand(HWND window, int commandId, DWORD timeoutMs) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0, SMTO_ABORTIFHUNG,
                             timeoutMs, &ignored) != 0;
}

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
  return TRUE;
}

}  // namespace

bool PaintNow(HWND window, DWORD timeoutMs) {
  if (!RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN))
    return false;
  std::vector<HWND> windows = {window};
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&windows));
  DWORD_PTR ignored = 0;
  for (HWND each : windows)
    if (!SendMessageTimeoutW(each, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored))
      return false;
  // Twice: the first may come before the thread went back to waiting.
  return RoundTrip(window, timeoutMs) && RoundTrip(window, timeoutMs);
}

bool IsMessageBox(HWND window) {
  wchar_t className[32] = L"";
  return GetClassNameW(window, className, 32) && lstrcmpW(className, L"#32770") == 0 &&
         GetDlgItem(window, kMessageBoxText) != nullptr;
}

SeenBox ReadMessageBox(HWND box) {
  SeenBox seen;
  seen.caption = ControlText(box);
  seen.text = ControlText(box, kMessageBoxText);
  seen.window = box;
  return seen;
}

void AnswerMessageBox(HWND box, int button) {
  const int pressed = PressableButton(box, button);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(pressed, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, pressed)));
}

HWND PropertySheetDriver::CurrentPage() const {
  return reinterpret_cast<HWND>(SendWaiting(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int PropertySheetDriver::CurrentIndex() const {
  HWND page = CurrentPage();
  if (!page) return -1;
  return static_cast<int>(SendWaiting(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0));
}

HWND PropertySheetDriver::PageControl(int controlId) const {
  HWND page = CurrentPage();
  return page ? GetDlgItem(page, controlId) : nullptr;
}

bool PropertySheetDriver::WaitForPage(int controlId, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND control = PageControl(controlId);
    if (control && IsWindowVisible(control)) return true;
    if (!IsWindow(sheet_) || GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
}

bool PropertySheetDriver::SelectPage(int templateId) const {
  const LRESULT index = SendWaiting(sheet_, PSM_IDTOINDEX, 0, templateId);
  if (index < 0) return false;
  SendWaiting(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  HWND page = CurrentPage();
  return page && SendWaiting(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0) == index;
}

void PropertySheetDriver::Press(int psbtn) const {
  PostMessageW(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(psbtn), 0);
}

bool WizardDriver::Find(const DrivenProcess& process, DWORD timeoutMs) {
  sheet_ = process.WaitForDialogWithControl(kNext, timeoutMs);
  return sheet_ != nullptr;
}

bool WizardDriver::ButtonEnabled(int buttonId) const {
  HWND button = GetDlgItem(sheet_, buttonId);
  return button && IsWindowVisible(button) && IsWindowEnabled(button);
}

bool WizardDriver::WaitForButton(int buttonId, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  while (!ButtonEnabled(buttonId)) {
    if (!IsWindow(sheet_) || GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

StubRunLock::StubRunLock() : mutex_(CreateMutexW(nullptr, FALSE, L"VesmarinTests_StubRun")) {
  if (mutex_) WaitForSingleObject(mutex_, 10 * 60 * 1000);
}

StubRunLock::~StubRunLock() {
  if (!mutex_) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

}  // namespace testsupport
