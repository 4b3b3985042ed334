// The silent installation's preparation: it runs without any page, so the
// checks that the destination page makes in a wizard happen here.
#include <cwchar>

#include "Extraction.h"
#include "InstallSteps.h"
#include "InstallWorker.h"
#include "LastError.h"
#include "SavedInstallPath.h"
#include "SfxContainer.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubStrings.h"
#include "TessalyResource.h"

namespace stub {

bool g_Installed = false;

namespace {

#ifdef _WIN64
const wchar_t kUninstallerName[] = L"Hollmere64.exe";
#else
const wchar_t kUninstallerName[] = L"Hollmere.exe";
#endif

}  // namespace

bool ExtractAndInstall() {
  if (!ExtractArchive(nullptr)) return false;
  RunInstallWorker(nullptr);
  return GetLastErrorCode() == kErrorNone;
}

int RunSilentInstallation() {
  StubSettings& s = *g_Settings;
  if ((s.FlagsA & SfxFlagsA::UseVesmarinUninstaller) &&
      wcslen(s.ExtractPath) + wcslen(kUninstallerName) >= MAX_PATH) {
    ShowStubStringMessage(nullptr, IDS_UNINSTALL_PATH_TOO_LONG, MB_OK | MB_ICONERROR);
    return 14;
  }
  if (s.FlagsA & SfxFlagsA::UseSavePath) {
    wchar_t folder[MAX_PATH];
    SavedPathResult saved = ReadSavedInstallPath(SavedPathRoot(s.SavePathRootKey), s.SavePathKey,
                                                 s.SavePathValue, folder);
    if (saved == kSavedPathFound) {
      lstrcpynW(s.ExtractPath, folder, MAX_PATH);
    } else {
      if (saved == kSavedPathInvalid)
        StubLog(L"Saved install path ignored: %ls\\%ls is not a valid folder\n", s.SavePathKey,
                s.SavePathValue);
      if (s.FlagsA & SfxFlagsA::FailIfPathRegNotExist) {
        ShowStubStringMessage(nullptr, IDS_CANT_FIND_INSTALL_INFO, MB_OK | MB_ICONERROR);
        return 15;
      }
    }
  }
  if (SendInstallFolderEvent(s.ExtractPath) != 0) return 13;
  g_Installed = ExtractAndInstall();
  return 0;
}

}  // namespace stub
