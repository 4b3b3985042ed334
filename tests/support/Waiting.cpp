#include "Waiting.h"

#include <tlhelp32.h>

namespace testsupport {

namespace {

std::wstring LongPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  const DWORD length = GetLongPathNameW(path.c_str(), full, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(full) : path;
}

bool ProcessRunsFrom(const std::wstring& program) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return true;  // unknown: taken as running
  bool found = false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                 entry.th32ProcessID);
    if (!process) continue;
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, image, &size) &&
        WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
      found = lstrcmpiW(LongPath(image).c_str(), program.c_str()) == 0;
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return found;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DispatchQueued();
    if (condition()) return true;
    const DWORD spent = GetTickCount() - start;
    if (spent > timeoutMs) return false;
    // Wakes for a message at once, and looks at the condition again
    // after a few milliseconds at most.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void DispatchQueued() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool PumpUntilTimer(HWND window, UINT_PTR id, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      const bool fired =
          message.message == WM_TIMER && message.hwnd == window && message.wParam == id;
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (fired) {
        DispatchQueued();
        return true;
      }
    }
    const DWORD spent = GetTickCount() - start;
    if (spent > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent, QS_ALLINPUT);
  }
}

bool WaitForNoProcessOf(const std::wstring& program, DWORD timeoutMs) {
  const std::wstring path = LongPath(program);
  return WaitUntil([&path] { return !ProcessRunsFrom(path); }, timeoutMs);
}

}  // namespace testsupport
