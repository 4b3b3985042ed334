#include "VersionInfo.h"

#include <cwchar>
#include <new>
#include <string>

VersionReadResult LoadVersionResource(const VersionApi& api, const wchar_t* path,
                                      std::vector<uint8_t>* block) {
  block->clear();
  if (!path || !api.GetInfoSize || !api.GetInfo) return VersionReadResult::kNoResource;
  DWORD ignored = 0;
  const DWORD size = api.GetInfoSize(path, &ignored);
  if (size == 0) return VersionReadResult::kNoResource;
  try {
    block->assign(size, 0);
  } catch (const std::bad_alloc&) {
    return VersionReadResult::kNoMemory;
  }
  if (!api.GetInfo(path, 0, size, block->data())) {
    block->clear();
    return VersionReadResult::kNoResource;
  }
  return VersionReadResult::kRead;
}

bool QueryVersionValue(const VersionApi& api, const std::vector<uint8_t>& block,
                       const wchar_t* subBlock, const void** value, UINT* length) {
  *value = nullptr;
  *length = 0;
  void* found = nullptr;
  if (!api.QueryValue || block.empty() || !api.QueryValue(block.data(), subBlock, &found, length) ||
      !found || *length == 0) {
    *length = 0;
    return false;
  }
  *value = found;
  return true;
}

bool QueryFixedFileInfo(const VersionApi& api, const std::vector<uint8_t>& block,
                        VS_FIXEDFILEINFO* info) {
  const void* value = nullptr;
  UINT length = 0;
  if (!QueryVersionValue(api, block, L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return false;
  *info = *static_cast<const VS_FIXEDFILEINFO*>(value);
  return true;
}

VersionReadResult ReadVersionString(const VersionApi& api, const wchar_t* path,
                                    const wchar_t* name, wchar_t* text, size_t capacity) {
  if (text && capacity) text[0] = L'\0';
  std::vector<uint8_t> block;
  const VersionReadResult loaded = LoadVersionResource(api, path, &block);
  if (loaded != VersionReadResult::kRead) return loaded;
  const void* value = nullptr;
  UINT length = 0;
  if (!QueryVersionValue(api, block, L"\\VarFileInfo\\Translation", &value, &length) ||
      length < 2 * sizeof(WORD))
    return VersionReadResult::kNoTranslation;
  const WORD* pair = static_cast<const WORD*>(value);
  // "\StringFileInfo\<language><code page>\<name>", both in four hex digits.
  static const wchar_t kPrefix[] = L"\\StringFileInfo\\";
  std::wstring query = kPrefix;
  for (int part = 0; part < 2; ++part)
    for (int shift = 12; shift >= 0; shift -= 4)
      query += L"0123456789abcdef"[(pair[part] >> shift) & 0xF];
  query += L'\\';
  query += name;
  if (!QueryVersionValue(api, block, query.c_str(), &value, &length))
    return VersionReadResult::kNoValue;
  if (text && capacity) {
    size_t count = wcsnlen(static_cast<const wchar_t*>(value), length);
    if (count > capacity - 1) count = capacity - 1;
    wmemcpy(text, static_cast<const wchar_t*>(value), count);
    text[count] = L'\0';
  }
  return VersionReadResult::kRead;
}
