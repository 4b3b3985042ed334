// The item lists of the shortcut and automatic-execution pages, the OS list
// of the start page and picking from the archive, driven from a second
// process through the builder's item dialogs and archive item picker.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "SheetFixture.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using sheettest::BuilderString;
using sheettest::Definition;
using sheettest::Send;
using sheettest::SetText;
using sheettest::SheetRun;

const int kStartup = 162, kDescription = 121, kShortcut = 125, kAutoExec = 129;
const int kPickerList = 1007;

// Chooses the item in the archive item picker that a button opened.
bool Pick(SheetRun& run, const std::wstring& item) {
  HWND picker = run.builder().WaitDialog(kPickerList);
  if (!picker) return false;
  HWND list = GetDlgItem(picker, kPickerList);
  if (Send(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str())) < 0)
    return false;
  Send(picker, WM_COMMAND, MAKEWPARAM(kPickerList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  testsupport::PressButton(picker, IDOK);
  return testsupport::WaitForWindowGone(picker, 10000);
}

std::string CabinetDefinition(const std::wstring& cabinet, const std::string& rest) {
  return "[Vesmarin]\r\nSrcArchiveFile=" + testsupport::Narrow(cabinet) + "\r\n" + rest;
}

TEST(SheetPicking, ArchiveItemsArePickedIntoTheirEditsAndAProgramIsNoDescription) {
  const testsupport::TempDir dir(L"pk");
  const std::wstring cabinet = dir / L"items.cab";
  testsupport::TestCabinet items;
  items.Add(L"readme.txt", "Read me.\r\n").Add(L"setup.exe", "MZ setup").Add(L"module.dll", "MZ dll");
  ASSERT_TRUE(items.WriteTo(cabinet));
  SheetRun run(CabinetDefinition(cabinet, "UseExplain=1\r\nExplainFile=old.txt\r\nUseAutoExecute=1\r\n"
                                          "CmdLine=old.exe\r\n"));
  ASSERT_TRUE(run.OpenAt(kDescription));
  testsupport::PressButton(run.Page(), 1056);
  // Extension filter off: every item is listed; a program is refused.
  ASSERT_TRUE(Pick(run, L"setup.exe"));
  EXPECT_EQ(BuilderString(214), run.NextBox().text);
  EXPECT_EQ(L"old.txt", run.Text(1055));
  testsupport::PressButton(run.Page(), 1056);
  ASSERT_TRUE(Pick(run, L"readme.txt"));
  EXPECT_EQ(L"readme.txt", run.Text(1055));
  ASSERT_TRUE(run.Select(kAutoExec));
  testsupport::PressButton(run.Page(), 1009);
  ASSERT_TRUE(Pick(run, L"setup.exe"));
  EXPECT_EQ(L"setup.exe", run.Text(1003));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"readme.txt", saved.at(L"ExplainFile"));
  EXPECT_EQ(L"setup.exe", saved.at(L"CmdLine"));
}

TEST(SheetStartup, TheOsListShowsAndStoresTheMask) {
  SheetRun run("[Vesmarin]\r\nBootOSCheck=1\r\nBootableOS=160\r\n");  // XP and Vista
  ASSERT_TRUE(run.Open());
  EXPECT_TRUE(run.Click(1261));
  EXPECT_TRUE(run.Select(kShortcut));
  EXPECT_TRUE(run.Select(kStartup));
  EXPECT_TRUE(run.Ok());
  EXPECT_EQ(L"0", run.ExitAndRead().at(L"BootableOS"));
  SheetRun again("[Vesmarin]\r\nBootOSCheck=1\r\nBootableOS=0\r\n");
  ASSERT_TRUE(again.Open());
  EXPECT_TRUE(again.Click(1260));
  EXPECT_TRUE(again.Ok());
  // Every bit that an item stands for.
  EXPECT_EQ(L"805568487", again.ExitAndRead().at(L"BootableOS"));
  // Bits that no item stands for (0x40000000 and 0x8 of 0x40000208) are
  // dropped by OK; Windows 7's 0x200 stays.
  SheetRun unknown("[Vesmarin]\r\nBootOSCheck=1\r\nBootableOS=1073742344\r\n");
  ASSERT_TRUE(unknown.Open());
  EXPECT_TRUE(unknown.Ok());
  EXPECT_EQ(L"512", unknown.ExitAndRead().at(L"BootableOS"));
}

