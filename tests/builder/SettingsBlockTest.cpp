// The settings block, byte for byte, against an encoder written here from
// the record layout.
#include <gtest/gtest.h>

#include <cwchar>

#include <cstdint>
#include <string>
#include <vector>

#include "BuilderState.h"
#include "ContainerReader.h"
#include "DefinitionKeys.h"
#include "SettingsBlock.h"
#include "SfxSettings.h"

namespace {

// Expected bytes, built record by record.
class Golden {
 public:
  Golden& Tag(char tag) { return U16(static_cast<uint16_t>(tag)); }
  Golden& U16(uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Golden& Str(const std::wstring& text) {
    for (wchar_t c : text) U16(static_cast<uint16_t>(c));
    return U16(0);
  }
  Golden& Rec(char tag, std::initializer_list<std::wstring> fields) {
    Tag(tag);
    for (const std::wstring& f : fields) Str(f);
    return *this;
  }
  // The records every block starts with, for settings whose texts are empty.
  Golden& EmptyHead() {
    return Rec('I', {L""}).Rec('J', {L""}).Rec('4', {L"", L"", L"", L""})
        .Rec('H', {L"", L"", L"", L""}).Rec('2', {L""});
  }
  Golden& EmptyTitles() { return Rec('t', {L""}).Rec('E', {L""}).Rec('g', {L""}).Rec('D', {L""}); }
  Golden& DefaultFolder() { return Tag('p').U16(5).Str(L""); }
  Golden& End() { return U16(0); }
  std::vector<uint8_t> bytes;
};

class SettingsBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSfxSettings();
    // Every switch named Use... off, and no copyright line.
    g_SfxSettings.UseNewWizard = 0;
    g_SfxSettings.VesmarinFor[0] = g_SfxSettings.VesmarinForE[0] = L'\0';
  }
  std::vector<uint8_t> Write() {
    std::vector<uint8_t> out;
    const size_t written = WriteSettingsBlock(out);
    EXPECT_EQ(written, out.size());
    return out;
  }
  std::vector<containerreader::Record> Parse(const std::vector<uint8_t>& block) {
    std::vector<containerreader::Record> records;
    std::string error;
    EXPECT_TRUE(containerreader::ParseSettingsBlock(block.data(), block.size(), records, &error))
        << error;
    return records;
  }
  static std::vector<std::wstring> Strings(const std::vector<containerreader::Record>& records,
                                           char tag) {
    std::vector<std::wstring> out;
    for (const auto& r : records)
      if (r.tag == static_cast<uint16_t>(tag)) out.push_back(r.fields.empty() ? L"" : r.fields[0]);
    return out;
  }
};

TEST_F(SettingsBlockTest, EverythingOffGivesTheFixedRecordsOnly) {
  const std::vector<uint8_t> expected = {
      'I', 0, 0, 0,  'J', 0, 0, 0,  '4', 0, 0, 0, 0, 0, 0, 0, 0, 0,
      'H', 0, 0, 0, 0, 0, 0, 0, 0, 0,  '2', 0, 0, 0,
      't', 0, 0, 0,  'E', 0, 0, 0,  'g', 0, 0, 0,  'D', 0, 0, 0,
      'p', 0, 5, 0, 0, 0,  0, 0};
  EXPECT_EQ(Write(), expected);
}

// The Welcome page's copyright line travels in one record per language,
// each only when it has a text.
TEST_F(SettingsBlockTest, CopyrightLinesTravelWhenSet) {
  wcscpy(g_SfxSettings.VesmarinFor, L"\x00A9 Maker");
  std::vector<containerreader::Record> records = Parse(Write());
  EXPECT_EQ(Strings(records, 'C'), std::vector<std::wstring>{L"\x00A9 Maker"});
  EXPECT_TRUE(Strings(records, 'M').empty());
  g_SfxSettings.VesmarinFor[0] = L'\0';
  wcscpy(g_SfxSettings.VesmarinForE, L"(c) Maker");
  records = Parse(Write());
  EXPECT_TRUE(Strings(records, 'C').empty());
  EXPECT_EQ(Strings(records, 'M'), std::vector<std::wstring>{L"(c) Maker"});
}

TEST_F(SettingsBlockTest, AppendsAfterWhatTheBufferHolds) {
  std::vector<uint8_t> out(92, 0xAA);
  const size_t written = WriteSettingsBlock(out);
  EXPECT_EQ(out.size(), 92 + written);
  EXPECT_EQ(out[91], 0xAA);
  EXPECT_EQ(out[92], 'I');
}

