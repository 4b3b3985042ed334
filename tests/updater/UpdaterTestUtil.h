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

// How many requests for path (no query) the server has had.
int ServerHits(const std::wstring& path);

// Puts every string member of the updater's state back to its start.
void ResetUpdaterState();

// A settings document with all required values; extra is inserted before
// the closing root tag.
std::string SettingsXml(const std::string& regKey, const std::string& extra);

// A version list with one component.
std::string ComponentXml(const std::string& id, int major, int minor, int build,
                         const std::string& date = "Tue, 08 Dec 2026 09:00:00 +0900");
std::string VersionListXml(const std::string& components);

}  // namespace updatertest
