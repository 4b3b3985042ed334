// The version check against version lists served by the loopback server.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "UpdaterTestUtil.h"
#include "VersionCheck.h"

namespace {

using updatertest::ComponentXml;
using updatertest::VersionListXml;

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    tag_ = std::to_wstring(GetCurrentProcessId()) + L"-" +
           testsupport::Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  // Installed version from an INI module.
  void Installed(int major, int minor, int build) {
    const std::string ini = "[Nemdrift]\r\nVersionMajor=" + std::to_string(major) +
                            "\r\nVersionMinor=" + std::to_string(minor) +
                            "\r\nVersionBuild=" + std::to_string(build) + "\r\n";
    ASSERT_TRUE(testsupport::WriteTextFile(dir_ / L"product.ini", ini));
  }
  std::string Component(const std::string& module = "<Module type=\"def\">product.ini</Module>",
                        const std::string& id = "VESMARIN6") {
    return "<Component><ID>" + id + "</ID><Name>Vesmarin 6</Name>" + module + "</Component>";
  }
  // Publishes the list, writes settings naming it, and runs the check.
  bool Check(const std::string& list, int* status, const std::string& components = "",
             const std::wstring& url = L"") {
    const std::wstring listUrl =
        url.empty() ? updatertest::PublishDocument(L"versions-" + tag_ + L".xml", list) : url;
    const std::string settings = updatertest::SettingsXml(
        "Software\\VesmarinTests\\VersionCheck",
        "<VersionInfoURL>" + testsupport::Narrow(listUrl) + "</VersionInfoURL>" +
            (components.empty() ? Component() : components));
    const std::wstring path = dir_ / L"Nemdrift.xml";
    EXPECT_TRUE(testsupport::WriteTextFile(path, settings));
    std::wstring folder = dir_.path();
    folder.pop_back();
    updates_.clear();
    *status = 0;
    return CheckForUpdatesWith(path.c_str(), folder.c_str(), updates_, status);
  }
  updatertest::ComScope com_;
  testsupport::TempDir dir_{L"vcheck"};
  std::wstring tag_;
  std::deque<UpdateItem> updates_;
};