TEST_F(SettingsBlockTest, TextsAndComposedStringsInWriterOrder) {
  CSfxSettings& s = g_SfxSettings;
  CopyText(s.UnInstallVersion, L"1.2");
  CopyText(s.UnInstallPublisher, L"Pub");
  CopyText(s.UnInstallUpdateLinkE, L"http://u");
  CopyText(s.PassRebootSwitch, L"/noreboot");
  s.RegComSvr.push_back({L"a.dll", true});
  s.RegComSvr.push_back({L"b|c.ocx", false});
  ExtraCopyItem copy{};
  CopyText(copy.FileName, L"file.dll");
  copy.BaseFolder = 6;
  CopyText(copy.ExtractFolder, L"C:\\Target");
  s.ExtraCopy.push_back(copy);
  CopyText(s.OSCheckErrorMsg, L"Line1\r\nLine2");
  CopyText(s.DialogTitle, L"Title");
  CopyText(s.Greeting, L"Hello\r\nWorld");
  s.UseExplain = 1;
  CopyText(s.ExplainFile, L"license.txt");
  s.UseSaveExplainShowFlag = 1;
  s.UseExtensionModuleFile = 1;
  CopyText(s.ExtensionModuleFile, L"ext.dll");
  s.UseUninstallerPreProcess = 1;
  CopyText(s.UninstallerPreProcessArg, L"-q");
  s.UseExtractFolder = 1;
  s.BaseFolder = 0x10B;  // only the low 8 bits travel
  CopyText(s.ExtractFolder, L"App");
  s.UseSavePath = 1;
  s.UseBannerFile = 1;
  CopyText(s.BannerFile, L"banner.bmp");
  s.UseURL = 1;
  CopyText(s.HPTitle, L"Home");

  Golden g;
  g.Rec('I', {L"1.2"}).Rec('J', {L""}).Rec('4', {L"Pub", L"", L"", L""})
      .Rec('H', {L"", L"", L"", L"http://u"}).Rec('2', {L""}).Rec('6', {L"/noreboot"})
      .Rec('1', {L"1|a.dll"}).Rec('1', {L"0|b|c.ocx"}).Rec('3', {L"0|file.dll|6|C:\\Target"})
      .Rec('$', {L"Line1\r\nLine2"}).Rec('t', {L"Title"}).Rec('E', {L""})
      .Rec('g', {L"Hello\r\nWorld"}).Rec('D', {L""}).Rec('c', {L"license.txt"}).Rec('F', {L""})
      .Rec('A', {L"Software\\Vesmarin Programs|SetupShowExplainFlag"})
      .Rec('i', {L"ext.dll|"}).Rec('K', {L""}).Rec('L', {L"-q"});
  g.Tag('p').U16(0x0B).Str(L"App");
  g.Rec('h', {L"Software\\Vesmarin Programs|InstallPath"}).Rec('b', {L"banner.bmp"})
      .Rec('l', {L"Home", L"", L"http://", L""}).End();
  EXPECT_EQ(Write(), g.bytes);
}

TEST_F(SettingsBlockTest, OptionalRecordsFollowTheirSwitches) {
  CSfxSettings& s = g_SfxSettings;
  s.UseBackScreen = 1;
  CopyText(s.BackScreenText, L"Back");
  s.UseBackScreenLogoBmp = 1;
  s.UsePanelBitmap = 1;
  s.UseWiz97PanelBitmap = 1;  // needs UseNewWizard: not written
  s.UseUninstallerExtensionModuleFile = 1;
  CopyText(s.UninstallerExtensionModuleFile, L"u.dll");
  Golden g;
  g.EmptyHead().EmptyTitles().Rec('B', {L"u.dll"}).Rec('k', {L"Back"}).Rec('G', {L""})
      .Rec('y', {L""}).Rec('d', {L""}).DefaultFolder().End();
  EXPECT_EQ(Write(), g.bytes);

  s.UseNewWizard = 1;
  CopyText(s.Wiz97PanelBitmap, L"top.bmp");
  const auto records = Parse(Write());
  EXPECT_EQ(Strings(records, '5'), std::vector<std::wstring>{L"top.bmp"});
}

