#include "Registry.h"

#include <cwchar>
#include <new>

#include "ScopedHandles.h"

RegReadResult ReadRegString(HKEY key, const wchar_t* value, wchar_t* output, size_t capacity,
                            RegTextFit fit) {
  if (!key || !output || capacity == 0 || capacity >= 0x7FFFFFFF / sizeof(wchar_t))
    return RegReadResult::kAbsent;
  // Room for one character more than the caller's buffer: a text of exactly
  // capacity characters, stored with or without its terminator, is then
  // told from a longer one.
  wchar_t* text = new (std::nothrow) wchar_t[capacity + 1];
  if (!text) return RegReadResult::kAbsent;
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>((capacity + 1) * sizeof(wchar_t));
  const LONG status =
      RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
  RegReadResult result = RegReadResult::kRead;
  if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
    result = RegReadResult::kAbsent;
  } else if (type != REG_SZ && type != REG_EXPAND_SZ) {
    result = RegReadResult::kWrongType;
  } else if (status == ERROR_MORE_DATA) {
    result = RegReadResult::kTooLong;
  } else {
    size_t length = wcsnlen(text, bytes / sizeof(wchar_t));
    if (length >= capacity) {
      if (fit == RegTextFit::kRefuse) {
        result = RegReadResult::kTooLong;
      } else {
        length = capacity - 1;
      }
    }
    if (result == RegReadResult::kRead) {
      wmemcpy(output, text, length);
      output[length] = L'\0';
    }
  }
  delete[] text;
  return result;
}

RegReadResult ReadRegDword(HKEY key, const wchar_t* value, DWORD* output) {
  if (!key || !output) return RegReadResult::kAbsent;
  DWORD data = 0;
  DWORD type = 0;
  DWORD bytes = sizeof data;
  const LONG status =
      RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes);
  if (status == ERROR_MORE_DATA) return RegReadResult::kWrongType;
  if (status != ERROR_SUCCESS) return RegReadResult::kAbsent;
  if (type != REG_DWORD || bytes != sizeof data) return RegReadResult::kWrongType;
  *output = data;
  return RegReadResult::kRead;
}

RegReadResult ReadRegString(HKEY root, const wchar_t* subKey, const wchar_t* value,
                            wchar_t* output, size_t capacity, RegTextFit fit,
                            REGSAM extraAccess) {
  vesmarin::ScopedRegKey key;
  if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | extraAccess, key.receive()) !=
      ERROR_SUCCESS)
    return RegReadResult::kAbsent;
  return ReadRegString(key.get(), value, output, capacity, fit);
}

RegReadResult ReadRegDword(HKEY root, const wchar_t* subKey, const wchar_t* value, DWORD* output,
                           REGSAM extraAccess) {
  vesmarin::ScopedRegKey key;
  if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | extraAccess, key.receive()) !=
      ERROR_SUCCESS)
    return RegReadResult::kAbsent;
  return ReadRegDword(key.get(), value, output);
}
