#include "WizardReadMe.h"

#include "Crc16.h"

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

}  // namespace stub
