#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "BuilderState.h"
#include "DefinitionFile.h"
#include "DefinitionKeys.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "SettingsCompare.h"
#include "SfxSettings.h"
#include "SfxSettingsMembers.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

class DefinitionFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.JapaneseUI = false;
    g_UiState.BatchMode = true;  // a stray warning box would hang the test
    ResetSfxSettings();
  }
  void TearDown() override {
    g_UiState.JapaneseUI = false;
    g_UiState.BatchMode = false;
    ResetSfxSettings();
  }

  // Loads a definition file with the given lines after the section line.
  void LoadLines(const std::string& lines) {
    const std::wstring path = dir_ / L"load.ini";
    ASSERT_TRUE(testsupport::WriteTextFile(path, "[Vesmarin]\r\n" + lines));
    LoadDefinitionFile(path.c_str());
  }

  TempDir dir_{L"def"};
};

// Every member given a value that differs from its default.
void FillEverything(CSfxSettings& s) {
  s.UltraSilentInstall = 1;
  s.HollmereHideLogButton = 1;
  CopyText(s.OSCheckErrorMsg, L"This Windows is too old.\r\nPlease update.");
  CopyText(s.SrcArchiveFile, L"C:\\work\\files.cab");
  CopyText(s.DstExeFile, L"C:\\work\\out\\setup.exe");
  CopyText(s.DialogTitle, L"\u30c4\u30fc\u30eb Setup");
  CopyText(s.DialogTitleE, L"Tool Setup");
  CopyText(s.ExtractFolder, L"Tool\\bin");
  CopyText(s.CmdLine, L"bin\\run.exe");
  CopyText(s.CmdArgs, L"/first run");
  s.CmdNonElevate = true;
  CopyText(s.BannerFile, L"banner.bmp");
  CopyText(s.HPTitle, L"Home");
  CopyText(s.HPTitleE, L"Home page");
  CopyText(s.URL, L"http://example.invalid/ja");
  CopyText(s.URLE, L"http://example.invalid/en");
  CopyText(s.ExplainFile, L"readme-ja.txt");
  CopyText(s.ExplainFileE, L"readme.txt");
  CopyText(s.Greeting, L"\u3088\u3046\u3053\u305d\r\n\r\nline three");
  CopyText(s.GreetingE, L"Welcome\r\nsecond\r\nthird");
  CopyText(s.UnInstallTitle, L"Tool J");
  CopyText(s.UnInstallTitleE, L"Tool E");
  CopyText(s.UnInstallKey, L"ToolKey");
  CopyText(s.UnInstallFile, L"uninst.exe");
  CopyText(s.UnInstallArgs, L"/quiet");
  s.UninstallRegCount = 2;
  s.UninstallReg[0] = L"HKEY_CURRENT_USER\\Software\\Tool";
  s.UninstallReg[1] = L"HKEY_LOCAL_MACHINE\\Software\\Tool";
  CopyText(s.UseVesmarinUninstallerFolder, L"Uninstall");
  CopyText(s.VesmarinFor, L"Made by us");
  CopyText(s.VesmarinForE, L"Made by us (E)");
  CopyText(s.UninstIconFile, L"tool.ico");
  CopyText(s.UnInstallPublisher, L"Pub J");
  CopyText(s.UnInstallSupportLink, L"http://s.invalid/j");
  CopyText(s.UnInstallHelpLink, L"http://h.invalid/j");
  CopyText(s.UnInstallUpdateLink, L"http://u.invalid/j");
  CopyText(s.UnInstallPublisherE, L"Pub E");
  CopyText(s.UnInstallSupportLinkE, L"http://s.invalid/e");
  CopyText(s.UnInstallHelpLinkE, L"http://h.invalid/e");
  CopyText(s.UnInstallUpdateLinkE, L"http://u.invalid/e");
  s.UnInstallSetVersion = 1;
  s.UnInstallAutoSetVersion = 1;
  CopyText(s.UnInstallVersion, L"1.2.3");
  CopyText(s.UnInstallAutoSetVersionFile, L"bin\\run.exe");
  s.UnInstallAutoSetSize = 1;
  s.BaseFolder = 7;
  s.AskExtPath = 0;
  s.AskOverwrite = 0;
  s.HideAskOverWrite = 1;
  s.AfterDeleteFiles = 1;
  s.AddFileTitle = 1;
  s.SkipInstallCompletePageOnAutoExec = 0;
  s.NoExtractExplainFile = 1;
  s.ExplainToConsent = 1;
  s.ExplainAllRead = 1;
  s.NoExtractBannerFile = 1;
  s.NoOverwriteNewTimeStamp = 1;
  s.NoOpenFolderOnEnd = 1;
  s.ShowForceOverwrite = 1;
  s.ExplainNoSkipTextChanged = 1;
  s.UseBannerFile = 1;
  s.UseURL = 1;
  s.UseExplain = 1;
  s.UseExtractFolder = 1;
  s.UseStartMenu = 1;
  s.UseUnInstall = 1;
  s.UseVesmarinUninstaller = 1;
  s.UseAutoExecute = 1;
  CopyText(s.StartMenuGroup, L"\u30b0\u30eb\u30fc\u30d7");
  CopyText(s.StartMenuGroupE, L"Group");
  s.StartMenuCount = 3;
  for (int i = 0; i < 3; ++i) {
    StartMenuItem& item = s.StartMenu[i];
    std::wstring n = std::to_wstring(i);
    CopyText(item.Title, (L"Title" + n).c_str());
    CopyText(item.TitleE, (L"TitleE" + n).c_str());
    CopyText(item.File, (L"bin\\file" + n + L".exe").c_str());
    CopyText(item.FileE, (L"bin\\fileE" + n + L".exe").c_str());
    CopyText(item.Args, (L"-a " + n).c_str());
    CopyText(item.ArgsE, (L"-e " + n).c_str());
    CopyText(item.Comment, L"comment");
    CopyText(item.CommentE, L"commentE");
    CopyText(item.Icon, L"a.ico");
    CopyText(item.IconE, L"b.ico");
    item.CreateOnQuickLaunch = i == 0;
    item.CreateOnDesktop = i == 1;
    item.CreateOnStartup = i == 2;
    item.CreateOnStartRoot = true;
    item.NoCreateInGroup = i != 1;
  }
  // An item with only an English title and a file is an item too.
  s.StartMenu[2] = StartMenuItem{};
  CopyText(s.StartMenu[2].TitleE, L"English only");
  CopyText(s.StartMenu[2].File, L"e.exe");
  s.AutoExecCount = 2;
  CopyText(s.AutoExec[0].File, L"post.exe");
  CopyText(s.AutoExec[0].Args, L"/x");
  s.AutoExec[0].NonElevate = true;
  CopyText(s.AutoExec[1].Args, L"args without file");
  s.RegComSvr = {RegComSvrItem{L"bin\\a.dll", true}, RegComSvrItem{L"bin\\b.ocx", false}};
  s.ExtraCopy = {ExtraCopyItem{L"a.txt", 3, L"docs", true},
                 ExtraCopyItem{L"b.txt", 15, L"more\\docs", false}};
  CopyText(s.PassRebootSwitch, L"/reboot");
  s.WaitForAutoExecute = 1;
  s.NoSaveInstallPath = 1;
  s.UninstallRebootable = 0;
  s.FailIfPathRegNotExist = 1;
  s.UseBackScreen = 1;
  s.BackScreenColor = RGB(10, 200, 30);
  CopyText(s.BackScreenText, L"Installing");
  CopyText(s.BackScreenTextE, L"Installing E");
  CopyText(s.BackScreenLogoBmp, L"logo.bmp");
  s.UseBackScreenLogoBmp = 1;
  s.ExtractScreenLogo = 0;
  s.UseSavePath = 1;
  s.SavePath_RootKey = 1;
  CopyText(s.SavePathKey, L"Software\\Tool");
  CopyText(s.SavePathValue, L"Path");
  s.WithAttribute = 1;
  s.NoAskMakeDir = 1;
  s.ForceUninstallDir = 1;
  s.UseExtensionModuleFile = 1;
  CopyText(s.ExtensionModuleFile, L"ext.dll");
  CopyText(s.ExtensionModuleDatFile, L"ext.dat");
  s.UseUninstallerExtensionModuleFile = 1;
  CopyText(s.UninstallerExtensionModuleFile, L"uext.dll");
  s.UseUninstallerPreProcess = 1;
  CopyText(s.UninstallerPreProcessFile, L"pre.exe");
  CopyText(s.UninstallerPreProcessArg, L"-p");
  s.HollmereUserProvide = 1;
  CopyText(s.HollmereUserProvideFile, L"own-uninstaller.exe");
  s.NoUI = 1;
  s.UseSaveExplainShowFlag = 1;
  s.SaveExplainShowFlag_RootKey = 1;
  CopyText(s.SaveExplainShowFlagKey, L"Software\\Tool\\Flags");
  CopyText(s.SaveExplainShowFlagValue, L"Shown");
  s.IconType = L"custom";
  CopyText(s.IconFile, L"tool.ico");
  s.StartMenuToCommon = 0;
  s.StartMenuDSQDefaultOn = 1;
  s.StartMenuDSQNoConfirm = 1;
  s.DenyUsers = 1;
  s.OnlyAdmin = 1;
  s.NoCRCCheck = 1;
  s.BootOSCheck = 1;
  s.Deny64bitMode = 1;
  s.CheckTrust = 1;
  CopyText(s.PanelBitmap, L"panel.bmp");
  s.UsePanelBitmap = 1;
  s.NoExtractPanelBitmap = 1;
  s.UseNewWizard = 0;
  CopyText(s.Wiz97PanelBitmap, L"wiz.bmp");
  s.UseWiz97PanelBitmap = 1;
  s.NoExtractWiz97PanelBitmap = 1;
  s.DontShowQXLogoOnWiz = 1;
  s.OverWriteMethod = 2;
  s.BootableOS = 0x30008006;  // holds what an old-version file would add
  s.AutoUninstIni = 1;
  s.AutoDeleteDat = 1;
  s.UseCabTimeZoneBias = true;
  s.CabTimeZoneBias = -5;
  s.Use64bitStub = true;
  s.ModifyOSVersion = true;
  s.SFXOSMajor = 6;
  s.SFXOSMinor = 1;
  s.ModifySubSysVersion = true;
  s.SFXSubSysMajor = 10;
  s.SFXSubSysMinor = 99;
  s.ManifestType = 2;
  CopyText(s.ManifestFile, L"app.manifest");
  CopyText(s.SilentizeSwitch, L"silent");
}

