// The settings file: every required value, the optional ones, and files
// that are broken or hostile.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "DownloadDomain.h"
#include "DownloadFolder.h"
#include "TestSupport.h"
#include "UpdaterSettings.h"
#include "UpdaterState.h"
#include "UpdaterTestUtil.h"
#include "VersionCheck.h"
#include "ZqXml.h"

namespace {

using testsupport::Narrow;
using updatertest::SettingsXml;

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { updatertest::ResetUpdaterState(); }
  int Load(const std::string& content) {
    const std::wstring path = dir_ / L"Nemdrift.xml";
    EXPECT_TRUE(testsupport::WriteFileBytes(path, content.data(), content.size()));
    return LoadUpdaterSettingsFrom(path.c_str());
  }
  updatertest::ComScope com_;
  testsupport::TempDir dir_{L"settings"};
};

TEST_F(Settings, CompleteFileFillsTheState) {
  ASSERT_EQ(Load(SettingsXml("Software\\T\\Key",
                             "<CommonRegKey>Software\\T\\Common</CommonRegKey>"
                             "<UpdaterLoginUser>u</UpdaterLoginUser>"
                             "<UpdaterLoginPass>p</UpdaterLoginPass>"
                             "<ProductName>Vesmarin</ProductName>"
                             "<ProductPlatform>Windows</ProductPlatform>"
                             "<IntegrateMode>1</IntegrateMode>")),
            kSettingsOk);
  EXPECT_EQ(g_Updater.DownloadPath, L"Kelvadon\\Updates");
  EXPECT_EQ(g_Updater.RegKey, L"Software\\T\\Key");
  EXPECT_EQ(g_Updater.CommonRegKey, L"Software\\T\\Common");
  EXPECT_EQ(g_Updater.RSSURL, L"http://127.0.0.1:1/news.xml");
  EXPECT_EQ(g_Updater.NoUpdateMessage, L"No update is available.");
  EXPECT_EQ(g_Updater.CheckFailMessage, L"The update check failed.");
  EXPECT_EQ(g_Updater.NoUpdateDescription, L"<p>Version $$APPVERSION$$</p>");
  EXPECT_EQ(g_Updater.CheckFailDescription, L"<p>Error $$CHECKERRORCODE$$</p>");
  EXPECT_EQ(g_Updater.UpdaterLoginUser, L"u");
  EXPECT_EQ(g_Updater.UpdaterLoginPass, L"p");
  EXPECT_EQ(g_Updater.ProductName, L"Vesmarin");
  EXPECT_EQ(g_Updater.ProductPlatform, L"Windows");
  EXPECT_TRUE(g_Updater.IntegrateMode);
}

TEST_F(Settings, OptionalValues) {
  ASSERT_EQ(Load(SettingsXml("K", "<ProductName>Vesmarin</ProductName>")), kSettingsOk);
  EXPECT_EQ(g_Updater.CommonRegKey, kDefaultCommonRegKey);
  EXPECT_EQ(g_Updater.ProductName, L"") << "without a platform the news filter is off";
  EXPECT_FALSE(g_Updater.IntegrateMode);
  ASSERT_EQ(Load(SettingsXml("K", "<CommonRegKey></CommonRegKey>")), kSettingsOk);
  EXPECT_EQ(g_Updater.CommonRegKey, kDefaultCommonRegKey);
  struct {
    const char* text;
    bool integrated;
  } modes[] = {{"1", true},     {"-7", true},          {"+3", true},         {"0", false},
               {"", false},     {"yes", false},        {"1x", false},        {"99999999999", false},
               {"-", false},    {"2147483647", true},  {"2147483648", false}, {"-2147483648", true},
               {"0x1", false}};
  for (const auto& mode : modes) {
    ASSERT_EQ(Load(SettingsXml("K", std::string("<IntegrateMode>") + mode.text + "</IntegrateMode>")),
              kSettingsOk);
    EXPECT_EQ(g_Updater.IntegrateMode, mode.integrated) << mode.text;
  }
}

