// Dialog "Vesmarin uninstaller settings" of the uninstaller page, driven
// from a second process: registry keys to delete, the uninstaller folder,
// the signed copy, and saving the builder's own uninstallers.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SheetFixture.h"
#include "TestSupport.h"

namespace {

using sheettest::BuilderString;
using sheettest::Definition;
using sheettest::Send;
using sheettest::SetText;
using sheettest::SheetRun;

const int kStartup = 162, kUninstaller = 130, kSettingsButton = 1204;
const int kKeys = 1105, kRoot = 1100, kSubKey = 1095, kAdd = 1102, kFolder = 1033;
const int kSignedUse = 1212, kSave64 = 1287, kSignedFile = 1096;
const int kFileNameBox = 1148;  // the file dialog's file-name combo box

const char kBuiltIn[] =
    "[Vesmarin]\r\nUseUnInstall=1\r\nUseVesmarinUninstaller=1\r\nUnInstallKey=App\r\n"
    "UnInstallTitle=App\r\nDenyUsers=1\r\nUninstallReg0=NoBackslash\r\n"
    "UninstallReg1=HKEY_LOCAL_MACHINE\\Software\\Old\r\n";

HWND OpenSettings(SheetRun& run) {
  if (!run.Select(kUninstaller)) return nullptr;
  testsupport::PressButton(run.Page(), kSettingsButton);
  return run.builder().WaitDialog(kKeys);
}

void ChooseRoot(HWND dialog, int index) { Send(GetDlgItem(dialog, kRoot), CB_SETCURSEL, static_cast<WPARAM>(index)); }

// Adds the key; returns the box it showed (empty caption: none).
testsupport::SeenBox AddKey(SheetRun& run, HWND dialog, int root, const std::wstring& key) {
  ChooseRoot(dialog, root);
  SetText(dialog, kSubKey, key);
  if (!testsupport::PressButton(dialog, kAdd)) return {L"<add disabled>", L""};
  return run.NextBox(1500);
}

int KeyCount(HWND dialog) { return static_cast<int>(Send(GetDlgItem(dialog, kKeys), LB_GETCOUNT)); }

TEST(SheetUninstallerSettings, KeysNeedTwoLevelsOutsideClassesRootAndNeverNameAWholeRoot) {
  SheetRun run(kBuiltIn);
  ASSERT_TRUE(run.Open());
  HWND dialog = OpenSettings(run);
  ASSERT_NE(nullptr, dialog);
  // The entry without a backslash is not listed.
  EXPECT_EQ(1, KeyCount(dialog));
  EXPECT_EQ(L"", AddKey(run, dialog, 1, L"\\\\Software\\Vendor").caption);
  EXPECT_EQ(L"Software\\Vendor", testsupport::ControlText(dialog, kSubKey));
  EXPECT_EQ(2, KeyCount(dialog));
  EXPECT_EQ(BuilderString(328), AddKey(run, dialog, 2, L"Vendor").text);
  EXPECT_EQ(BuilderString(328), AddKey(run, dialog, 2, L"Software\\").text);
  EXPECT_EQ(L"", AddKey(run, dialog, 0, L".myext").caption);
  // Nothing left after the backslashes: refused under every root.
  for (int root : {0, 1, 2}) EXPECT_EQ(BuilderString(216), AddKey(run, dialog, root, L"\\\\").text) << root;
  EXPECT_EQ(3, KeyCount(dialog));
  // A folder that leaves the extract destination keeps the dialog open,
  // however many backslashes lead it.
  for (const wchar_t* outside : {L"..\\Uninst", L"\\\\\\..\\x"}) {
    SetText(dialog, kFolder, outside);
    testsupport::PressButton(dialog, IDOK);
    EXPECT_EQ(BuilderString(471), run.NextBox().text) << testsupport::Narrow(outside);
    ASSERT_TRUE(IsWindow(dialog));
  }
  // Leading backslashes count from the destination itself.
  SetText(dialog, kFolder, L"\\\\\\Uninst");
  testsupport::PressButton(dialog, IDOK);
  ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000));
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"HKEY_LOCAL_MACHINE\\Software\\Old", saved.at(L"UninstallReg0"));
  EXPECT_EQ(L"HKEY_CURRENT_USER\\Software\\Vendor", saved.at(L"UninstallReg1"));
  EXPECT_EQ(L"HKEY_CLASSES_ROOT\\.myext", saved.at(L"UninstallReg2"));
  EXPECT_EQ(0u, saved.count(L"UninstallReg3"));
  EXPECT_EQ(L"\\\\\\Uninst", saved.at(L"UseVesmarinUninstallerFolder"));
}