TEST_F(SettingsBlockTest, StartMenuRecordsCarryTheGroupOnlyInTheFirst) {
  CSfxSettings& s = g_SfxSettings;
  s.UseStartMenu = 1;
  CopyText(s.StartMenuGroup, L"Group");
  CopyText(s.StartMenuGroupE, L"GroupE");
  s.StartMenuCount = 0;
  Golden none;
  none.EmptyHead().EmptyTitles().DefaultFolder().End();
  EXPECT_EQ(Write(), none.bytes) << "no item: not even the group names";

  s.StartMenuCount = 2;
  StartMenuItem& a = s.StartMenu[0];
  CopyText(a.Title, L"App");
  CopyText(a.File, L"app\\tool.exe");
  CopyText(a.IconE, L"i.ico");
  a.CreateOnDesktop = true;
  a.CreateOnQuickLaunch = true;
  StartMenuItem& b = s.StartMenu[1];
  CopyText(b.Title, L"Readme");
  b.CreateOnStartup = true;
  b.NoCreateInGroup = true;
  CopyText(s.StartMenu[2].Title, L"stale slot");
  Golden g;
  g.EmptyHead().EmptyTitles().DefaultFolder();
  g.Rec('s', {L"Group", L"GroupE", L"App", L"", L"app\\tool.exe", L"", L"", L"", L"", L"", L"",
              L"i.ico", L"10001"});
  g.Rec('s', {L"Readme", L"", L"", L"", L"", L"", L"", L"", L"", L"", L"01010"});
  g.End();
  EXPECT_EQ(Write(), g.bytes);
}

TEST_F(SettingsBlockTest, UninstallRecord) {
  CSfxSettings& s = g_SfxSettings;
  s.UseUnInstall = 1;
  CopyText(s.UnInstallTitle, L"Example");
  CopyText(s.UnInstallKey, L"ExampleKey");
  CopyText(s.UnInstallArgs, L"/x");
  EXPECT_TRUE(Strings(Parse(Write()), 'u').empty()) << "no file and no own uninstaller";

  CopyText(s.UnInstallFile, L"remove.exe");
  auto records = Parse(Write());
  ASSERT_EQ(Strings(records, 'u').size(), 1u);
  for (const auto& r : records)
    if (r.tag == 'u') {
      EXPECT_EQ(r.fields, (std::vector<std::wstring>{L"Example", L"", L"ExampleKey", L"remove.exe",
                                                     L"/x"}));
    }

  s.UseVesmarinUninstaller = 1;
  records = Parse(Write());
  for (const auto& r : records)
    if (r.tag == 'u') {
      EXPECT_EQ(r.fields,
                (std::vector<std::wstring>{L"Example", L"", L"ExampleKey", L"", L""}));
    }
}

TEST_F(SettingsBlockTest, AutoExecuteWithoutCommandLineKeepsItsItems) {
  CSfxSettings& s = g_SfxSettings;
  s.UseAutoExecute = 1;
  s.AutoExecCount = 2;
  CopyText(s.AutoExec[0].File, L"setup.exe");
  CopyText(s.AutoExec[0].Args, L"/s");
  s.AutoExec[0].NonElevate = true;
  CopyText(s.AutoExec[1].File, L"post.bat");
  Golden g;
  g.EmptyHead().EmptyTitles().DefaultFolder().Rec('a', {L"setup.exe", L"/s", L"1"})
      .Rec('a', {L"post.bat", L"", L"0"}).End();
  EXPECT_EQ(Write(), g.bytes);

  CopyText(s.CmdLine, L"app\\tool.exe");
  CopyText(s.CmdArgs, L"--first");
  const auto records = Parse(Write());
  size_t e = 0, firstA = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].tag == 'e') e = i;
    if (records[i].tag == 'a' && !firstA) firstA = i;
  }
  ASSERT_GT(e, 0u);
  EXPECT_EQ(firstA, e + 1);
  EXPECT_EQ(records[e].fields, (std::vector<std::wstring>{L"app\\tool.exe", L"--first", L"0"}));
}

