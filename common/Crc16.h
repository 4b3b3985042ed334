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

// The ways of computing it, slowest first; each gives the same values.
enum class Crc16Method { Table, Fold, WideFold };

// The fastest way this processor has; UpdateCrc16 takes it.
Crc16Method Crc16FastestMethod();

// UpdateCrc16 by the given way, or by the fastest this processor has where
// it lacks that one (for tests and benchmarks).
uint16_t UpdateCrc16Using(Crc16Method method, const void* data, uint32_t count, uint16_t crc);
