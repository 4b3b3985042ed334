// Pages that write into other pages' members while the user works: the
// automatic-execution and extract pages, which must never leave "Overwrite
// with restart" together with deleting the files after the run, and the
// uninstaller page with the start page's rights box.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "SheetFixture.h"
#include "TestSupport.h"

namespace {

using sheettest::BuilderString;
using sheettest::Definition;
using sheettest::SheetRun;

const int kStartup = 162, kExtract = 120, kUninstaller = 130, kAutoExec = 129, kShortcut = 125;
const int kMethod = 1167, kDeleteAfterRun = 1010, kPowerUsers = 1165;

TEST(SheetCrossPage, DeleteAfterRunAndOverwriteWithRestartNeverEndTogether) {
  {
    // The automatic-execution page was shown with its box on; the extract
    // page then chooses the restart method.
    SheetRun run("[Vesmarin]\r\nUseAutoExecute=1\r\nCmdLine=setup.exe\r\nAfterDeleteFiles=0\r\n"
                 "OverWriteMethod=0\r\nOnlyAdmin=1\r\n");
    ASSERT_TRUE(run.OpenAt(kAutoExec));
    EXPECT_TRUE(run.SetCheck(kDeleteAfterRun, true));
    ASSERT_TRUE(run.Select(kExtract));
    EXPECT_EQ(BuilderString(223), run.ChooseExpectingBox(kMethod, 2).text);
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"2", saved.at(L"OverWriteMethod"));
    EXPECT_EQ(L"0", saved.at(L"AfterDeleteFiles"));
  }
  {
    // The other way round: the extract page was shown with the restart
    // method, then the box is checked on the automatic-execution page.
    SheetRun run("[Vesmarin]\r\nUseAutoExecute=1\r\nCmdLine=setup.exe\r\nAfterDeleteFiles=0\r\n"
                 "OverWriteMethod=2\r\nOnlyAdmin=1\r\n");
    ASSERT_TRUE(run.OpenAt(kExtract));
    EXPECT_EQ(2, run.Chosen(kMethod));
    ASSERT_TRUE(run.Select(kAutoExec));
    EXPECT_EQ(BuilderString(230), run.ClickExpectingBox(kDeleteAfterRun).text);
    ASSERT_TRUE(builderwindow::WaitFor([&] { return run.Checked(kDeleteAfterRun); }, 5000));
    ASSERT_TRUE(run.Select(kExtract));
    EXPECT_EQ(0, run.Chosen(kMethod));
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"0", saved.at(L"OverWriteMethod"));
    EXPECT_EQ(L"1", saved.at(L"AfterDeleteFiles"));
  }
}

TEST(SheetAutoExec, AFileIsNeededAndOnlyAProgramTakesArguments) {
  SheetRun run("[Vesmarin]\r\nUseAutoExecute=0\r\nCmdArgs=/quiet\r\n");
  ASSERT_TRUE(run.OpenAt(kAutoExec));
  EXPECT_FALSE(run.Enabled(1003));
  EXPECT_TRUE(run.SetCheck(1047, true));
  EXPECT_EQ(BuilderString(232), run.SelectExpectingBox(kStartup).text);
  EXPECT_TRUE(run.sheet().OnPage(1047));
  run.SetText(1003, L"setup.cmd");
  EXPECT_FALSE(run.Enabled(1004));
  EXPECT_FALSE(run.Enabled(kDeleteAfterRun));
  run.SetText(1003, L"setup.exe");
  EXPECT_TRUE(run.Enabled(1004));
  EXPECT_TRUE(run.SetCheck(1237, true));
  EXPECT_TRUE(run.SetCheck(1256, false));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"UseAutoExecute"));
  EXPECT_EQ(L"setup.exe", saved.at(L"CmdLine"));
  EXPECT_EQ(L"/quiet", saved.at(L"CmdArgs"));
  EXPECT_EQ(L"1", saved.at(L"CmdNonElevate"));
  EXPECT_EQ(L"0", saved.at(L"SkipInstallCompletePageOnAutoExec"));
}

