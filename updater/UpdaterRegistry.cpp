#include "UpdaterRegistry.h"

namespace {

bool OpenForWrite(const wchar_t* key, HKEY* opened) {
  if (!key) return false;
  return RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                         nullptr, opened, nullptr) == ERROR_SUCCESS;
}

}  // namespace

int ReadRegString(const wchar_t* key, const wchar_t* name, wchar_t* buffer) {
  if (!buffer) return 0;
  buffer[0] = L'\0';
  if (!key) return 0;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return 0;
  wchar_t data[kRegStringCapacity + 1] = {};
  DWORD type = 0;
  DWORD size = kRegStringCapacity * sizeof(wchar_t);
  LONG result =
      RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS || type != REG_SZ) return 0;
  size_t length = size / sizeof(wchar_t);
  if (length > kRegStringCapacity) return 0;
  data[length] = L'\0';
  // The stored text ends at its first terminator, whether or not it has one.
  length = wcslen(data);
  if (length >= kRegStringCapacity) return 0;
  lstrcpynW(buffer, data, static_cast<int>(kRegStringCapacity));
  return 1;
}

int WriteRegString(const wchar_t* key, const wchar_t* name, const wchar_t* text) {
  if (!text) return 0;
  HKEY opened = nullptr;
  if (!OpenForWrite(key, &opened)) return 0;
  const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  LONG result =
      RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
  RegCloseKey(opened);
  return result == ERROR_SUCCESS ? 1 : 0;
}

int WriteRegDword(const wchar_t* key, const wchar_t* name, DWORD value) {
  HKEY opened = nullptr;
  if (!OpenForWrite(key, &opened)) return 0;
  LONG result = RegSetValueExW(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof value);
  RegCloseKey(opened);
  return result == ERROR_SUCCESS ? 1 : 0;
}

DWORD ReadRegDword(const wchar_t* key, const wchar_t* name, DWORD fallback) {
  if (!key) return fallback;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return fallback;
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  LONG result =
      RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return fallback;
  return value;
}
