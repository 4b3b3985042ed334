#include "UpdaterLaunch.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "PathPieces.h"
#include "ResultCodes.h"
#include "VesmarinUiResource.h"

namespace {

void ReportFailure(HWND mainWindow) {
  MessageBoxW(mainWindow, LoadResString(IDS_UPDATER_FAILED), kBuilderCaption,
              MB_OK | MB_ICONWARNING);
}

}  // namespace

void UpdaterManualLaunch(HWND mainWindow) {
  wchar_t folder[MAX_PATH] = {};
  wchar_t program[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, folder, MAX_PATH);
  if (got == 0 || got >= MAX_PATH || !PathRemoveFileSpecW(folder) ||
      !CombinePath(program, folder, L"Nemdrift.exe")) {
    ReportFailure(mainWindow);
    return;
  }
  const wchar_t* format = L"\"%ls\" /hwnd:%d";
  const int handle = static_cast<int>(reinterpret_cast<INT_PTR>(mainWindow));
  const int length = _scwprintf(format, program, handle);
  if (length < 0) {
    ReportFailure(mainWindow);
    return;
  }
  std::wstring line(static_cast<size_t>(length) + 1 > MAX_PATH ? static_cast<size_t>(length) + 1
                                                                 : MAX_PATH,
                    L'\0');
  swprintf(&line[0], line.size(), format, program, handle);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ReportFailure(mainWindow);
    return;
  }
  WaitForInputIdle(process.hProcess, 1000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}
