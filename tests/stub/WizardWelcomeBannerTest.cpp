#include <gtest/gtest.h>

#include <utility>

#include "WizardWelcomeBanner.h"

namespace {

// The banner never leaves its area; a lower one keeps its height.
TEST(WelcomeBanner, DrawnSizeStaysInsideTheArea) {
  auto drawn = [](LONG w, LONG h) {
    const SIZE size = stub::BannerDrawnSize({w, h}, {260, 40});
    return std::make_pair(size.cx, size.cy);
  };
  EXPECT_EQ(drawn(400, 100), std::make_pair(260L, 40L)) << "larger both ways: the area";
  EXPECT_EQ(drawn(20, 10), std::make_pair(20L, 10L)) << "smaller: its own size";
  EXPECT_EQ(drawn(400, 10), std::make_pair(260L, 10L)) << "only wider";
  EXPECT_EQ(drawn(20, 100), std::make_pair(20L, 40L)) << "only taller";
}

}  // namespace
