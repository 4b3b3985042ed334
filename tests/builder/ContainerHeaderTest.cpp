// The container header's flag words and fields as the settings give them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "BuilderState.h"
#include "ContainerHeader.h"
#include "SfxContainer.h"
#include "SfxSettings.h"

namespace {

SfxContainerHeader Fill() {
  SfxContainerHeader header;
  std::memset(&header, 0, sizeof header);
  FillContainerHeader(&header);
  return header;
}

class HeaderFieldsTest : public ::testing::Test {
 protected:
  // A record whose every number is 0 (Clear leaves three non-zero members:
  // StartMenuToCommon, SkipInstallCompletePageOnAutoExec and the bias).
  void SetUp() override {
    g_SfxSettings.Clear();
    g_SfxSettings.StartMenuToCommon = 0;
    g_SfxSettings.SkipInstallCompletePageOnAutoExec = 0;
  }
};

TEST_F(HeaderFieldsTest, NothingSetGivesMagicAndNoOsCheck) {
  const SfxContainerHeader h = Fill();
  uint8_t magic[4];
  std::memcpy(magic, &h.Magic, 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(magic), 4), std::string("ls") + "fx");
  EXPECT_EQ(h.FlagsA, 0u);
  EXPECT_EQ(h.FlagsB, 0u);
  EXPECT_EQ(h.BootableOS, -1);
  EXPECT_EQ(h.CabTimeZone, 0u);
  EXPECT_EQ(h.SettingsSize, 0u);
  EXPECT_EQ(h.TotalSize, 0u);
  EXPECT_EQ(h.Crc16, 0);
}

struct FlagCase {
  const char* name;
  std::function<void(CSfxSettings&)> set;
  uint32_t flagsA;
  uint32_t flagsB;
};

