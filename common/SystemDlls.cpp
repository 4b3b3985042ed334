#include "SystemDlls.h"

#include <shlwapi.h>


namespace vesmarin {

namespace {

bool SystemPath(const wchar_t* name, wchar_t* path) {
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return length > 0 && length < MAX_PATH && PathAppendW(path, name);
}

// LOAD_LIBRARY_SEARCH_SYSTEM32 is known where AddDllDirectory exists.
bool SearchFlagsKnown() {
  return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
}

// True when a "*.dll" beside the program also exists in the system folder.
bool PlantedLibraryBesideProgram(const wchar_t* systemFolder) {
  wchar_t pattern[MAX_PATH];
  if (!GetModuleFileNameW(nullptr, pattern, MAX_PATH)) return false;
  PathRemoveFileSpecW(pattern);
  if (!PathAppendW(pattern, L"*.dll")) return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool planted = false;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    wchar_t candidate[MAX_PATH];
    lstrcpynW(candidate, systemFolder, MAX_PATH);
    if (PathAppendW(candidate, found.cFileName) &&
        GetFileAttributesW(candidate) != INVALID_FILE_ATTRIBUTES)
      planted = true;
  } while (!planted && FindNextFileW(search, &found));
  FindClose(search);
  return planted;
}

// Vista and Server 2008 take SetDefaultDllDirectories only with an update
// that cannot be relied on. The real version, whatever the manifest says.
bool IsVistaOr2008() {
  typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
  RtlGetVersionFn getVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW info = {sizeof(info)};
  if (!getVersion || getVersion(&info) != 0) return false;
  return info.dwMajorVersion == 6 && info.dwMinorVersion == 0;
}

}  // namespace

bool HardenDllSearch(const wchar_t* const* preload, size_t preloadCount) {
  SetDllDirectoryW(L"");
  wchar_t systemFolder[MAX_PATH];
  UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;

  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
  SetDefaultDllDirectoriesFn setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault && !IsVistaOr2008()) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  } else if (PlantedLibraryBesideProgram(systemFolder)) {
    return false;
  }
  for (size_t i = 0; i < preloadCount; ++i) {
    if (!LoadSystemLibrary(preload[i])) return false;
  }
  return true;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (!name || !*name) return nullptr;
  if (SearchFlagsKnown()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  if (!SystemPath(name, path)) return nullptr;
  return LoadLibraryW(path);
}

FARPROC GetSystemProc(const wchar_t* library, const char* name) {
  HMODULE module = LoadSystemLibrary(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace vesmarin
