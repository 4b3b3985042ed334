#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "BuilderState.h"
#include "DefinitionKeys.h"
#include "SettingsCompare.h"
#include "SfxSettings.h"

namespace {

class SfxSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { g_UiState.JapaneseUI = false; }
  void TearDown() override {
    g_UiState.JapaneseUI = false;
    ResetSfxSettings();
  }
};

// The defaults of a new project are the key table's (ResetSfxSettings):
// Clear leaves none of its own, the four former ones included.
TEST_F(SfxSettingsTest, ClearZeroesEveryMember) {
  CSfxSettings s;
  s.UltraSilentInstall = 1;
  CopyText(s.SilentizeSwitch, L"quiet");
  s.StartMenuCount = 3;
  CopyText(s.StartMenu[5].Title, L"stale");
  s.UninstallReg[31] = L"HKEY_CURRENT_USER\\x";
  s.RegComSvr.push_back(RegComSvrItem{L"a.dll", true});
  s.ExtraCopy.push_back(ExtraCopyItem{L"b.txt", 3, L"x", false});
  s.IconType = L"red";
  s.SkipInstallCompletePageOnAutoExec = 0;
  s.Clear();
  EXPECT_EQ(s.UltraSilentInstall, 0);
  EXPECT_STREQ(s.SilentizeSwitch, L"");
  EXPECT_EQ(s.StartMenuCount, 0);
  EXPECT_STREQ(s.StartMenu[5].Title, L"");
  EXPECT_TRUE(s.UninstallReg[31].empty());
  EXPECT_TRUE(s.RegComSvr.empty());
  EXPECT_TRUE(s.ExtraCopy.empty());
  EXPECT_EQ(s.SkipInstallCompletePageOnAutoExec, 0);
  EXPECT_EQ(s.StartMenuToCommon, 0);
  EXPECT_EQ(s.CabTimeZoneBias, 0);
  EXPECT_TRUE(s.IconType.empty());
  EXPECT_STREQ(s.URL, L"");
}

TEST_F(SfxSettingsTest, ResetSetsNewProjectDefaults) {
  g_SfxSettings.AskOverwrite = 0;
  g_SfxSettings.StartMenuToCommon = 0;
  g_SfxSettings.SkipInstallCompletePageOnAutoExec = 0;
  g_SfxSettings.CabTimeZoneBias = 0;
  g_SfxSettings.IconType = L"red";
  ResetSfxSettings();
  const CSfxSettings& s = g_SfxSettings;
  EXPECT_EQ(s.SkipInstallCompletePageOnAutoExec, 1);
  EXPECT_EQ(s.StartMenuToCommon, 1);
  EXPECT_EQ(s.CabTimeZoneBias, 9);
  EXPECT_EQ(s.IconType, L"blue");
  EXPECT_EQ(s.AskExtPath, 1);
  EXPECT_EQ(s.AskOverwrite, 1);
  EXPECT_EQ(s.UninstallRebootable, 1);
  EXPECT_EQ(s.UseNewWizard, 1);
  EXPECT_EQ(s.BackScreenColor, static_cast<COLORREF>(0x00FF0000));
  EXPECT_EQ(s.SavePath_RootKey, 0);
  EXPECT_EQ(s.SaveExplainShowFlag_RootKey, 0);
  EXPECT_STREQ(s.SavePathKey, L"Software\\Vesmarin Programs");
  EXPECT_STREQ(s.SaveExplainShowFlagKey, L"Software\\Vesmarin Programs");
  EXPECT_STREQ(s.SavePathValue, L"InstallPath");
  EXPECT_STREQ(s.SaveExplainShowFlagValue, L"SetupShowExplainFlag");
  EXPECT_STREQ(s.UseVesmarinUninstallerFolder, L"\\");
  EXPECT_STREQ(s.VesmarinFor, L"Self Extractable Archive by Vesmarin 6");
  EXPECT_STREQ(s.VesmarinForE, L"");
  EXPECT_STREQ(s.URL, L"http://");
  EXPECT_EQ(s.SFXOSMajor, 5);
  EXPECT_EQ(s.SFXOSMinor, 0);
  EXPECT_EQ(s.SFXSubSysMajor, 5);
  EXPECT_EQ(s.SFXSubSysMinor, 0);

  g_UiState.JapaneseUI = true;
  ResetSfxSettings();
  EXPECT_STREQ(g_SfxSettings.VesmarinForE, L"Self Extractable Archive by Vesmarin 6");
}

TEST_F(SfxSettingsTest, CopyAssignedBackRestoresTablesAndCounts) {
  ResetSfxSettings();
  CSfxSettings& s = g_SfxSettings;
  s.RegComSvr = {RegComSvrItem{L"one.dll", false}, RegComSvrItem{L"two.ocx", true}};
  s.ExtraCopy = {ExtraCopyItem{L"a.txt", 2, L"docs", true}, ExtraCopyItem{L"b.txt", 15, L"", false}};
  s.UninstallRegCount = 2;
  s.UninstallReg[0] = L"HKEY_CURRENT_USER\\Software\\A";
  s.UninstallReg[1] = L"HKEY_LOCAL_MACHINE\\Software\\B";
  s.StartMenuCount = 1;
  CopyText(s.StartMenu[0].Title, L"Tool");
  s.AutoExecCount = 1;
  CopyText(s.AutoExec[0].File, L"setup.exe");
  CopyText(s.DialogTitle, L"Before");

  std::unique_ptr<CSfxSettings, void (*)(CSfxSettings*)> backup(new CSfxSettings(s),
                                                                 &DeleteSfxSettings);
  s.RegComSvr.clear();
  s.ExtraCopy.pop_back();
  s.UninstallReg[1] = L"changed";
  s.UninstallRegCount = 5;
  s.StartMenuCount = 0;
  CopyText(s.DialogTitle, L"After");
  s.IconType = L"custom";

  s = *backup;
  EXPECT_TRUE(DifferingMembers(s, *backup).empty());
  ASSERT_EQ(s.RegComSvr.size(), 2u);
  EXPECT_STREQ(s.RegComSvr[1].FileName, L"two.ocx");
  EXPECT_TRUE(s.RegComSvr[1].Uninstall);
  ASSERT_EQ(s.ExtraCopy.size(), 2u);
  EXPECT_EQ(s.ExtraCopy[1].BaseFolder, 15);
  EXPECT_EQ(s.UninstallReg[1], L"HKEY_LOCAL_MACHINE\\Software\\B");
  EXPECT_EQ(s.UninstallRegCount, 2);
  EXPECT_EQ(s.StartMenuCount, 1);
  EXPECT_STREQ(s.DialogTitle, L"Before");
  EXPECT_EQ(s.IconType, L"blue");

  CSfxSettings& self = s;
  s = self;
  EXPECT_EQ(s.RegComSvr.size(), 2u);
  EXPECT_EQ(s.UninstallReg[0], L"HKEY_CURRENT_USER\\Software\\A");
  DeleteSfxSettings(nullptr);
}

TEST_F(SfxSettingsTest, TextsFitTheirWidths) {
  CSfxSettings s;
  std::wstring longText(500, L'x');
  CopyText(s.DialogTitle, longText.c_str());
  EXPECT_EQ(wcslen(s.DialogTitle), 65u);
  CopyText(s.SilentizeSwitch, longText.c_str());
  EXPECT_EQ(wcslen(s.SilentizeSwitch), 19u);
}

}  // namespace