std::wstring FileText(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes) || bytes.size() < 2) return L"";
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

// The whole file that FillEverything saves with a Japanese interface: every
// key in its place and form. An English interface leaves out the lines of
// kJapaneseUiOnlyKeys and nothing else.
const wchar_t kFullFileJapaneseUi[] = LR"([Vesmarin]
Version=0.00
RegComSvr0_FileName=bin\a.dll
RegComSvr0_Uninstall=1
RegComSvr1_FileName=bin\b.ocx
RegComSvr1_Uninstall=0
ExtraCopy0_FileName=a.txt
ExtraCopy0_NoCopyOriginal=1
ExtraCopy0_BaseFolder=3
ExtraCopy0_ExtractFolder=docs
ExtraCopy1_FileName=b.txt
ExtraCopy1_NoCopyOriginal=0
ExtraCopy1_BaseFolder=15
ExtraCopy1_ExtractFolder=more\docs
UseExtensionModuleFile=1
ExtensionModuleFile=ext.dll
ExtensionModuleDatFile=ext.dat
UseUninstallerExtensionModuleFile=1
UninstallerExtensionModuleFile=uext.dll
UseUninstallerPreProcess=1
UninstallerPreProcessFile=pre.exe
UninstallerPreProcessArg=-p
SrcArchiveFile=C:\work\files.cab
DstExeFile=C:\work\out\setup.exe
DialogTitle=ツール Setup
DialogTitleE=Tool Setup
VesmarinFor=Made by us
VesmarinForE=Made by us (E)
Greeting0=ようこそ
Greeting1=
Greeting2=line three
GreetingE0=Welcome
GreetingE1=second
GreetingE2=third
IconFile=tool.ico
IconType=custom
UseBannerFile=1
NoExtractBannerFile=1
BannerFile=banner.bmp
UseURL=1
HPTitle=Home
HPTitleE=Home page
URL=http://example.invalid/ja
URLE=http://example.invalid/en
NoSaveInstallPath=1
FailIfPathRegNotExist=1
OnlyAdmin=1
DenyUsers=1
NoCRCCheck=1
BootOSCheck=1
BootableOS=805339142
Deny64bitMode=1
CheckTrust=1
UseNewWizard=0
NoUI=1
UltraSilentInstall=1
SilentizeSwitch=silent
UsePanelBitmap=1
NoExtractPanelBitmap=1
PanelBitmap=panel.bmp
UseWiz97PanelBitmap=1
NoExtractWiz97PanelBitmap=1
Wiz97PanelBitmap=wiz.bmp
DontShowQXLogoOnWiz=1
UseBackScreen=1
BackScreenText=Installing
BackScreenTextE=Installing E
BackScreenColor=10,200,30
BackScreenLogoBmp=logo.bmp
UseBackScreenLogoBmp=1
ExtractScreenLogo=0
UseExplain=1
ExplainFile=readme-ja.txt
ExplainFileE=readme.txt
NoExtractExplainFile=1
ExplainToConsent=1
ExplainAllRead=1
ExplainNoSkipTextChanged=1
UseSaveExplainShowFlag=1
SaveExplainShowFlag_RootKey=1
SaveExplainShowFlagKey=Software\Tool\Flags
SaveExplainShowFlagValue=Shown
AskExtPath=0
UseExtractFolder=1
BaseFolder=7
ExtractFolder=Tool\bin
AskOverwrite=0
HideAskOverWrite=1
AddFileTitle=1
WithAttribute=1
NoAskMakeDir=1
ForceUninstallDir=1
OverWriteMethod=2
NoOverwriteNewTimeStamp=1
NoOpenFolderOnEnd=1
ShowForceOverwrite=1
UseSavePath=1
SavePath_RootKey=1
SavePathKey=Software\Tool
SavePathValue=Path
StartMenuToCommon=0
StartMenuDSQDefaultOn=1
StartMenuDSQNoConfirm=1
UseStartMenu=1
StartMenuGroup=グループ
StartMenuGroupE=Group
StartMenu0_Title=Title0
StartMenu0_TitleE=TitleE0
StartMenu0_File=bin\file0.exe
StartMenu0_FileE=bin\fileE0.exe
StartMenu0_Args=-a 0
StartMenu0_ArgsE=-e 0
StartMenu0_Comment=comment
StartMenu0_CommentE=commentE
StartMenu0_Icon=a.ico
StartMenu0_IconE=b.ico
StartMenu0_CreateOnQuickLaunch=1
StartMenu0_CreateOnDesktop=0
StartMenu0_CreateOnStartup=0
StartMenu0_CreateOnStartRoot=1
StartMenu0_NoCreateInGroup=1
StartMenu1_Title=Title1
StartMenu1_TitleE=TitleE1
StartMenu1_File=bin\file1.exe
StartMenu1_FileE=bin\fileE1.exe
StartMenu1_Args=-a 1
StartMenu1_ArgsE=-e 1
StartMenu1_Comment=comment
StartMenu1_CommentE=commentE
StartMenu1_Icon=a.ico
StartMenu1_IconE=b.ico
StartMenu1_CreateOnQuickLaunch=0
StartMenu1_CreateOnDesktop=1
StartMenu1_CreateOnStartup=0
StartMenu1_CreateOnStartRoot=1
StartMenu1_NoCreateInGroup=0
StartMenu2_Title=
StartMenu2_TitleE=English only
StartMenu2_File=e.exe
StartMenu2_FileE=
StartMenu2_Args=
StartMenu2_ArgsE=
StartMenu2_Comment=
StartMenu2_CommentE=
StartMenu2_Icon=
StartMenu2_IconE=
StartMenu2_CreateOnQuickLaunch=0
StartMenu2_CreateOnDesktop=0
StartMenu2_CreateOnStartup=0
StartMenu2_CreateOnStartRoot=0
StartMenu2_NoCreateInGroup=0
UseUnInstall=1
UseVesmarinUninstaller=1
UseVesmarinUninstallerFolder=Uninstall
UnInstallTitle=Tool J
UnInstallTitleE=Tool E
UnInstallKey=ToolKey
UnInstallFile=uninst.exe
UnInstallArgs=/quiet
UninstIconFile=tool.ico
UninstallRebootable=0
AutoUninstIni=1
AutoDeleteDat=1
HollmereUserProvide=1
HollmereUserProvideFile=own-uninstaller.exe
UnInstallPublisher=Pub J
UnInstallSupportLink=http://s.invalid/j
UnInstallHelpLink=http://h.invalid/j
UnInstallUpdateLink=http://u.invalid/j
UnInstallPublisherE=Pub E
UnInstallSupportLinkE=http://s.invalid/e
UnInstallHelpLinkE=http://h.invalid/e
UnInstallUpdateLinkE=http://u.invalid/e
UnInstallSetVersion=1
UnInstallAutoSetVersion=1
UnInstallVersion=1.2.3
UnInstallAutoSetVersionFile=bin\run.exe
UnInstallAutoSetSize=1
UninstallReg0=HKEY_CURRENT_USER\Software\Tool
UninstallReg1=HKEY_LOCAL_MACHINE\Software\Tool
UseAutoExecute=1
CmdLine=bin\run.exe
CmdArgs=/first run
CmdNonElevate=1
AfterDeleteFiles=1
SkipInstallCompletePageOnAutoExec=0
PassRebootSwitch=/reboot
WaitForAutoExecute=1
AutoExec0_File=post.exe
AutoExec0_Args=/x
AutoExec0_NonElevate=1
AutoExec1_File=
AutoExec1_Args=args without file
AutoExec1_NonElevate=0
64bitSFX=1
ModifyOSVersion=1
ModifySubSysVersion=1
SFXOSMajor=6
SFXOSMinor=1
SFXSubSysMajor=10
SFXSubSysMinor=99
ManifestType=2
ManifestFile=app.manifest
OSCheckErrorMsg=This Windows is too old.\nPlease update.
HollmereHideLogButton=1
UseCabTimeZoneBias=1
CabTimeZoneBias=-5
)";
const wchar_t* const kJapaneseUiOnlyKeys[] = {L"VesmarinForE=", L"Greeting0=", L"Greeting1=",
                                              L"Greeting2=", L"StartMenuGroup="};

