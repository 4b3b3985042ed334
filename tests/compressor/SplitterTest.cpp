// The splitter: positions set from outside and by dragging the bar, and the
// two layouts.
#include <gtest/gtest.h>

#include "Splitter.h"

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

class SplitterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSplitterClass(GetModuleHandleW(nullptr));
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    splitter = CreateWindowExW(0, kSplitterClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 500, 300,
                               frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    first = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, splitter,
                            nullptr, nullptr, nullptr);
    second = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, splitter,
                             nullptr, nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(frame); }

  RECT PaneRect(HWND pane) {
    RECT rect;
    GetWindowRect(pane, &rect);
    MapWindowPoints(nullptr, splitter, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  void Drag(int from, int to) {
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, 10));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, 10));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(to, 10));
  }

  HWND frame = nullptr;
  HWND splitter = nullptr;
  HWND first = nullptr;
  HWND second = nullptr;
};

TEST_F(SplitterTest, PanesAreNeededAndPositionsAreClamped) {
  ASSERT_NE(nullptr, splitter);
  EXPECT_EQ(0, GetSplitterPosition(splitter));
  EXPECT_FALSE(SetSplitterPosition(splitter, 200));
  EXPECT_FALSE(SetSplitterPanes(splitter, first, nullptr));
  ASSERT_TRUE(SetSplitterPanes(splitter, first, second));
  EXPECT_EQ(30, GetSplitterPosition(splitter));

  ASSERT_TRUE(SetSplitterPosition(splitter, 200));
  EXPECT_EQ(200, GetSplitterPosition(splitter));
  EXPECT_EQ((RECT{0, 0, 200, 300}), PaneRect(first));
  EXPECT_EQ((RECT{204, 0, 500, 300}), PaneRect(second));
  SetSplitterPosition(splitter, 20);
  EXPECT_EQ(100, GetSplitterPosition(splitter));
  SetSplitterPosition(splitter, 5000);
  EXPECT_EQ(496, GetSplitterPosition(splitter));
  // With a client narrower than 104 pixels the lower bound wins.
  MoveWindow(splitter, 0, 0, 90, 300, TRUE);
  SetSplitterPosition(splitter, 60);
  EXPECT_EQ(100, GetSplitterPosition(splitter));
}

TEST_F(SplitterTest, DraggingStopsAtBothBoundsAndAClickKeepsThePanes) {
  ASSERT_TRUE(SetSplitterPanes(splitter, first, second));
  ASSERT_TRUE(SetSplitterPosition(splitter, 250));
  Drag(251, 40);
  EXPECT_EQ(100, GetSplitterPosition(splitter));
  Drag(101, 800);
  EXPECT_EQ(496, GetSplitterPosition(splitter));
  Drag(497, 300);
  EXPECT_EQ(300, GetSplitterPosition(splitter));
  const RECT before = PaneRect(first);
  SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(301, 10));
  SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(301, 10));
  EXPECT_EQ(300, GetSplitterPosition(splitter));
  EXPECT_EQ(before, PaneRect(first));
}

TEST_F(SplitterTest, StyleBitTurnsTheLayout) {
  ASSERT_TRUE(SetSplitterPanes(splitter, first, second));
  ASSERT_TRUE(SetSplitterPosition(splitter, 150));
  SetWindowLongPtrW(splitter, GWL_STYLE, GetWindowLongPtrW(splitter, GWL_STYLE) | kSplitterStacked);
  EXPECT_EQ((RECT{0, 0, 500, 150}), PaneRect(first));
  EXPECT_EQ((RECT{0, 154, 500, 300}), PaneRect(second));
  SetWindowLongPtrW(splitter, GWL_STYLE,
                    GetWindowLongPtrW(splitter, GWL_STYLE) & ~static_cast<LONG_PTR>(kSplitterStacked));
  EXPECT_EQ((RECT{0, 0, 150, 300}), PaneRect(first));
}

}  // namespace
