// The steps after a successful installation: the uninstaller with its
// information file, the Uninstall entry, then the programs the package
// starts, waiting for the main one where the package asks for it. A failed
// uninstaller installation or Uninstall entry leaves its code as the last
// error code, so the run does not end as finished.
#include <windows.h>
#include <strsafe.h>

#include "AutoExecute.h"
#include "Extraction.h"
#include "InstallSteps.h"
#include "LastError.h"
#include "PostInstallResource.h"
#include "ProgramStart.h"
#include "SfxContainer.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "UninstallEntry.h"
#include "UninstallerInstall.h"

namespace stub {

namespace {

// What the extraction leaves behind for the programs it starts.
AutoExecInputs ExtractionResults() {
  AutoExecInputs inputs;
  inputs.restartPending = g_RestartPending;
  inputs.notWritten = NotWrittenPaths();
  return inputs;
}

// The failed uninstaller installation reaches the extension module (event
// 1007 with its code) and, unless the module suppresses it, the user.
void ReportUninstallerFailure() {
  wchar_t text[kMessageBufferSize * 2];
  LoadStubString(IDS_UNINSTALL_REGISTER_FAILED, text, kMessageBufferSize);
  // A file that could not be written is named with the system's reason.
  if (*GetFailureText()) {
    StringCchCatW(text, ARRAYSIZE(text), L"\n\n");
    StringCchCatW(text, ARRAYSIZE(text), GetFailureText());
  }
  StubLog(L"Uninstaller installation failed, code %d\n", GetLastErrorCode());
  bool suppressed = false;
  SendInstallErrorEvent(GetLastErrorCode(), text, &suppressed);
  if (!suppressed) ShowStubMessage(nullptr, text, PackageCaption(), MB_OK | MB_ICONERROR);
}

// False when the uninstaller or its information file could not be put in
// place: the installation then ends, as after a failed extraction.
bool RegisterUninstaller() {
  const StubSettings& s = *g_Settings;
  const bool hasCab = s.UninstCab && s.UninstCabSize != 0;
  if (!hasCab && !*s.UnInstallKey) return true;
  UninstallerPlace place;
  const bool placed = ComposeUninstallerPlace(s, &place);
  if (hasCab && (s.FlagsA & SfxFlagsA::UseVesmarinUninstaller)) {
    unsigned long long written = 0;
    bool ok = placed;
    if (!placed) {
      StubLog(L"Uninstaller path cannot be formed below %ls\n", s.ExtractPath);
      SetLastErrorCode(kErrorCreateFile);
    } else {
      ok = InstallUninstaller(place, &written);
    }
    g_InstalledSize += written;
    if (!ok) {
      if (GetLastErrorCode() == kErrorNone) SetLastErrorCode(kErrorUnknown);
      ReportUninstallerFailure();
      // An entry would name an uninstaller that is not there.
      return false;
    }
  }
  if (!*s.UnInstallKey) return true;
  if (!placed) {
    // No uninstaller the entry could name.
    StubLog(L"Uninstall entry %ls names no uninstaller\n", s.UnInstallKey);
    SetLastErrorCode(kErrorCreateFile);
    ReportUninstallerFailure();
    return true;
  }
  // Its failure has been shown there; the run does not end as finished.
  if (!WriteUninstallEntry(nullptr, place.path, place.args, g_InstalledSize))
    SetLastErrorCode(kErrorUnknown);
  return true;
}

}  // namespace

bool RunPostInstallSteps() {
  if (!g_Settings) return true;
  const StubSettings& s = *g_Settings;
  if (!RegisterUninstaller()) return false;

  SetCurrentDirectoryW(s.ExtractPath);
  PROCESS_INFORMATION main = {};
  if (!RunAutoExecute(ExtractionResults(), &main))
    ShowStubStringMessage(nullptr, IDS_EXECUTE_FAILED, MB_OK | MB_ICONWARNING);
  if (main.hProcess) {
    const bool wait = IsExeFile(s.CmdLine) && ((s.FlagsA & SfxFlagsA::AfterDeleteExe) ||
                                               (s.FlagsB & SfxFlagsB::WaitForAutoExecute));
    if (wait) WaitForProgramEnd(main.hProcess);
    CloseHandle(main.hProcess);
  }
  if (main.hThread) CloseHandle(main.hThread);
  return true;
}

}  // namespace stub
