#include "LoadedLibraries.h"

namespace testsupport {

namespace {

std::wstring LibraryName(HANDLE file) {
  wchar_t path[MAX_PATH * 2];
  const DWORD length =
      GetFinalPathNameByHandleW(file, path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
  if (!length || length >= MAX_PATH * 2) return L"";
  std::wstring name = path;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
  return name;
}

}  // namespace

std::set<std::wstring> LibrariesLoadedBy(const std::wstring& commandLine, DWORD waitMs,
                                         DWORD& exitCode, const std::wstring& folder) {
  std::set<std::wstring> names;
  exitCode = 0xEEEEEEEE;
  std::wstring command = commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return names;
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  DEBUG_EVENT event;
  bool ended = false;
  while (!ended && GetTickCount64() < deadline && WaitForDebugEvent(&event, 1000)) {
    DWORD answer = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) {
          const std::wstring name = LibraryName(event.u.LoadDll.hFile);
          if (!name.empty()) names.insert(name);
          CloseHandle(event.u.LoadDll.hFile);
        }
        break;
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        if (!event.u.Exception.dwFirstChance ||
            event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
          answer = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        exitCode = event.u.ExitProcess.dwExitCode;
        ended = true;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
  }
  if (!ended) {
    TerminateProcess(process.hProcess, 1);
    names.clear();
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return names;
}

}  // namespace testsupport
