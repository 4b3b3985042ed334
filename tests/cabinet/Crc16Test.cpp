#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Crc16.h"
#include "SfxContainer.h"

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

TEST(SfxContainer, MagicIsTheMarkerReadLittleEndian) {
  const unsigned char marker[4] = {0x6C, 0x73, 0x66, 0x78};
  uint32_t value;
  std::memcpy(&value, marker, 4);
  EXPECT_EQ(kSfxContainerMagic, value);
  EXPECT_EQ(kSfxContainerMagic, RuntimeSfxContainerMagic());
}

TEST(SfxContainer, CabTimeZoneWordCarriesSignedBias) {
  EXPECT_EQ(0x1FFFBu, MakeCabTimeZone(true, -5));
  EXPECT_EQ(0x10009u, MakeCabTimeZone(true, 9));
  EXPECT_EQ(0u, MakeCabTimeZone(false, 9));
  EXPECT_TRUE(CabTimeZoneInUse(0x1FFFB));
  EXPECT_FALSE(CabTimeZoneInUse(0xFFFB));
  EXPECT_EQ(-5, CabTimeZoneBias(0x1FFFB));
  EXPECT_EQ(9, CabTimeZoneBias(0x10009));
}
