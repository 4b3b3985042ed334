#include "DownloadFolder.h"

#include <cwchar>
#include <vector>

bool IsBareFileName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (c < 0x20 || wcschr(L"\\/:*?\"<>|", c)) return false;
  const wchar_t last = name.back();
  if (last == L'.' || last == L' ') return false;
  // Device names, with or without an extension.
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$",
                                            L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* device : kDevices)
    if (_wcsicmp(stem.c_str(), device) == 0) return false;
  if (stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 ||
                           _wcsnicmp(stem.c_str(), L"LPT", 3) == 0) &&
      ((stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == 0xB9 || stem[3] == 0xB2 ||
       stem[3] == 0xB3))
    return false;
  return true;
}

bool IsPlainRelativePath(const std::wstring& path) {
  for (size_t start = 0;;) {
    const size_t end = path.find(L'\\', start);
    if (!IsBareFileName(path.substr(start, end == std::wstring::npos ? end : end - start)))
      return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

namespace {

// The path of what handle names with every link resolved; empty when the
// system cannot tell.
std::wstring FinalPath(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length > 32768) return L"";
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

HANDLE OpenForQuery(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool LiesInside(HANDLE handle, const std::wstring& area) {
  HANDLE opened = OpenForQuery(area);
  if (opened == INVALID_HANDLE_VALUE) return false;
  const std::wstring root = FinalPath(opened);
  CloseHandle(opened);
  const std::wstring path = FinalPath(handle);
  if (root.empty() || path.size() < root.size()) return false;
  if (CompareStringOrdinal(path.c_str(), static_cast<int>(root.size()), root.c_str(),
                           static_cast<int>(root.size()), TRUE) != CSTR_EQUAL)
    return false;
  return path.size() == root.size() || path[root.size()] == L'\\' || root.back() == L'\\';
}

bool PathLiesInside(const std::wstring& path, const std::wstring& area) {
  HANDLE opened = OpenForQuery(path);
  if (opened == INVALID_HANDLE_VALUE) return false;
  const bool inside = LiesInside(opened, area);
  CloseHandle(opened);
  return inside;
}

bool MakeFolderInside(const std::wstring& area, const std::wstring& relative,
                      std::wstring* folder) {
  if (!IsPlainRelativePath(relative)) return false;
  std::wstring path = area;
  for (size_t start = 0; start <= relative.size();) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    path += L'\\';
    path.append(relative, start, end - start);
    if (path.size() >= MAX_PATH) return false;
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !PathLiesInside(path, area))
      return false;
    start = end + 1;
  }
  *folder = path;
  return true;
}
