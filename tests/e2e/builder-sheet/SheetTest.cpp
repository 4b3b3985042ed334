// The "Detailed settings" sheet driven from a second process: its frame,
// what OK and Cancel leave in the definition file, and each page's
// controls, rules and warnings.
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
using sheettest::DifferentKeys;
using sheettest::SelectListViewRow;
using sheettest::SheetRun;

// Page templates in sheet order.
const int kPageIds[] = {162, 187, 178, 119, 144, 156, 121, 120, 125, 130, 129, 166, 180};
const int kStartup = 162, kProgram = 187, kDesign = 178, kIcon = 119, kBanner = 144,
          kBackground = 156;

// A definition that every page shows without normalising anything.
const char kPlainDefinition[] =
    "[Vesmarin]\r\n"
    "SrcArchiveFile=C:\\Work\\app.cab\r\nDstExeFile=C:\\Work\\app.exe\r\n"
    "DialogTitle=Stored title\r\nDialogTitleE=Stored title\r\n"
    "BootableOS=32\r\nUseNewWizard=1\r\nIconType=blue\r\nUseBackScreen=0\r\n"
    "BackScreenColor=10,20,30\r\nBackScreenTextE=Welcome\r\n"
    "HPTitle=Visit us\r\nURL=http://example.test/\r\n"
    "ExtractFolder=Program\\Tool\r\nUnInstallKey=KeyNoPageShows\r\n";

int SelectedListViewItem(HWND list) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, SMTO_NORMAL,
                      5000, &result);
  return static_cast<int>(static_cast<LRESULT>(result));
}

Definition SavedWithoutSheet(const char* definition) {
  SheetRun run(definition);
  EXPECT_TRUE(run.started());
  return run.ExitAndRead();
}

TEST(Sheet, ThirteenPagesInOrderWithHelpAndWithoutApplyOrCaptionHelp) {
  SheetRun run(kPlainDefinition);
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.Open());
  HWND sheet = run.sheet().Sheet();
  EXPECT_EQ(BuilderString(250) + L"Vesmarin 6", testsupport::ControlText(sheet));
  for (int i = 0; i < 13; ++i) {
    DWORD_PTR index = 0;
    SendMessageTimeoutW(sheet, PSM_IDTOINDEX, 0, kPageIds[i], SMTO_NORMAL, 5000, &index);
    EXPECT_EQ(i, static_cast<int>(index)) << "page " << kPageIds[i];
  }
  EXPECT_EQ(0, run.sheet().CurrentIndex());
  EXPECT_EQ(0, GetWindowLongPtrW(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
  HWND help = GetDlgItem(sheet, IDHELP);
  EXPECT_TRUE(help && IsWindowVisible(help) && IsWindowEnabled(help));
  HWND apply = GetDlgItem(sheet, 0x3021);
  EXPECT_FALSE(apply && IsWindowVisible(apply));
  // Every page can be shown.
  for (int id : kPageIds) EXPECT_TRUE(run.Select(id)) << "page " << id;
  EXPECT_TRUE(run.Cancel());
}

// Opens the sheet and changes a box or choice on the pages from
// "Process before startup" to "Background", the banner box to the state
// given.
void ChangeEveryPage(SheetRun& run, bool banner) {
  ASSERT_TRUE(run.Open());
  EXPECT_TRUE(run.SetCheck(1176, true));
  ASSERT_TRUE(run.Select(kProgram));
  EXPECT_TRUE(run.Click(1221));
  ASSERT_TRUE(run.Select(kDesign));
  EXPECT_TRUE(run.SetCheck(1280, true));
  ASSERT_TRUE(run.Select(kIcon));
  EXPECT_TRUE(SelectListViewRow(GetDlgItem(run.Page(), 1217), 3));
  ASSERT_TRUE(run.Select(kBanner));
  EXPECT_TRUE(run.SetCheck(1054, banner));
  ASSERT_TRUE(run.Select(kBackground));
  EXPECT_TRUE(run.SetCheck(1138, true));
}

TEST(Sheet, OkChangesExactlyTheEditedKeysAndCancelChangesNothing) {
  const Definition before = SavedWithoutSheet(kPlainDefinition);
  ASSERT_FALSE(before.empty());
  {
    // Every page visited and changed, including the writes that pages make
    // at once, then Cancel.
    SheetRun run(kPlainDefinition);
    ASSERT_NO_FATAL_FAILURE(ChangeEveryPage(run, false));
    for (int id : kPageIds) EXPECT_TRUE(run.Select(id)) << "page " << id;
    EXPECT_TRUE(run.Cancel());
    EXPECT_EQ(L"", DifferentKeys(before, run.ExitAndRead()));
  }
  {
    SheetRun run(kPlainDefinition);
    ASSERT_NO_FATAL_FAILURE(ChangeEveryPage(run, true));
    const Definition after = run.OkAndExit();
    EXPECT_EQ(L"64bitSFX Deny64bitMode DontShowQXLogoOnWiz IconType UseBackScreen UseURL",
              DifferentKeys(before, after));
    EXPECT_EQ(L"red", after.at(L"IconType"));
    EXPECT_EQ(L"1", after.at(L"64bitSFX"));
  }
}

TEST(SheetStartup, BoxesAndValidityListRoundTripAndFollowOtherPages) {
  {
    SheetRun run(
        "[Vesmarin]\r\nOverWriteMethod=2\r\nUseUnInstall=1\r\nUseVesmarinUninstaller=1\r\n"
        "BootOSCheck=0\r\nNoCRCCheck=1\r\nCheckTrust=1\r\n");
    ASSERT_TRUE(run.Open());
    // Overwrite with restart keeps the rights box off limits; the built-in
    // uninstaller the Power Users box.
    EXPECT_FALSE(run.Enabled(1164));
    EXPECT_FALSE(run.Enabled(1165));
    EXPECT_EQ(2, run.Chosen(1185));
    EXPECT_FALSE(run.Enabled(1260));
    EXPECT_FALSE(run.Enabled(1261));
    EXPECT_TRUE(run.SetCheck(1169, true));
    EXPECT_TRUE(run.Enabled(1260));
    EXPECT_TRUE(run.Enabled(1261));
    run.Choose(1185, 1);
    EXPECT_TRUE(run.SetCheck(1176, true));
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"1", saved.at(L"BootOSCheck"));
    EXPECT_EQ(L"1", saved.at(L"Deny64bitMode"));
    EXPECT_EQ(L"0", saved.at(L"NoCRCCheck"));
    EXPECT_EQ(L"0", saved.at(L"CheckTrust"));
  }
  {
    SheetRun run("[Vesmarin]\r\nNoCRCCheck=0\r\nCheckTrust=0\r\n");
    ASSERT_TRUE(run.Open());
    EXPECT_EQ(1, run.Chosen(1185));
    EXPECT_TRUE(run.Enabled(1164));
    EXPECT_TRUE(run.Enabled(1165));
    EXPECT_TRUE(run.SetCheck(1164, true));
    EXPECT_TRUE(run.SetCheck(1165, true));
    run.Choose(1185, 0);
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"1", saved.at(L"OnlyAdmin"));
    EXPECT_EQ(L"1", saved.at(L"DenyUsers"));
    EXPECT_EQ(L"1", saved.at(L"NoCRCCheck"));
    EXPECT_EQ(L"0", saved.at(L"CheckTrust"));
  }
}

