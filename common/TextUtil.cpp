#include "TextUtil.h"

#include <cwchar>

bool WideToUtf8(const wchar_t* text, char* out, int capacity) {
  if (!out || capacity <= 0) return false;
  if (text && WideCharToMultiByte(CP_UTF8, 0, text, -1, out, capacity, nullptr, nullptr) > 0)
    return true;
  out[0] = 0;
  return false;
}

bool Utf8ToWide(const char* text, wchar_t* out, int capacity) {
  if (!out || capacity <= 0) return false;
  if (text && MultiByteToWideChar(CP_UTF8, 0, text, -1, out, capacity) > 0) return true;
  out[0] = 0;
  return false;
}

bool EqualsNoCase(const wchar_t* a, const wchar_t* b) { return EqualsNoCase(a, -1, b, -1); }

bool EqualsNoCase(const wchar_t* a, int aLength, const wchar_t* b, int bLength) {
  if (!a || !b) return a == b;
  return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix) {
  return _wcsnicmp(text, prefix, wcslen(prefix)) == 0;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t length = wcslen(prefix);
  return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

std::wstring SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) {
    wchar_t number[24];
    wsprintfW(number, L"0x%08lX", static_cast<unsigned long>(code));
    text = number;
  }
  return text;
}
