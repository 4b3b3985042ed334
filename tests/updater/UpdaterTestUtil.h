// Helpers of the updater tests: COM for the test, the loopback server, and
// settings files.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <string>

namespace updatertest {

// COM for one test (apartment threaded, as the updater runs it).
class ComScope {
 public:
  ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() { CoUninitialize(); }
};

// The folder the loopback server serves from and writes its port into
// (build/x86_64/updater-server\), and its address "http://127.0.0.1:<port>".
std::wstring ServerFolder();
std::wstring ServerBase();
// Writes a file the server hands out at /doc/<name>; gives its URL.
std::wstring PublishDocument(const std::wstring& name, const std::string& content);

// Copies a file the server then hands out at /doc/<name>; gives its URL.
std::wstring PublishFile(const std::wstring& name, const std::wstring& source);

// How many requests for path (no query) the server has had.
int ServerHits(const std::wstring& path);

// Puts every string member of the updater's state back to its start.
void ResetUpdaterState();

// A settings document with all required values; extra is inserted before
// the closing root tag.
std::string SettingsXml(const std::string& regKey, const std::string& extra);
// The same with the news feed at rssUrl.
std::string SettingsXml(const std::string& regKey, const std::string& extra,
                        const std::string& rssUrl);
// A settings document with its DownloadPath text replaced by path (XML text).
std::string WithDownloadPath(std::string settings, const std::string& path);

// While it lives, http and https addresses opened through the shell start
// envprobe.exe with the address (it records to the file ENVPROBE_OUT names).
// Changes the machine-wide handler: tests using it hold the lock
// vesmarin_builder_interactive.
class WebLinkProbe {
 public:
  WebLinkProbe();
  ~WebLinkProbe();
  WebLinkProbe(const WebLinkProbe&) = delete;
  WebLinkProbe& operator=(const WebLinkProbe&) = delete;
  // The record file's text once it holds count records (or after 15 s).
  static std::string WaitForRecord(const std::wstring& path, int count);

 private:
  std::wstring saved_[2];
  bool existed_[2] = {false, false};
};

// A version list with one component.
std::string ComponentXml(const std::string& id, int major, int minor, int build,
                         const std::string& date = "Tue, 08 Dec 2026 09:00:00 +0900");
std::string VersionListXml(const std::string& components);

}  // namespace updatertest
