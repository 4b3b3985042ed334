// The programs started after the installation: the package's main command
// (CmdLine with CmdArgs) and its up to 32 further automatic-execution items.
// They learn about the installation through three environment variables.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

namespace stub {

extern const wchar_t kEnvExecutablePath[];  // VESMARIN_EXECUTABLE_PATH
extern const wchar_t kEnvExtractPath[];     // VESMARIN_EXTRACT_PATH
extern const wchar_t kEnvNeedReboot[];      // VESMARIN_NEED_REBOOT

// What the extraction leaves for the automatic execution.
struct AutoExecInputs {
  bool restartPending = false;          // a file awaits replacement at restart
  std::vector<std::wstring> notWritten; // destinations found in use: never started
};

// The main command's arguments: CmdArgs, and with a pending restart and a
// PassRebootSwitch a blank and that switch. False (output empty) when they
// do not fit.
bool ComposeMainArguments(const wchar_t* cmdArgs, const wchar_t* passRebootSwitch,
                          bool restartPending, wchar_t* output, size_t capacity);

// Whether a path is on the not-written list (compared ignoring case).
bool IsNotWritten(const AutoExecInputs& inputs, const wchar_t* path);

// Sets the three variables for the started programs: the running program's
// path, the extraction folder without its trailing backslash (a drive root
// keeps it), "1" or "0".
void SetAutoExecEnvironment(const wchar_t* ownPath, const wchar_t* extractPath,
                            bool restartPending);
void ClearAutoExecEnvironment();

// Starts the main command and every automatic-execution item whose file was
// written. The main command's process comes back in mainProcess (both handles
// null when it was not started or has no process; the caller closes them).
// True when every program that was to start started.
bool RunAutoExecute(const AutoExecInputs& inputs, PROCESS_INFORMATION* mainProcess);

}  // namespace stub
