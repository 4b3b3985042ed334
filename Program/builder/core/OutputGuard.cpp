#include "OutputGuard.h"

#include "ResultCodes.h"
#include "DiskFile.h"
#include "VesmarinResource.h"

bool OutputReplacesInput(const wchar_t* output, const wchar_t* definition,
                         const wchar_t* archive) {
  wchar_t builder[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, builder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) builder[0] = 0;
  if (vesmarin::SameDiskFile(output, definition) || vesmarin::SameDiskFile(output, archive) ||
      vesmarin::SameDiskFile(output, builder)) {
    SetBuildError(IDS_OUTPUT_IS_INPUT, output);
    return true;
  }
  return false;
}
