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
  g_Updater.RegKey.clear();
  g_Updater.CommonRegKey = kDefaultCommonRegKey;
  g_Updater.IntegrateMode = false;
  g_Updater.DownloadPath.clear();
  g_Updater.RSSURL.clear();
  g_Updater.NoUpdateMessage.clear();
  g_Updater.CheckFailMessage.clear();
  g_Updater.NoUpdateDescription.clear();
  g_Updater.CheckFailDescription.clear();
  g_Updater.UpdaterLoginUser.clear();
  g_Updater.UpdaterLoginPass.clear();
  g_Updater.ProductName.clear();
  g_Updater.ProductPlatform.clear();
  g_Updater.Updates.clear();
  g_Updater.News.clear();
  g_Updater.ShowOption = 1;
  g_Updater.AutoCheckUpdate = true;
  g_Updater.ShowOnNewInformation = true;
  g_Updater.CheckFailed = false;
  g_Updater.CheckStatus = 0;
  for (auto& entry : g_Updater.NewsIconCache)
    if (entry.second.Bitmap) DeleteObject(entry.second.Bitmap);
  g_Updater.NewsIconCache.clear();
}

std::wstring PublishFile(const std::wstring& name, const std::wstring& source) {
  const std::wstring path = ServerFolder() + L"www\\" + name;
  EXPECT_TRUE(CopyFileW(source.c_str(), path.c_str(), FALSE)) << testsupport::Narrow(source);
  return ServerBase() + L"/doc/" + name;
}

namespace {

const wchar_t* const kHandlerKeys[2] = {L"Software\\Classes\\http\\shell\\open\\command",
                                        L"Software\\Classes\\https\\shell\\open\\command"};

void SetHandler(const wchar_t* key, const std::wstring& command) {
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

WebLinkProbe::WebLinkProbe() {
  const std::wstring command = L"\"" + testsupport::BinPath(L"envprobe.exe") + L"\" \"%1\"";
  for (int i = 0; i < 2; ++i) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    existed_[i] = RegGetValueW(HKEY_LOCAL_MACHINE, kHandlerKeys[i], nullptr, RRF_RT_REG_SZ, nullptr,
                               value, &size) == ERROR_SUCCESS;
    saved_[i] = value;
    SetHandler(kHandlerKeys[i], command);
  }
}

WebLinkProbe::~WebLinkProbe() {
  for (int i = 0; i < 2; ++i) {
    if (existed_[i])
      SetHandler(kHandlerKeys[i], saved_[i]);
    else
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kHandlerKeys[i], nullptr);
  }
}

std::string WebLinkProbe::WaitForRecord(const std::wstring& path, int count) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> bytes;
    if (testsupport::ReadFileBytes(path, bytes)) {
      text.assign(bytes.begin(), bytes.end());
      int ends = 0;
      for (size_t at = text.find("\nend"); at != std::string::npos; at = text.find("\nend", at + 1))
        ++ends;
      if (ends >= count) return text;
    }
    Sleep(50);
  }
  return text;
}

std::string SettingsXml(const std::string& regKey, const std::string& extra) {
  return SettingsXml(regKey, extra, "http://127.0.0.1:1/news.xml");
}

std::string SettingsXml(const std::string& regKey, const std::string& extra,
                        const std::string& rssUrl) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<KelvadonUpdate>\r\n"
         "  <DownloadPath>Kelvadon\\Updates</DownloadPath>\r\n"
         "  <RegKey>" + regKey + "</RegKey>\r\n"
         "  <RSSURL>" + rssUrl + "</RSSURL>\r\n"
         "  <NoUpdateMessage>No update is available.</NoUpdateMessage>\r\n"
         "  <CheckFailMessage>The update check failed.</CheckFailMessage>\r\n"
         "  <NoUpdateDescription>&lt;p&gt;Version $$APPVERSION$$&lt;/p&gt;</NoUpdateDescription>\r\n"
         "  <CheckFailDescription>&lt;p&gt;Error $$CHECKERRORCODE$$&lt;/p&gt;</CheckFailDescription>\r\n" +
         extra + "</KelvadonUpdate>\r\n";
}

std::string WithDownloadPath(std::string settings, const std::string& path) {
  const std::string open = "<DownloadPath>", close = "</DownloadPath>";
  const size_t from = settings.find(open) + open.size();
  return settings.replace(from, settings.find(close) - from, path);
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