TEST(SheetProgram, TypeAndManifestRoundTripAndACustomManifestNeedsAFile) {
  SheetRun run("[Vesmarin]\r\n64bitSFX=1\r\nManifestType=5\r\n");
  ASSERT_TRUE(run.OpenAt(kProgram));
  EXPECT_TRUE(run.Checked(1221));
  EXPECT_FALSE(run.Checked(1220));
  // An unknown manifest type shows as the first entry.
  EXPECT_EQ(0, run.Chosen(1242));
  EXPECT_FALSE(run.Enabled(1223));
  EXPECT_FALSE(run.Enabled(1224));
  run.Choose(1242, 2);
  EXPECT_TRUE(run.Enabled(1223));
  EXPECT_TRUE(run.Enabled(1224));
  EXPECT_TRUE(run.Click(1220));
  testsupport::SeenBox box = run.SelectExpectingBox(kDesign);
  EXPECT_EQ(L"Vesmarin 6", box.caption);
  EXPECT_EQ(BuilderString(315), box.text);
  EXPECT_TRUE(run.sheet().OnPage(1242)) << "the page must be kept";
  run.SetText(1223, L"C:\\Work\\app.manifest");
  EXPECT_TRUE(run.Select(kDesign));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"0", saved.at(L"64bitSFX"));
  EXPECT_EQ(L"2", saved.at(L"ManifestType"));
  EXPECT_EQ(L"C:\\Work\\app.manifest", saved.at(L"ManifestFile"));
}

TEST(SheetProgram, AnUnknownManifestTypeIsStoredAsTheFirstEntry) {
  SheetRun run("[Vesmarin]\r\nManifestType=5\r\n");
  ASSERT_TRUE(run.OpenAt(kProgram));
  EXPECT_TRUE(run.Select(kStartup));
  EXPECT_TRUE(run.Ok());
  EXPECT_EQ(L"0", run.ExitAndRead().at(L"ManifestType"));
}

