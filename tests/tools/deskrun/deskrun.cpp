// deskrun <program> [arguments...]
// Runs the rest of this command line on a new desktop of its own, with this
// program's standard handles, and ends with its exit code. Wine keeps the
// state of the X display a desktop's windows live on with the desktop: a
// test given an X display of its own needs a desktop of its own as well.
// The desktop is made ready here, before the program starts: Wine starts
// the process that runs a desktop when a thread first needs it, and two
// threads of the program needing it at once would start two.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>

#include "Waiting.h"

int wmain() {
  const wchar_t* rest = GetCommandLineW();
  const bool quoted = *rest == L'"';
  for (rest += quoted; *rest && (quoted ? *rest != L'"' : !iswspace(*rest)); ++rest) {
  }
  rest += quoted && *rest;
  while (*rest && iswspace(*rest)) ++rest;
  if (!*rest) {
    fprintf(stderr, "usage: deskrun <program> [arguments...]\n");
    return 2;
  }
  // A new desktop every time: an existing name (a process id used again
  // while an earlier run's desktop lives on) would open that desktop.
  wchar_t name[64];
  HDESK desktop = nullptr;
  for (unsigned attempt = 0; !desktop && attempt < 100; ++attempt) {
    swprintf(name, 64, L"vesmarin-test-%lu-%llu-%u", GetCurrentProcessId(),
             static_cast<unsigned long long>(GetTickCount64()), attempt);
    SetLastError(ERROR_SUCCESS);
    desktop = CreateDesktopW(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop && GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseDesktop(desktop);
      desktop = nullptr;
    }
  }
  if (!desktop) {
    fprintf(stderr, "deskrun: no desktop (error %lu)\n", GetLastError());
    return 3;
  }
  if (!SetThreadDesktop(desktop) || !GetDesktopWindow()) {
    fprintf(stderr, "deskrun: the desktop cannot be used (error %lu)\n", GetLastError());
    CloseDesktop(desktop);
    return 3;
  }
  STARTUPINFOW startup = {sizeof startup};
  startup.lpDesktop = name;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  SetHandleInformation(startup.hStdInput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(startup.hStdOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(startup.hStdError, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  std::wstring line = rest;
  PROCESS_INFORMATION process = {};
  // Wine now and then refuses a start on a desktop that is still coming up
  // with an internal error; nothing of the program has run then, so it is
  // started again.
  BOOL started = FALSE;
  testsupport::WaitUntil(
      [&] {
        line = rest;
        started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &process);
        return started || GetLastError() != ERROR_INTERNAL_ERROR;
      },
      2000);
  if (!started) {
    fprintf(stderr, "deskrun: cannot start the program (error %lu)\n", GetLastError());
    CloseDesktop(desktop);
    return 3;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseDesktop(desktop);
  return static_cast<int>(code);
}