TEST(SheetUninstaller, ArrowKeysStayWithinTheThreeChoices) {
  SheetRun run(kBuiltIn);
  ASSERT_TRUE(run.OpenAt(kUninstaller));
  HWND page = run.Page();
  HWND none = GetDlgItem(page, 1200), builtIn = GetDlgItem(page, 1201), own = GetDlgItem(page, 1202);
  ASSERT_TRUE(none && builtIn && own);
  // Down from each choice reaches the next choice, never the settings button.
  EXPECT_EQ(builtIn, GetNextDlgGroupItem(page, none, FALSE));
  EXPECT_EQ(own, GetNextDlgGroupItem(page, builtIn, FALSE));
  EXPECT_EQ(none, GetNextDlgGroupItem(page, own, FALSE));
  EXPECT_NE(0, GetWindowLongPtrW(GetDlgItem(page, kSettingsButton), GWL_STYLE) & WS_GROUP);
  EXPECT_TRUE(run.Cancel());
}

// The file dialog the builder opened, with its file-name box.
HWND WaitFileDialog(SheetRun& run) { return run.builder().WaitDialog(kFileNameBox); }

TEST(SheetUninstallerSettings, SixtyFourBitSaveWritesTheEmbeddedUninstallerAndASecondSaveAsks) {
  const testsupport::TempDir dir(L"su");
  const std::wstring target = dir / L"Signed64.exe";
  SheetRun run(kBuiltIn);
  ASSERT_TRUE(run.Open());
  HWND dialog = OpenSettings(run);
  ASSERT_NE(nullptr, dialog);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kSave64)));
  testsupport::PressButton(dialog, kSignedUse);
  ASSERT_TRUE(builderwindow::WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, kSave64)) != 0; }, 5000));
  for (int round = 0; round < 2; ++round) {
    testsupport::PressButton(dialog, kSave64);
    HWND save = WaitFileDialog(run);
    ASSERT_NE(nullptr, save) << round;
    SetText(save, kFileNameBox, target);
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    if (round == 1) {
      // The system asks before replacing; No leaves the file alone.
      testsupport::SeenBox asked = run.builder().AnswerNextBox(IDNO, 10000);
      EXPECT_FALSE(asked.caption.empty());
      PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(testsupport::WaitForWindowGone(save, 10000));
      break;
    }
    ASSERT_TRUE(testsupport::WaitForWindowGone(save, 10000));
    ASSERT_TRUE(builderwindow::WaitFor([&] { return testsupport::PathExists(target); }, 10000));
  }
  std::vector<uint8_t> written, embedded;
  ASSERT_TRUE(builderwindow::WaitFor([&] {
    return testsupport::ReadFileBytes(target, written) && !written.empty();
  }, 10000));
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Hollmere64.exe"), embedded));
  EXPECT_TRUE(written == embedded) << written.size() << " bytes written, " << embedded.size() << " embedded";
  // The signed copy must exist when it is to be used.
  SetText(dialog, kSignedFile, dir / L"missing.exe");
  testsupport::PressButton(dialog, IDOK);
  testsupport::SeenBox missing = run.NextBox();
  EXPECT_NE(std::wstring::npos, missing.text.find(L"missing.exe"));
  SetText(dialog, kSignedFile, target);
  testsupport::PressButton(dialog, IDOK);
  ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000));
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"HollmereUserProvide"));
  EXPECT_EQ(target, saved.at(L"HollmereUserProvideFile"));
}

TEST(SheetUninstallerOptions, OkWritesThePagesCopyCancelKeepsItAndTheSheetStoresIt) {
  SheetRun run("[Vesmarin]\r\nUseUnInstall=1\r\nUseVesmarinUninstaller=1\r\nUnInstallKey=App\r\n"
               "UnInstallTitle=App\r\nDenyUsers=1\r\nUnInstallPublisher=Old maker\r\n"
               "UnInstallSetVersion=1\r\nUnInstallAutoSetVersion=0\r\nUnInstallVersion=1.0\r\n");
  ASSERT_TRUE(run.OpenAt(kUninstaller));
  const int kOptionsButton = 1203, kPublisher = 1195, kVersionAuto = 1273, kVersion = 1276;
  for (bool confirm : {false, true}) {
    testsupport::PressButton(run.Page(), kOptionsButton);
    HWND dialog = run.builder().WaitDialog(kVersionAuto);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Old maker", testsupport::ControlText(dialog, kPublisher));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kVersion)));
    SetText(dialog, kPublisher, L"New maker");
    testsupport::PressButton(dialog, kVersionAuto);
    ASSERT_TRUE(builderwindow::WaitFor([&] { return !IsWindowEnabled(GetDlgItem(dialog, kVersion)); }, 5000));
    testsupport::PressButton(dialog, confirm ? IDOK : IDCANCEL);
    ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000));
  }
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"New maker", saved.at(L"UnInstallPublisher"));
  EXPECT_EQ(L"1", saved.at(L"UnInstallAutoSetVersion"));
  EXPECT_EQ(L"1.0", saved.at(L"UnInstallVersion"));
}

}  // namespace
