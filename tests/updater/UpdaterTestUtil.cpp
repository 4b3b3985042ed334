#include "UpdaterTestUtil.h"

#include <gtest/gtest.h>

#include <vector>

#include "HttpDownload.h"
#include "TestSupport.h"
#include "UpdaterState.h"

namespace updatertest {

std::wstring ServerFolder() { return testsupport::BinDir() + L"..\\updater-server\\"; }

std::wstring ServerBase() {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(ServerFolder() + L"port", bytes) || bytes.empty()) {
    ADD_FAILURE() << "the loopback test server is not running";
    return L"http://127.0.0.1:1";
  }
  return L"http://127.0.0.1:" + testsupport::Widen(std::string(bytes.begin(), bytes.end()));
}

std::wstring PublishDocument(const std::wstring& name, const std::string& content) {
  const std::wstring path = ServerFolder() + L"www\\" + name;
  EXPECT_TRUE(testsupport::WriteFileBytes(path, content.data(), content.size()));
  return ServerBase() + L"/doc/" + name;
}

namespace {

int CollectText(const BYTE* data, DWORD length, DWORD, void* context) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), length);
  return 1;
}

}  // namespace

int ServerHits(const std::wstring& path) {
  std::string body;
  const std::wstring url = ServerBase() + L"/hits?path=" + path;
  if (!DownloadUrl(L"tests", url.c_str(), nullptr, nullptr, CollectText, kDownloadChunk, &body) ||
      body.empty())
    return -1;
  return std::stoi(body);
}

void ResetUpdaterState() {
  Updater.RegKey.clear();
  Updater.CommonRegKey = kDefaultCommonRegKey;
  Updater.IntegrateMode = false;
  Updater.DownloadPath.clear();
  Updater.RSSURL.clear();
  Updater.NoUpdateMessage.clear();
  Updater.CheckFailMessage.clear();
  Updater.NoUpdateDescription.clear();
  Updater.CheckFailDescription.clear();
  Updater.UpdaterLoginUser.clear();
  Updater.UpdaterLoginPass.clear();
  Updater.ProductName.clear();
  Updater.ProductPlatform.clear();
  Updater.Updates.clear();
  Updater.News.clear();
}

std::string SettingsXml(const std::string& regKey, const std::string& extra) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<KelvadonUpdate>\r\n"
         "  <DownloadPath>Kelvadon\\Updates</DownloadPath>\r\n"
         "  <RegKey>" + regKey + "</RegKey>\r\n"
         "  <RSSURL>http://127.0.0.1/news.xml</RSSURL>\r\n"
         "  <NoUpdateMessage>No update is available.</NoUpdateMessage>\r\n"
         "  <CheckFailMessage>The update check failed.</CheckFailMessage>\r\n"
         "  <NoUpdateDescription>&lt;p&gt;Version $$APPVERSION$$&lt;/p&gt;</NoUpdateDescription>\r\n"
         "  <CheckFailDescription>&lt;p&gt;Error $$CHECKERRORCODE$$&lt;/p&gt;</CheckFailDescription>\r\n" +
         extra + "</KelvadonUpdate>\r\n";
}

std::string ComponentXml(const std::string& id, int major, int minor, int build,
                         const std::string& date) {
  return "<Component><VersionMajor>" + std::to_string(major) + "</VersionMajor><VersionMinor>" +
         std::to_string(minor) + "</VersionMinor><VersionBuild>" + std::to_string(build) +
         "</VersionBuild><VersionString>" + std::to_string(major) + "." + std::to_string(minor) +
         " (build " + std::to_string(build) +
         ")</VersionString><FileURL>http://127.0.0.1/setup.exe</FileURL>"
         "<FileName>setup.exe</FileName><FileMD5>d41d8cd98f00b204e9800998ecf8427e</FileMD5>"
         "<Description>&lt;b&gt;New&lt;/b&gt;</Description><Date>" +
         date + "</Date><ID>" + id + "</ID></Component>";
}

std::string VersionListXml(const std::string& components) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UpdateInfoBase>" + components +
         "</UpdateInfoBase>\r\n";
}

}  // namespace updatertest