const char kShortcuts[] =
    "[Vesmarin]\r\nUseStartMenu=1\r\nStartMenuGroupE=Tools\r\n"
    "StartMenu0_Title=First\r\nStartMenu0_TitleE=First English\r\nStartMenu0_File=a.exe\r\n"
    "StartMenu0_FileE=a-en.exe\r\nStartMenu0_CommentE=English comment\r\n"
    "StartMenu1_Title=Second\r\nStartMenu1_File=b.exe\r\n"
    "StartMenu2_Title=Third\r\nStartMenu2_File=c.exe\r\n";

TEST(SheetShortcut, AnEditedShortcutMovesToTheEndKeepingItsEnglishTexts) {
  SheetRun run(kShortcuts);
  ASSERT_TRUE(run.OpenAt(kShortcut));
  HWND list = GetDlgItem(run.Page(), 1027);
  EXPECT_EQ(3, Send(list, LVM_GETITEMCOUNT));
  EXPECT_TRUE(sheettest::SelectListViewRow(list, 0));
  ASSERT_TRUE(builderwindow::WaitFor([&] { return run.Enabled(1030); }, 5000));
  testsupport::PressButton(run.Page(), 1030);
  HWND dialog = run.builder().WaitDialog(1277);
  ASSERT_NE(nullptr, dialog);
  SetText(dialog, 1033, L"First renamed");
  testsupport::PressButton(dialog, IDOK);
  ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000));
  // A group of one backslash is refused, the values stay stored.
  run.SetText(sheettest::JapaneseInterface() ? 1046 : 1047, L"Tools\\");
  EXPECT_EQ(BuilderString(sheettest::JapaneseInterface() ? 242 : 244), run.SelectExpectingBox(kStartup).text);
  run.SetText(sheettest::JapaneseInterface() ? 1046 : 1047, L"Tools\\Sub");
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"Second", saved.at(L"StartMenu0_Title"));
  EXPECT_EQ(L"Third", saved.at(L"StartMenu1_Title"));
  EXPECT_EQ(L"First renamed", saved.at(L"StartMenu2_Title"));
  EXPECT_EQ(L"First English", saved.at(L"StartMenu2_TitleE"));
  EXPECT_EQ(L"a-en.exe", saved.at(L"StartMenu2_FileE"));
  EXPECT_EQ(L"English comment", saved.at(L"StartMenu2_CommentE"));
}

TEST(SheetAutoExec, ItemsAreAddedEditedAndDeletedThroughTheirDialog) {
  SheetRun run("[Vesmarin]\r\nUseAutoExecute=1\r\nCmdLine=setup.exe\r\n"
               "AutoExec0_File=one.exe\r\nAutoExec0_Args=/a\r\nAutoExec0_NonElevate=1\r\n");
  ASSERT_TRUE(run.OpenAt(kAutoExec));
  HWND list = GetDlgItem(run.Page(), 1111);
  EXPECT_EQ(1, Send(list, LVM_GETITEMCOUNT));
  testsupport::PressButton(run.Page(), 1112);
  HWND dialog = run.builder().WaitDialog(1116);
  ASSERT_NE(nullptr, dialog);
  SetText(dialog, 1115, L"two.exe");
  SetText(dialog, 1116, L"/b");
  testsupport::PressButton(dialog, IDOK);
  ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000));
  EXPECT_EQ(2, Send(list, LVM_GETITEMCOUNT));
  EXPECT_TRUE(sheettest::SelectListViewRow(list, 0));
  ASSERT_TRUE(builderwindow::WaitFor([&] { return run.Enabled(1114); }, 5000));
  testsupport::PressButton(run.Page(), 1114);
  dialog = run.builder().WaitDialog(1116);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"one.exe", testsupport::ControlText(dialog, 1115));
  EXPECT_TRUE(testsupport::IsChecked(dialog, 1237));
  SetText(dialog, 1116, L"/c");
  testsupport::PressButton(dialog, IDOK);
  ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"two.exe", saved.at(L"AutoExec0_File"));
  EXPECT_EQ(L"one.exe", saved.at(L"AutoExec1_File"));
  EXPECT_EQ(L"/c", saved.at(L"AutoExec1_Args"));
  EXPECT_EQ(L"1", saved.at(L"AutoExec1_NonElevate"));
}

}  // namespace
