// The protocol every page of the "Detailed settings" sheet follows, in a
// modeless sheet of this process, and where the banner preview puts a
// banner.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "BannerPreview.h"
#include "SheetPage.h"
#include "VesmarinResource.h"

namespace {

int g_stored = 0;
bool g_valid = true;

void Throwing(HWND) { throw std::runtime_error("page fault"); }
bool Validate(HWND) { return g_valid; }
void Store(HWND) { ++g_stored; }
bool ThrowingCommand(HWND, int, int) { throw std::bad_alloc(); }

const SheetPageHooks kHooks = {IDD_PAGE_EXTENSION, nullptr, nullptr,         Validate,
                               Store,              ThrowingCommand, nullptr, Throwing};

INT_PTR CALLBACK TestPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class ModelessSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeSheetFault();
    g_stored = 0;
    g_valid = true;
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof page;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(IDD_PAGE_EXTENSION);
    page.pfnDlgProc = TestPageProc;
    HPROPSHEETPAGE pages[1] = {CreatePropertySheetPageW(&page)};
    ASSERT_NE(nullptr, pages[0]);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"Protocol";
    header.nPages = 1;
    header.phpage = pages;
    sheet_ = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(nullptr, sheet_);
    page_ = reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(nullptr, page_);
  }
  void TearDown() override {
    if (IsWindow(sheet_)) DestroyWindow(sheet_);
    TakeSheetFault();
  }
  LONG_PTR Notify(UINT code) {
    PSHNOTIFY notify = {};
    notify.hdr.hwndFrom = sheet_;
    notify.hdr.code = code;
    SendMessageW(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    return GetWindowLongPtrW(page_, DWLP_MSGRESULT);
  }
  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
};

TEST_F(ModelessSheet, LeavingValidatesBeforeStoringAndApplyStoresWithoutAsking) {
  g_valid = false;
  EXPECT_EQ(TRUE, Notify(PSN_KILLACTIVE));
  EXPECT_EQ(0, g_stored);
  g_valid = true;
  EXPECT_EQ(FALSE, Notify(PSN_KILLACTIVE));
  EXPECT_EQ(1, g_stored);
  g_valid = false;
  EXPECT_EQ(PSNRET_NOERROR, Notify(PSN_APPLY));
  EXPECT_EQ(2, g_stored);
  EXPECT_EQ(FALSE, Notify(PSN_QUERYCANCEL));
  EXPECT_FALSE(TakeSheetFault());
}

TEST_F(ModelessSheet, AnExceptionInAPageIsCaughtNotedAndCancelsTheSheet) {
  EXPECT_EQ(FALSE, SendMessageW(page_, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0));
  Pump();
  EXPECT_TRUE(TakeSheetFault());
  EXPECT_FALSE(TakeSheetFault()) << "the fault is reported once";
  // The posted Cancel ended the sheet: a modeless sheet then has no page.
  EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)));
  // WM_DESTROY throws as well and must not unwind into the system.
  DestroyWindow(sheet_);
  EXPECT_TRUE(TakeSheetFault());
}

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
