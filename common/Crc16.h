// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final
// exclusive-or), the checksum of the output program's container. The
// builder and the extractor stub must compute the same values.
#pragma once
#include <cstdint>

// The CRC after `count` more bytes, continuing from `crc`; a count of 0
// returns `crc` unchanged.
uint16_t UpdateCrc16(const void* data, uint32_t count, uint16_t crc);

// The CRC of `count` bytes from 0.
uint16_t ComputeCrc16(const void* data, uint32_t count);

// True when this processor takes the folding path (for tests and benchmarks).
bool Crc16FoldingAvailable();
