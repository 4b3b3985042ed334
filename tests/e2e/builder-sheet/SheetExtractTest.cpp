// Pages "Description" and "Extract" of the sheet driven from a second
// process: round trips, the order of the checks on leaving, and the writes
// that the overwrite method makes into other pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "SheetFixture.h"
#include "TestSupport.h"

namespace {

using sheettest::BuilderString;
using sheettest::Definition;
using sheettest::DifferentKeys;
using sheettest::SheetRun;

const int kStartup = 162, kDescription = 121, kExtract = 120;
const int kAdminBox = 1164;
const int kFolder = 1002, kBase = 1069, kSavePath = 1149, kSubKey = 1255, kMethod = 1167;

TEST(SheetExtract, LeavingChecksFolderFormFirstThenSubKeyThenAbsolutePath) {
  SheetRun run("[Vesmarin]\r\nUseExtractFolder=1\r\nBaseFolder=0\r\n");
  ASSERT_TRUE(run.OpenAt(kExtract));
  run.SetText(kFolder, L"..\\x");
  EXPECT_TRUE(run.SetCheck(kSavePath, true));
  run.SetText(kSubKey, L"");
  EXPECT_EQ(BuilderString(225), run.SelectExpectingBox(kStartup).text);
  EXPECT_TRUE(run.sheet().OnPage(kMethod));
  run.SetText(kFolder, L"\\Tools");
  EXPECT_EQ(BuilderString(225), run.SelectExpectingBox(kStartup).text);
  // Never a share: the destination stays below its base folder. Leading
  // backslashes before one name are dropped when the page is left.
  run.SetText(kFolder, L"\\\\srv\\share");
  EXPECT_EQ(BuilderString(225), run.SelectExpectingBox(kStartup).text);
  run.SetText(kFolder, L"\\\\Tools\\");
  EXPECT_EQ(BuilderString(216), run.SelectExpectingBox(kStartup).text);
  run.SetText(kSubKey, L"Software\\Maker");
  EXPECT_TRUE(run.Select(kStartup));
  EXPECT_TRUE(run.Select(kExtract));
  EXPECT_EQ(L"Tools\\", run.Text(kFolder));
  // An absolute path needs a text; a single leading backslash is refused,
  // a drive or a share is kept.
  run.Choose(kBase, 6);
  EXPECT_EQ(BuilderString(220), run.Text(1068));
  run.SetText(kFolder, L"");
  EXPECT_EQ(BuilderString(226), run.SelectExpectingBox(kStartup).text);
  run.SetText(kFolder, L"\\Data");
  EXPECT_EQ(BuilderString(225), run.SelectExpectingBox(kStartup).text);
  run.SetText(kFolder, L"\\\\server\\share");
  EXPECT_TRUE(run.Select(kStartup));
  ASSERT_TRUE(run.Select(kExtract));
  run.SetText(kFolder, L"C:\\Data");
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"6", saved.at(L"BaseFolder"));
  EXPECT_EQ(L"C:\\Data", saved.at(L"ExtractFolder"));
  EXPECT_EQ(L"1", saved.at(L"UseSavePath"));
  EXPECT_EQ(L"Software\\Maker", saved.at(L"SavePathKey"));
}

TEST(SheetDescription, FileNamesLoseCharactersNoPathHolds) {
  SheetRun run("[Vesmarin]\r\nUseExplain=1\r\n");
  ASSERT_TRUE(run.OpenAt(kDescription));
  std::vector<int> edits = {1055};
  if (sheettest::JapaneseInterface()) edits.push_back(1057);
  for (int edit : edits) {
    // The warning box opens inside the change: do not wait for the send.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(run.Page(), edit), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(L"read*me?.txt"), SMTO_NORMAL, 300, &result);
    EXPECT_EQ(BuilderString(196), run.NextBox().text) << edit;
    EXPECT_TRUE(builderwindow::WaitFor([&] { return run.Text(edit) == L"readme.txt"; }, 5000)) << edit;
  }
  EXPECT_TRUE(run.Cancel());
}

TEST(SheetExtract, LoadedFolderWithTwoLeadingBackslashesIsStoredWithoutThem) {
  SheetRun run("[Vesmarin]\r\nUseExtractFolder=1\r\nBaseFolder=1\r\nExtractFolder=\\\\Tools\\\r\n");
  ASSERT_TRUE(run.OpenAt(kExtract));
  EXPECT_EQ(L"\\\\Tools\\", run.Text(kFolder));
  EXPECT_TRUE(run.Select(kStartup));
  EXPECT_EQ(L"", run.NextBox(1000).caption);
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"Tools\\", saved.at(L"ExtractFolder"));
}

