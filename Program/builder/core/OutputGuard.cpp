#include "OutputGuard.h"

#include "BuildSfx.h"
#include "DiskFile.h"

namespace {

const UINT IDS_OUTPUT_IS_INPUT = 444;

bool Identify(const wchar_t* path, BY_HANDLE_FILE_INFORMATION* info) {
  if (!path || !*path) return false;
  HANDLE file = vesmarin::OpenDiskFile(path, FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, info) != FALSE;
  CloseHandle(file);
  return known;
}

}  // namespace

bool SameExistingFile(const wchar_t* a, const wchar_t* b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return Identify(a, &first) && Identify(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool OutputReplacesInput(const wchar_t* output, const wchar_t* definition,
                         const wchar_t* archive) {
  wchar_t builder[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, builder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) builder[0] = 0;
  if (SameExistingFile(output, definition) || SameExistingFile(output, archive) ||
      SameExistingFile(output, builder)) {
    SetBuildError(IDS_OUTPUT_IS_INPUT, output);
    return true;
  }
  return false;
}