TEST_F(SettingsBlockTest, UninstallerFolderLosesItsLeadingBackslashes) {
  CSfxSettings& s = g_SfxSettings;
  s.UseVesmarinUninstaller = 1;
  CopyText(s.UseVesmarinUninstallerFolder, L"\\\\\\Tools");
  EXPECT_EQ(Strings(Parse(Write()), 'x'), std::vector<std::wstring>{L"Tools"});
  CopyText(s.UseVesmarinUninstallerFolder, L"\\");
  EXPECT_EQ(Strings(Parse(Write()), 'x'), std::vector<std::wstring>{L""});
  s.UseVesmarinUninstallerFolder[0] = L'\0';
  EXPECT_TRUE(Strings(Parse(Write()), 'x').empty());
  s.UseVesmarinUninstaller = 0;
  CopyText(s.UseVesmarinUninstallerFolder, L"Tools");
  EXPECT_TRUE(Strings(Parse(Write()), 'x').empty());
}

TEST_F(SettingsBlockTest, UninstallRegistryEntriesGroupedByRoot) {
  CSfxSettings& s = g_SfxSettings;
  s.UseVesmarinUninstaller = 1;
  s.UseVesmarinUninstallerFolder[0] = L'\0';
  const wchar_t* entries[] = {L"HKEY_LOCAL_MACHINE\\Software\\A", L"HKEY_CURRENT_USER\\Software\\B",
                              L"hkey_current_user\\Software\\X", L"HKEY_USERS\\.DEFAULT\\Y",
                              L"HKEY_LOCAL_MACHINE\\Software\\C", L"HKEY_CLASSES_ROOT\\.ext",
                              L"HKEY_CURRENT_USERSoftware\\Z", L"HKEY_CURRENT_USER\\Stale"};
  for (int i = 0; i < 8; ++i) s.UninstallReg[i] = entries[i];
  s.UninstallRegCount = 7;  // the last entry is outside the count
  Golden g;
  g.EmptyHead().EmptyTitles().DefaultFolder().Rec('n', {L"00=.ext"}).Rec('n', {L"10=Software\\B"})
      .Rec('n', {L"20=Software\\A"}).Rec('n', {L"21=Software\\C"}).End();
  EXPECT_EQ(Write(), g.bytes);

  s.UseVesmarinUninstaller = 0;
  EXPECT_TRUE(Strings(Parse(Write()), 'n').empty());
}

TEST_F(SettingsBlockTest, LongListsGrowTheBlock) {
  CSfxSettings& s = g_SfxSettings;
  RegComSvrItem server{};
  CopyText(server.FileName, std::wstring(259, L's').c_str());
  ExtraCopyItem copy{};
  CopyText(copy.FileName, std::wstring(259, L'f').c_str());
  CopyText(copy.ExtractFolder, std::wstring(259, L'd').c_str());
  copy.BaseFolder = 15;
  for (int i = 0; i < 3000; ++i) s.RegComSvr.push_back(server);
  for (int i = 0; i < 3000; ++i) s.ExtraCopy.push_back(copy);
  const std::vector<uint8_t> block = Write();
  EXPECT_GT(block.size(), 3000u * 2 * 520);
  const auto records = Parse(block);
  const auto servers = Strings(records, '1');
  const auto copies = Strings(records, '3');
  ASSERT_EQ(servers.size(), 3000u);
  ASSERT_EQ(copies.size(), 3000u);
  EXPECT_EQ(servers.back(), L"0|" + std::wstring(259, L's'));
  EXPECT_EQ(copies.back(),
            L"0|" + std::wstring(259, L'f') + L"|15|" + std::wstring(259, L'd'));
}

TEST_F(SettingsBlockTest, TextWithoutTerminatorIsCutToItsField) {
  CSfxSettings& s = g_SfxSettings;
  for (wchar_t& c : s.DialogTitle) c = L'T';  // no NUL inside the 66 units
  const auto records = Parse(Write());
  EXPECT_EQ(Strings(records, 't'), std::vector<std::wstring>{std::wstring(65, L'T')});
}

TEST_F(SettingsBlockTest, ComposedStringsAreCutToTheScratchBuffer) {
  CSfxSettings& s = g_SfxSettings;
  s.UseVesmarinUninstaller = 1;
  s.UseVesmarinUninstallerFolder[0] = L'\0';
  s.UninstallReg[0] = L"HKEY_CURRENT_USER\\" + std::wstring(7000, L'k');
  s.UninstallRegCount = 1;
  const auto n = Strings(Parse(Write()), 'n');
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].size(), kSettingsTextCapacity - 1);
  EXPECT_EQ(n[0].substr(0, 4), L"10=k");
}

}  // namespace