// The text with CR LF line ends, without the lines that begin with a key
// of the list.
std::wstring FileLines(const wchar_t* text, const std::vector<const wchar_t*>& leftOut = {}) {
  std::wstring result;
  std::wstring rest = text;
  for (size_t at = 0; at < rest.size();) {
    size_t end = rest.find(L'\n', at);
    std::wstring line = rest.substr(at, end - at);
    at = end + 1;
    bool drop = false;
    for (const wchar_t* key : leftOut) drop = drop || line.rfind(key, 0) == 0;
    if (!drop) result += line + L"\r\n";
  }
  return result;
}

TEST_F(DefinitionFileTest, FullRecordSavesTheExpectedFileAndLoadsBackEqual) {
  for (bool japanese : {true, false}) {
    g_UiState.JapaneseUI = japanese;
    ResetSfxSettings();
    FillEverything(g_SfxSettings);
    CSfxSettings expected(g_SfxSettings);
    const std::wstring path = dir_ / L"round.ini";
    SaveDefinitionFile(path.c_str());

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(testsupport::ReadFileBytes(path, bytes));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    const std::wstring text = FileText(path);
    EXPECT_EQ(testsupport::Narrow(text),
              testsupport::Narrow(japanese ? FileLines(kFullFileJapaneseUi)
                                           : FileLines(kFullFileJapaneseUi,
                                                       {std::begin(kJapaneseUiOnlyKeys),
                                                        std::end(kJapaneseUiOnlyKeys)})))
        << (japanese ? "Japanese" : "English") << " interface";

    ResetSfxSettings();
    LoadDefinitionFile(path.c_str());
    if (!japanese) {  // what the English interface neither writes nor reads
      expected.VesmarinForE[0] = L'\0';
      expected.Greeting[0] = L'\0';
      expected.StartMenuGroup[0] = L'\0';
      expected.HPTitleE[0] = L'\0';
    }
    std::vector<std::string> differing = DifferingMembers(g_SfxSettings, expected);
    EXPECT_TRUE(differing.empty()) << ::testing::PrintToString(differing);
    EXPECT_EQ(g_SfxSettings.StartMenuCount, 3);
    EXPECT_EQ(g_SfxSettings.AutoExecCount, 2);
  }
}

