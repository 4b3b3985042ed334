#include "Crc16.h"

namespace {

struct Crc16Table {
  uint16_t entry[256];
  constexpr Crc16Table() : entry() {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned value = i;
      for (int bit = 0; bit < 8; ++bit)
        value = (value & 1) ? (value >> 1) ^ 0xA001u : value >> 1;
      entry[i] = static_cast<uint16_t>(value);
    }
  }
};

constexpr Crc16Table kTable;

}  // namespace

uint16_t UpdateCrc16(const void* data, uint32_t count, uint16_t crc) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (uint32_t i = 0; i < count; ++i)
    crc = static_cast<uint16_t>((crc >> 8) ^ kTable.entry[(crc ^ bytes[i]) & 0xFF]);
  return crc;
}

uint16_t ComputeCrc16(const void* data, uint32_t count) { return UpdateCrc16(data, count, 0); }
