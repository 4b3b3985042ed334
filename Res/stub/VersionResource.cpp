#include "VersionResource.h"

#include <strsafe.h>

#include "SystemDlls.h"

namespace stub {

namespace {

typedef BOOL(WINAPI* QueryFn)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

}  // namespace

bool LoadVersionResource(const wchar_t* path, std::vector<uint8_t>* block) {
  typedef DWORD(WINAPI * SizeFn)(LPCWSTR, LPDWORD);
  typedef BOOL(WINAPI * InfoFn)(LPCWSTR, DWORD, DWORD, LPVOID);
  SizeFn infoSize = vesmarin::SystemProc<SizeFn>(L"VERSION.dll", "GetFileVersionInfoSizeW");
  InfoFn info = vesmarin::SystemProc<InfoFn>(L"VERSION.dll", "GetFileVersionInfoW");
  if (!path || !block || !infoSize || !info) return false;
  DWORD handle = 0;
  DWORD size = infoSize(path, &handle);
  if (size == 0) return false;
  block->assign(size, 0);
  return info(path, 0, size, block->data()) != FALSE;
}

bool QueryVersionValue(const std::vector<uint8_t>& block, const wchar_t* subBlock, void** value,
                       UINT* length) {
  QueryFn query = vesmarin::SystemProc<QueryFn>(L"VERSION.dll", "VerQueryValueW");
  *value = nullptr;
  *length = 0;
  return query && !block.empty() && query(block.data(), subBlock, value, length) && *value &&
         *length != 0;
}

bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity) {
  if (!output || capacity == 0) return false;
  output[0] = 0;
  std::vector<uint8_t> block;
  if (!LoadVersionResource(path, &block)) return false;
  struct Translation {
    WORD language;
    WORD codePage;
  };
  void* value = nullptr;
  UINT length = 0;
  if (!QueryVersionValue(block, L"\\VarFileInfo\\Translation", &value, &length) ||
      length < sizeof(Translation))
    return false;
  const Translation* translations = static_cast<const Translation*>(value);
  wchar_t key[64];
  StringCchPrintfW(key, ARRAYSIZE(key), L"\\StringFileInfo\\%04x%04x\\FileVersion",
                   translations[0].language, translations[0].codePage);
  if (!QueryVersionValue(block, key, &value, &length)) return false;
  lstrcpynW(output, static_cast<const wchar_t*>(value), static_cast<int>(capacity));
  return *output != 0;
}

}  // namespace stub
