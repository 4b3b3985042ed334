// The container CRC-16 (the same values as UpdateCrc16 of Crc16.h) at the
// speed of a memory copy where the processor multiplies without carries:
// 128-bit blocks are folded with PCLMULQDQ and only the last block and the
// tail go through the byte table. Other processors use UpdateCrc16.
#pragma once
#include <cstddef>
#include <cstdint>

namespace stub {

uint16_t FastUpdateCrc16(const void* data, size_t count, uint16_t crc);

// True when the folding path is in use on this processor.
bool FastCrc16Available();

}  // namespace stub