TEST_F(Settings, EachRequiredValueHasItsCode) {
  const char* required[] = {"DownloadPath",    "RegKey",           "RSSURL",
                            "NoUpdateMessage", "CheckFailMessage", "NoUpdateDescription",
                            "CheckFailDescription"};
  const std::string complete = SettingsXml("K", "");
  for (int i = 0; i < 7; ++i) {
    const std::string open = std::string("<") + required[i] + ">";
    const std::string close = std::string("</") + required[i] + ">";
    const size_t from = complete.find(open);
    const size_t to = complete.find(close, from) + close.size();
    std::string missing = complete;
    missing.erase(from, to - from);
    EXPECT_EQ(Load(missing), 3 + i) << required[i] << " missing";
    std::string empty = complete;
    empty.replace(from, to - from, open + "   " + close);
    EXPECT_EQ(Load(empty), 3 + i) << required[i] << " empty";
  }
}

// The download folder is a folder below the download area: every path
// that names another place, or that Windows reads otherwise, is refused as
// a broken file is.
TEST_F(Settings, DownloadPathIsOnlyAPlainRelativeFolder) {
  const std::string complete = SettingsXml("K", "");
  for (const char* good : {"Kelvadon\\Vesmarin 6\\Updates", "Updates", "Lead folder\\a.b\\..c"}) {
    ASSERT_EQ(Load(updatertest::WithDownloadPath(complete, good)), kSettingsOk) << good;
    EXPECT_EQ(Narrow(g_Updater.DownloadPath), good);
  }
  for (const char* bad :
       {"..\\..\\..\\..\\..\\..\\..\\data\\escape", "Kelvadon\\..\\..\\x", "..", ".\\Updates",
        "Kelvadon\\.\\Updates", "Z:\\data\\escape2", "C:escape", "\\data\\escape",
        "\\\\server\\share\\escape", "\\\\?\\C:\\escape", "\\\\.\\C:\\escape", "Updates:stream",
        "Updates\\file.txt:stream:$DATA", "Kelvadon\\Updates\\", "Kelvadon\\\\Updates",
        "Kelvadon/Updates", "../escape", "CON\\Updates", "Kelvadon\\nul.txt", "LPT1", "Updates.",
        "a*b", "a?b", "a|b", "a&lt;b", "a&quot;b"}) {
    updatertest::ResetUpdaterState();
    EXPECT_EQ(Load(updatertest::WithDownloadPath(complete, bad)), kSettingsBadDownloadPath) << bad;
    EXPECT_EQ(g_Updater.DownloadPath, L"") << bad;
  }
}

// A download folder that can never hold the folder and the file of a
// download is refused as a broken file is; the longest one that can is
// taken.
TEST_F(Settings, DownloadPathThatCanNeverFitIsRefused) {
  const std::string complete = SettingsXml("K", "");
  const std::wstring area = DownloadArea(false);
  ASSERT_FALSE(area.empty());
  const size_t room = MAX_PATH - 1 - area.size() - 1 - kDownloadFolderReserve;
  std::string longest;
  while (longest.size() < room) longest += longest.empty() ? "a" : (longest.size() % 50 ? "b" : "\\");
  while (longest.back() == '\\') longest.back() = 'c';
  ASSERT_EQ(longest.size(), room);
  ASSERT_EQ(Load(updatertest::WithDownloadPath(complete, longest)), kSettingsOk);
  std::string deep;
  while (deep.size() < 300) deep += deep.empty() ? "abcdefghi" : "\\abcdefghi";
  for (const std::string& bad : {longest + "d", std::string(255, 'n'), "Kelvadon\\" + std::string(255, 'n'),
                                 std::string(256, 'n'), deep}) {
    updatertest::ResetUpdaterState();
    EXPECT_EQ(Load(updatertest::WithDownloadPath(complete, bad)), kSettingsBadDownloadPath) << bad.size();
    EXPECT_EQ(g_Updater.DownloadPath, L"");
  }
  // Without a known area the shortest one counts, and a part longer than a
  // name still never fits.
  EXPECT_TRUE(DownloadPathFits(L"", std::wstring(MAX_PATH - 1 - 3 - kDownloadFolderReserve, L'a')));
  EXPECT_FALSE(DownloadPathFits(L"", std::wstring(MAX_PATH - 1 - 3 - kDownloadFolderReserve + 1, L'a')));
  EXPECT_FALSE(DownloadPathFits(L"C:", std::wstring(256, L'a')));
  EXPECT_TRUE(DownloadPathFits(L"C:", L"a\\" + std::wstring(200, L'a')));
}

