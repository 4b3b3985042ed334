#include "FileVersionText.h"

#include <strsafe.h>

#include <cstdint>
#include <vector>

#include "SystemDlls.h"

namespace stub {

bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity) {
  if (!output || capacity == 0) return false;
  output[0] = 0;
  typedef DWORD(WINAPI * SizeFn)(LPCWSTR, LPDWORD);
  typedef BOOL(WINAPI * InfoFn)(LPCWSTR, DWORD, DWORD, LPVOID);
  typedef BOOL(WINAPI * QueryFn)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  SizeFn infoSize = SystemProc<SizeFn>(L"VERSION.dll", "GetFileVersionInfoSizeW");
  InfoFn info = SystemProc<InfoFn>(L"VERSION.dll", "GetFileVersionInfoW");
  QueryFn query = SystemProc<QueryFn>(L"VERSION.dll", "VerQueryValueW");
  if (!path || !infoSize || !info || !query) return false;
  DWORD handle = 0;
  DWORD size = infoSize(path, &handle);
  if (size == 0) return false;
  std::vector<uint8_t> block(size);
  if (!info(path, 0, size, block.data())) return false;
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!query(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
             &length) ||
      !translations || length < sizeof(Translation))
    return false;
  wchar_t key[64];
  StringCchPrintfW(key, ARRAYSIZE(key), L"\\StringFileInfo\\%04x%04x\\FileVersion",
                   translations[0].language, translations[0].codePage);
  wchar_t* text = nullptr;
  if (!query(block.data(), key, reinterpret_cast<void**>(&text), &length) || !text || length == 0)
    return false;
  lstrcpynW(output, text, static_cast<int>(capacity));
  return *output != 0;
}

}  // namespace stub
