#include "PendingRenames.h"

#include <windows.h>

#include <cwchar>

namespace testsupport {

std::vector<std::pair<std::wstring, std::wstring>> PendingFileRenames() {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return pairs;
  }
  DWORD bytes = 0;
  std::vector<wchar_t> data;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &bytes) ==
      ERROR_SUCCESS) {
    data.assign(bytes / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS) {
      data.clear();
    }
  }
  RegCloseKey(key);
  std::vector<std::wstring> entries;
  const size_t units = bytes / sizeof(wchar_t);
  for (size_t at = 0; at < units && at < data.size();) {
    std::wstring entry(&data[at]);
    entries.push_back(entry);
    at += entry.size() + 1;
  }
  for (size_t i = 0; i + 1 < entries.size(); i += 2) pairs.emplace_back(entries[i], entries[i + 1]);
  return pairs;
}

bool IsPendingDeletion(const std::wstring& path) {
  for (const auto& pair : PendingFileRenames()) {
    std::wstring source = pair.first;
    if (source.compare(0, 4, L"\\??\\") == 0) source = source.substr(4);
    if (pair.second.empty() && _wcsicmp(source.c_str(), path.c_str()) == 0) return true;
  }
  return false;
}

void ForgetPendingRenamesBelow(const std::wstring& folder) {
  const wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  std::vector<wchar_t> kept;
  bool dropped = false;
  for (const auto& pair : PendingFileRenames()) {
    std::wstring source = pair.first;
    if (source.compare(0, 4, L"\\??\\") == 0) source = source.substr(4);
    if (source.size() >= folder.size() &&
        _wcsnicmp(source.c_str(), folder.c_str(), folder.size()) == 0) {
      dropped = true;
      continue;
    }
    for (const std::wstring* entry : {&pair.first, &pair.second}) {
      kept.insert(kept.end(), entry->begin(), entry->end());
      kept.push_back(L'\0');
    }
  }
  if (!dropped) return;
  kept.push_back(L'\0');
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  if (kept.size() == 1)
    RegDeleteValueW(key, L"PendingFileRenameOperations");
  else
    RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(kept.data()),
                   static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace testsupport
