// The spin edit: range and value messages, typed text committed by its
// timer (full-width digits, leading zeros, junk, values out of range),
// the caret-keeping set, the arrows, and the parent's notifications.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ControlHost.h"
#include "SpinEdit.h"
#include "Waiting.h"

namespace {

using controlhost::Host;

const int kId = 1024;

struct SpinEditFixture : ::testing::Test {
  void SetUp() override {
    controlhost::RegisterBuilderControls();
    spin = host.Create(kSpinEditClass, kId, 0, 20, 20, 80, 22);
    ASSERT_NE(nullptr, spin);
    edit = GetDlgItem(spin, kSpinEditEditId);
    arrows = GetDlgItem(spin, kSpinEditArrowsId);
    ASSERT_NE(nullptr, edit);
    ASSERT_NE(nullptr, arrows);
  }
  std::wstring Text() {
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    return text;
  }
  // Types a text and waits until the commit timer went off.
  void TypeAndWait(const wchar_t* text) {
    host.ClearCommands();
    SetWindowTextW(edit, text);
    EXPECT_TRUE(WaitForCommit()) << "the typed text was never committed";
  }
  bool WaitForCommit() {
    return testsupport::PumpUntilTimer(spin, kSpinEditCommitTimer, 30000);
  }
  // True when no typed text waits for the timer any more.
  bool NothingPending() { return !KillTimer(spin, kSpinEditCommitTimer); }
  size_t Notifications() { return host.Codes(kId).size(); }

  Host host;
  HWND spin = nullptr;
  HWND edit = nullptr;
  HWND arrows = nullptr;
};

TEST_F(SpinEditFixture, RangeAndValueAreChecked) {
  EXPECT_EQ(L"0", Text());
  EXPECT_EQ(0, SpinEditGetValue(spin));
  EXPECT_EQ(0, SpinEditSetRange(spin, 5, 3));
  EXPECT_EQ(0, SpinEditSetRange(spin, -70000, 3));
  EXPECT_EQ(0, SpinEditSetRange(spin, 0, 65536));
  ASSERT_EQ(1, SpinEditSetRange(spin, 5, 99));
  EXPECT_EQ(5, SpinEditGetValue(spin)) << "the value moves into the range";
  EXPECT_EQ(L"5", Text());
  EXPECT_EQ(0, SendMessageW(spin, SEM_SETVALUE, 100, 0));
  EXPECT_EQ(0, SendMessageW(spin, SEM_SETVALUE, 4, 0));
  EXPECT_EQ(1, SendMessageW(spin, SEM_SETVALUE, 42, 0));
  EXPECT_EQ(42, SpinEditGetValue(spin));
  EXPECT_EQ(L"42", Text());
  testsupport::DispatchQueued();
  EXPECT_EQ(0u, Notifications()) << "setting the value in code notifies nobody";
  EXPECT_TRUE(NothingPending()) << "nor does it later";
  ASSERT_EQ(1, SpinEditSetRange(spin, 1, 10));
  EXPECT_EQ(10, SpinEditGetValue(spin));
}

TEST_F(SpinEditFixture, WideRangesReadBackWhole) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 0, 65535));
  ASSERT_EQ(1, SendMessageW(spin, SEM_SETVALUE, 65535, 0));
  EXPECT_EQ(65535, SpinEditGetValue(spin));
  ASSERT_EQ(1, SpinEditSetRange(spin, -65535, 0));
  EXPECT_EQ(0, SpinEditGetValue(spin));
  ASSERT_EQ(1, SendMessageW(spin, SEM_SETVALUE, static_cast<WPARAM>(-40000), 0));
  EXPECT_EQ(-40000, SpinEditGetValue(spin));
  EXPECT_EQ(L"-40000", Text());
}

TEST_F(SpinEditFixture, DigitsOnlyWhenBothBoundsArePositive) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 0, 99));
  EXPECT_EQ(0, GetWindowLongPtrW(edit, GWL_STYLE) & ES_NUMBER);
  ASSERT_EQ(1, SpinEditSetRange(spin, 1, 99));
  EXPECT_NE(0, GetWindowLongPtrW(edit, GWL_STYLE) & ES_NUMBER);
  ASSERT_EQ(1, SpinEditSetRange(spin, -5, 99));
  EXPECT_EQ(0, GetWindowLongPtrW(edit, GWL_STYLE) & ES_NUMBER);
}

TEST_F(SpinEditFixture, TypedTextIsCommittedAfterASecond) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 0, 99));
  TypeAndWait(L"\uFF11\uFF12");  // full-width 12
  EXPECT_EQ(L"12", Text());
  EXPECT_EQ(12, SpinEditGetValue(spin));
  EXPECT_EQ(1u, Notifications());
  ASSERT_FALSE(host.commands().empty());
  EXPECT_EQ(spin, host.commands()[0].from);
  EXPECT_EQ(0, host.commands()[0].code);

  TypeAndWait(L"007");
  EXPECT_EQ(L"7", Text());
  EXPECT_EQ(7, SpinEditGetValue(spin));
  EXPECT_EQ(1u, Notifications());

  TypeAndWait(L"abc");
  EXPECT_EQ(L"7", Text()) << "junk restores the value";
  EXPECT_EQ(7, SpinEditGetValue(spin));
  EXPECT_EQ(0u, Notifications());

  TypeAndWait(L"");
  EXPECT_EQ(L"7", Text());
  TypeAndWait(L"07");
  EXPECT_EQ(L"7", Text());
  EXPECT_EQ(0u, Notifications()) << "the same value is no change";
}

