#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Crc16.h"

TEST(Crc16, CheckValueOfTheNineDigits) {
  const char* digits = "123456789";
  EXPECT_EQ(0xBB3D, ComputeCrc16(digits, 9));
  EXPECT_EQ(0xBB3D, UpdateCrc16(digits, 9, 0));
}

TEST(Crc16, ZeroCountKeepsTheGivenValue) {
  EXPECT_EQ(0x1234, UpdateCrc16("x", 0, 0x1234));
  EXPECT_EQ(0, ComputeCrc16(nullptr, 0));
}

TEST(Crc16, ChunkedContinuationEqualsOneRun) {
  std::vector<uint8_t> bytes(70000);
  uint32_t seed = 12345;
  for (uint8_t& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  const uint16_t whole = ComputeCrc16(bytes.data(), static_cast<uint32_t>(bytes.size()));
  for (uint32_t chunk : {1u, 7u, 92u, 4096u, 65536u, 70000u}) {
    uint16_t crc = 0;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
      uint32_t count = static_cast<uint32_t>(std::min<size_t>(chunk, bytes.size() - at));
      crc = UpdateCrc16(bytes.data() + at, count, crc);
    }
    EXPECT_EQ(whole, crc) << "chunk " << chunk;
  }
  // A single changed byte changes the value.
  bytes[33333] ^= 1;
  EXPECT_NE(whole, ComputeCrc16(bytes.data(), static_cast<uint32_t>(bytes.size())));
}

namespace {

// The CRC bit by bit, straight from its definition.
uint16_t BitwiseCrc16(const uint8_t* p, size_t n, uint16_t crc) {
  while (n--) {
    crc ^= *p++;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

}  // namespace

TEST(Crc16, EveryWayLengthAlignmentAndStartMatchesTheDefinition) {
  // Lengths from 0 through several folding steps cover the table path, the
  // folding paths this processor has, and every tail of each.
  const Crc16Method fastest = Crc16FastestMethod();
  RecordProperty("fastest", static_cast<int>(fastest));
  std::vector<uint8_t> data(1300);
  uint32_t seed = 777;
  for (uint8_t& b : data) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  for (Crc16Method method : {Crc16Method::Table, Crc16Method::Fold, Crc16Method::WideFold}) {
    if (method > fastest) break;
    for (size_t offset = 0; offset < 16; offset += 5) {
      for (size_t length = 0; length + offset <= 1200; ++length) {
        for (uint16_t start : {uint16_t(0), uint16_t(0x1234), uint16_t(0xFFFF)}) {
          ASSERT_EQ(UpdateCrc16Using(method, data.data() + offset, static_cast<uint32_t>(length), start),
                    BitwiseCrc16(data.data() + offset, length, start))
              << "way " << static_cast<int>(method) << " offset " << offset << " length " << length
              << " start " << start;
        }
      }
    }
  }
  const std::vector<uint8_t> zeros(4096, 0);
  EXPECT_EQ(ComputeCrc16(zeros.data(), static_cast<uint32_t>(zeros.size())), 0);
}