TEST(SheetExtract, BoxesRoundTripAndOverwriteVerificationHidesItsOwnBox) {
  SheetRun run("[Vesmarin]\r\nAskExtPath=0\r\nAskOverwrite=1\r\nHideAskOverWrite=1\r\n");
  ASSERT_TRUE(run.OpenAt(kExtract));
  EXPECT_FALSE(run.Enabled(1013));
  EXPECT_TRUE(run.SetCheck(1005, true));
  EXPECT_TRUE(run.Enabled(1013));
  EXPECT_FALSE(run.Enabled(1009));
  EXPECT_TRUE(run.Checked(1009)) << "a disabled box keeps its state";
  EXPECT_TRUE(run.SetCheck(1007, false));
  EXPECT_TRUE(run.Enabled(1009));
  EXPECT_EQ(BuilderString(221), run.Text(1068));
  for (int box : {1013, 1008, 1011, 1012, 1014, 1015}) EXPECT_TRUE(run.SetCheck(box, true)) << box;
  run.Choose(kMethod, 1);
  const Definition saved = run.OkAndExit();
  for (const wchar_t* key : {L"AskExtPath", L"NoAskMakeDir", L"WithAttribute", L"AddFileTitle",
                             L"NoOverwriteNewTimeStamp", L"NoOpenFolderOnEnd",
                             L"ShowForceOverwrite", L"HideAskOverWrite"})
    EXPECT_EQ(L"1", saved.at(key)) << testsupport::Narrow(key);
  EXPECT_EQ(L"0", saved.at(L"AskOverwrite"));
  EXPECT_EQ(L"1", saved.at(L"OverWriteMethod"));
}

const char kRestartDefinition[] =
    "[Vesmarin]\r\nOnlyAdmin=0\r\nAfterDeleteFiles=1\r\nUseAutoExecute=1\r\n"
    "CmdLine=setup.exe\r\nOverWriteMethod=0\r\n";

TEST(SheetExtract, OverwriteWithRestartSetsAdminRightsAndClearsDeleteAfterRunUntilCancel) {
  const Definition before = [] {
    SheetRun run(kRestartDefinition);
    return run.ExitAndRead();
  }();
  for (bool confirm : {true, false}) {
    SheetRun run(kRestartDefinition);
    ASSERT_TRUE(run.Open());
    HWND startup = run.Page();
    ASSERT_TRUE(run.Select(kExtract));
    EXPECT_EQ(BuilderString(222), run.ChooseExpectingBox(kMethod, 2).text);
    EXPECT_EQ(BuilderString(223), run.NextBox().text);
    EXPECT_TRUE(testsupport::IsChecked(startup, kAdminBox));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(startup, kAdminBox)));
    // Another method frees the box; what was written stays.
    run.Choose(kMethod, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(startup, kAdminBox)));
    if (!confirm) {
      EXPECT_TRUE(run.Cancel());
      EXPECT_EQ(L"", DifferentKeys(before, run.ExitAndRead()));
      continue;
    }
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"1", saved.at(L"OnlyAdmin"));
    EXPECT_EQ(L"0", saved.at(L"AfterDeleteFiles"));
    EXPECT_EQ(L"0", saved.at(L"OverWriteMethod"));
  }
}

TEST(SheetDescription, ADescriptionNeedsAFileAndAStoredFlagASubKey) {
  SheetRun run("[Vesmarin]\r\nUseExplain=0\r\nExplainFileE=readme-en.txt\r\n");
  ASSERT_TRUE(run.OpenAt(kDescription));
  EXPECT_FALSE(run.Enabled(1055));
  EXPECT_EQ(sheettest::JapaneseInterface(), run.Visible(1057));
  EXPECT_TRUE(run.SetCheck(1048, true));
  EXPECT_TRUE(run.Enabled(1055));
  // No archive: nothing to browse.
  EXPECT_FALSE(run.Enabled(1056));
  EXPECT_FALSE(run.Enabled(1234));
  EXPECT_TRUE(run.SetCheck(1229, true));
  EXPECT_TRUE(run.Enabled(1234));
  EXPECT_TRUE(run.Enabled(1291));
  run.SetText(1234, L"");
  // The English file alone satisfies the file check, also where only the
  // first edit is shown.
  EXPECT_EQ(BuilderString(216), run.SelectExpectingBox(kStartup).text);
  run.SetText(1234, L"Software\\Maker");
  run.SetText(1235, L"ReadmeShown");
  for (int box : {1018, 1019, 1049, 1291}) EXPECT_TRUE(run.SetCheck(box, true)) << box;
  run.Choose(1233, 1);
  EXPECT_TRUE(run.Select(kStartup));
  ASSERT_TRUE(run.Select(kDescription));
  run.SetText(1057, L"");
  run.SetText(1055, L"");
  EXPECT_EQ(BuilderString(215), run.SelectExpectingBox(kStartup).text);
  run.SetText(1055, L"readme.txt");
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"UseExplain"));
  EXPECT_EQ(L"readme.txt", saved.at(L"ExplainFile"));
  for (const wchar_t* key : {L"NoExtractExplainFile", L"ExplainToConsent", L"ExplainAllRead",
                             L"ExplainNoSkipTextChanged", L"UseSaveExplainShowFlag",
                             L"SaveExplainShowFlag_RootKey"})
    EXPECT_EQ(L"1", saved.at(key)) << testsupport::Narrow(key);
  EXPECT_EQ(L"Software\\Maker", saved.at(L"SaveExplainShowFlagKey"));
  EXPECT_EQ(L"ReadmeShown", saved.at(L"SaveExplainShowFlagValue"));
}

}  // namespace
