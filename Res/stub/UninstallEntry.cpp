#include "UninstallEntry.h"

#include <strsafe.h>

#include <cwchar>

#include "PostInstallResource.h"
#include "UninstallerInstall.h"
#include "SfxContainer.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"

namespace stub {

const wchar_t kUninstallKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

namespace {

// Paths this long are given in their short form, when there is one.
const size_t kShortFormFrom = 201;

void AddText(std::vector<UninstallEntryValue>* values, const wchar_t* name, const wchar_t* text) {
  values->push_back(UninstallEntryValue{name, false, text, 0});
}

// The text of a pair: with an English interface the English text, or the
// plain one when that is empty; with a Japanese one the plain text.
const wchar_t* ChooseText(bool japaneseUi, const wchar_t* plain, const wchar_t* english) {
  if (japaneseUi) return plain;
  return *english ? english : plain;
}

}  // namespace

bool ComposeUninstallString(const wchar_t* uninstallerPath, const wchar_t* args,
                            wchar_t* output, size_t capacity) {
  if (!output || capacity == 0) return false;
  output[0] = 0;
  if (!uninstallerPath || !*uninstallerPath) return false;
  if (!args) args = L"";
  const wchar_t* path = uninstallerPath;
  wchar_t shortPath[MAX_PATH];
  if (wcslen(uninstallerPath) >= kShortFormFrom) {
    DWORD length = GetShortPathNameW(uninstallerPath, shortPath, ARRAYSIZE(shortPath));
    if (length > 0 && length < ARRAYSIZE(shortPath)) path = shortPath;
  }
  const wchar_t* blank = (*args && *args != L' ') ? L" " : L"";
  if (FAILED(StringCchPrintfW(output, capacity, L"\"%ls\"%ls%ls", path, blank, args))) {
    output[0] = 0;
    return false;
  }
  return true;
}

DWORD EstimatedSizeKiB(unsigned long long installedBytes) {
  const unsigned long long kib = installedBytes / 1024;
  return kib > 0xFFFFFFFFull ? 0x3FFFFF : static_cast<DWORD>(kib);
}

bool ComposeUninstallEntry(const StubSettings& s, bool japaneseUi, const wchar_t* uninstallerPath,
                           const wchar_t* args, unsigned long long installedBytes,
                           std::vector<UninstallEntryValue>* values) {
  values->clear();
  wchar_t command[MAX_PATH * 2 + 8];
  if (!ComposeUninstallString(uninstallerPath, args, command, ARRAYSIZE(command))) return false;

  AddText(values, L"DisplayName", japaneseUi ? s.UnInstallTitle : s.UnInstallTitleE);
  AddText(values, L"UninstallString", command);
  AddText(values, L"InstallLocation", s.ExtractPath);
  if (*s.UninstIconFile) {
    std::wstring icon = s.ExtractPath;
    icon += s.UninstIconFile;
    AddText(values, L"DisplayIcon", icon.c_str());
  }
  struct Link {
    const wchar_t* name;
    const wchar_t* plain;
    const wchar_t* english;
  };
  const Link links[] = {
      {L"Publisher", s.UnInstallPublisher, s.UnInstallPublisherE},
      {L"URLInfoAbout", s.UnInstallSupportLink, s.UnInstallSupportLinkE},
      {L"HelpLink", s.UnInstallHelpLink, s.UnInstallHelpLinkE},
      {L"URLUpdateInfo", s.UnInstallUpdateLink, s.UnInstallUpdateLinkE},
  };
  for (const Link& link : links) {
    const wchar_t* text = ChooseText(japaneseUi, link.plain, link.english);
    if (*text) AddText(values, link.name, text);
  }
  if ((s.FlagsB & SfxFlagsB::UnInstallSetVersion) && *s.UnInstallVersion)
    AddText(values, L"DisplayVersion", s.UnInstallVersion);
  if ((s.FlagsB & SfxFlagsB::UnInstallAutoSetSize) && installedBytes != 0)
    values->push_back(UninstallEntryValue{L"EstimatedSize", true, L"", EstimatedSizeKiB(installedBytes)});
  return true;
}

bool WriteUninstallEntryValues(const wchar_t* key, const std::vector<UninstallEntryValue>& values) {
  if (!key || !*key) return false;
  std::wstring path = kUninstallKeyPath;
  path += key;
  HKEY handle = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) {
    StubLog(L"Uninstall entry %ls not created (%ld)\n", path.c_str(), static_cast<long>(status));
    return false;
  }
  bool ok = true;
  for (const UninstallEntryValue& value : values) {
    if (value.isNumber) {
      status = RegSetValueExW(handle, value.name.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&value.number), sizeof(DWORD));
    } else {
      status = RegSetValueExW(handle, value.name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.text.c_str()),
                              static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
    }
    if (status != ERROR_SUCCESS) {
      StubLog(L"Uninstall value %ls not set (%ld)\n", value.name.c_str(), static_cast<long>(status));
      ok = false;
    }
  }
  RegCloseKey(handle);
  return ok;
}

bool WriteUninstallEntry(HWND owner, const wchar_t* uninstallerPath, const wchar_t* args,
                         unsigned long long installedBytes) {
  bool ok = false;
  if (g_Settings) {
    std::vector<UninstallEntryValue> values;
    ok = ComposeUninstallEntry(*g_Settings, g_JapaneseUi, uninstallerPath, args, installedBytes,
                               &values);
    // What the uninstaller will trust: the digest of the information file
    // written beside it, in a key only administrators can change.
    if (ok && !g_UninstallInfoDigest.empty())
      values.push_back(UninstallEntryValue{UNINSTALL_INFO_DIGEST_VALUE, false, g_UninstallInfoDigest, 0});
    ok = ok && WriteUninstallEntryValues(g_Settings->UnInstallKey, values);
  }
  if (!ok) ShowStubStringMessage(owner, IDS_UNINSTALL_REGISTER_FAILED, MB_OK | MB_ICONWARNING);
  return ok;
}

}  // namespace stub