TEST_F(SpinEditFixture, OutOfRangeTextIsClamped) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 1, 10));
  TypeAndWait(L"15");
  EXPECT_EQ(L"10", Text());
  EXPECT_EQ(10, SpinEditGetValue(spin));
  ASSERT_EQ(1, SpinEditSetRange(spin, -10, 10));
  TypeAndWait(L"\uFF0D\uFF15");  // full-width -5
  EXPECT_EQ(-5, SpinEditGetValue(spin));
  EXPECT_EQ(L"-5", Text());
  TypeAndWait(L"\uFF0D");  // a lone full-width minus counts as 0
  EXPECT_EQ(0, SpinEditGetValue(spin));
  TypeAndWait(L"-99999999999");
  EXPECT_EQ(-10, SpinEditGetValue(spin));
}

TEST_F(SpinEditFixture, GettingTheValueCommitsPendingText) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 0, 99));
  SetWindowTextW(edit, L"42");
  EXPECT_EQ(42, SpinEditGetValue(spin)) << "no need to wait for the timer";
  testsupport::DispatchQueued();
  EXPECT_TRUE(NothingPending()) << "the timer has nothing left to commit";
  EXPECT_EQ(42, SpinEditGetValue(spin));
  EXPECT_EQ(1u, Notifications()) << "committed once";
}

TEST_F(SpinEditFixture, LeavingTheEditCommitsAtOnce) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 0, 99));
  SetFocus(spin);
  EXPECT_EQ(edit, GetFocus());
  SetWindowTextW(edit, L"33");
  SetFocus(host.window());
  testsupport::DispatchQueued();
  EXPECT_TRUE(NothingPending());
  EXPECT_EQ(33, SpinEditGetValue(spin));
  EXPECT_EQ(1u, Notifications());
}

TEST_F(SpinEditFixture, SetValueKeepsTheCaret) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 0, 999));
  ASSERT_EQ(1, SendMessageW(spin, SEM_SETVALUE, 123, 0));
  SendMessageW(edit, EM_SETSEL, 2, 2);
  EXPECT_EQ(1, SpinEditSetValueKeepCaret(spin, 456));
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(2u, start);
  EXPECT_EQ(2u, end);
  EXPECT_EQ(L"456", Text());
  EXPECT_EQ(0, SpinEditSetValueKeepCaret(spin, 1000));
  EXPECT_EQ(L"456", Text());
}

TEST_F(SpinEditFixture, LimitTextReachesTheEdit) {
  EXPECT_EQ(1, SpinEditLimitText(spin, 2));
  EXPECT_EQ(2, SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
  EXPECT_EQ(0, SpinEditLimitText(host.window(), 2));
}

// One arrow step through the up-down's own notification.
LRESULT Step(HWND arrows, int delta) {
  NMUPDOWN change = {};
  change.hdr.hwndFrom = arrows;
  change.hdr.idFrom = kSpinEditArrowsId;
  change.hdr.code = UDN_DELTAPOS;
  change.iPos = static_cast<int>(SendMessageW(arrows, UDM_GETPOS32, 0, 0));
  change.iDelta = delta;
  return SendMessageW(GetParent(arrows), WM_NOTIFY, kSpinEditArrowsId,
                      reinterpret_cast<LPARAM>(&change));
}

TEST_F(SpinEditFixture, ArrowsStopAtTheEnds) {
  ASSERT_EQ(1, SpinEditSetRange(spin, 5, 7));
  EXPECT_NE(0, Step(arrows, -1)) << "a step down at the minimum is refused";
  EXPECT_EQ(5, SpinEditGetValue(spin));
  ASSERT_EQ(1, SendMessageW(spin, SEM_SETVALUE, 7, 0));
  EXPECT_NE(0, Step(arrows, 1));
  EXPECT_EQ(7, SpinEditGetValue(spin));

  // A real click on the lower arrow moves one step down.
  RECT r;
  GetClientRect(arrows, &r);
  SendMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom - 3));
  SendMessageW(arrows, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom - 3));
  ASSERT_TRUE(WaitForCommit()) << "the new position was never committed";
  EXPECT_EQ(L"6", Text());
  EXPECT_EQ(6, SpinEditGetValue(spin));
  EXPECT_FALSE(host.Codes(kId).empty());
}

TEST(SpinEditText, FullWidthFormsBecomeHalfWidth) {
  wchar_t text[] = L"\uFF21\uFF5A\uFF10\uFF19\uFF0D\uFF0B\u300C\uFFE5\u201D\uFF5C x";
  ToHalfWidthText(text);
  EXPECT_STREQ(L"Az09-+\uFF62\\\"| x", text);
}

TEST(SpinEditClass, KeepsAWholePointerInItsExtraBytes) {
  controlhost::RegisterBuilderControls();
  WNDCLASSEXW info = {sizeof info};
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kSpinEditClass, &info));
  EXPECT_EQ(static_cast<int>(sizeof(void*)), info.cbWndExtra);
  EXPECT_NE(0u, info.style & CS_GLOBALCLASS);
}

}  // namespace
