#include "Crc16.h"

#include <cstring>

namespace {

// Table-driven, eight bytes a step: table[k][i] is the CRC of byte i
// followed by k zero bytes, so eight lookups replace eight dependent steps.
struct Crc16Tables {
  uint16_t entry[8][256];
  constexpr Crc16Tables() : entry() {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned value = i;
      for (int bit = 0; bit < 8; ++bit)
        value = (value & 1) ? (value >> 1) ^ 0xA001u : value >> 1;
      entry[0][i] = static_cast<uint16_t>(value);
    }
    for (unsigned i = 0; i < 256; ++i)
      for (int k = 1; k < 8; ++k)
        entry[k][i] = static_cast<uint16_t>((entry[k - 1][i] >> 8) ^ entry[0][entry[k - 1][i] & 0xFF]);
  }
};

constexpr Crc16Tables kTables;

}  // namespace

uint16_t UpdateCrc16(const void* data, uint32_t count, uint16_t crc) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  const auto& t = kTables.entry;
  while (count >= 8) {
    const unsigned b0 = bytes[0] ^ (crc & 0xFF);
    const unsigned b1 = bytes[1] ^ (crc >> 8);
    crc = static_cast<uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][bytes[2]] ^ t[4][bytes[3]] ^
                                t[3][bytes[4]] ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]]);
    bytes += 8;
    count -= 8;
  }
  while (count--) crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *bytes++) & 0xFF]);
  return crc;
}

uint16_t ComputeCrc16(const void* data, uint32_t count) { return UpdateCrc16(data, count, 0); }