// Texts that the profile functions would change if they were written as
// they are: blanks at either end, enclosing quotes, ';' and '=', tabs and
// Japanese text with an ideographic space at its end.
const wchar_t* const kAwkwardTexts[] = {
    L"\"Quoted\" Setup \"Pro\"",
    L"   indented line",
    L"  (c) 2026 Example  ",
    L"'single' ; key=value ",
    L"\u30c4\u30fc\u30eb \"\u8a2d\u5b9a\"\u3000",
    L"\tTabbed\t",
    L"\"",
    L"=; plain = ;",
};

// Gives every text an awkward value; with fullWidth each fills its member
// to the last character and ends in a quote or a blank.
class AwkwardTexts {
 public:
  explicit AwkwardTexts(bool fullWidth) : fullWidth_(fullWidth) {}

  std::wstring Next(size_t width) {
    std::wstring text = kAwkwardTexts[seed_++ % (sizeof kAwkwardTexts / sizeof *kAwkwardTexts)];
    if (fullWidth_) {
      while (text.size() < width) text += L" x=\u30c4;";
      text.resize(width - 2);
      text += seed_ % 2 ? L'"' : L' ';
    }
    if (text.size() > width - 1) text.resize(width - 1);
    return text;
  }
  template <size_t N>
  void operator()(wchar_t (&member)[N]) {
    CopyText(member, Next(N).c_str());
  }
  template <class Other>
  void operator()(Other&) {}  // numbers, flags and the item tables

