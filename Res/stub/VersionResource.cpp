#include "VersionResource.h"

#include "SystemDlls.h"

namespace stub {

VersionApi SystemVersionApi() {
  VersionApi api;
  api.GetInfoSize = vesmarin::SystemProc<decltype(api.GetInfoSize)>(L"VERSION.dll", "GetFileVersionInfoSizeW");
  api.GetInfo = vesmarin::SystemProc<decltype(api.GetInfo)>(L"VERSION.dll", "GetFileVersionInfoW");
  api.QueryValue = vesmarin::SystemProc<decltype(api.QueryValue)>(L"VERSION.dll", "VerQueryValueW");
  return api;
}

bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity) {
  return ReadVersionString(SystemVersionApi(), path, L"FileVersion", output, capacity) ==
             VersionReadResult::kRead &&
         output && *output != 0;
}

}  // namespace stub
