// Which window owns the stub's message boxes: the wizard's frame while it
// exists, else the background screen while it exists, else the caller's
// window; a window that the chosen one holds or owns stays the owner.
#include <gtest/gtest.h>

#include "BackScreen.h"
#include "StubState.h"
#include "StubStrings.h"

namespace {

HWND Popup(HWND owner) {
  return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 40, owner, nullptr, nullptr,
                         nullptr);
}

TEST(StubStrings, MessageBoxesBelongToTheFrameElseTheBackground) {
  stub::g_Instance = GetModuleHandleW(nullptr);
  stub::g_WizardFrame = nullptr;
  HWND loose = Popup(nullptr);
  ASSERT_NE(loose, nullptr);
  EXPECT_EQ(stub::MessageBoxOwner(nullptr), nullptr);
  EXPECT_EQ(stub::MessageBoxOwner(loose), loose);

  ASSERT_TRUE(stub::CreateBackScreen(L"Background", L"", RGB(0, 0, 160)));
  HWND background = stub::BackScreenWindow();
  ASSERT_NE(background, nullptr);
  HWND ownedByBackground = Popup(background);
  EXPECT_EQ(stub::MessageBoxOwner(nullptr), background);
  EXPECT_EQ(stub::MessageBoxOwner(loose), background);
  EXPECT_EQ(stub::MessageBoxOwner(ownedByBackground), ownedByBackground);

  // The frame, owned by the background as the Welcome page makes it, with a
  // page inside it and a window that it owns (the registration window).
  HWND frame = Popup(background);
  HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame, nullptr, nullptr,
                              nullptr);
  HWND ownedByFrame = Popup(frame);
  ASSERT_TRUE(frame && page && ownedByFrame);
  stub::g_WizardFrame = frame;
  EXPECT_EQ(stub::MessageBoxOwner(nullptr), frame);
  EXPECT_EQ(stub::MessageBoxOwner(loose), frame);
  EXPECT_EQ(stub::MessageBoxOwner(ownedByBackground), frame);
  EXPECT_EQ(stub::MessageBoxOwner(page), page);
  EXPECT_EQ(stub::MessageBoxOwner(ownedByFrame), ownedByFrame);

  // A frame that has closed no longer counts; then the background is gone too.
  DestroyWindow(frame);
  EXPECT_EQ(stub::MessageBoxOwner(nullptr), background);
  stub::g_WizardFrame = nullptr;
  stub::DestroyBackScreen();
  EXPECT_EQ(stub::BackScreenWindow(), nullptr);
  EXPECT_EQ(stub::MessageBoxOwner(nullptr), nullptr);
  EXPECT_EQ(stub::MessageBoxOwner(loose), loose);
  DestroyWindow(loose);
  // The background's end posts a quit message: not for the tests that follow.
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
