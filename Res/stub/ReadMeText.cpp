#include "ReadMeText.h"

#include <cstring>

namespace stub {

namespace {

std::wstring DecodeBytes(UINT codePage, const uint8_t* bytes, size_t size) {
  const void* zero = memchr(bytes, 0, size);
  if (zero) size = static_cast<const uint8_t*>(zero) - bytes;
  if (size == 0 || size > 0x7FFFFFFF) return std::wstring();
  const char* text = reinterpret_cast<const char*>(bytes);
  int needed = MultiByteToWideChar(codePage, 0, text, static_cast<int>(size), nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring result(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, text, static_cast<int>(size), &result[0], needed);
  return result;
}

}  // namespace

std::wstring DecodeReadMeText(const uint8_t* bytes, size_t size) {
  if (!bytes || size == 0 || bytes[0] == 0) return std::wstring();
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    const size_t units = (size - 2) / 2;
    std::wstring result(units, L'\0');
    for (size_t i = 0; i < units; ++i)
      result[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
    return result;
  }
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return DecodeBytes(CP_UTF8, bytes + 3, size - 3);
  return DecodeBytes(CP_ACP, bytes, size);
}

}  // namespace stub
