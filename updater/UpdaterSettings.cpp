#include "UpdaterSettings.h"

#include <shlwapi.h>

#include <climits>
#include <cwchar>

#include "DownloadFolder.h"
#include "NemdriftResource.h"
#include "UpdaterState.h"
#include "UpdaterStrings.h"

bool GetUpdaterFolder(wchar_t (&folder)[MAX_PATH]) {
  folder[0] = L'\0';
  const DWORD got = GetModuleFileNameW(nullptr, folder, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return false;
  if (!PathRemoveFileSpecW(folder)) return false;
  if (wcslen(folder) + 2 > MAX_PATH) return false;
  return PathAddBackslashW(folder) != nullptr;
}

bool BuildSettingsPath(wchar_t (&path)[MAX_PATH]) {
  path[0] = L'\0';
  wchar_t folder[MAX_PATH];
  if (!GetUpdaterFolder(folder)) return false;
  const std::wstring base = folder;
  const std::wstring language = base + L"Nemdrift." + LoadStringResource(IDS_SETTINGS_LANGUAGE) + L".xml";
  const std::wstring plain = base + L"Nemdrift.xml";
  if (language.size() < MAX_PATH && PathFileExistsW(language.c_str())) {
    wcscpy(path, language.c_str());
    return true;
  }
  if (plain.size() >= MAX_PATH) return false;
  wcscpy(path, plain.c_str());
  return true;
}

int OpenSettingsDocument(zq_xml::KXMLDocument& document, const wchar_t* path) {
  if (!document.Create()) return kSettingsNoDocument;
  document.SetAsync(false);
  if (!path) return kSettingsUnreadable;
  // The file is the product's, but it is still read with no DTD and no
  // external entities: nothing it names is fetched.
  if (!document.SetUntrustedInput()) return kSettingsUnreadable;
  if (!document.Load(path) || document.HasDocumentType()) return kSettingsUnreadable;
  return kSettingsOk;
}

int ParseIntegrateMode(const std::wstring& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  if (i == text.size()) return 0;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return 0;
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return 0;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return 0;
  return static_cast<int>(value);
}

int LoadUpdaterSettings() {
  wchar_t path[MAX_PATH];
  return LoadUpdaterSettingsFrom(BuildSettingsPath(path) ? path : nullptr);
}

int LoadUpdaterSettingsFrom(const wchar_t* path) {
  zq_xml::KXMLDocument document;
  const int opened = OpenSettingsDocument(document, path);
  if (opened != kSettingsOk) return opened;
  auto text = [&document](const wchar_t* name) {
    return document.SelectSingleNode((std::wstring(L"/KelvadonUpdate/") + name).c_str()).Text();
  };
  std::wstring value;
  // A folder below the download area, never a way out of it, with room left
  // for the folder and the file of a download.
  if (!IsPlainRelativePath(value = text(L"DownloadPath")) ||
      !DownloadPathFits(DownloadArea(false), value))
    return kSettingsBadDownloadPath;
  g_Updater.DownloadPath = value;
  if ((value = text(L"RegKey")).empty()) return kSettingsNoRegKey;
  g_Updater.RegKey = value;
  if (!(value = text(L"CommonRegKey")).empty()) g_Updater.CommonRegKey = value;
  if ((value = text(L"RSSURL")).empty()) return kSettingsNoRssUrl;
  g_Updater.RSSURL = value;
  g_Updater.UpdaterLoginUser = text(L"UpdaterLoginUser");
  g_Updater.UpdaterLoginPass = text(L"UpdaterLoginPass");
  if ((value = text(L"NoUpdateMessage")).empty()) return kSettingsNoNoUpdateMessage;
  g_Updater.NoUpdateMessage = value;
  if ((value = text(L"CheckFailMessage")).empty()) return kSettingsNoCheckFailMessage;
  g_Updater.CheckFailMessage = value;
  if ((value = text(L"NoUpdateDescription")).empty()) return kSettingsNoNoUpdateDescription;
  g_Updater.NoUpdateDescription = value;
  if ((value = text(L"CheckFailDescription")).empty()) return kSettingsNoCheckFailDescription;
  g_Updater.CheckFailDescription = value;
  value = text(L"IntegrateMode");
  g_Updater.IntegrateMode = ParseIntegrateMode(value.empty() ? L"0" : value) != 0;
  g_Updater.ProductName = text(L"ProductName");
  g_Updater.ProductPlatform = text(L"ProductPlatform");
  if (g_Updater.ProductPlatform.empty()) g_Updater.ProductName.clear();
  return kSettingsOk;
}
