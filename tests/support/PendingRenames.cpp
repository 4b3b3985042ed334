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

}  // namespace testsupport
