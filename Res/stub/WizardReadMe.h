// The read-me that the wizard shows: its text and its CRC-16, which a
// later run compares with the saved flag.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "ReadMeText.h"

namespace stub {

// CRC-16 of the text's UTF-16 code units as little-endian bytes.
uint16_t ReadMeTextCrc(const std::wstring& text);

// Turns the read-me member's bytes into its text. bytes is null (or size 0)
// when the member could not be taken from the archive or is empty. 0 when
// the text is ready; otherwise the string to show: IDS_README_EXTRACT_FAILED
// for a member that could not be taken, IDS_NO_MEMORY for one that could
// not be decoded (text empty then).
using ReadMeDecoder = bool (*)(const uint8_t* bytes, size_t size, std::wstring* text);
UINT TakeReadMeText(const uint8_t* bytes, size_t size, std::wstring* text,
                    ReadMeDecoder decode = DecodeReadMeText);

}  // namespace stub
