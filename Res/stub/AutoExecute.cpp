#include "AutoExecute.h"

#include <strsafe.h>

#include <cwchar>

#include "InstalledLocation.h"
#include "ProgramStart.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "TextUtil.h"

namespace stub {

const wchar_t kEnvExecutablePath[] = L"VESMARIN_EXECUTABLE_PATH";
const wchar_t kEnvExtractPath[] = L"VESMARIN_EXTRACT_PATH";
const wchar_t kEnvNeedReboot[] = L"VESMARIN_NEED_REBOOT";

namespace {

// Starts one archive file by its installed place unless it was found in use;
// false only when a start failed.
bool StartInstalled(const AutoExecInputs& inputs, const wchar_t* archivePath, const wchar_t* args,
                    bool nonElevate, PROCESS_INFORMATION* process) {
  wchar_t installed[MAX_PATH];
  if (!GetInstalledLocation(archivePath, installed)) {
    StubLog(L"No installed place for %ls\n", archivePath);
    return false;
  }
  if (IsNotWritten(inputs, installed)) {
    StubLog(L"Not started, the file was in use: %ls\n", installed);
    return true;
  }
  return StartProgram(nonElevate, installed, args, process) >= 0;
}

}  // namespace

bool ComposeMainArguments(const wchar_t* cmdArgs, const wchar_t* passRebootSwitch,
                          bool restartPending, wchar_t* output, size_t capacity) {
  if (!output || capacity == 0) return false;
  output[0] = 0;
  if (!cmdArgs) cmdArgs = L"";
  HRESULT hr;
  if (restartPending && passRebootSwitch && *passRebootSwitch)
    hr = StringCchPrintfW(output, capacity, L"%ls %ls", cmdArgs, passRebootSwitch);
  else
    hr = StringCchCopyW(output, capacity, cmdArgs);
  if (FAILED(hr)) {
    output[0] = 0;
    return false;
  }
  return true;
}

bool IsNotWritten(const AutoExecInputs& inputs, const wchar_t* path) {
  for (const std::wstring& entry : inputs.notWritten)
    if (EqualsNoCase(entry.c_str(), path)) return true;
  return false;
}

void SetAutoExecEnvironment(const wchar_t* ownPath, const wchar_t* extractPath,
                            bool restartPending) {
  SetEnvironmentVariableW(kEnvExecutablePath, ownPath);
  wchar_t folder[MAX_PATH];
  StringCchCopyW(folder, ARRAYSIZE(folder), extractPath ? extractPath : L"");
  size_t length = wcslen(folder);
  if (length > 0 && folder[length - 1] == L'\\' && !(length == 3 && folder[1] == L':'))
    folder[length - 1] = 0;
  SetEnvironmentVariableW(kEnvExtractPath, folder);
  SetEnvironmentVariableW(kEnvNeedReboot, restartPending ? L"1" : L"0");
}

void ClearAutoExecEnvironment() {
  SetEnvironmentVariableW(kEnvExecutablePath, nullptr);
  SetEnvironmentVariableW(kEnvExtractPath, nullptr);
  SetEnvironmentVariableW(kEnvNeedReboot, nullptr);
}

bool RunAutoExecute(const AutoExecInputs& inputs, PROCESS_INFORMATION* mainProcess) {
  ZeroMemory(mainProcess, sizeof(*mainProcess));
  if (!g_Settings) return false;
  const StubSettings& s = *g_Settings;
  SetAutoExecEnvironment(g_OwnPath, s.ExtractPath, inputs.restartPending);
  bool ok = true;
  if (*s.CmdLine) {
    wchar_t args[ARRAYSIZE(s.CmdArgs) + 1 + ARRAYSIZE(s.PassRebootSwitch)];
    if (!ComposeMainArguments(s.CmdArgs, s.PassRebootSwitch, inputs.restartPending, args,
                              ARRAYSIZE(args)))
      ok = false;
    else if (!StartInstalled(inputs, s.CmdLine, args, s.CmdNonElevate, mainProcess))
      ok = false;
  }
  const int count = s.AutoExecCount < 0 ? 0
                    : s.AutoExecCount > kMaxAutoExecItems ? kMaxAutoExecItems
                                                          : s.AutoExecCount;
  for (int i = 0; i < count; ++i) {
    const AutoExecItem& item = s.AutoExec[i];
    // A slot with arguments only names nothing to start.
    if (!*item.File) continue;
    PROCESS_INFORMATION started = {};
    if (!StartInstalled(inputs, item.File, item.Args, item.NonElevate, &started)) ok = false;
    if (started.hThread) CloseHandle(started.hThread);
    if (started.hProcess) CloseHandle(started.hProcess);
  }
  ClearAutoExecEnvironment();
  return ok;
}

}  // namespace stub
