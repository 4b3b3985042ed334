#include "ResString.h"

namespace {

// Long enough for every text of the string tables.
const size_t kTextCapacity = 2000;

}  // namespace

const wchar_t* LoadResText(HINSTANCE module, UINT id, wchar_t* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return L"";
  const int limit = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity);
  if (LoadStringW(module, id, buffer, limit) <= 0) buffer[0] = L'\0';
  return buffer;
}

std::wstring FillPlaceholders(const wchar_t* format, const wchar_t* text, const int* number) {
  std::wstring out;
  if (!format) return out;
  bool textUsed = false;
  bool numberUsed = false;
  for (const wchar_t* p = format; *p; ++p) {
    if (p[0] == L'%' && p[1]) {
      const wchar_t kind = p[1];
      if (kind == L's' && text && !textUsed) {
        out += text;
        textUsed = true;
        ++p;
        continue;
      }
      if (kind == L'd' && number && !numberUsed) {
        wchar_t digits[16];
        wsprintfW(digits, L"%d", *number);
        out += digits;
        numberUsed = true;
        ++p;
        continue;
      }
      if (kind == L'%') {
        out += L'%';
        ++p;
        continue;
      }
    }
    out += *p;
  }
  return out;
}

std::wstring LoadResFormatted(HINSTANCE module, UINT id, const wchar_t* text, const int* number) {
  wchar_t format[kTextCapacity];
  return FillPlaceholders(LoadResText(module, id, format, kTextCapacity), text, number);
}

int ShowResMessage(HWND owner, HINSTANCE module, UINT id, const wchar_t* caption, UINT type) {
  wchar_t text[kTextCapacity];
  return MessageBoxW(owner, LoadResText(module, id, text, kTextCapacity), caption, type);
}
