// Text files that the package carries for the end user (the read-me text,
// the delete list), decoded by their byte-order mark.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

namespace stub {

// FF FE: the rest is UTF-16LE (an odd last byte is dropped); EF BB BF: the
// rest is UTF-8; a first byte 0: empty; otherwise text in the ANSI code
// page. UTF-8 and ANSI text ends at the first 0 byte. The result carries no
// terminating character of its own. False (text empty) when a conversion
// fails.
bool DecodeReadMeText(const uint8_t* bytes, size_t size, std::wstring* text);

}  // namespace stub
