#include "InstallFolder.h"

#include <windows.h>

#include "SavedInstallPath.h"
#include "SfxContainer.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"
#include "UninstallerInstall.h"

namespace stub {

namespace {

const int kResultFolderRefused = 13;
const int kResultUninstallerPathTooLong = 14;
const int kResultSavedPathMissing = 15;

bool UninstallerPathRefused(const StubSettings& s) {
  if (UninstallerPathFits(s, s.ExtractPath)) return false;
  StubLog(L"Uninstaller path too long below %ls\n", s.ExtractPath);
  ShowStubStringMessage(nullptr, IDS_UNINSTALL_PATH_TOO_LONG, MB_OK | MB_ICONERROR);
  return true;
}

}  // namespace

int DecideInstallFolderWithoutPage() {
  StubSettings& s = *g_Settings;
  if (UninstallerPathRefused(s)) return kResultUninstallerPathTooLong;
  if (s.FlagsA & SfxFlagsA::UseSavePath) {
    wchar_t folder[MAX_PATH];
    const SavedPathResult saved = ReadSavedInstallPath(SavedPathRoot(s.SavePathRootKey),
                                                       s.SavePathKey, s.SavePathValue, folder);
    if (saved == kSavedPathFound) {
      lstrcpynW(s.ExtractPath, folder, MAX_PATH);
    } else {
      if (saved == kSavedPathInvalid)
        StubLog(L"Saved install path ignored: %ls\\%ls is not a valid folder\n", s.SavePathKey,
                s.SavePathValue);
      if (s.FlagsA & SfxFlagsA::FailIfPathRegNotExist) {
        ShowStubStringMessage(nullptr, IDS_CANT_FIND_INSTALL_INFO, MB_OK | MB_ICONERROR);
        return kResultSavedPathMissing;
      }
    }
  }
  if (SendInstallFolderEvent(s.ExtractPath) != 0) return kResultFolderRefused;
  // The saved folder or the module may have made it longer.
  if (UninstallerPathRefused(s)) return kResultUninstallerPathTooLong;
  return 0;
}

}  // namespace stub
