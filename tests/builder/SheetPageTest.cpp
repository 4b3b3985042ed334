// The protocol every page of the "Detailed settings" sheet follows, in a
// modeless sheet of this process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "SheetPage.h"
#include "VesmarinResource.h"
#include "Waiting.h"

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
  testsupport::DispatchQueued();  // the Cancel the fault posted
  EXPECT_TRUE(TakeSheetFault());
  EXPECT_FALSE(TakeSheetFault()) << "the fault is reported once";
  // The posted Cancel ended the sheet: a modeless sheet then has no page.
  EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)));
  // WM_DESTROY throws as well and must not unwind into the system.
  DestroyWindow(sheet_);
  EXPECT_TRUE(TakeSheetFault());
}

}  // namespace
