// The container header's marker and time-zone word.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "SfxContainer.h"

namespace {

TEST(SfxContainer, MagicIsTheMarkerReadLittleEndian) {
  const unsigned char marker[4] = {0x6C, 0x73, 0x66, 0x78};
  uint32_t value;
  std::memcpy(&value, marker, 4);
  EXPECT_EQ(kSfxContainerMagic, value);
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

}  // namespace