TEST_F(HeaderFieldsTest, EachSettingSetsItsBitsOnly) {
  const FlagCase cases[] = {
      {"AskExtPath", [](CSfxSettings& s) { s.AskExtPath = 1; }, 0x1, 0},
      {"AskOverwrite", [](CSfxSettings& s) { s.AskOverwrite = 7; }, 0x2, 0},
      {"AddFileTitle", [](CSfxSettings& s) { s.AddFileTitle = 1; }, 0x4, 0},
      {"delete after .EXE",
       [](CSfxSettings& s) {
         s.UseAutoExecute = s.AfterDeleteFiles = 1;
         CopyText(s.CmdLine, L"bin\\Setup.EXE");
       },
       0x8, 0},
      {"delete after .bat",
       [](CSfxSettings& s) {
         s.UseAutoExecute = s.AfterDeleteFiles = 1;
         CopyText(s.CmdLine, L"run.bat");
       },
       0, 0},
      {"delete after, no extension",
       [](CSfxSettings& s) {
         s.UseAutoExecute = s.AfterDeleteFiles = 1;
         CopyText(s.CmdLine, L"dir.exe\\run");
       },
       0, 0},
      {"delete after without auto-execute",
       [](CSfxSettings& s) {
         s.AfterDeleteFiles = 1;
         CopyText(s.CmdLine, L"a.exe");
       },
       0, 0},
      {"explain flags without a file",
       [](CSfxSettings& s) { s.UseExplain = s.NoExtractExplainFile = s.ExplainToConsent = s.ExplainAllRead = 1; },
       0, 0},
      {"explain flags with the English file",
       [](CSfxSettings& s) {
         s.UseExplain = s.NoExtractExplainFile = s.ExplainToConsent = s.ExplainAllRead = 1;
         CopyText(s.ExplainFileE, L"license.txt");
       },
       0x20 | 0x40 | 0x100, 0},
      {"explain flags with UseExplain off",
       [](CSfxSettings& s) {
         s.NoExtractExplainFile = s.ExplainToConsent = s.ExplainAllRead = 1;
         CopyText(s.ExplainFile, L"license.txt");
       },
       0, 0},
      {"NoExtractBannerFile", [](CSfxSettings& s) { s.NoExtractBannerFile = 1; }, 0x80, 0},
      {"UseVesmarinUninstaller", [](CSfxSettings& s) { s.UseVesmarinUninstaller = 1; }, 0x200, 0},
      {"UseBackScreen", [](CSfxSettings& s) { s.UseBackScreen = 1; }, 0x400, 0},
      {"logo without file", [](CSfxSettings& s) { s.UseBackScreenLogoBmp = 1; }, 0, 0},
      {"logo extracted",
       [](CSfxSettings& s) {
         s.UseBackScreenLogoBmp = s.ExtractScreenLogo = 1;
         CopyText(s.BackScreenLogoBmp, L"logo.bmp");
       },
       0x800, 0},
      {"logo not extracted",
       [](CSfxSettings& s) {
         s.UseBackScreenLogoBmp = 1;
         CopyText(s.BackScreenLogoBmp, L"logo.bmp");
       },
       0x800 | 0x1000, 0},
      {"save path without key", [](CSfxSettings& s) { s.UseSavePath = 1; }, 0, 0},
      {"save path",
       [](CSfxSettings& s) {
         s.UseSavePath = 1;
         CopyText(s.SavePathKey, L"Software\\X");
       },
       0x2000, 0},
      {"panel bitmap",
       [](CSfxSettings& s) {
         s.UsePanelBitmap = s.NoExtractPanelBitmap = 1;
         CopyText(s.PanelBitmap, L"p.bmp");
       },
       0x4000 | 0x8000, 0},
      {"panel bitmap without file",
       [](CSfxSettings& s) { s.UsePanelBitmap = s.NoExtractPanelBitmap = 1; }, 0, 0},
      {"WithAttribute", [](CSfxSettings& s) { s.WithAttribute = 1; }, 0x10000, 0},
      {"UseExtensionModuleFile", [](CSfxSettings& s) { s.UseExtensionModuleFile = 1; }, 0x20000, 0},
      {"StartMenuToCommon", [](CSfxSettings& s) { s.StartMenuToCommon = 1; }, 0x40000, 0},
      {"OnlyAdmin", [](CSfxSettings& s) { s.OnlyAdmin = 1; }, 0x80000, 0},
      {"NoCRCCheck", [](CSfxSettings& s) { s.NoCRCCheck = 1; }, 0x100000, 0},
      {"FailIfPathRegNotExist", [](CSfxSettings& s) { s.FailIfPathRegNotExist = 1; }, 0x200000, 0},
      {"DenyUsers", [](CSfxSettings& s) { s.DenyUsers = 1; }, 0x400000, 0},
      {"UninstallRebootable", [](CSfxSettings& s) { s.UninstallRebootable = 1; }, 0x800000, 0},
      {"NoSaveInstallPath", [](CSfxSettings& s) { s.NoSaveInstallPath = 1; }, 0x1000000, 0},
      {"Deny64bitMode", [](CSfxSettings& s) { s.Deny64bitMode = 1; }, 0x2000000, 0},
      {"CheckTrust", [](CSfxSettings& s) { s.CheckTrust = 1; }, 0x4000000, 0},
      {"UseNewWizard", [](CSfxSettings& s) { s.UseNewWizard = 1; }, 0x8000000, 0},
      {"wizard 97 bitmap",
       [](CSfxSettings& s) {
         s.UseNewWizard = s.UseWiz97PanelBitmap = s.NoExtractWiz97PanelBitmap = 1;
         CopyText(s.Wiz97PanelBitmap, L"w.bmp");
       },
       0x8000000 | 0x10000000 | 0x20000000, 0},
      {"wizard 97 bitmap, old wizard",
       [](CSfxSettings& s) {
         s.UseWiz97PanelBitmap = s.NoExtractWiz97PanelBitmap = 1;
         CopyText(s.Wiz97PanelBitmap, L"w.bmp");
       },
       0, 0},
      {"AutoUninstIni", [](CSfxSettings& s) { s.AutoUninstIni = 1; }, 0, 0x1},
      {"AutoDeleteDat", [](CSfxSettings& s) { s.AutoDeleteDat = 1; }, 0, 0x2},
      {"NoUI", [](CSfxSettings& s) { s.NoUI = 1; }, 0, 0x4},
      {"ultra silent", [](CSfxSettings& s) { s.NoUI = s.UltraSilentInstall = 1; }, 0, 0x4 | 0x8},
      {"ultra silent with UI", [](CSfxSettings& s) { s.UltraSilentInstall = 1; }, 0, 0},
      {"HollmereHideLogButton", [](CSfxSettings& s) { s.HollmereHideLogButton = 1; }, 0, 0x10},
      {"UnInstallSetVersion", [](CSfxSettings& s) { s.UnInstallSetVersion = 1; }, 0, 0x20},
      {"UnInstallAutoSetVersion", [](CSfxSettings& s) { s.UnInstallAutoSetVersion = 1; }, 0, 0x40},
      {"NoOverwriteNewTimeStamp", [](CSfxSettings& s) { s.NoOverwriteNewTimeStamp = 1; }, 0, 0x80},
      {"HideAskOverWrite", [](CSfxSettings& s) { s.HideAskOverWrite = 1; }, 0, 0x100},
      {"NoAskMakeDir", [](CSfxSettings& s) { s.NoAskMakeDir = 1; }, 0, 0x200},
      {"ForceUninstallDir", [](CSfxSettings& s) { s.ForceUninstallDir = 1; }, 0, 0x400},
      {"NoOpenFolderOnEnd", [](CSfxSettings& s) { s.NoOpenFolderOnEnd = 1; }, 0, 0x800},
      {"explain show flag",
       [](CSfxSettings& s) {
         s.UseSaveExplainShowFlag = s.ExplainNoSkipTextChanged = 1;
         CopyText(s.SaveExplainShowFlagKey, L"Software\\X");
       },
       0, 0x1000 | 0x100000},
      {"explain show flag without key",
       [](CSfxSettings& s) { s.UseSaveExplainShowFlag = s.ExplainNoSkipTextChanged = 1; }, 0, 0},
      {"WaitForAutoExecute", [](CSfxSettings& s) { s.WaitForAutoExecute = 1; }, 0, 0x2000},
      {"skip complete page",
       [](CSfxSettings& s) { s.UseAutoExecute = s.SkipInstallCompletePageOnAutoExec = 1; }, 0,
       0x4000},
      {"skip complete page without auto-execute",
       [](CSfxSettings& s) { s.SkipInstallCompletePageOnAutoExec = 1; }, 0, 0},
      {"UnInstallAutoSetSize", [](CSfxSettings& s) { s.UnInstallAutoSetSize = 1; }, 0, 0x8000},
      {"StartMenuDSQDefaultOn", [](CSfxSettings& s) { s.StartMenuDSQDefaultOn = 1; }, 0, 0x10000},
      {"StartMenuDSQNoConfirm", [](CSfxSettings& s) { s.StartMenuDSQNoConfirm = 1; }, 0, 0x20000},
      {"DontShowQXLogoOnWiz", [](CSfxSettings& s) { s.DontShowQXLogoOnWiz = 1; }, 0, 0x40000},
      {"ShowForceOverwrite", [](CSfxSettings& s) { s.ShowForceOverwrite = 1; }, 0, 0x80000},
  };
  for (const FlagCase& c : cases) {
    SetUp();
    c.set(g_SfxSettings);
    const SfxContainerHeader h = Fill();
    EXPECT_EQ(h.FlagsA, c.flagsA) << c.name;
    EXPECT_EQ(h.FlagsB, c.flagsB) << c.name;
  }
}

