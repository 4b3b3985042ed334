#include <gtest/gtest.h>

#include <windows.h>

#include "WizardPercentBar.h"

namespace {

TEST(WizardPercentBar, FilledWidthAndPaintedColours) {
  EXPECT_EQ(stub::PercentBarFilledWidth(200, 25), 50);
  EXPECT_EQ(stub::PercentBarFilledWidth(201, 50), 100);
  // Painted into a memory bitmap: at 0 % the left edge stays white, at 100 %
  // the right edge is the highlight colour.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 12);
  SelectObject(dc, bitmap);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  RECT rect = {0, 0, 100, 12};
  const COLORREF highlight = GetNearestColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  stub::PaintPercentBar(dc, rect, 0);
  EXPECT_EQ(GetPixel(dc, 5, 1), RGB(255, 255, 255));
  stub::PaintPercentBar(dc, rect, 100);
  EXPECT_EQ(GetPixel(dc, 95, 1), highlight);
  // Above 100 nothing is painted.
  stub::PaintPercentBar(dc, rect, 0);
  stub::PaintPercentBar(dc, rect, 101);
  EXPECT_EQ(GetPixel(dc, 95, 1), RGB(255, 255, 255));
  DeleteDC(dc);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

}  // namespace
