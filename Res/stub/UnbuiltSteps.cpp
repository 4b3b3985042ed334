// The installation step that this build of the stub does not have yet: the
// wizard. It stops the run with the "unknown error" code, so a package never
// reports an installation that did not happen.
#include "InstallSteps.h"
#include "LastError.h"

namespace stub {

int RunWizard() {
  SetLastErrorCode(kErrorUnknown);
  return 1;
}

}  // namespace stub
