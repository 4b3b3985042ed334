#include "WizardReadMe.h"

#include "Crc16.h"

namespace stub {

std::wstring g_ReadMeText;

uint16_t ReadMeTextCrc(const std::wstring& text) {
  uint16_t crc = 0;
  uint8_t pair[2];
  for (wchar_t unit : text) {
    pair[0] = static_cast<uint8_t>(unit & 0xFF);
    pair[1] = static_cast<uint8_t>((unit >> 8) & 0xFF);
    crc = UpdateCrc16(pair, 2, crc);
  }
  return crc;
}

bool ReadReadMeFlag(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* value) {
  if (!key || !*key) return false;
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD type = 0, data = 0, size = sizeof(data);
  const bool read = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_DWORD && size == sizeof(data);
  RegCloseKey(handle);
  if (read) *value = data;
  return read;
}

}  // namespace stub
