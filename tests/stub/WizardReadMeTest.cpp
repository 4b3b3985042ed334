#include <gtest/gtest.h>

#include <cstdint>

#include "WizardReadMe.h"

namespace {

TEST(WizardPlan, ReadMeCrcCoversTheUtf16BytesInLittleEndianOrder) {
  // CRC-16/ARC of "1" "\0" "2" "\0": the code units as little-endian bytes.
  const uint8_t bytes[] = {'1', 0, '2', 0};
  uint16_t expected = 0;
  for (uint8_t b : bytes) {
    expected ^= b;
    for (int i = 0; i < 8; ++i)
      expected = (expected & 1) ? (expected >> 1) ^ 0xA001 : expected >> 1;
  }
  EXPECT_EQ(stub::ReadMeTextCrc(L"12"), expected);
  EXPECT_EQ(stub::ReadMeTextCrc(L""), 0);
  EXPECT_NE(stub::ReadMeTextCrc(L"\x3042"), stub::ReadMeTextCrc(L"\x4230"));
}

}  // namespace