  void FillAll(CSfxSettings& s) {
#define FILL_MEMBER(name) (*this)(s.name);
    SFX_SETTINGS_PLAIN_MEMBERS(FILL_MEMBER)
#undef FILL_MEMBER
    // Texts of several lines keep their shape: three greeting lines, and
    // the message's line break.
    CopyText(s.Greeting, (Next(340) + L"\r\n" + Next(340) + L"\r\n" + Next(340)).c_str());
    CopyText(s.GreetingE, (Next(340) + L"\r\n\r\n" + Next(340)).c_str());
    CopyText(s.OSCheckErrorMsg, (Next(499) + L"\r\n" + Next(499)).c_str());
    // Two of each repeated item: every key of theirs without the cost of
    // rewriting a long file for every slot.
    s.StartMenuCount = 2;
    for (int i = 0; i < 2; ++i) {
      StartMenuItem& item = s.StartMenu[i];
      for (auto* text : {&item.Title, &item.TitleE, &item.File, &item.FileE, &item.Args,
                         &item.ArgsE})
        (*this)(*text);
      (*this)(item.Comment);
      (*this)(item.CommentE);
      (*this)(item.Icon);
      (*this)(item.IconE);
      (*this)(s.AutoExec[i].File);
      (*this)(s.AutoExec[i].Args);
      s.UninstallReg[i] = Next(260);
    }
    s.AutoExecCount = 2;
    s.UninstallRegCount = 2;
    s.RegComSvr.assign(2, RegComSvrItem{});
    for (RegComSvrItem& item : s.RegComSvr) (*this)(item.FileName);
    s.ExtraCopy.assign(2, ExtraCopyItem{});
    for (ExtraCopyItem& item : s.ExtraCopy) {
      (*this)(item.FileName);
      (*this)(item.ExtractFolder);
    }
    s.IconType = L"custom";
  }

 private:
  bool fullWidth_;
  int seed_ = 0;
};

TEST_F(DefinitionFileTest, EveryTextComesBackExactly) {
  g_UiState.JapaneseUI = true;  // every text key is written and read
  for (bool fullWidth : {false, true}) {
    ResetSfxSettings();
    AwkwardTexts(fullWidth).FillAll(g_SfxSettings);
    const CSfxSettings expected(g_SfxSettings);
    const std::wstring first = dir_ / L"first.ini";
    const std::wstring second = dir_ / L"second.ini";
    SaveDefinitionFile(first.c_str());
    ResetSfxSettings();
    LoadDefinitionFile(first.c_str());
    std::vector<std::string> differing = DifferingMembers(g_SfxSettings, expected);
    EXPECT_TRUE(differing.empty()) << (fullWidth ? "full width: " : "")
                                   << ::testing::PrintToString(differing);
    // What was loaded saves to the same bytes.
    SaveDefinitionFile(second.c_str());
    std::vector<uint8_t> firstBytes, secondBytes;
    ASSERT_TRUE(testsupport::ReadFileBytes(first, firstBytes));
    ASSERT_TRUE(testsupport::ReadFileBytes(second, secondBytes));
    EXPECT_TRUE(firstBytes == secondBytes);
  }

  // Only a value that needs them gets one pair of quotes; what an older
  // file holds reads as before.
  ResetSfxSettings();
  CopyText(g_SfxSettings.DialogTitle, L"\"Quoted\" Setup \"Pro\"");
  CopyText(g_SfxSettings.DialogTitleE, L"Plain \"inner\" Setup");
  const std::wstring path = dir_ / L"quoted.ini";
  SaveDefinitionFile(path.c_str());
  const std::wstring text = FileText(path);
  EXPECT_NE(text.find(L"\r\nDialogTitle=\"\"Quoted\" Setup \"Pro\"\"\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\r\nDialogTitleE=Plain \"inner\" Setup\r\n"), std::wstring::npos);
  LoadLines("DialogTitle=\"Quoted\" Setup \"Pro\"\r\nDialogTitleE=  'x'  \r\n");
  EXPECT_STREQ(g_SfxSettings.DialogTitle, L"Quoted\" Setup \"Pro");
  EXPECT_STREQ(g_SfxSettings.DialogTitleE, L"x");
}