TEST_F(VersionCheck, NewerSameAndOlderPublishedVersions) {
  Installed(5, 3, 0);
  int status = 0;
  struct {
    int major, minor, build;
    bool newer;
  } cases[] = {{5, 3, 1, true}, {5, 2, 9, false}, {5, 3, 0, false}, {6, 0, 0, true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Check(VersionListXml(ComponentXml("VESMARIN6", c.major, c.minor, c.build)), &status))
        << status;
    ASSERT_EQ(updates_.size(), 1u);
    const UpdateItem& item = updates_.front();
    EXPECT_EQ(item.UpdateAvailable, c.newer) << c.major << "." << c.minor << "." << c.build;
    EXPECT_EQ(item.Kind, kUpdateItemKind);
    EXPECT_EQ(item.Name, L"Vesmarin 6");
    EXPECT_EQ(item.InstalledVersion, L"5.3.0");
    EXPECT_EQ(item.FileName, L"setup.exe");
    EXPECT_EQ(item.FileURL, L"http://127.0.0.1/setup.exe");
    EXPECT_EQ(item.FileMD5, L"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(item.Description, L"<b>New</b>");
    // 2026-12-08 00:00 UTC; the tests run with TZ=UTC.
    EXPECT_EQ(item.Date.wYear, 2026);
    EXPECT_EQ(item.Date.wMonth, 12);
    EXPECT_EQ(item.Date.wDay, 8);
    EXPECT_EQ(status, 0);
  }
}

TEST_F(VersionCheck, NumbersAndDatesAsWritten) {
  Installed(5, 0, 0);
  int status = 0;
  std::string odd = ComponentXml("VESMARIN6", 0, 0, 0, "sometime soon");
  odd.replace(odd.find("<VersionMajor>0"), 15, "<VersionMajor>5a");
  odd.replace(odd.find("<VersionMinor>0"), 15, "<VersionMinor>x");
  odd.replace(odd.find("<VersionBuild>0"), 15, "<VersionBuild> 7");
  ASSERT_TRUE(Check(VersionListXml(odd), &status)) << status;
  EXPECT_TRUE(updates_.front().UpdateAvailable) << "5a.x. 7 reads 5.0.7";
  EXPECT_EQ(updates_.front().Date.wYear, 0) << "an unparsable date gives a zero date";
}

TEST_F(VersionCheck, MissingPublishedValuesEndTheCheck) {
  Installed(1, 0, 0);
  const char* fields[] = {"VersionMajor", "VersionMinor", "VersionBuild", "VersionString", "FileURL",
                          "FileName",     "FileMD5",      "Description",  "Date",          "ID"};
  for (int i = 0; i < 10; ++i) {
    std::string component = ComponentXml("VESMARIN6", 2, 0, 0);
    const std::string open = std::string("<") + fields[i] + ">";
    const std::string close = std::string("</") + fields[i] + ">";
    const size_t from = component.find(open);
    component.erase(from, component.find(close, from) + close.size() - from);
    int status = 0;
    EXPECT_FALSE(Check(VersionListXml(component), &status));
    EXPECT_EQ(status, 301 + i) << fields[i];
    EXPECT_TRUE(updates_.empty());
  }
  // A broken first component ends the check even when a later one matches.
  std::string first = ComponentXml("OTHER", 2, 0, 0);
  first.replace(first.find("<FileMD5>"), 9, "<FileMD6>");
  first.replace(first.find("</FileMD5>"), 10, "</FileMD6>");
  int status = 0;
  EXPECT_FALSE(Check(VersionListXml(first + ComponentXml("VESMARIN6", 2, 0, 0)), &status));
  EXPECT_EQ(status, 307);
  EXPECT_FALSE(Check(VersionListXml(ComponentXml("OTHER", 2, 0, 0)), &status));
  EXPECT_EQ(status, 401);
  EXPECT_FALSE(Check(VersionListXml(""), &status));
  EXPECT_EQ(status, 401);
}

TEST_F(VersionCheck, SettingsComponent) {
  Installed(1, 0, 0);
  const std::string list = VersionListXml(ComponentXml("VESMARIN6", 2, 0, 0));
  int status = 0;
  EXPECT_FALSE(Check(list, &status, "<Other/>"));
  EXPECT_EQ(status, 201) << "no component at all";
  EXPECT_FALSE(Check(list, &status, "<Component><ID>VESMARIN6</ID><Module>m</Module></Component>"));
  EXPECT_EQ(status, 202);
  EXPECT_FALSE(Check(list, &status, "<Component><ID>VESMARIN6</ID><Name>N</Name></Component>"));
  EXPECT_EQ(status, 203);
  // Only the first component counts.
  EXPECT_FALSE(Check(list, &status, Component("<Module type=\"def\">product.ini</Module>", "NOPE") +
                                        Component()));
  EXPECT_EQ(status, 401);
  // A definition file without the section reads 0.0.0.
  ASSERT_TRUE(testsupport::WriteTextFile(dir_ / L"empty.ini", "[Other]\r\nVersionMajor=9\r\n"));
  ASSERT_TRUE(Check(list, &status, Component("<Module type=\"def\">empty.ini</Module>")));
  EXPECT_EQ(updates_.front().InstalledVersion, L"0.0.0");
  EXPECT_TRUE(updates_.front().UpdateAvailable);
  // A program's version resource; an absolute path is used as it is.
  const std::wstring program = testsupport::BinPath(L"Nemdrift.exe");
  ASSERT_TRUE(Check(list, &status,
                    Component("<Module>" + testsupport::Narrow(program) + "</Module>")));
  EXPECT_EQ(updates_.front().InstalledVersion, L"6.0.0");
  EXPECT_FALSE(updates_.front().UpdateAvailable);
  // Without type "def" an INI file has no version resource.
  EXPECT_FALSE(Check(list, &status, Component("<Module type=\"DEF\">product.ini</Module>")));
  EXPECT_EQ(status, 204);
  EXPECT_FALSE(Check(list, &status, Component("<Module>missing.exe</Module>")));
  EXPECT_EQ(status, 204);
}

TEST_F(VersionCheck, ListsFromOutsideOrBrokenAnswers) {
  Installed(1, 0, 0);
  const std::wstring base = updatertest::ServerBase();
  int status = 0;
  EXPECT_FALSE(Check("", &status, "", L"http://localhost" + base.substr(16) + L"/doc/x.xml"));
  EXPECT_EQ(status, 108);
  EXPECT_FALSE(Check("", &status, "", L"not a url"));
  EXPECT_EQ(status, 106);
  for (const wchar_t* path : {L"/status/404", L"/xml404", L"/short/400",
                              L"/redirect/0?to=http://elsewhere.invalid/v.xml", L"/bytes/100"}) {
    EXPECT_FALSE(Check("", &status, "", base + path)) << testsupport::Narrow(path);
    EXPECT_EQ(status, 104) << testsupport::Narrow(path);
  }
  // A well-formed list reached through a redirect inside the domain.
  const std::wstring list =
      updatertest::PublishDocument(L"redirected-" + tag_ + L".xml",
                                   VersionListXml(ComponentXml("VESMARIN6", 2, 0, 0)));
  EXPECT_TRUE(Check("", &status, "", base + L"/redirect/1?to=" + list)) << status;
  // Larger than any version list: refused unread.
  EXPECT_FALSE(Check("", &status, "", base + L"/bytes/2000000"));
  EXPECT_EQ(status, 104);
  // A list with a DTD is refused.
  const std::string typed = "<?xml version=\"1.0\"?><!DOCTYPE UpdateInfoBase [<!ENTITY v \"2\">]>"
                            "<UpdateInfoBase>" + ComponentXml("VESMARIN6", 2, 0, 0) +
                            "</UpdateInfoBase>";
  EXPECT_FALSE(Check(typed, &status));
  EXPECT_EQ(status, 104);
  // No version list named: false, status untouched.
  status = 0;
  EXPECT_FALSE(Check("", &status, "", L" "));
  EXPECT_EQ(status, 0);
}

// Version comparison.
bool Newer(DWORD a, DWORD b, DWORD c, DWORD x, DWORD y, DWORD z) {
  const DWORD published[3] = {a, b, c};
  const DWORD installed[3] = {x, y, z};
  return IsNewerVersion(published, installed);
}

TEST(VersionRules, ComparisonMajorFirst) {
  EXPECT_TRUE(Newer(5, 3, 1, 5, 3, 0));
  EXPECT_FALSE(Newer(5, 2, 9, 5, 3, 0));
  EXPECT_FALSE(Newer(5, 3, 0, 5, 3, 0));
  EXPECT_TRUE(Newer(6, 0, 0, 5, 9, 9));
  EXPECT_FALSE(Newer(4, 99, 99, 5, 0, 0));
  EXPECT_TRUE(Newer(5, 4, 0, 5, 3, 99));
  EXPECT_TRUE(Newer(0, 0, 1, 0, 0, 0));
  // Unsigned: a huge published part is greater, never negative.
  EXPECT_TRUE(Newer(0xFFFFFFFF, 0, 0, 1, 0, 0));
  EXPECT_FALSE(Newer(0, 0, 0, 0xFFFFFFFF, 0, 0));
}

}  // namespace