TEST(SheetDesign, DesignListStandsForThreeMembersAndWarnsWithoutWizard) {
  SheetRun run("[Vesmarin]\r\nNoUI=1\r\nUseNewWizard=0\r\nUseWiz97PanelBitmap=1\r\n");
  ASSERT_TRUE(run.OpenAt(kDesign));
  EXPECT_EQ(2, run.Chosen(1265));
  DWORD_PTR limit = 0;
  SendMessageTimeoutW(GetDlgItem(run.Page(), 1164), EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 5000, &limit);
  EXPECT_EQ(19u, limit);
  testsupport::SeenBox box = run.ChooseExpectingBox(1265, 3);
  EXPECT_EQ(BuilderString(296), box.text);
  EXPECT_EQ(3, run.Chosen(1265)) << "the choice stands";
  // The top-right image needs the wizard; its empty file is then accepted.
  run.Choose(1265, 0);
  EXPECT_FALSE(run.Enabled(1053));
  EXPECT_FALSE(run.Enabled(1161));
  EXPECT_FALSE(run.Enabled(1162));
  EXPECT_TRUE(run.Select(kIcon));
  EXPECT_TRUE(run.Select(kDesign));
  run.SetText(1164, L"quiet");
  EXPECT_TRUE(run.SetCheck(1052, true));
  EXPECT_TRUE(run.Enabled(1156));
  box = run.SelectExpectingBox(kIcon);
  EXPECT_EQ(BuilderString(299), box.text);
  EXPECT_TRUE(run.sheet().OnPage(1265));
  EXPECT_TRUE(run.SetCheck(1052, false));
  run.Choose(1265, 1);
  EXPECT_TRUE(run.Enabled(1161));
  box = run.SelectExpectingBox(kIcon);
  EXPECT_EQ(BuilderString(300), box.text);
  EXPECT_TRUE(run.SetCheck(1053, false));
  run.Choose(1265, 3);
  run.NextBox();
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"UseNewWizard"));
  EXPECT_EQ(L"1", saved.at(L"NoUI"));
  EXPECT_EQ(L"1", saved.at(L"UltraSilentInstall"));
  EXPECT_EQ(L"quiet", saved.at(L"SilentizeSwitch"));
  EXPECT_EQ(L"0", saved.at(L"UseWiz97PanelBitmap"));
}

TEST(SheetDesign, ARecordWithoutUiLeftAsItIsGainsTheNewWizardAndClassicClearsAll) {
  {
    SheetRun run("[Vesmarin]\r\nNoUI=1\r\nUseNewWizard=0\r\nUltraSilentInstall=0\r\n");
    ASSERT_TRUE(run.OpenAt(kDesign));
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"1", saved.at(L"UseNewWizard"));
    EXPECT_EQ(L"1", saved.at(L"NoUI"));
    EXPECT_EQ(L"0", saved.at(L"UltraSilentInstall"));
  }
  {
    SheetRun run("[Vesmarin]\r\nNoUI=1\r\nUseNewWizard=1\r\nUltraSilentInstall=1\r\n");
    ASSERT_TRUE(run.OpenAt(kDesign));
    EXPECT_EQ(3, run.Chosen(1265));
    run.Choose(1265, 0);
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"0", saved.at(L"UseNewWizard"));
    EXPECT_EQ(L"0", saved.at(L"NoUI"));
    EXPECT_EQ(L"0", saved.at(L"UltraSilentInstall"));
  }
}

TEST(SheetIcon, TypesRoundTripAndACustomIconNeedsAFile) {
  builderwindow::BuilderRun* builder = nullptr;
  SheetRun run("[Vesmarin]\r\nIconType=Green\r\n");
  builder = &run.builder();
  ASSERT_TRUE(run.OpenAt(kIcon));
  HWND list = GetDlgItem(run.Page(), 1217);
  // Only the exact lower-case names count.
  EXPECT_EQ(0, SelectedListViewItem(list));
  EXPECT_FALSE(run.Enabled(1012));
  ASSERT_TRUE(SelectListViewRow(list, 4));
  EXPECT_TRUE(run.Enabled(1012));
  EXPECT_TRUE(run.Enabled(1013));
  testsupport::SeenBox box = run.SelectExpectingBox(kBanner);
  EXPECT_EQ(BuilderString(308), box.text);
  EXPECT_TRUE(run.sheet().OnPage(1217));
  // A file that is no icon leaves the preview empty and is stored all the same.
  const std::wstring notAnIcon = builder->Path(L"not-an-icon.ico");
  ASSERT_TRUE(testsupport::WriteTextFile(notAnIcon, "plain text"));
  run.SetText(1012, notAnIcon);
  ASSERT_TRUE(SelectListViewRow(list, 1));
  ASSERT_TRUE(SelectListViewRow(list, 4));
  DWORD_PTR icon = 1;
  SendMessageTimeoutW(GetDlgItem(run.Page(), 1074), STM_GETICON, 0, 0, SMTO_NORMAL, 5000, &icon);
  EXPECT_EQ(0u, icon);
  EXPECT_TRUE(run.Select(kBanner));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"custom", saved.at(L"IconType"));
  EXPECT_EQ(notAnIcon, saved.at(L"IconFile"));
}