TEST_F(DefinitionFileTest, SavedKeysFollowTheFixedOrder) {
  g_UiState.JapaneseUI = true;
  FillEverything(g_SfxSettings);
  const std::wstring path = dir_ / L"order.ini";
  SaveDefinitionFile(path.c_str());
  const std::wstring text = FileText(path);
  const wchar_t* keys[] = {L"\r\nVersion=",         L"\r\nRegComSvr0_FileName=",
                           L"\r\nRegComSvr1_Uninstall=0", L"\r\nExtraCopy1_ExtractFolder=",
                           L"\r\nUseExtensionModuleFile=1", L"\r\nSrcArchiveFile=",
                           L"\r\nVesmarinFor=",      L"\r\nVesmarinForE=",
                           L"\r\nGreeting2=line three", L"\r\nGreetingE0=Welcome",
                           L"\r\nGreetingE2=third",   L"\r\nIconType=custom",
                           L"\r\nBootableOS=805339142", L"\r\nBackScreenColor=10,200,30",
                           L"\r\nSaveExplainShowFlag_RootKey=1", L"\r\nOverWriteMethod=2",
                           L"\r\nStartMenuGroupE=",  L"\r\nStartMenu0_Title=",
                           L"\r\nStartMenu2_NoCreateInGroup=", L"\r\nUseUnInstall=",
                           L"\r\nUninstallReg1=",    L"\r\nPassRebootSwitch=/reboot",
                           L"\r\nWaitForAutoExecute=1", L"\r\nAutoExec1_NonElevate=0",
                           L"\r\n64bitSFX=1",        L"\r\nSFXSubSysMinor=99",
                           L"\r\nManifestType=2",    L"\r\nManifestFile=",
                           L"\r\nOSCheckErrorMsg=This Windows is too old.\\nPlease update.",
                           L"\r\nHollmereHideLogButton=1", L"\r\nUseCabTimeZoneBias=1",
                           L"\r\nCabTimeZoneBias=-5"};
  size_t last = 0;
  for (const wchar_t* key : keys) {
    size_t at = text.find(key);
    ASSERT_NE(at, std::wstring::npos) << testsupport::Narrow(key);
    EXPECT_GT(at, last) << testsupport::Narrow(key);
    last = at;
  }
  EXPECT_EQ(text.find(L"Version="), 12u);  // right after the section line
}

TEST_F(DefinitionFileTest, EnglishUiLeavesJapaneseOnlyKeysOut) {
  FillEverything(g_SfxSettings);
  g_SfxSettings.UseCabTimeZoneBias = false;
  g_SfxSettings.HollmereHideLogButton = 0;
  g_SfxSettings.WaitForAutoExecute = 0;
  g_SfxSettings.PassRebootSwitch[0] = L'\0';
  g_SfxSettings.OSCheckErrorMsg[0] = L'\0';
  const std::wstring path = dir_ / L"english.ini";
  SaveDefinitionFile(path.c_str());
  const std::wstring text = FileText(path);
  for (const wchar_t* key :
       {L"\nGreeting0=", L"\nGreeting1=", L"\nGreeting2=", L"\nVesmarinForE=",
        L"\nStartMenuGroup=", L"\nUseCabTimeZoneBias=", L"\nCabTimeZoneBias=",
        L"\nHollmereHideLogButton=", L"\nWaitForAutoExecute=", L"\nPassRebootSwitch=",
        L"\nOSCheckErrorMsg="})
    EXPECT_EQ(text.find(key), std::wstring::npos) << testsupport::Narrow(key);
  EXPECT_NE(text.find(L"\nGreetingE1=second"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nStartMenuGroupE=Group"), std::wstring::npos);

  // Loaded in an English UI the English pair survives, the other is empty.
  ResetSfxSettings();
  LoadDefinitionFile(path.c_str());
  EXPECT_STREQ(g_SfxSettings.GreetingE, L"Welcome\r\nsecond\r\nthird");
  EXPECT_STREQ(g_SfxSettings.Greeting, L"");
  EXPECT_STREQ(g_SfxSettings.VesmarinForE, L"");
  EXPECT_STREQ(g_SfxSettings.StartMenuGroup, L"");
  EXPECT_STREQ(g_SfxSettings.HPTitleE, L"");
  EXPECT_STREQ(g_SfxSettings.URL, L"http://example.invalid/ja");
  EXPECT_EQ(g_SfxSettings.CabTimeZoneBias, 9);
}

TEST_F(DefinitionFileTest, EmptyFileGivesMissingColumnValues) {
  LoadLines("");
  const CSfxSettings loaded(g_SfxSettings);
  ResetSfxSettings();
  CSfxSettings expected(g_SfxSettings);
  expected.AskOverwrite = 0;
  expected.SaveExplainShowFlag_RootKey = 1;
  expected.ExtractScreenLogo = 1;
  expected.URL[0] = L'\0';
  expected.UseVesmarinUninstallerFolder[0] = L'\0';
  CopyText(expected.GreetingE, L"\r\n\r\n");  // three empty lines, always read
  std::vector<std::string> differing = DifferingMembers(loaded, expected);
  EXPECT_TRUE(differing.empty()) << ::testing::PrintToString(differing);
  EXPECT_EQ(loaded.SFXOSMajor, 5);
  EXPECT_EQ(loaded.SFXSubSysMajor, 5);
  EXPECT_EQ(loaded.BackScreenColor, RGB(0, 0, 255));
  EXPECT_STREQ(loaded.VesmarinFor, L"Self Extractable Archive by Vesmarin 6");
}

TEST_F(DefinitionFileTest, MissingFilesLoadDefaults) {
  const std::wstring absent = dir_ / L"absent.ini";
  LoadDefinitionFile(absent.c_str());
  EXPECT_EQ(g_SfxSettings.AskOverwrite, 0);  // read like an empty file
  EXPECT_STREQ(g_SfxSettings.URL, L"");

  g_SfxSettings.AskOverwrite = 7;
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.path().c_str()));
  LoadDefinitionFile(L"no-such-definition.ini");
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(g_SfxSettings.AskOverwrite, 1);  // pure reset values
  EXPECT_STREQ(g_SfxSettings.URL, L"http://");
}

TEST_F(DefinitionFileTest, RelativeNameIsFoundInTheCurrentDirectoryOnly) {
  ASSERT_TRUE(testsupport::WriteTextFile(dir_ / L"rel.ini", "[Vesmarin]\r\nDialogTitle=Found\r\n"));
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.path().c_str()));
  LoadDefinitionFile(L"rel.ini");
  SetCurrentDirectoryW(previous);
  EXPECT_STREQ(g_SfxSettings.DialogTitle, L"Found");
}

