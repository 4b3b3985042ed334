#include "WizardReadMe.h"

#include <new>
#include <stdexcept>

#include "Crc16.h"
#include "TessalyResource.h"
#include "WizardResource.h"

namespace stub {

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

UINT TakeReadMeText(const uint8_t* bytes, size_t size, std::wstring* text, ReadMeDecoder decode) {
  text->clear();
  if (!bytes || size == 0) return IDS_README_EXTRACT_FAILED;
  bool decoded = false;
  try {
    decoded = decode(bytes, size, text);
  } catch (const std::bad_alloc&) {
    decoded = false;
  } catch (const std::length_error&) {
    decoded = false;
  }
  if (decoded) return 0;
  text->clear();
  return IDS_NO_MEMORY;
}

}  // namespace stub
