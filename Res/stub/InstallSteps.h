// The installation steps that follow the admission checks. The run (StubRun)
// calls them in this order; each reports failures through the last error
// code (LastError.h) and the failing item (g_FailingItem).
#pragma once
#include <windows.h>

namespace stub {

// Silent run: the install folder (DecideInstallFolderWithoutPage), then
// ExtractAndInstall. Returns the exit code (0 when installed).
int RunSilentInstallation();

// Extracts the archive into the extraction folder and, only when that
// succeeded, runs the install worker without a window (the silent run); true
// when both completed. Failures leave the last error code (-1: aborted).
bool ExtractAndInstall();

// Interactive run: the wizard. Returns its result: 0 finished, 4 read-me
// not loadable, and without a destination page 13 folder refused by the
// extension module, 14 no room for the uninstaller, 15 saved install path
// missing; 16 the sheet could not be shown, 17 closed without finishing.
int RunWizard();

// After a successful installation: the uninstaller with its information
// file and Uninstall entry, then the automatic execution. False (reported,
// nothing started) when the uninstaller or its information file could not
// be written: the installation has then failed.
bool RunPostInstallSteps();

}  // namespace stub