TEST(SheetBanner, BoxesStoreAtOnceCancelUndoesThemAndABannerNeedsAFile) {
  const char definition[] =
      "[Vesmarin]\r\nUseBannerFile=0\r\nUseURL=0\r\nHPTitle=Visit us\r\n";
  const Definition before = SavedWithoutSheet(definition);
  {
    SheetRun run(definition);
    ASSERT_TRUE(run.OpenAt(kBanner));
    EXPECT_TRUE(run.Visible(1118));
    EXPECT_FALSE(run.Visible(1094));
    EXPECT_FALSE(run.Enabled(1017));
    EXPECT_TRUE(run.SetCheck(1054, true));
    EXPECT_TRUE(run.Enabled(1017));
    EXPECT_EQ(L"Visit us", run.Text(1017));
    EXPECT_TRUE(run.SetCheck(1052, true));
    EXPECT_FALSE(run.Visible(1118));
    EXPECT_TRUE(run.Visible(1094));
    // No archive: nothing to browse.
    EXPECT_FALSE(run.Enabled(1015));
    testsupport::SeenBox box = run.SelectExpectingBox(kBackground);
    EXPECT_EQ(BuilderString(335), box.text);
    EXPECT_TRUE(run.sheet().OnPage(1052));
    EXPECT_TRUE(run.Cancel());
    EXPECT_EQ(L"", DifferentKeys(before, run.ExitAndRead()));
  }
  {
    SheetRun run(definition);
    ASSERT_TRUE(run.OpenAt(kBanner));
    EXPECT_TRUE(run.SetCheck(1054, true));
    run.SetText(1262, L"http://example.test/news");
    EXPECT_EQ(sheettest::JapaneseInterface(), run.Visible(1249));
    EXPECT_EQ(sheettest::JapaneseInterface(), run.Visible(1250));
    if (sheettest::JapaneseInterface()) {
      // The list switches between the pair's edits; both are stored.
      run.Choose(1249, 1);
      EXPECT_TRUE(run.Visible(1018));
      EXPECT_FALSE(run.Visible(1017));
      run.SetText(1018, L"English message");
    }
    const Definition saved = run.OkAndExit();
    EXPECT_EQ(L"1", saved.at(L"UseURL"));
    EXPECT_EQ(L"http://example.test/news", saved.at(L"URL"));
    EXPECT_EQ(L"Visit us", saved.at(L"HPTitle"));
    if (sheettest::JapaneseInterface()) {
      EXPECT_EQ(L"English message", saved.at(L"HPTitleE"));
    }
  }
}

TEST(SheetBackground, PageRoundTripsAndALogoNeedsAFile) {
  SheetRun run("[Vesmarin]\r\nUseBackScreen=1\r\nExtractScreenLogo=1\r\nBackScreenTextE=Old\r\n");
  ASSERT_TRUE(run.OpenAt(kBackground));
  EXPECT_FALSE(run.Checked(1152));
  EXPECT_EQ(sheettest::JapaneseInterface(), run.Visible(1140));
  EXPECT_TRUE(run.Visible(1142));
  DWORD_PTR limit = 0;
  SendMessageTimeoutW(GetDlgItem(run.Page(), 1142), EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 5000, &limit);
  EXPECT_EQ(100u, limit);
  EXPECT_FALSE(run.Enabled(1147));
  EXPECT_TRUE(run.SetCheck(1150, true));
  EXPECT_TRUE(run.Enabled(1147));
  EXPECT_TRUE(run.Enabled(1148));
  testsupport::SeenBox box = run.SelectExpectingBox(kStartup);
  EXPECT_EQ(BuilderString(309), box.text);
  EXPECT_TRUE(run.SetCheck(1152, true));
  run.SetText(1142, L"New text");
  // Without the background nothing of it is asked for.
  EXPECT_TRUE(run.SetCheck(1138, false));
  EXPECT_FALSE(run.Enabled(1150));
  EXPECT_FALSE(run.Enabled(1142));
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"0", saved.at(L"UseBackScreen"));
  EXPECT_EQ(L"1", saved.at(L"UseBackScreenLogoBmp"));
  EXPECT_EQ(L"0", saved.at(L"ExtractScreenLogo"));
  EXPECT_EQ(L"New text", saved.at(L"BackScreenTextE"));
}

}  // namespace
