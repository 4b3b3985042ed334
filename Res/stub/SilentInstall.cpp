// The silent installation's preparation: it runs without any page, so the
// checks that the destination page makes in a wizard happen here.
#include "Extraction.h"
#include "InstallFolder.h"
#include "InstallSteps.h"
#include "InstallWorker.h"
#include "LastError.h"
#include "StubState.h"

namespace stub {

bool ExtractAndInstall() {
  if (!ExtractArchive(nullptr)) return false;
  RunInstallWorker(nullptr);
  return GetLastErrorCode() == kErrorNone;
}

int RunSilentInstallation() {
  const int refused = DecideInstallFolderWithoutPage();
  if (refused != 0) return refused;
  g_Installed = ExtractAndInstall();
  return 0;
}

}  // namespace stub
