#include <gtest/gtest.h>

#include "BackScreen.h"

namespace {

// The background's gradient bands: a 128th of the height, never 0, so that
// a low window is still painted band by band.
TEST(BackScreen, BandsAreAHundredAndTwentyEighthOfTheHeightAndNeverEmpty) {
  EXPECT_EQ(stub::BackScreenBandHeight(1024), 8);
  EXPECT_EQ(stub::BackScreenBandHeight(1000), 7);
  EXPECT_EQ(stub::BackScreenBandHeight(127), 1);
  EXPECT_EQ(stub::BackScreenBandHeight(100), 1);
  EXPECT_EQ(stub::BackScreenBandHeight(0), 1);
}

}  // namespace
