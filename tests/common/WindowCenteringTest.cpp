#include <gtest/gtest.h>

#include "WindowCentering.h"

namespace {

TEST(WindowCentering, KeepsWindowsOnTheVirtualScreen) {
  const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  HWND huge = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, screenWidth + 400, 50, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(huge, nullptr);
  int x = 1, y = 1;
  ASSERT_TRUE(ComputeCenteredPosition(huge, nullptr, &x, &y));
  EXPECT_EQ(x, screenLeft);

  HWND small = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 60, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(small, nullptr);
  ASSERT_TRUE(ComputeCenteredPosition(small, nullptr, &x, &y));
  // In the middle of the work area (the screen less the taskbar).
  RECT work = {};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(x, work.left + (work.right - work.left - 100) / 2);
  EXPECT_EQ(y, work.top + (work.bottom - work.top - 60) / 2);
  EXPECT_FALSE(ComputeCenteredPosition(nullptr, nullptr, &x, &y));
  DestroyWindow(small);
  DestroyWindow(huge);
}

TEST(WindowCentering, CentresOverAVisibleOwner) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 80, 400, 300,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  ASSERT_NE(child, nullptr);
  CenterWindowOver(child, owner);
  RECT placed;
  ASSERT_TRUE(GetWindowRect(child, &placed));
  EXPECT_EQ(placed.left, 100 + (400 - 200) / 2);
  EXPECT_EQ(placed.top, 80 + (300 - 100) / 2);
  DestroyWindow(child);
  DestroyWindow(owner);
}

}  // namespace
