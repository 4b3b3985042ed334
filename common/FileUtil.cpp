#include "FileUtil.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>
#include <new>
#include <string>

#include "DiskFile.h"
#include "FaultGuard.h"

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

// --- Mappings ---------------------------------------------------------------

namespace {

// Maps the whole of a mapping object and wraps it; on failure closes what it
// was given (the file may be INVALID_HANDLE_VALUE for a named mapping).
MappedFile* WrapMapping(HANDLE file, HANDLE mapping, DWORD access, DWORD size, void** view) {
  void* address = MapViewOfFile(mapping, access, 0, 0, 0);
  MappedFile* mapped = address ? new (std::nothrow) MappedFile : nullptr;
  if (!mapped) {
    if (address) UnmapViewOfFile(address);
    CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return nullptr;
  }
  mapped->File = file;
  mapped->Mapping = mapping;
  mapped->View = address;
  mapped->Size = size;
  if (view) *view = address;
  return mapped;
}

}  // namespace

MappedFile* MapFileReadOnly(const wchar_t* path, const void** view) {
  if (!path) return nullptr;
  HANDLE file = vesmarin::OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  // A view's size is kept in 32 bits: a larger file is not mapped at all.
  HANDLE mapping = high == 0 && low != INVALID_FILE_SIZE
                       ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)
                       : nullptr;
  if (!mapping) {
    CloseHandle(file);
    return nullptr;
  }
  void* address = nullptr;
  MappedFile* mapped = WrapMapping(file, mapping, FILE_MAP_READ, low, &address);
  if (view) *view = address;
  return mapped;
}

DWORD GetMappedFileSize(const MappedFile* file) { return file ? file->Size : 0; }

namespace {

void UnmapViewStep(void* context) { UnmapViewOfFile(static_cast<MappedFile*>(context)->View); }
void CloseMappingStep(void* context) { CloseHandle(static_cast<MappedFile*>(context)->Mapping); }
void CloseFileStep(void* context) { CloseHandle(static_cast<MappedFile*>(context)->File); }

}  // namespace

bool UnmapFile(MappedFile* file) {
  if (!file) return false;
  if (file->View) vesmarin::RunGuarded(UnmapViewStep, file);
  if (file->Mapping) vesmarin::RunGuarded(CloseMappingStep, file);
  if (file->File && file->File != INVALID_HANDLE_VALUE) vesmarin::RunGuarded(CloseFileStep, file);
  delete file;
  return true;
}

MappedFile* CreateNamedMapping(const wchar_t* name, DWORD size, void** view) {
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
  if (!mapping) return nullptr;
  return WrapMapping(INVALID_HANDLE_VALUE, mapping, FILE_MAP_READ | FILE_MAP_WRITE, size, view);
}

// --- Path pieces --------------------------------------------------------------

const wchar_t* FindFileNamePart(const wchar_t* path) {
  if (!path) return nullptr;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; p = CharNextW(p))
    if (*p == L'\\') name = p + 1;
  return name;
}

wchar_t* FindFileNamePart(wchar_t* path) {
  return const_cast<wchar_t*>(FindFileNamePart(static_cast<const wchar_t*>(path)));
}

const wchar_t* FindFileExtension(const wchar_t* path) {
  const wchar_t* name = FindFileNamePart(path);
  if (!name) return nullptr;
  const wchar_t* dot = nullptr;
  for (const wchar_t* p = name; *p; p = CharNextW(p))
    if (*p == L'.') dot = p;
  return dot;
}

wchar_t* FindFileExtension(wchar_t* path) {
  return const_cast<wchar_t*>(FindFileExtension(static_cast<const wchar_t*>(path)));
}

bool RemoveFileExtension(wchar_t* path) {
  wchar_t* dot = FindFileExtension(path);
  if (!dot) return false;
  *dot = L'\0';
  return true;
}

bool RemoveFileNamePart(wchar_t* path) {
  if (!path) return false;
  wchar_t* last = nullptr;
  for (wchar_t* p = path; *p; p = CharNextW(p))
    if (*p == L'\\') last = p;
  if (!last) return false;
  last[1] = L'\0';
  return true;
}

bool ReplaceFileName(wchar_t* path, const wchar_t* name) {
  if (!path || !name) return false;
  wchar_t* part = FindFileNamePart(path);
  if (part == path) return false;  // no backslash
  size_t folderLength = static_cast<size_t>(part - path);
  size_t nameLength = wcslen(name);
  if (folderLength + nameLength + 1 > MAX_PATH) return false;
  wmemmove(part, name, nameLength + 1);
  return true;
}

bool GetFolderPart(const wchar_t* path, wchar_t* output, size_t capacity) {
  if (!path || !*path || !output || capacity == 0) return false;
  const wchar_t* name = FindFileNamePart(path);
  size_t length = static_cast<size_t>(name - path);
  if (length + 1 > capacity) return false;
  wmemcpy(output, path, length);
  output[length] = L'\0';
  return true;
}

bool CombinePath(wchar_t* output, const wchar_t* folder, const wchar_t* file) {
  if (!output) return false;
  wchar_t combined[MAX_PATH] = {};
  if (!PathCombineW(combined, folder, file)) return false;
  wcscpy(output, combined);
  return true;
}
