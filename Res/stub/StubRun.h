// One run of the stub from start to exit code: start-up, container open,
// admission checks, extension module, single instance, installation,
// report and clean-up.
#pragma once
#include <windows.h>

namespace stub {

// Exit codes of the run.
enum StubExitCode {
  kExitFinished = 0,
  kExitUnexpected = 1,       // no own file name, or an unexpected failure
  kExitDllHardening = 2,
  kExitAlreadyRunning = 3,   // or the mutex could not be created
  kExitContainer = 4,        // the container could not be opened
  kExitDeny64bit = 6,
  kExitUntrusted = 7,
  kExitNoMachineRights = 8,
  kExitInstallFailed = 9,    // the installation stopped with an error
  kExitExtensionFailed = 12,
  kExitExtensionStopped = 13,
  kExitUninstallerPath = 14,
  kExitSavedPathMissing = 15,
  kExitWizardFailed = 16,
  kExitWizardClosed = 17,
  kExitInstallAborted = 17,  // the installation was aborted
  kExitRefused = -1,         // not an administrator, or this Windows is not allowed
};

// The name of the single-instance mutex.
extern const wchar_t kSingleInstanceMutex[];

int RunStub(HINSTANCE instance);

}  // namespace stub
