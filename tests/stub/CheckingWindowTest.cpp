// When the "Checking files..." window appears, and its minimum time.
#include <gtest/gtest.h>

#include "CheckingWindow.h"
#include "StubState.h"
#include "TessalyResource.h"

namespace {

TEST(CheckingWindow, DecisionByRunDriveAndSize) {
  // Interactive: above 10,000,000 bytes on fixed and RAM drives.
  EXPECT_FALSE(stub::NeedCheckingWindow(false, false, DRIVE_FIXED, true, 10000000));
  EXPECT_TRUE(stub::NeedCheckingWindow(false, false, DRIVE_FIXED, true, 10000001));
  EXPECT_TRUE(stub::NeedCheckingWindow(false, false, DRIVE_RAMDISK, true, 10000001));
  EXPECT_FALSE(stub::NeedCheckingWindow(false, false, DRIVE_RAMDISK, true, 2500000));
  // Above 2,000,000 on every other drive.
  EXPECT_TRUE(stub::NeedCheckingWindow(false, false, DRIVE_REMOTE, true, 2500000));
  EXPECT_FALSE(stub::NeedCheckingWindow(false, false, DRIVE_REMOTE, true, 2000000));
  EXPECT_TRUE(stub::NeedCheckingWindow(false, false, DRIVE_REMOVABLE, true, 2000001));
  EXPECT_TRUE(stub::NeedCheckingWindow(false, false, DRIVE_CDROM, true, 3000000));
  // A size that could not be read.
  EXPECT_TRUE(stub::NeedCheckingWindow(false, false, DRIVE_FIXED, false, 0));
  // Silent always, ultra-silent never.
  EXPECT_TRUE(stub::NeedCheckingWindow(true, false, DRIVE_FIXED, true, 10));
  EXPECT_FALSE(stub::NeedCheckingWindow(true, true, DRIVE_REMOTE, false, 0));
}

TEST(CheckingWindow, DriveTypeOfPaths) {
  EXPECT_EQ(stub::PathDriveType(L"\\\\server\\share\\setup.exe"), static_cast<UINT>(DRIVE_REMOTE));
  EXPECT_EQ(stub::PathDriveType(L"\\setup.exe"), static_cast<UINT>(DRIVE_REMOTE));
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(stub::PathDriveType(windows), static_cast<UINT>(DRIVE_FIXED));
}

TEST(CheckingWindow, StaysAtLeastOneSecondAndTakesTheSilentText) {
  stub::g_Instance = GetModuleHandleW(nullptr);
  for (bool segoe : {false, true}) {
    stub::g_SegoeDialogs = segoe;
    DWORD start = GetTickCount();
    HWND window = stub::CreateCheckingWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_NE(GetDlgItem(window, IDC_CHECKING_PROGRESS), nullptr);
    wchar_t text[100];
    GetDlgItemTextW(window, IDC_CHECKING_TEXT, text, 100);
    EXPECT_STREQ(text, L"Checking files...");
    stub::KeepCheckingWindowMinimum();
    EXPECT_GE(GetTickCount() - start, 990u);
    stub::SetCheckingWindowText(IDS_EXTRACTING);
    GetDlgItemTextW(window, IDC_CHECKING_TEXT, text, 100);
    EXPECT_STREQ(text, L"Extracting files...");
    // Already shown long enough: no further wait.
    start = GetTickCount();
    stub::KeepCheckingWindowMinimum();
    EXPECT_LT(GetTickCount() - start, 500u);
    stub::CloseCheckingWindow();
    EXPECT_EQ(stub::CheckingWindow(), nullptr);
    EXPECT_FALSE(IsWindow(window));
  }
}

}  // namespace

namespace {

TEST(CheckingWindow, BothDialogSetsExistInEnglishAndJapanese) {
  for (int id : {IDD_CHECKING, IDD_CHECKING_SEGOE}) {
    for (WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                          MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
      EXPECT_NE(FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(id), language), nullptr)
          << id << " " << language;
    }
  }
  // The Japanese window reads Japanese.
  stub::g_Instance = GetModuleHandleW(nullptr);
  stub::g_SegoeDialogs = true;
  LCID previous = GetThreadLocale();
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
  HWND window = stub::CreateCheckingWindow();
  ASSERT_NE(window, nullptr);
  wchar_t text[100];
  GetDlgItemTextW(window, IDC_CHECKING_TEXT, text, 100);
  EXPECT_STREQ(text, L"ファイルを確認しています...");
  stub::CloseCheckingWindow();
  SetThreadLocale(previous);
  // The manifest the builder replaces: RT_MANIFEST 1, language 1033.
  EXPECT_NE(FindResourceExW(nullptr, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);
}

}  // namespace
