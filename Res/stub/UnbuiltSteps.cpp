// The installation steps that this build of the stub does not have yet:
// extraction with the install worker, the wizard and the post-installation
// steps. Each stops the run with the "unknown error" code, so a package
// never reports an installation that did not happen.
#include "InstallSteps.h"
#include "LastError.h"

namespace stub {

bool ExtractAndInstall() {
  SetLastErrorCode(kErrorUnknown);
  return false;
}

int RunWizard() {
  SetLastErrorCode(kErrorUnknown);
  return 1;
}

void RunPostInstallSteps() {}

}  // namespace stub
