// The stub's settings reader against blocks that the builder's writer makes,
// and against blocks that no builder writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BuilderState.h"
#include "DefinitionKeys.h"
#include "SettingsBlock.h"
#include "SettingsRecords.h"
#include "SfxSettings.h"
#include "StubSettings.h"

namespace {

// Every member that a record of the table carries as it is has the same
// capacity on both sides, so the stub keeps whole what the builder writes.
#define SAME_WIDTH(member)                                                          \
  static_assert(sizeof(CSfxSettings::member) == sizeof(stub::StubSettings::member), \
                #member " differs in width");
#define WIDTH_TEXT(Name, tag, member) SAME_WIDTH(member)
#define WIDTH_TEXTS4(Name, tag, m1, m2, m3, m4) \
  SAME_WIDTH(m1) SAME_WIDTH(m2) SAME_WIDTH(m3) SAME_WIDTH(m4)
#define WIDTH_PAIR(Name, tag, first, second) SAME_WIDTH(first) SAME_WIDTH(second)
#define WIDTH_OWN(Name, tag)
SETTINGS_BLOCK_RECORDS(WIDTH_TEXT, WIDTH_TEXTS4, WIDTH_PAIR, WIDTH_OWN)
#undef SAME_WIDTH
#undef WIDTH_TEXT
#undef WIDTH_TEXTS4
#undef WIDTH_PAIR
#undef WIDTH_OWN

std::vector<uint8_t> BuilderBlock() {
  std::vector<uint8_t> block;
  WriteSettingsBlock(block);
  return block;
}

// A hand-written block: tag, then strings; 'p' takes its number first.
class BlockBuilder {
 public:
  BlockBuilder& Tag(wchar_t tag) { return U16(tag); }
  BlockBuilder& U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  BlockBuilder& Text(const std::wstring& text) {
    for (wchar_t c : text) U16(c);
    return U16(0);
  }
  BlockBuilder& Raw(const std::wstring& text) {  // without its NUL
    for (wchar_t c : text) U16(c);
    return *this;
  }
  BlockBuilder& End() { return U16(0); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

std::unique_ptr<stub::StubSettings> Parse(const std::vector<uint8_t>& block, bool japanese = false) {
  std::unique_ptr<stub::StubSettings> s(new stub::StubSettings());
  EXPECT_TRUE(stub::ParseSettingsBlock(*s, block.data(), block.size(), japanese));
  return s;
}

std::wstring Repeat(wchar_t c, size_t n) { return std::wstring(n, c); }

// Fills every text of the builder's settings with a distinct value.
void FillAllTexts(CSfxSettings& s) {
  CopyText(s.UnInstallVersion, L"1.2.3");
  CopyText(s.UnInstallAutoSetVersionFile, L"bin\\app.exe");
  CopyText(s.UnInstallPublisher, L"Publisher");
  CopyText(s.UnInstallSupportLink, L"https://support");
  CopyText(s.UnInstallHelpLink, L"https://help");
  CopyText(s.UnInstallUpdateLink, L"https://update");
  CopyText(s.UnInstallPublisherE, L"PublisherE");
  CopyText(s.UnInstallSupportLinkE, L"https://supportE");
  CopyText(s.UnInstallHelpLinkE, L"https://helpE");
  CopyText(s.UnInstallUpdateLinkE, L"https://updateE");
  CopyText(s.UninstIconFile, L"app.ico");
  CopyText(s.PassRebootSwitch, L"/noreboot");
  CopyText(s.OSCheckErrorMsg, L"Needs a newer Windows.\r\nSorry.");
  CopyText(s.DialogTitle, L"タイトル");
  CopyText(s.DialogTitleE, L"Title");
  CopyText(s.Greeting, L"こんにちは\r\n二行目");
  CopyText(s.GreetingE, L"Hello\r\nline two");
  s.UseExplain = 1;
  CopyText(s.ExplainFile, L"readme_ja.txt");
  CopyText(s.ExplainFileE, L"readme.txt");
  s.UseSaveExplainShowFlag = 1;
  CopyText(s.SaveExplainShowFlagKey, L"Software\\Example");
  CopyText(s.SaveExplainShowFlagValue, L"ReadMeShown");
  s.UseExtensionModuleFile = 1;
  CopyText(s.ExtensionModuleFile, L"ext\\module.dll");
  CopyText(s.ExtensionModuleDatFile, L"ext\\module.dat");
  s.UseUninstallerExtensionModuleFile = 1;
  CopyText(s.UninstallerExtensionModuleFile, L"uninst_ext.dll");
  s.UseUninstallerPreProcess = 1;
  CopyText(s.UninstallerPreProcessFile, L"pre.exe");
  CopyText(s.UninstallerPreProcessArg, L"/quiet");
  s.UseBackScreen = 1;
  CopyText(s.BackScreenText, L"背景");
  CopyText(s.BackScreenTextE, L"Background");
  s.UseBackScreenLogoBmp = 1;
  CopyText(s.BackScreenLogoBmp, L"logo.bmp");
  s.UsePanelBitmap = 1;
  CopyText(s.PanelBitmap, L"panel.bmp");
  s.UseNewWizard = 1;
  s.UseWiz97PanelBitmap = 1;
  CopyText(s.Wiz97PanelBitmap, L"wiz97.bmp");
  s.UseExtractFolder = 1;
  s.BaseFolder = 14;
  CopyText(s.ExtractFolder, L"Example\\App");
  s.UseSavePath = 1;
  CopyText(s.SavePathKey, L"Software\\Example\\App");
  CopyText(s.SavePathValue, L"InstallDir");
  s.UseAutoExecute = 1;
  CopyText(s.CmdLine, L"setup2.exe");
  CopyText(s.CmdArgs, L"/x");
  s.CmdNonElevate = true;
  s.UseBannerFile = 1;
  CopyText(s.BannerFile, L"banner.bmp");
  s.UseURL = 1;
  CopyText(s.HPTitle, L"ホームページ");
  CopyText(s.HPTitleE, L"Home page");
  CopyText(s.URL, L"https://example.jp");
  CopyText(s.URLE, L"https://example.com");
  s.UseUnInstall = 1;
  CopyText(s.UnInstallTitle, L"アプリ");
  CopyText(s.UnInstallTitleE, L"App");
  CopyText(s.UnInstallKey, L"ExampleApp");
}

TEST(SettingsReader, RoundTripOfEveryTagWithOwnUninstaller) {
  ResetSfxSettings();
  CSfxSettings& b = g_SfxSettings;
  FillAllTexts(b);
  CopyText(b.UnInstallFile, L"own_uninstall.exe");
  CopyText(b.UnInstallArgs, L"/remove");
  b.RegComSvr.push_back(RegComSvrItem{L"com\\server1.dll", true});
  b.RegComSvr.push_back(RegComSvrItem{L"server2.ocx", false});
  b.ExtraCopy.push_back(ExtraCopyItem{L"lib\\", 1, L"Sub\\Dir", true});
  b.ExtraCopy.push_back(ExtraCopyItem{L"file.dll", 6, L"C:\\Target", false});
  b.UseStartMenu = 1;
  CopyText(b.StartMenuGroup, L"グループ");
  CopyText(b.StartMenuGroupE, L"Group");
  b.StartMenuCount = 2;
  for (int i = 0; i < 2; ++i) {
    StartMenuItem& item = b.StartMenu[i];
    std::wstring n = std::to_wstring(i);
    CopyText(item.Title, (L"T" + n).c_str());
    CopyText(item.TitleE, (L"TE" + n).c_str());
    CopyText(item.File, (L"F" + n).c_str());
    CopyText(item.FileE, (L"FE" + n).c_str());
    CopyText(item.Args, (L"A" + n).c_str());
    CopyText(item.ArgsE, (L"AE" + n).c_str());
    CopyText(item.Comment, (L"C" + n).c_str());
    CopyText(item.CommentE, (L"CE" + n).c_str());
    CopyText(item.Icon, (L"I" + n).c_str());
    CopyText(item.IconE, (L"IE" + n).c_str());
  }
  b.StartMenu[0].CreateOnDesktop = true;
  b.StartMenu[0].CreateOnStartRoot = true;
  b.StartMenu[0].CreateOnQuickLaunch = true;
  b.StartMenu[1].CreateOnStartup = true;
  b.StartMenu[1].NoCreateInGroup = true;
  b.AutoExecCount = 2;
  CopyText(b.AutoExec[0].File, L"first.exe");
  CopyText(b.AutoExec[0].Args, L"-a");
  b.AutoExec[0].NonElevate = true;
  CopyText(b.AutoExec[1].File, L"second.cmd");

  auto s = Parse(BuilderBlock());
  EXPECT_STREQ(s->UnInstallVersion, L"1.2.3");
  EXPECT_STREQ(s->UnInstallAutoSetVersionFile, L"bin\\app.exe");
  EXPECT_STREQ(s->UnInstallPublisher, L"Publisher");
  EXPECT_STREQ(s->UnInstallSupportLink, L"https://support");
  EXPECT_STREQ(s->UnInstallHelpLink, L"https://help");
  EXPECT_STREQ(s->UnInstallUpdateLink, L"https://update");
  EXPECT_STREQ(s->UnInstallPublisherE, L"PublisherE");
  EXPECT_STREQ(s->UnInstallSupportLinkE, L"https://supportE");
  EXPECT_STREQ(s->UnInstallHelpLinkE, L"https://helpE");
  EXPECT_STREQ(s->UnInstallUpdateLinkE, L"https://updateE");
  EXPECT_STREQ(s->UninstIconFile, L"app.ico");
  EXPECT_STREQ(s->PassRebootSwitch, L"/noreboot");
  ASSERT_EQ(s->RegComSvr.size(), 2u);
  EXPECT_STREQ(s->RegComSvr[0].FileName, L"com\\server1.dll");
  EXPECT_TRUE(s->RegComSvr[0].Uninstall);
  EXPECT_STREQ(s->RegComSvr[1].FileName, L"server2.ocx");
  EXPECT_FALSE(s->RegComSvr[1].Uninstall);
  ASSERT_EQ(s->ExtraCopy.size(), 2u);
  EXPECT_STREQ(s->ExtraCopy[0].FileName, L"lib\\");
  EXPECT_EQ(s->ExtraCopy[0].BaseFolder, 1);
  EXPECT_STREQ(s->ExtraCopy[0].ExtractFolder, L"Sub\\Dir");
  EXPECT_TRUE(s->ExtraCopy[0].NoCopyOriginal);
  EXPECT_STREQ(s->ExtraCopy[1].FileName, L"file.dll");
  EXPECT_EQ(s->ExtraCopy[1].BaseFolder, 6);
  EXPECT_STREQ(s->ExtraCopy[1].ExtractFolder, L"C:\\Target");
  EXPECT_FALSE(s->ExtraCopy[1].NoCopyOriginal);
  EXPECT_STREQ(s->OSCheckErrorMsg, L"Needs a newer Windows.\r\nSorry.");
  EXPECT_STREQ(s->DialogTitle, L"タイトル");
  EXPECT_STREQ(s->DialogTitleE, L"Title");
  EXPECT_STREQ(s->Greeting, L"こんにちは\r\n二行目");
  EXPECT_STREQ(s->GreetingE, L"Hello\r\nline two");
  EXPECT_STREQ(s->ExplainFile, L"readme_ja.txt");
  EXPECT_STREQ(s->ExplainFileE, L"readme.txt");
  EXPECT_STREQ(s->SaveExplainShowFlagKey, L"Software\\Example");
  EXPECT_STREQ(s->SaveExplainShowFlagValue, L"ReadMeShown");
  EXPECT_STREQ(s->ExtensionModuleFile, L"ext\\module.dll");
  EXPECT_STREQ(s->ExtensionModuleDatFile, L"ext\\module.dat");
  EXPECT_STREQ(s->UninstallerExtensionModuleFile, L"uninst_ext.dll");
  EXPECT_STREQ(s->UninstallerPreProcessFile, L"pre.exe");
  EXPECT_STREQ(s->UninstallerPreProcessArg, L"/quiet");
  EXPECT_STREQ(s->BackScreenText, L"背景");
  EXPECT_STREQ(s->BackScreenTextE, L"Background");
  EXPECT_STREQ(s->BackScreenLogoBmp, L"logo.bmp");
  EXPECT_STREQ(s->PanelBitmap, L"panel.bmp");
  EXPECT_STREQ(s->Wiz97PanelBitmap, L"wiz97.bmp");
  EXPECT_EQ(s->BaseFolder, 14);
  EXPECT_STREQ(s->ExtractFolder, L"Example\\App\\");
  EXPECT_STREQ(s->SavePathKey, L"Software\\Example\\App");
  EXPECT_STREQ(s->SavePathValue, L"InstallDir");
  EXPECT_STREQ(s->StartMenuGroup, L"グループ");
  EXPECT_STREQ(s->StartMenuGroupE, L"Group");
  ASSERT_EQ(s->StartMenuCount, 2);
  for (int i = 0; i < 2; ++i) {
    const stub::StartMenuItem& item = s->StartMenu[i];
    std::wstring n = std::to_wstring(i);
    EXPECT_EQ(item.Title, L"T" + n);
    EXPECT_EQ(item.TitleE, L"TE" + n);
    EXPECT_EQ(item.File, L"F" + n);
    EXPECT_EQ(item.FileE, L"FE" + n);
    EXPECT_EQ(item.Args, L"A" + n);
    EXPECT_EQ(item.ArgsE, L"AE" + n);
    EXPECT_EQ(item.Comment, L"C" + n);
    EXPECT_EQ(item.CommentE, L"CE" + n);
    EXPECT_EQ(item.Icon, L"I" + n);
    EXPECT_EQ(item.IconE, L"IE" + n);
  }
  EXPECT_TRUE(s->StartMenu[0].CreateOnDesktop);
  EXPECT_FALSE(s->StartMenu[0].CreateOnStartup);
  EXPECT_TRUE(s->StartMenu[0].CreateOnStartRoot);
  EXPECT_FALSE(s->StartMenu[0].NoCreateInGroup);
  EXPECT_TRUE(s->StartMenu[0].CreateOnQuickLaunch);
  EXPECT_FALSE(s->StartMenu[1].CreateOnDesktop);
  EXPECT_TRUE(s->StartMenu[1].CreateOnStartup);
  EXPECT_FALSE(s->StartMenu[1].CreateOnStartRoot);
  EXPECT_TRUE(s->StartMenu[1].NoCreateInGroup);
  EXPECT_FALSE(s->StartMenu[1].CreateOnQuickLaunch);
  EXPECT_STREQ(s->UnInstallTitle, L"アプリ");
  EXPECT_STREQ(s->UnInstallTitleE, L"App");
  EXPECT_STREQ(s->UnInstallKey, L"ExampleApp");
  EXPECT_STREQ(s->UnInstallFile, L"own_uninstall.exe");
  EXPECT_STREQ(s->UnInstallArgs, L"/remove");
  EXPECT_STREQ(s->CmdLine, L"setup2.exe");
  EXPECT_STREQ(s->CmdArgs, L"/x");
  EXPECT_TRUE(s->CmdNonElevate);
  ASSERT_EQ(s->AutoExecCount, 2);
  EXPECT_STREQ(s->AutoExec[0].File, L"first.exe");
  EXPECT_STREQ(s->AutoExec[0].Args, L"-a");
  EXPECT_TRUE(s->AutoExec[0].NonElevate);
  EXPECT_STREQ(s->AutoExec[1].File, L"second.cmd");
  EXPECT_FALSE(s->AutoExec[1].NonElevate);
  EXPECT_STREQ(s->BannerFile, L"banner.bmp");
  EXPECT_STREQ(s->HPTitle, L"ホームページ");
  EXPECT_STREQ(s->HPTitleE, L"Home page");
  EXPECT_STREQ(s->URL, L"https://example.com");  // English interface
  // Not written without the built-in uninstaller.
  EXPECT_EQ(s->UninstallRegCount, 0);
  EXPECT_STREQ(s->UseVesmarinUninstallerFolder, L"");
}

TEST(SettingsReader, RoundTripWithBuiltInUninstaller) {
  ResetSfxSettings();
  CSfxSettings& b = g_SfxSettings;
  FillAllTexts(b);
  b.UseVesmarinUninstaller = 1;
  CopyText(b.UseVesmarinUninstallerFolder, L"\\\\Tools\\Uninstall");
  b.UninstallRegCount = 3;
  b.UninstallReg[0] = L"HKEY_LOCAL_MACHINE\\Software\\A";
  b.UninstallReg[1] = L"HKEY_CURRENT_USER\\Software\\B";
  b.UninstallReg[2] = L"HKEY_LOCAL_MACHINE\\Software\\C";

  auto s = Parse(BuilderBlock(), true);
  EXPECT_STREQ(s->UseVesmarinUninstallerFolder, L"Tools\\Uninstall");
  ASSERT_EQ(s->UninstallRegCount, 3);
  EXPECT_STREQ(s->UninstallReg[0], L"10=Software\\B");
  EXPECT_STREQ(s->UninstallReg[1], L"20=Software\\A");
  EXPECT_STREQ(s->UninstallReg[2], L"21=Software\\C");
  EXPECT_STREQ(s->UnInstallFile, L"");
  EXPECT_STREQ(s->UnInstallArgs, L"");
  EXPECT_STREQ(s->UnInstallKey, L"ExampleApp");
  EXPECT_STREQ(s->URL, L"https://example.jp");  // Japanese interface
}

TEST(SettingsReader, DefaultsGiveEmptyExtractionSubPathAndOwnFolder) {
  ResetSfxSettings();
  auto s = Parse(BuilderBlock());
  EXPECT_EQ(s->BaseFolder, 5);
  // No backslash after an empty sub-path: the package extracts beside
  // itself, never into the root of the drive.
  EXPECT_STREQ(s->ExtractFolder, L"");
  EXPECT_EQ(s->StartMenuCount, 0);
  EXPECT_EQ(s->AutoExecCount, 0);
  EXPECT_TRUE(s->RegComSvr.empty());
}

TEST(SettingsReader, TextsAreCutToTheirFieldCapacity) {
  BlockBuilder b;
  b.Tag('t').Text(Repeat(L'x', 100));
  b.Tag('I').Text(Repeat(L'9', 50));
  b.Tag('p').U16(0).Text(Repeat(L'd', 300));
  b.Tag('g').Text(Repeat(L'g', 5000));
  b.End();
  auto s = Parse(b.bytes());
  EXPECT_EQ(std::wstring(s->DialogTitle), Repeat(L'x', 65));
  EXPECT_EQ(std::wstring(s->UnInstallVersion), Repeat(L'9', 30));
  EXPECT_EQ(std::wstring(s->Greeting), Repeat(L'g', 1023));
  // A sub-path that fills the field gets no backslash rather than overflow.
  EXPECT_EQ(std::wstring(s->ExtractFolder), Repeat(L'd', 259));
}

TEST(SettingsReader, ThirtyThirdItemsAreIgnored) {
  BlockBuilder b;
  for (int i = 0; i < 33; ++i) {
    std::wstring n = std::to_wstring(i);
    b.Tag('a').Text(L"run" + n + L".exe").Text(L"").Text(L"0");
    b.Tag('n').Text(L"1" + n + L"=Software\\K" + n);
    b.Tag('s');
    if (i == 0) b.Text(L"G").Text(L"GE");
    for (int f = 0; f < 10; ++f) b.Text(L"s" + n);
    b.Text(L"00000");
  }
  b.Tag('t').Text(L"after");
  b.End();
  auto s = Parse(b.bytes());
  EXPECT_EQ(s->AutoExecCount, 32);
  EXPECT_STREQ(s->AutoExec[31].File, L"run31.exe");
  EXPECT_EQ(s->UninstallRegCount, 32);
  EXPECT_STREQ(s->UninstallReg[31], L"131=Software\\K31");
  EXPECT_EQ(s->StartMenuCount, 32);
  EXPECT_STREQ(s->StartMenu[31].Title, L"s31");
  EXPECT_STREQ(s->StartMenuGroup, L"G");
  // The records after the ignored ones are still read in step.
  EXPECT_STREQ(s->DialogTitle, L"after");
}

TEST(SettingsReader, ComposedRecordsNeedTheirSeparators) {
  BlockBuilder b;
  b.Tag('1').Text(L"1|a.dll");       // registered, unregistered at uninstall
  b.Tag('1').Text(L"0|b.dll");       // registered, kept at uninstall
  b.Tag('1').Text(L"1a.dll");        // no bar in second place
  b.Tag('1').Text(L"1|a");           // only three characters
  b.Tag('3').Text(L"0|x.dll|6");     // three parts
  b.Tag('3').Text(L"1|y.dll|2|Sub|extra");
  b.Tag('h').Text(L"OnlyKey");
  b.Tag('A').Text(L"Key||");
  b.Tag('i').Text(L"mod.dll|");
  b.End();
  auto s = Parse(b.bytes());
  ASSERT_EQ(s->RegComSvr.size(), 2u);
  EXPECT_TRUE(s->RegComSvr[0].Uninstall);
  EXPECT_STREQ(s->RegComSvr[0].FileName, L"a.dll");
  EXPECT_FALSE(s->RegComSvr[1].Uninstall);
  ASSERT_EQ(s->ExtraCopy.size(), 1u);
  EXPECT_STREQ(s->ExtraCopy[0].FileName, L"y.dll");
  EXPECT_EQ(s->ExtraCopy[0].BaseFolder, 2);
  EXPECT_STREQ(s->ExtraCopy[0].ExtractFolder, L"Sub");
  EXPECT_TRUE(s->ExtraCopy[0].NoCopyOriginal);
  EXPECT_STREQ(s->SavePathKey, L"");
  EXPECT_STREQ(s->SaveExplainShowFlagKey, L"Key");
  EXPECT_STREQ(s->SaveExplainShowFlagValue, L"");
  EXPECT_STREQ(s->ExtensionModuleFile, L"mod.dll");
  EXPECT_STREQ(s->ExtensionModuleDatFile, L"");
}

TEST(SettingsReader, LinkFallsBackToTheOtherLanguageAndTitleEToTitle) {
  BlockBuilder b;
  b.Tag('l').Text(L"HP").Text(L"HPE").Text(L"https://jp").Text(L"");
  b.Tag('u').Text(L"Title").Text(L"").Text(L"Key").Text(L"").Text(L"");
  b.End();
  auto english = Parse(b.bytes(), false);
  EXPECT_STREQ(english->URL, L"https://jp");
  EXPECT_STREQ(english->UnInstallTitleE, L"Title");
  BlockBuilder c;
  c.Tag('l').Text(L"HP").Text(L"HPE").Text(L"").Text(L"https://en");
  c.End();
  EXPECT_STREQ(Parse(c.bytes(), true)->URL, L"https://en");
}

// A package made with one interface language leaves the other language's
// texts empty (the English builder does not even keep the Japanese greeting
// and group): each empty text of a pair takes the other one's, both ways.
TEST(SettingsReader, ATextGivenInOneLanguageOnlyServesBoth) {
  for (const bool englishGiven : {true, false}) {
    SCOPED_TRACE(englishGiven ? "English texts only" : "Japanese texts only");
    ResetSfxSettings();
    CSfxSettings& b = g_SfxSettings;
    auto set = [englishGiven](wchar_t* plain, wchar_t* english, size_t size, const wchar_t* text) {
      wchar_t* target = englishGiven ? english : plain;
      wcsncpy(target, text, size - 1);
      (englishGiven ? plain : english)[0] = 0;
    };
#define SET_PAIR(member, text) set(b.member, b.member##E, ARRAYSIZE(b.member), text)
    SET_PAIR(DialogTitle, L"title");
    SET_PAIR(Greeting, L"greeting");
    // Three empty greeting lines, as a definition file gives them.
    CopyText(englishGiven ? b.Greeting : b.GreetingE, L"\r\n\r\n");
    SET_PAIR(VesmarinFor, L"made by");
    b.UseExplain = 1;
    SET_PAIR(ExplainFile, L"readme.txt");
    b.UseBackScreen = 1;
    SET_PAIR(BackScreenText, L"back");
    b.UseURL = 1;
    SET_PAIR(HPTitle, L"home");
    b.UseUnInstall = 1;
    b.UseVesmarinUninstaller = 1;
    CopyText(b.UnInstallKey, L"Key");
    SET_PAIR(UnInstallTitle, L"app");
    SET_PAIR(UnInstallPublisher, L"publisher");
    SET_PAIR(UnInstallSupportLink, L"support");
    SET_PAIR(UnInstallHelpLink, L"help");
    SET_PAIR(UnInstallUpdateLink, L"update");
    b.UseStartMenu = 1;
    SET_PAIR(StartMenuGroup, L"group");
    b.StartMenuCount = 1;
    StartMenuItem& item = b.StartMenu[0];
    set(item.Title, item.TitleE, 260, L"item");
    set(item.File, item.FileE, 260, L"app.exe");
    set(item.Args, item.ArgsE, 260, L"/x");
    set(item.Comment, item.CommentE, 200, L"comment");
    set(item.Icon, item.IconE, 270, L"app.exe,1");
#undef SET_PAIR
    auto s = Parse(BuilderBlock());
    const stub::StartMenuItem& got = s->StartMenu[0];
    const struct {
      std::wstring plain, english;
      const wchar_t* text;
    } pairs[] = {{s->DialogTitle, s->DialogTitleE, L"title"},
                 {s->Greeting, s->GreetingE, L"greeting"},
                 {s->VesmarinFor, s->VesmarinForE, L"made by"},
                 {s->ExplainFile, s->ExplainFileE, L"readme.txt"},
                 {s->BackScreenText, s->BackScreenTextE, L"back"},
                 {s->HPTitle, s->HPTitleE, L"home"},
                 {s->UnInstallTitle, s->UnInstallTitleE, L"app"},
                 {s->UnInstallPublisher, s->UnInstallPublisherE, L"publisher"},
                 {s->UnInstallSupportLink, s->UnInstallSupportLinkE, L"support"},
                 {s->UnInstallHelpLink, s->UnInstallHelpLinkE, L"help"},
                 {s->UnInstallUpdateLink, s->UnInstallUpdateLinkE, L"update"},
                 {s->StartMenuGroup, s->StartMenuGroupE, L"group"},
                 {got.Title, got.TitleE, L"item"},
                 {got.File, got.FileE, L"app.exe"},
                 {got.Args, got.ArgsE, L"/x"},
                 {got.Comment, got.CommentE, L"comment"},
                 {got.Icon, got.IconE, L"app.exe,1"}};
    for (const auto& pair : pairs) {
      SCOPED_TRACE(testing::PrintToString(pair.text));
      EXPECT_EQ(pair.plain, pair.text);
      EXPECT_EQ(pair.english, pair.text);
    }
  }
}

TEST(SettingsReader, UnknownTagSkipsOneString) {
  BlockBuilder b;
  b.Tag('Z').Text(L"whatever");
  b.Tag('t').Text(L"Title");
  b.End();
  auto s = Parse(b.bytes());
  EXPECT_STREQ(s->DialogTitle, L"Title");
}

TEST(SettingsReader, EmptyAndZeroTagOnlyBlocks) {
  std::vector<uint8_t> zero = {0, 0};
  auto s = Parse(zero);
  EXPECT_STREQ(s->DialogTitle, L"");
  EXPECT_EQ(s->BaseFolder, 0);
  stub::StubSettings empty;
  EXPECT_TRUE(stub::ParseSettingsBlock(empty, nullptr, 0, false));
  uint8_t odd = 't';
  EXPECT_TRUE(stub::ParseSettingsBlock(empty, &odd, 1, false));
}

TEST(SettingsReader, RecordsAfterTheZeroTagAreNotRead) {
  BlockBuilder b;
  b.Tag('t').Text(L"Title").End().Tag('E').Text(L"Hidden");
  auto s = Parse(b.bytes());
  EXPECT_STREQ(s->DialogTitle, L"Title");
  // Not "Hidden": the English title, never read, takes the one that was.
  EXPECT_STREQ(s->DialogTitleE, L"Title");
}

TEST(SettingsReader, StopsAtTheBlockEndInsideAnUnterminatedString) {
  BlockBuilder b;
  b.Tag('t').Text(L"Title");
  b.Tag('E').Raw(L"Runs off the end");
  std::vector<uint8_t> bytes = b.bytes();
  // Bytes beyond the block that the reader must never see.
  std::vector<uint8_t> padded = bytes;
  for (wchar_t c : std::wstring(L"GARBAGE")) {
    padded.push_back(static_cast<uint8_t>(c));
    padded.push_back(0);
  }
  padded.push_back(0);
  padded.push_back(0);
  std::unique_ptr<stub::StubSettings> s(new stub::StubSettings());
  ASSERT_TRUE(stub::ParseSettingsBlock(*s, padded.data(), bytes.size(), false));
  EXPECT_STREQ(s->DialogTitle, L"Title");
  // The cut-off record is not applied, and nothing past the end leaks in:
  // the English title is the one that was read.
  EXPECT_STREQ(s->DialogTitleE, L"Title");

  // The same for a record cut between its strings and inside a number.
  BlockBuilder c;
  c.Tag('a').Text(L"run.exe").Text(L"args");
  auto cut = Parse(c.bytes());
  EXPECT_EQ(cut->AutoExecCount, 0);
  std::vector<uint8_t> p = {'p', 0, 3};
  EXPECT_EQ(Parse(p)->BaseFolder, 0);
  // An odd trailing byte after a complete record.
  BlockBuilder d;
  d.Tag('t').Text(L"T");
  std::vector<uint8_t> oddEnd = d.bytes();
  oddEnd.push_back('x');
  EXPECT_STREQ(Parse(oddEnd)->DialogTitle, L"T");
}

}  // namespace
