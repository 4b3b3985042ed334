// The read-me that the wizard shows: its text and its CRC-16, which a
// later run compares with the saved flag.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace stub {

// CRC-16 of the text's UTF-16 code units as little-endian bytes.
uint16_t ReadMeTextCrc(const std::wstring& text);

}  // namespace stub
