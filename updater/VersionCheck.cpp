#include "VersionCheck.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

#include "BackgroundTransfer.h"
#include "DownloadDomain.h"
#include "HttpDownload.h"
#include "InternetDate.h"
#include "NemdriftResource.h"
#include "UpdaterSettings.h"
#include "UpdaterStrings.h"
#include "VersionInfo.h"
#include "ZqXml.h"

namespace {

struct BodyBuffer {
  std::string* body;
  bool tooLong;
};

int CollectBody(const BYTE* data, DWORD length, DWORD total, void* context) {
  BodyBuffer* buffer = static_cast<BodyBuffer*>(context);
  if (total > kMaxVersionListBytes || buffer->body->size() + length > kMaxVersionListBytes) {
    buffer->tooLong = true;
    return 0;
  }
  buffer->body->append(reinterpret_cast<const char*>(data), length);
  return 1;
}

DWORD ToNumber(const std::wstring& text) {
  return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 10));
}

}  // namespace

bool FetchVersionList(const wchar_t* url, std::string* body, RedirectRule redirects) {
  body->clear();
  BodyBuffer buffer = {body, false};
  const std::wstring agent = LoadStringResource(IDS_USER_AGENT);
  TransferLimits limits;
  limits.deadlineMs = kDocumentDeadlineMs;
  limits.stallMs = kRequestTimeoutMs;
  const bool fetched = RunTransfer(
      [&](DownloadControl& control) {
        DownloadOptions options;
        options.redirects = redirects;
        options.control = &control;
        return DownloadUrl(agent.c_str(), url, nullptr, nullptr, CollectBody, kDownloadChunk,
                           &buffer, options);
      },
      nullptr, limits, nullptr, nullptr);
  if (!fetched) body->clear();
  return fetched && !buffer.tooLong;
}

int GetModuleVersion(const wchar_t* path, DWORD* major, DWORD* minor, DWORD* build) {
  const VersionApi api = SystemVersionApi();
  std::vector<uint8_t> block;
  VS_FIXEDFILEINFO fixed;
  if (!path || LoadVersionResource(api, path, &block) != VersionReadResult::kRead ||
      !QueryFixedFileInfo(api, block, &fixed))
    return 0;
  if (major) *major = HIWORD(fixed.dwFileVersionMS);
  if (minor) *minor = LOWORD(fixed.dwFileVersionMS);
  if (build) *build = HIWORD(fixed.dwFileVersionLS);
  return 1;
}

bool IsNewerVersion(const DWORD published[3], const DWORD installed[3]) {
  for (int i = 0; i < 3; ++i)
    if (published[i] != installed[i]) return published[i] > installed[i];
  return false;
}

bool CheckForUpdates(std::deque<UpdateItem>& updates, int* status) {
  wchar_t path[MAX_PATH];
  wchar_t folder[MAX_PATH];
  const bool havePath = BuildSettingsPath(path);
  if (!GetUpdaterFolder(folder)) folder[0] = L'\0';
  PathRemoveBackslashW(folder);
  return CheckForUpdatesWith(havePath ? path : nullptr, folder, updates, status);
}

bool CheckForUpdatesWith(const wchar_t* settingsPath, const wchar_t* folder,
                         std::deque<UpdateItem>& updates, int* status) {
  zq_xml::KXMLDocument settings;
  const int opened = OpenSettingsDocument(settings, settingsPath);
  if (opened == kSettingsNoDocument) return *status = 101, false;
  if (opened != kSettingsOk) return *status = 102, false;

  const std::wstring url = settings.SelectSingleNode(L"/KelvadonUpdate/VersionInfoURL").Text();
  if (url.empty()) return false;
  const int hostCheck = CheckUrlHost(url.c_str(), kDownloadDomainSuffix);
  if (hostCheck != 0) return *status = hostCheck, false;

  zq_xml::KXMLDocument published;
  if (!published.Create()) return *status = 103, false;
  published.SetAsync(false);
  std::string body;
  if (!published.SetUntrustedInput() || !FetchVersionList(url.c_str(), &body) ||
      !published.LoadBytes(body.data(), body.size()) || published.HasDocumentType())
    return *status = 104, false;

  zq_xml::KXMLNodeList components = settings.SelectNodes(L"/KelvadonUpdate/Component");
  if (!components.IsValid()) return *status = 105, false;
  const zq_xml::KXMLNode component = components.Item(0);
  const std::wstring id = component.SelectSingleNode(L"./ID").Text();
  if (id.empty()) return *status = 201, false;
  const std::wstring name = component.SelectSingleNode(L"./Name").Text();
  if (name.empty()) return *status = 202, false;
  const zq_xml::KXMLNode moduleNode = component.SelectSingleNode(L"./Module");
  const std::wstring module = moduleNode.Text();
  if (module.empty()) return *status = 203, false;

  wchar_t modulePath[MAX_PATH] = {};
  if (!folder || module.size() >= MAX_PATH || !PathCombineW(modulePath, folder, module.c_str()))
    return *status = 204, false;
  DWORD installed[3] = {0, 0, 0};
  if (moduleNode.Attributes().GetNamedItemText(L"type") == L"def") {
    installed[0] = GetPrivateProfileIntW(L"Nemdrift", L"VersionMajor", 0, modulePath);
    installed[1] = GetPrivateProfileIntW(L"Nemdrift", L"VersionMinor", 0, modulePath);
    installed[2] = GetPrivateProfileIntW(L"Nemdrift", L"VersionBuild", 0, modulePath);
  } else if (!GetModuleVersion(modulePath, &installed[0], &installed[1], &installed[2])) {
    return *status = 204, false;
  }
  wchar_t installedText[40] = {};
  swprintf(installedText, 40, L"%u.%u.%u", static_cast<unsigned>(installed[0]),
           static_cast<unsigned>(installed[1]), static_cast<unsigned>(installed[2]));

  zq_xml::KXMLNodeList entries = published.SelectNodes(L"/UpdateInfoBase/Component");
  if (!entries.IsValid()) return *status = 205, false;
  static const wchar_t* const kFields[] = {L"./VersionMajor", L"./VersionMinor", L"./VersionBuild",
                                           L"./VersionString", L"./FileURL",     L"./FileName",
                                           L"./FileMD5",       L"./Description", L"./Date",
                                           L"./ID"};
  const int kFieldCount = 10;
  for (zq_xml::KXMLNodeListIterator entry = entries.Begin(); entry != entries.End(); ++entry) {
    std::wstring values[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) {
      values[i] = entry->SelectSingleNode(kFields[i]).Text();
      if (values[i].empty()) return *status = 301 + i, false;
    }
    const DWORD version[3] = {ToNumber(values[0]), ToNumber(values[1]), ToNumber(values[2])};
    SYSTEMTIME date = {};
    SYSTEMTIME utc;
    if (ParseInternetDate(values[8].c_str(), &utc)) {
      if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &date)) date = SYSTEMTIME();
    }
    if (values[9] != id) continue;
    UpdateItem item;
    item.UpdateAvailable = IsNewerVersion(version, installed);
    item.Name = name;
    item.InstalledVersion = installedText;
    item.VersionString = values[3];
    item.FileURL = values[4];
    item.FileName = values[5];
    item.FileMD5 = values[6];
    item.Description = values[7];
    item.Date = date;
    updates.push_back(item);
    return true;
  }
  *status = 401;
  return false;
}
