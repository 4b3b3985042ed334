#include "ReadMeText.h"

#include <cstring>

namespace stub {

namespace {

bool DecodeBytes(UINT codePage, const uint8_t* bytes, size_t size, std::wstring* text) {
  const void* zero = memchr(bytes, 0, size);
  if (zero) size = static_cast<const uint8_t*>(zero) - bytes;
  if (size == 0) return true;
  if (size > 0x7FFFFFFF) return false;
  const char* source = reinterpret_cast<const char*>(bytes);
  int needed = MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), nullptr, 0);
  if (needed <= 0) return false;
  text->assign(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), &(*text)[0], needed) !=
      needed) {
    text->clear();
    return false;
  }
  return true;
}

}  // namespace

bool DecodeReadMeText(const uint8_t* bytes, size_t size, std::wstring* text) {
  text->clear();
  if (!bytes || size == 0 || bytes[0] == 0) return true;
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    const size_t units = (size - 2) / 2;
    text->resize(units);
    for (size_t i = 0; i < units; ++i)
      (*text)[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
    return true;
  }
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return DecodeBytes(CP_UTF8, bytes + 3, size - 3, text);
  return DecodeBytes(CP_ACP, bytes, size, text);
}

}  // namespace stub
