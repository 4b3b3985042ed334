// Building the self-extracting output program.
#include "BuildSfx.h"

#include "ResultCodes.h"

wchar_t BuildErrorText[2000];

int CreateSfxFile(bool /*batch*/) {
  BuildErrorText[0] = L'\0';
  return kResultAbnormalEnd;
}