TEST(SheetUninstaller, AnUninstallerNeedsPowerUsersAKeyAndANameAndKeepsTheOtherOptions) {
  SheetRun run("[Vesmarin]\r\nDenyUsers=0\r\nUseUnInstall=0\r\nUnInstallPublisher=Maker\r\n"
               "UnInstallTitle=\r\nUnInstallKey=\r\n");
  ASSERT_TRUE(run.Open());
  HWND startup = run.Page();
  ASSERT_TRUE(run.Select(kUninstaller));
  EXPECT_FALSE(run.Enabled(1016));
  EXPECT_EQ(BuilderString(330), run.ClickExpectingBox(1202).text);
  // The page checks and disables the box once its message is answered.
  EXPECT_TRUE(builderwindow::WaitFor(
      [&] { return !IsWindowEnabled(GetDlgItem(startup, kPowerUsers)); }, 5000));
  EXPECT_TRUE(testsupport::IsChecked(startup, kPowerUsers));
  EXPECT_TRUE(run.Enabled(1032));
  EXPECT_FALSE(run.Enabled(1015));
  EXPECT_EQ(BuilderString(331), run.SelectExpectingBox(kStartup).text);
  run.SetText(1032, L"uninst.exe");
  EXPECT_TRUE(run.Enabled(1015));
  EXPECT_EQ(BuilderString(332), run.SelectExpectingBox(kStartup).text);
  run.SetText(1016, L"My\\Key");
  EXPECT_EQ(BuilderString(333), run.SelectExpectingBox(kStartup).text);
  run.SetText(1014, L"My app");
  EXPECT_EQ(BuilderString(334), run.SelectExpectingBox(kStartup).text);
  run.SetText(1016, L"MyKey");
  // No uninstaller frees the box and keeps it checked; the built-in one
  // takes it again without asking.
  EXPECT_TRUE(run.Click(1200));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(startup, kPowerUsers)));
  EXPECT_TRUE(testsupport::IsChecked(startup, kPowerUsers));
  EXPECT_TRUE(run.Click(1201));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(startup, kPowerUsers)));
  EXPECT_FALSE(run.Enabled(1032));
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"UseUnInstall"));
  EXPECT_EQ(L"1", saved.at(L"UseVesmarinUninstaller"));
  EXPECT_EQ(L"1", saved.at(L"DenyUsers"));
  EXPECT_EQ(L"MyKey", saved.at(L"UnInstallKey"));
  EXPECT_EQ(L"My app", saved.at(L"UnInstallTitle"));
  EXPECT_EQ(L"Maker", saved.at(L"UnInstallPublisher"));
}

TEST(SheetShortcut, AGroupOfOneBackslashIsRefusedAndNoConfirmChecksTheDefaultBox) {
  SheetRun run("[Vesmarin]\r\nUseStartMenu=1\r\nStartMenuGroupE=Tools\r\n"
               "StartMenuDSQDefaultOn=0\r\nStartMenuDSQNoConfirm=0\r\n");
  ASSERT_TRUE(run.OpenAt(kShortcut));
  const bool japanese = sheettest::JapaneseInterface();
  const int group = japanese ? 1046 : 1047;
  EXPECT_TRUE(run.Visible(group));
  EXPECT_EQ(japanese, run.Visible(1244));
  run.SetText(group, L"\\");
  EXPECT_EQ(BuilderString(japanese ? 241 : 243), run.SelectExpectingBox(kStartup).text);
  ASSERT_TRUE(run.sheet().OnPage(1043));
  EXPECT_TRUE(run.SetCheck(1163, true));
  EXPECT_TRUE(run.Checked(1162));
  EXPECT_FALSE(run.Enabled(1162));
  EXPECT_TRUE(run.Cancel());
  const Definition saved = run.ExitAndRead();
  EXPECT_EQ(L"0", saved.at(L"StartMenuDSQNoConfirm"));
  EXPECT_EQ(L"Tools", saved.at(L"StartMenuGroupE"));
}

TEST(SheetShortcut, ValidGroupsAndBoxesRoundTrip) {
  SheetRun run("[Vesmarin]\r\nUseStartMenu=0\r\nStartMenuToCommon=1\r\n");
  ASSERT_TRUE(run.OpenAt(kShortcut));
  EXPECT_FALSE(run.Enabled(1047));
  EXPECT_TRUE(run.SetCheck(1043, true));
  const int group = sheettest::JapaneseInterface() ? 1046 : 1047;
  run.SetText(group, L"Tools\\");
  EXPECT_EQ(BuilderString(sheettest::JapaneseInterface() ? 242 : 244),
            run.SelectExpectingBox(kStartup).text);
  run.SetText(group, L"Tools\\Sub");
  EXPECT_TRUE(run.SetCheck(1161, false));
  EXPECT_TRUE(run.SetCheck(1162, true));
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"UseStartMenu"));
  EXPECT_EQ(L"0", saved.at(L"StartMenuToCommon"));
  EXPECT_EQ(L"1", saved.at(L"StartMenuDSQDefaultOn"));
  EXPECT_EQ(L"Tools\\Sub", saved.at(sheettest::JapaneseInterface() ? L"StartMenuGroup" : L"StartMenuGroupE"));
}

}  // namespace