TEST_F(HeaderFieldsTest, FieldsFollowTheirSwitches) {
  CSfxSettings& s = g_SfxSettings;
  s.BackScreenColor = RGB(1, 2, 3);
  s.SavePath_RootKey = 1;
  s.SaveExplainShowFlag_RootKey = 1;
  s.OverWriteMethod = 0x10002;
  s.BootableOS = 0x8000;
  s.CabTimeZoneBias = -5;
  SfxContainerHeader h = Fill();
  EXPECT_EQ(h.BackScreenColor, 0u);
  EXPECT_EQ(h.SavePathRootKey, 0);
  EXPECT_EQ(h.SaveExplainShowFlagRootKey, 0);
  EXPECT_EQ(h.OverWriteMethod, 2) << "always written, low 16 bits";
  EXPECT_EQ(h.BootableOS, -1) << "no check, whatever the mask holds";
  EXPECT_EQ(h.CabTimeZone, 0u);

  s.UseBackScreen = 1;
  s.UseSavePath = 1;
  CopyText(s.SavePathKey, L"Software\\A");
  s.UseSaveExplainShowFlag = 1;
  CopyText(s.SaveExplainShowFlagKey, L"Software\\B");
  s.BootOSCheck = 1;
  s.UseCabTimeZoneBias = true;
  h = Fill();
  EXPECT_EQ(h.BackScreenColor, 0x030201u);
  EXPECT_EQ(h.SavePathRootKey, 1);
  EXPECT_EQ(h.SaveExplainShowFlagRootKey, 1);
  EXPECT_EQ(h.BootableOS, 0x8000);
  EXPECT_EQ(h.CabTimeZone, 0x1FFFBu);

  s.BootableOS = 0;
  s.CabTimeZoneBias = 9;
  h = Fill();
  EXPECT_EQ(h.BootableOS, 0) << "check on, nothing allowed";
  EXPECT_EQ(h.CabTimeZone, 0x10009u);
}

TEST_F(HeaderFieldsTest, SilentSwitchIsZeroPadded) {
  CSfxSettings& s = g_SfxSettings;
  CopyText(s.SilentizeSwitch, L"quiet");
  SfxContainerHeader h = Fill();
  EXPECT_EQ(std::wstring(h.SilentizeSwitch), L"quiet");
  for (size_t i = 5; i < 20; ++i) EXPECT_EQ(h.SilentizeSwitch[i], 0) << i;

  for (wchar_t& c : s.SilentizeSwitch) c = L'q';  // no terminator at all
  h = Fill();
  EXPECT_EQ(std::wstring(h.SilentizeSwitch, 19), std::wstring(19, L'q'));
  EXPECT_EQ(h.SilentizeSwitch[19], 0);
}

}  // namespace
