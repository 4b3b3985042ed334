#include "FileSystem.h"

#include <shlobj.h>
#include <string>

bool FileExists(const wchar_t* path) {
  if (!path || !*path) return false;
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const wchar_t* path) {
  if (!path || !*path) return false;
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- Folder creation --------------------------------------------------------

namespace {

typedef int(WINAPI* CreateDirectoryExFn)(HWND, LPCWSTR, const SECURITY_ATTRIBUTES*);

CreateDirectoryExFn ShellCreateDirectory() {
  static bool looked = false;
  static CreateDirectoryExFn function = nullptr;
  if (!looked) {
    looked = true;
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (shell)
      function = reinterpret_cast<CreateDirectoryExFn>(
          reinterpret_cast<void*>(GetProcAddress(shell, "SHCreateDirectoryExW")));
  }
  return function;
}

void NotifyFolderMade(const wchar_t* folder) {
  SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, folder, nullptr);
}

// One level at a time from the root of the absolute path; every prefix is
// made current after it is created, so the first level that cannot be
// entered stops the walk.
bool CreateLevels(const std::wstring& folder) {
  wchar_t full[32768];
  DWORD got = GetFullPathNameW(folder.c_str(), 32768, full, nullptr);
  if (got == 0 || got >= 32768) return false;
  const std::wstring path(full);
  std::wstring prefix;
  size_t position = 0;
  const size_t length = path.size();
  bool unc = false;
  if (length >= 2 && path[0] == L'\\' && path[1] == L'\\') {
    // \\server\share\...: the server part is never created.
    size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) return false;
    prefix = path.substr(0, serverEnd + 1);
    position = serverEnd + 1;
    unc = true;
  } else if (length >= 2 && path[1] == L':') {
    prefix = path.substr(0, 2);
    position = 2;
    if (position < length && path[position] == L'\\') {
      prefix += L'\\';
      ++position;
    }
  } else if (length >= 1 && path[0] == L'\\') {
    prefix = L"\\";
    position = 1;
  }
  bool ok = false;
  while (position < length) {
    size_t next = path.find(L'\\', position);
    if (next == std::wstring::npos) next = length;
    if (next > position) {
      prefix.append(path, position, next - position);
      std::wstring level = prefix;
      if (path.size() > 248)
        level = unc ? L"\\\\?\\UNC\\" + prefix.substr(2) : L"\\\\?\\" + prefix;
      CreateDirectoryW(level.c_str(), nullptr);
      ok = SetCurrentDirectoryW(level.c_str()) != FALSE;
      if (!ok) break;
    }
    prefix += L'\\';
    position = next + 1;
  }
  return ok;
}

}  // namespace

bool CreateDirectoryTree(const wchar_t* folder) {
  if (!folder || !*folder) return false;
  std::wstring path(folder);
  while (path.size() > 1 && path.back() == L'\\' && !(path.size() == 3 && path[1] == L':'))
    path.pop_back();
  if (CreateDirectoryExFn create = ShellCreateDirectory()) {
    if (create(nullptr, path.c_str(), nullptr) == ERROR_SUCCESS) {
      NotifyFolderMade(path.c_str());
      return true;
    }
  }
  wchar_t previous[MAX_PATH + 1] = {};
  DWORD kept = GetCurrentDirectoryW(MAX_PATH + 1, previous);
  bool ok = CreateLevels(path);
  if (kept > 0 && kept <= MAX_PATH) SetCurrentDirectoryW(previous);
  if (ok) NotifyFolderMade(path.c_str());
  return ok;
}