TEST_F(Settings, BrokenAndHostileFiles) {
  EXPECT_EQ(LoadUpdaterSettingsFrom((dir_ / L"absent.xml").c_str()), kSettingsUnreadable);
  EXPECT_EQ(LoadUpdaterSettingsFrom(nullptr), kSettingsUnreadable);
  EXPECT_EQ(Load(""), kSettingsUnreadable);
  EXPECT_EQ(Load("not xml at all"), kSettingsUnreadable);
  EXPECT_EQ(Load("<KelvadonUpdate><RegKey>K</KelvadonUpdate>"), kSettingsUnreadable);
  EXPECT_EQ(Load(std::string("\xff\xfe\x00", 3)), kSettingsUnreadable);
  // Another root reads every value as empty.
  std::string other = SettingsXml("K", "");
  other.replace(other.find("<KelvadonUpdate>"), 16, "<OtherRoot>");
  other.replace(other.find("</KelvadonUpdate>"), 17, "</OtherRoot>");
  EXPECT_EQ(Load(other), kSettingsBadDownloadPath);
  // Entities declared in a DTD are neither expanded nor fetched: the file is
  // refused as a whole.
  std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE KelvadonUpdate [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
  EXPECT_EQ(Load(laughs + SettingsXml("K", "<ProductName>&d;</ProductName>").substr(40)),
            kSettingsUnreadable);
  std::string external = "<?xml version=\"1.0\"?><!DOCTYPE KelvadonUpdate ["
                         "<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>";
  EXPECT_EQ(Load(external + SettingsXml("K", "<ProductName>&x;</ProductName>").substr(40)),
            kSettingsUnreadable);
  // UTF-16 with a byte-order mark is read like UTF-8.
  const std::string utf8 = SettingsXml("Software\\T\\Wide", "");
  std::wstring wide = testsupport::Widen(utf8);
  size_t declaration = wide.find(L"UTF-8");
  wide.replace(declaration, 5, L"UTF-16");
  std::string bytes("\xff\xfe", 2);
  bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  ASSERT_EQ(Load(bytes), kSettingsOk);
  EXPECT_EQ(g_Updater.RegKey, L"Software\\T\\Wide");
}

// The settings files the build puts beside Nemdrift.exe: this tree's and
// those of the other tree, which ships.
class ShippedSettings : public ::testing::Test {
 protected:
  void SetUp() override { updatertest::ResetUpdaterState(); }
  void TearDown() override { updatertest::ResetUpdaterState(); }
  static std::wstring PeerBin() {
    std::wstring path = L"Z:" + testsupport::Widen(NEMDRIFT_PEER_BIN) + L"\\";
    for (wchar_t& c : path)
      if (c == L'/') c = L'\\';
    return path;
  }
  static std::wstring Element(const std::wstring& path, const wchar_t* xpath) {
    zq_xml::KXMLDocument document;
    if (!document.Create()) return L"<no document>";
    document.SetAsync(false);
    if (!document.Load(path.c_str())) return L"<not loaded>";
    return document.SelectSingleNode(xpath).Text();
  }
  static std::wstring Host(const std::wstring& url) {
    wchar_t host[256] = {};
    DWORD length = 256;
    if (FAILED(UrlGetPartW(url.c_str(), host, &length, URL_PART_HOSTNAME, 0))) return L"";
    return host;
  }
  // The file's text with the server part of its two URLs cut out.
  static std::string WithoutServer(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(testsupport::ReadFileBytes(path, bytes));
    std::string text(bytes.begin(), bytes.end());
    for (const char* tag : {"<RSSURL>", "<VersionInfoURL>"}) {
      const size_t start = text.find(tag);
      if (start == std::string::npos) return "<no " + std::string(tag) + ">";
      const size_t hostStart = text.find("://", start) + 3;
      const size_t pathStart = text.find('/', hostStart);
      text.erase(start + strlen(tag), pathStart - start - strlen(tag));
    }
    return text;
  }

  updatertest::ComScope com_;
};

TEST_F(ShippedSettings, EachLanguageFileIsCompleteAndNamesThisTreesServer) {
  for (const wchar_t* name : {L"Nemdrift.xml", L"Nemdrift.en.xml", L"Nemdrift.jp.xml"}) {
    SCOPED_TRACE(testsupport::Narrow(name));
    const std::wstring path = testsupport::BinPath(name);
    ASSERT_EQ(LoadUpdaterSettingsFrom(path.c_str()), kSettingsOk);
    EXPECT_FALSE(g_Updater.IntegrateMode);
    const std::wstring list = Element(path, L"/KelvadonUpdate/VersionInfoURL");
    EXPECT_EQ(CheckHostSuffix(Host(list).c_str(), kDownloadDomainSuffix), 0) << Narrow(list);
    EXPECT_EQ(Host(list), L"127.0.0.1") << "the test tree's server";
    EXPECT_EQ(Host(g_Updater.RSSURL), L"127.0.0.1");
    // The component is the builder beside the updater, read from its
    // version resource.
    EXPECT_EQ(Element(path, L"/KelvadonUpdate/Component/ID"), L"VESMARIN6");
    const std::wstring module = Element(path, L"/KelvadonUpdate/Component/Module");
    EXPECT_EQ(module, L"Vesmarin.exe");
    DWORD major = 0, minor = 0, build = 0;
    EXPECT_EQ(GetModuleVersion(testsupport::BinPath(module).c_str(), &major, &minor, &build), 1);
    EXPECT_EQ(major, 6u);
  }
  // The fallback is the English file; the Japanese one speaks Japanese.
  std::vector<uint8_t> plain, english;
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Nemdrift.xml"), plain));
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Nemdrift.en.xml"), english));
  EXPECT_EQ(plain, english);
  ASSERT_EQ(LoadUpdaterSettingsFrom(testsupport::BinPath(L"Nemdrift.jp.xml").c_str()), kSettingsOk);
  EXPECT_NE(g_Updater.NoUpdateMessage.find(L"\u6700\u65b0"), std::wstring::npos)
      << Narrow(g_Updater.NoUpdateMessage);
  EXPECT_NE(g_Updater.CheckFailDescription.find(L"$$CHECKERRORCODE$$"), std::wstring::npos);
  EXPECT_NE(g_Updater.NoUpdateDescription.find(L"$$APPVERSION$$"), std::wstring::npos);
}

TEST_F(ShippedSettings, TheShippedTreeNamesTheMakersServerAndNothingElseDiffers) {
  for (const wchar_t* name : {L"Nemdrift.xml", L"Nemdrift.en.xml", L"Nemdrift.jp.xml"}) {
    SCOPED_TRACE(testsupport::Narrow(name));
    const std::wstring shipped = PeerBin() + name;
    ASSERT_EQ(LoadUpdaterSettingsFrom(shipped.c_str()), kSettingsOk) << Narrow(shipped);
    const std::wstring list = Element(shipped, L"/KelvadonUpdate/VersionInfoURL");
    for (const std::wstring& url : {list, g_Updater.RSSURL}) {
      const std::wstring host = Host(url);
      EXPECT_FALSE(host.empty()) << Narrow(url);
      EXPECT_EQ(host.find(L"127."), std::wstring::npos) << Narrow(url);
      EXPECT_NE(host, L"localhost");
    }
    EXPECT_EQ(WithoutServer(shipped), WithoutServer(testsupport::BinPath(name)));
  }
}

}  // namespace
