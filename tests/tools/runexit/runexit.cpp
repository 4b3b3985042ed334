// runexit <program> [arguments...]
// Starts the program with the rest of this command line, waits for it and
// prints its whole 32-bit exit code as "exit=<signed decimal>". Wine hands
// Linux only the low eight bits of an exit code; this tells -1 from 255.
#include <windows.h>
#include <cstdio>
#include <cwctype>

static const wchar_t* SkipProgramName(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line && !iswspace(*line)) ++line;
  }
  while (*line && iswspace(*line)) ++line;
  return line;
}

int wmain() {
  const wchar_t* rest = SkipProgramName(GetCommandLineW());
  if (!*rest) {
    fprintf(stderr, "usage: runexit <program> [arguments...]\n");
    return 2;
  }
  size_t length = wcslen(rest);
  wchar_t* line = new wchar_t[length + 1];
  wcscpy(line, rest);
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    fprintf(stderr, "runexit: cannot start the program (error %lu)\n", GetLastError());
    delete[] line;
    return 3;
  }
  delete[] line;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  printf("exit=%ld\n", static_cast<long>(static_cast<LONG>(code)));
  fflush(stdout);
  return 0;
}