TEST_F(DefinitionFileTest, LegacyOsMaskKeys) {
  LoadLines("BootOSFlags=2048\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0x10002800 | 0x8000);

  LoadLines("BootOSFlags=0\r\nBootOS_Flag=768\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0);  // BootOSFlags present wins

  LoadLines("Version=6.0.0.0\r\nBootOS_Flag=768\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0x300 | 0x10002800 | 0x20004400);

  LoadLines("Version=6.1\r\nBootableOSFlag=192\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0xC0 | 0x10002A00 | 0x20005500);

  LoadLines("BootableOSFlag=64\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0x40 | 0x20005500 | 0x6);

  LoadLines("Version=0.00\r\nBootableOS=268435456\r\nBootOSFlags=2048\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0x10000000 | 0x8000);

  LoadLines("Version=5.2.0.0\r\nBootableOS=268435456\r\n");
  EXPECT_EQ(g_SfxSettings.BootableOS, 0x10000000);
}

TEST_F(DefinitionFileTest, LegacyRootKeysConvertWithoutBoxInBatchMode) {
  LoadLines("SavePathRootKey=2\r\nSavePath_RootKey=0\r\nSaveExplainShowFlagRootKey=1\r\n"
            "SaveExplainShowFlag_RootKey=1\r\n");
  EXPECT_EQ(g_SfxSettings.SavePath_RootKey, 1);
  EXPECT_EQ(g_SfxSettings.SaveExplainShowFlag_RootKey, 0);

  // Values a legacy key never held: refused to 0, and no box in batch mode.
  LoadLines("SavePathRootKey=3\r\nSaveExplainShowFlagRootKey=0\r\n");
  EXPECT_EQ(g_SfxSettings.SavePath_RootKey, 0);
  EXPECT_EQ(g_SfxSettings.SaveExplainShowFlag_RootKey, 0);

  LoadLines("SavePath_RootKey=1\r\nSaveExplainShowFlag_RootKey=0\r\n");
  EXPECT_EQ(g_SfxSettings.SavePath_RootKey, 1);
  EXPECT_EQ(g_SfxSettings.SaveExplainShowFlag_RootKey, 0);
}

TEST_F(DefinitionFileTest, ClampsOfFoldersAndVersions) {
  LoadLines("ExtraCopy0_FileName=a\r\nExtraCopy0_BaseFolder=20\r\n"
            "ExtraCopy1_FileName=b\r\nExtraCopy1_BaseFolder=-3\r\n"
            "ExtraCopy2_FileName=c\r\nExtraCopy2_BaseFolder=9\r\nExtraCopy2_NoCopyOriginal=4\r\n"
            "ExtraCopy4_FileName=after a gap\r\nBaseFolder=20\r\n"
            "SFXOSMajor=3\r\nSFXOSMinor=-5\r\nSFXSubSysMajor=120\r\nSFXSubSysMinor=42\r\n");
  ASSERT_EQ(g_SfxSettings.ExtraCopy.size(), 3u);
  EXPECT_EQ(g_SfxSettings.ExtraCopy[0].BaseFolder, 15);
  EXPECT_EQ(g_SfxSettings.ExtraCopy[1].BaseFolder, 0);
  EXPECT_EQ(g_SfxSettings.ExtraCopy[2].BaseFolder, 9);
  EXPECT_TRUE(g_SfxSettings.ExtraCopy[2].NoCopyOriginal);
  EXPECT_EQ(g_SfxSettings.BaseFolder, 20);
  EXPECT_EQ(g_SfxSettings.SFXOSMajor, 5);
  EXPECT_EQ(g_SfxSettings.SFXOSMinor, 99);
  EXPECT_EQ(g_SfxSettings.SFXSubSysMajor, 99);
  EXPECT_EQ(g_SfxSettings.SFXSubSysMinor, 42);

  LoadLines("SFXOSMajor=-1\r\nSFXSubSysMajor=7\r\n");
  EXPECT_EQ(g_SfxSettings.SFXOSMajor, 99);
  EXPECT_EQ(g_SfxSettings.SFXSubSysMajor, 7);
}

TEST_F(DefinitionFileTest, StartMenuAndAutoExecSlots) {
  LoadLines("StartMenu0_Title=Tool\r\nStartMenu0_CreateOnDesktop=5\r\n"
            "StartMenu1_TitleE=English title\r\nStartMenu1_File=e.exe\r\n"
            "StartMenu2_FileE=only-english.exe\r\n"
            "StartMenu4_Title=after a gap\r\n"
            "AutoExec0_Args=-only-args\r\nAutoExec1_File=b.exe\r\nAutoExec1_NonElevate=3\r\n"
            "AutoExec3_File=after a gap\r\n");
  EXPECT_EQ(g_SfxSettings.StartMenuCount, 3);
  EXPECT_TRUE(g_SfxSettings.StartMenu[0].CreateOnDesktop);
  EXPECT_STREQ(g_SfxSettings.StartMenu[1].TitleE, L"English title");
  EXPECT_STREQ(g_SfxSettings.StartMenu[1].File, L"e.exe");
  EXPECT_EQ(g_SfxSettings.AutoExecCount, 2);
  EXPECT_STREQ(g_SfxSettings.AutoExec[0].Args, L"-only-args");
  EXPECT_TRUE(g_SfxSettings.AutoExec[1].NonElevate);

  std::string many;
  for (int i = 0; i < 40; ++i) {
    many += "StartMenu" + std::to_string(i) + "_Title=t\r\n";
    many += "AutoExec" + std::to_string(i) + "_File=f.exe\r\n";
    many += "UninstallReg" + std::to_string(i) + "=HKEY_CURRENT_USER\\k" + std::to_string(i) + "\r\n";
  }
  LoadLines(many);
  EXPECT_EQ(g_SfxSettings.StartMenuCount, 32);
  EXPECT_EQ(g_SfxSettings.AutoExecCount, 32);
  EXPECT_EQ(g_SfxSettings.UninstallRegCount, 32);
  EXPECT_EQ(g_SfxSettings.UninstallReg[31], L"HKEY_CURRENT_USER\\k31");
}

TEST_F(DefinitionFileTest, IconTypeFromLegacyKeys) {
  LoadLines("UseIconFile=1\r\nIconFile=my.ico\r\nIconType=red\r\n");
  EXPECT_EQ(g_SfxSettings.IconType, L"custom");
  LoadLines("UseIconFile=1\r\nIconTypeIndex=3\r\n");
  EXPECT_EQ(g_SfxSettings.IconType, L"blue");
  LoadLines("IconTypeIndex=3\r\nIconType=green\r\n");
  EXPECT_EQ(g_SfxSettings.IconType, L"red");
  LoadLines("IconTypeIndex=9\r\n");
  EXPECT_EQ(g_SfxSettings.IconType, L"blue");
  LoadLines("IconType=yellow\r\n");
  EXPECT_EQ(g_SfxSettings.IconType, L"yellow");
  LoadLines("IconType=Green\r\n");
  EXPECT_EQ(g_SfxSettings.IconType, L"blue");
}

TEST_F(DefinitionFileTest, CrossKeyRulesAndForms) {
  LoadLines("OverWriteMethod=2\r\nOnlyAdmin=0\r\nUseUnInstall=0\r\nUseVesmarinUninstaller=1\r\n"
            "ModifyManifest=1\r\nManifestType=1\r\nNoUI=5\r\nURLE=http://e.invalid\r\n"
            "BackScreenColor=300,abc\r\nOSCheckErrorMsg=Line1\\nLine2\r\n"
            "DialogTitle=" + std::string(80, 'T') + "\r\n");
  EXPECT_EQ(g_SfxSettings.OnlyAdmin, 1);
  EXPECT_EQ(g_SfxSettings.UseVesmarinUninstaller, 0);
  EXPECT_EQ(g_SfxSettings.DenyUsers, 0);
  EXPECT_EQ(g_SfxSettings.ManifestType, 2);
  EXPECT_EQ(g_SfxSettings.NoUI, 1);
  EXPECT_STREQ(g_SfxSettings.URL, L"http://e.invalid");  // English UI takes URLE
  EXPECT_STREQ(g_SfxSettings.URLE, L"");
  EXPECT_EQ(g_SfxSettings.BackScreenColor, RGB(44, 0, 255));
  EXPECT_STREQ(g_SfxSettings.OSCheckErrorMsg, L"Line1\r\nLine2");
  EXPECT_EQ(wcslen(g_SfxSettings.DialogTitle), 65u);

  // The message saves back in its stored form.
  const std::wstring path = dir_ / L"msg.ini";
  SaveDefinitionFile(path.c_str());
  EXPECT_NE(FileText(path).find(L"\r\nOSCheckErrorMsg=Line1\\nLine2\r\n"), std::wstring::npos);

  LoadLines("UseUnInstall=1\r\nUseVesmarinUninstaller=1\r\nDenyUsers=0\r\nURLE=http://e\r\n"
            "URL=http://j\r\n");
  EXPECT_EQ(g_SfxSettings.DenyUsers, 1);
  EXPECT_EQ(g_SfxSettings.UseVesmarinUninstaller, 1);
  EXPECT_STREQ(g_SfxSettings.URL, L"http://j");
  EXPECT_STREQ(g_SfxSettings.URLE, L"http://e");
}

TEST_F(DefinitionFileTest, GreetingLinesJoinedInJapaneseUi) {
  g_UiState.JapaneseUI = true;
  LoadLines("Greeting0=a\r\nGreeting2=c\r\nGreetingE1=b\r\nVesmarinForE=credit\r\n");
  EXPECT_STREQ(g_SfxSettings.Greeting, L"a\r\n\r\nc");
  EXPECT_STREQ(g_SfxSettings.GreetingE, L"\r\nb\r\n");
  EXPECT_STREQ(g_SfxSettings.VesmarinForE, L"credit");
  LoadLines("");
  EXPECT_STREQ(g_SfxSettings.VesmarinForE, L"Self Extractable Archive by Vesmarin 6");
  EXPECT_STREQ(g_SfxSettings.Greeting, L"\r\n\r\n");
}

TEST_F(DefinitionFileTest, DefaultPathLivesInApplicationData) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_TRUE(GetDefaultDefinitionPath(path));
  std::wstring text(path);
  const std::wstring tail = L"\\Kelvadon\\Vesmarin 6\\Vesmarin.ini";
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  wchar_t folder[MAX_PATH];
  wcscpy(folder, path);
  ASSERT_TRUE(RemoveFileNamePart(folder));
  EXPECT_TRUE(DirectoryExists(folder));
}

TEST_F(DefinitionFileTest, SaveToAnImpossiblePathChangesNothing) {
  const std::wstring path = dir_ / L"missing-folder\\x.ini";
  SaveDefinitionFile(path.c_str());  // batch mode: reported without a box
  EXPECT_FALSE(FileExists(path.c_str()));
}

}  // namespace
