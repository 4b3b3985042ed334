#include "UpdaterRegistry.h"

#include "Registry.h"
#include "ScopedHandles.h"

namespace {

bool OpenForWrite(const wchar_t* key, vesmarin::ScopedRegKey* opened) {
  if (!key) return false;
  return RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                         nullptr, opened->receive(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

int ReadRegString(const wchar_t* key, const wchar_t* name, wchar_t* buffer) {
  if (!buffer) return 0;
  buffer[0] = L'\0';
  if (!key) return 0;
  if (ReadRegString(HKEY_CURRENT_USER, key, name, buffer, kRegStringCapacity) !=
      RegReadResult::kRead) {
    buffer[0] = L'\0';
    return 0;
  }
  return 1;
}

int WriteRegString(const wchar_t* key, const wchar_t* name, const wchar_t* text) {
  vesmarin::ScopedRegKey opened;
  if (!text || !OpenForWrite(key, &opened)) return 0;
  const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  return RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        bytes) == ERROR_SUCCESS
             ? 1
             : 0;
}

int WriteRegDword(const wchar_t* key, const wchar_t* name, DWORD value) {
  vesmarin::ScopedRegKey opened;
  if (!OpenForWrite(key, &opened)) return 0;
  return RegSetValueExW(opened.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value) == ERROR_SUCCESS
             ? 1
             : 0;
}

DWORD ReadRegDword(const wchar_t* key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0;
  if (!key || ReadRegDword(HKEY_CURRENT_USER, key, name, &value) != RegReadResult::kRead)
    return fallback;
  return value;
}
