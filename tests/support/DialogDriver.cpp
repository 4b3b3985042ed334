#include "DialogDriver.h"

#include <algorithm>

namespace testsupport {

namespace {

// The static text control of a message box.
const int kMessageBoxText = 0xFFFF;

struct Search {
  DWORD processId;
  int controlId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM context) {
  Search* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t className[32];
  if (!GetClassNameW(window, className, 32) || lstrcmpW(className, L"#32770") != 0) return TRUE;
  if (GetDlgItem(window, search->controlId)) search->found.push_back(window);
  return TRUE;
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = L"";
  GetWindowTextW(window, text, 4096);
  return text;
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
    if (!GetDlgItem(box, IDOK) && !GetDlgItem(box, IDYES) && !GetDlgItem(box, IDNO) &&
        !GetDlgItem(box, IDCANCEL))
      continue;
    SeenBox seen;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, kMessageBoxText));
    boxes_.push_back(seen);
    answered_.push_back(box);
    const int button = PressableButton(box, answer ? answer(seen) : IDOK);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    ++count;
  }
  return count;
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

StubRunLock::StubRunLock() : mutex_(CreateMutexW(nullptr, FALSE, L"VesmarinTests_StubRun")) {
  if (mutex_) WaitForSingleObject(mutex_, 10 * 60 * 1000);
}

StubRunLock::~StubRunLock() {
  if (!mutex_) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

}  // namespace testsupport
