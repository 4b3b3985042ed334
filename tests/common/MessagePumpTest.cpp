#include <gtest/gtest.h>

#include "MessagePump.h"

namespace {

int g_dispatched = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    ++g_dispatched;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateCountingWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = CountingProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"VesmarinTestCounting";
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, L"VesmarinTestCounting", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void DrainQueue() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(MessagePump, DispatchesAndHandsOnQuitWithItsCode) {
  HWND window = CreateCountingWindow();
  ASSERT_NE(window, nullptr);
  g_dispatched = 0;
  PostMessageW(window, WM_APP + 1, 0, 0);
  PostMessageW(window, WM_APP + 1, 0, 0);
  EXPECT_TRUE(PumpWaitingMessages(nullptr));
  EXPECT_EQ(g_dispatched, 2);

  PostQuitMessage(10);
  EXPECT_FALSE(PumpWaitingMessages(nullptr));
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 10u);
  DestroyWindow(window);
  DrainQueue();
}

TEST(MessagePump, LoopEndsWithTheCodeOfAQuitThatAPumpHandedOn) {
  HWND window = CreateCountingWindow();
  ASSERT_NE(window, nullptr);
  g_dispatched = 0;
  PostMessageW(window, WM_APP + 1, 0, 0);
  PostQuitMessage(266);  // more than the low eight bits
  EXPECT_FALSE(PumpWaitingMessages(nullptr));
  EXPECT_EQ(RunMessageLoop(nullptr, nullptr, nullptr), 266);
  EXPECT_EQ(g_dispatched, 1);
  DestroyWindow(window);
  DrainQueue();
}

}  // namespace
