#include "VersionResource.h"

namespace stub {

bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity) {
  return ReadVersionString(SystemVersionApi(), path, L"FileVersion", output, capacity) ==
             VersionReadResult::kRead &&
         output && *output != 0;
}

}  // namespace stub
