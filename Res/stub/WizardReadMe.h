// The read-me that the wizard shows: its text, its CRC-16 and the saved
// flag that lets a later run skip it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace stub {

// The decoded read-me text of this run (empty when the package has none).
extern std::wstring g_ReadMeText;

// CRC-16 of the text's UTF-16 code units as little-endian bytes.
uint16_t ReadMeTextCrc(const std::wstring& text);

// Reads the 32-bit value; false when the key or value cannot be read or is
// not a 32-bit value.
bool ReadReadMeFlag(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* value);

}  // namespace stub
