// Where the banner preview puts a banner.
#include <gtest/gtest.h>

#include <windows.h>

#include "BannerPreview.h"

namespace {

TEST(BannerPlacement, SmallerKeepsItsSizeLargerIsSqueezedEqualIsCopied) {
  const RECT area = {10, 20, 310, 80};  // 300 x 60
  BannerPlacement small = PlaceBanner(area, 100, 30);
  EXPECT_EQ(10, small.destination.left);
  EXPECT_EQ(110, small.destination.right);
  EXPECT_EQ(35, small.destination.top);  // 20 + (60 - 30) / 2
  EXPECT_EQ(65, small.destination.bottom);
  EXPECT_FALSE(small.copyUnchanged);

  BannerPlacement wide = PlaceBanner(area, 600, 60);
  EXPECT_EQ(10, wide.destination.left);
  EXPECT_EQ(310, wide.destination.right);
  EXPECT_EQ(20, wide.destination.top);
  EXPECT_EQ(80, wide.destination.bottom);
  EXPECT_FALSE(wide.copyUnchanged);

  BannerPlacement exact = PlaceBanner(area, 300, 60);
  EXPECT_TRUE(exact.copyUnchanged);
  EXPECT_EQ(310, exact.destination.right);
  EXPECT_EQ(80, exact.destination.bottom);

  // An odd difference rounds the top down.
  BannerPlacement odd = PlaceBanner(area, 50, 29);
  EXPECT_EQ(35, odd.destination.top);
  EXPECT_EQ(64, odd.destination.bottom);
}

}  // namespace
