#include "DownloadFolder.h"

#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "ScopedHandles.h"

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
  std::wstring root;
  {
    vesmarin::ScopedFile opened(OpenForQuery(area));
    if (!opened) return false;
    root = FinalPath(opened.get());
  }
  const std::wstring path = FinalPath(handle);
  if (root.empty() || path.size() < root.size()) return false;
  if (CompareStringOrdinal(path.c_str(), static_cast<int>(root.size()), root.c_str(),
                           static_cast<int>(root.size()), TRUE) != CSTR_EQUAL)
    return false;
  return path.size() == root.size() || path[root.size()] == L'\\' || root.back() == L'\\';
}

bool PathLiesInside(const std::wstring& path, const std::wstring& area) {
  vesmarin::ScopedFile opened(OpenForQuery(path));
  return opened && LiesInside(opened.get(), area);
}

std::wstring DownloadArea(bool create) {
  wchar_t base[MAX_PATH] = {};
  const int folder = CSIDL_LOCAL_APPDATA | (create ? CSIDL_FLAG_CREATE : 0);
  if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, base))) return L"";
  return base;
}

bool DownloadPathFits(const std::wstring& area, const std::wstring& relative) {
  const size_t areaLength = area.empty() ? 2 : area.size();
  if (areaLength + 1 + relative.size() + kDownloadFolderReserve > MAX_PATH - 1) return false;
  for (size_t start = 0; start <= relative.size();) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    if (end - start > 255) return false;
    start = end + 1;
  }
  return true;
}

bool IdentityOf(HANDLE handle, ItemIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->indexHigh = info.nFileIndexHigh;
  identity->indexLow = info.nFileIndexLow;
  return true;
}

namespace {

bool SameItem(const ItemIdentity& a, const ItemIdentity& b) {
  return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

// The item at path itself, a final link not followed.
HANDLE OpenItself(const std::wstring& path, DWORD access) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Deletes the item at path when it is, by its identity, the one made there
// and lies inside area; never a link, never what a link leads to.
void RemoveIfOwn(const std::wstring& path, const ItemIdentity& made, const std::wstring& area) {
  vesmarin::ScopedFile item(OpenItself(path, DELETE | FILE_READ_ATTRIBUTES));
  if (!item) return;
  BY_HANDLE_FILE_INFORMATION info;
  ItemIdentity found;
  if (!GetFileInformationByHandle(item.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IdentityOf(item.get(), &found) ||
      !SameItem(found, made) || !LiesInside(item.get(), area))
    return;
  // Through the handle just checked: the item goes when it is closed.
  FILE_DISPOSITION_INFO gone = {TRUE};
  SetFileInformationByHandle(item.get(), FileDispositionInfo, &gone, sizeof gone);
}

}  // namespace

bool DownloadPlace::Record(const std::wstring& path) {
  vesmarin::ScopedFile item(OpenItself(path, FILE_READ_ATTRIBUTES));
  Made made;
  made.path = path;
  if (!item || !IdentityOf(item.get(), &made.identity)) return false;
  made_.push_back(made);
  return true;
}

bool DownloadPlace::MakeFolders(const std::wstring& relative) {
  if (!IsPlainRelativePath(relative)) return false;
  std::wstring path = area_;
  for (size_t start = 0; start <= relative.size();) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    path += L'\\';
    path.append(relative, start, end - start);
    if (path.size() >= MAX_PATH) return false;
    if (CreateDirectoryW(path.c_str(), nullptr)) {
      if (!Record(path)) return false;
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !PathLiesInside(path, area_))
      return false;
    start = end + 1;
  }
  parent_ = path;
  return MakeOwnFolder();
}

bool DownloadPlace::MakeOwnFolder() {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[40];
    swprintf(name, 40, L"\\update-%08lx%02x",
             static_cast<unsigned long>(GetTickCount()) ^ (GetCurrentProcessId() << 8), attempt);
    const std::wstring candidate = parent_ + name;
    if (candidate.size() >= MAX_PATH) return false;
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      folder_ = candidate;
      return Record(candidate) && PathLiesInside(candidate, area_);
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

HANDLE DownloadPlace::CreateUpdateFile(const std::wstring& name) {
  if (folder_.empty()) return INVALID_HANDLE_VALUE;
  const std::wstring path = folder_ + L"\\" + name;
  if (path.size() > MAX_PATH - 1) return INVALID_HANDLE_VALUE;
  file_ = path;
  vesmarin::ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return INVALID_HANDLE_VALUE;
  Made made;
  made.path = path;
  if (!IdentityOf(file.get(), &made.identity) || !LiesInside(file.get(), area_)) {
    // Made through a link that came meanwhile: this very file goes again.
    FILE_DISPOSITION_INFO gone = {TRUE};
    SetFileInformationByHandle(file.get(), FileDispositionInfo, &gone, sizeof gone);
    return INVALID_HANDLE_VALUE;
  }
  made_.push_back(made);
  return file.release();
}

void DownloadPlace::RemoveAll() {
  for (auto made = made_.rbegin(); made != made_.rend(); ++made)
    RemoveIfOwn(made->path, made->identity, area_);
  made_.clear();
}
