#include "SystemDlls.h"

#include <shlwapi.h>


namespace vesmarin {

namespace {

const wchar_t* const kPreloaded[] = {
    L"user32.dll",  L"gdi32.dll",   L"shlwapi.dll",  L"advapi32.dll",
    L"SHELL32.dll", L"ole32.dll",   L"IMAGEHLP.dll", L"NETAPI32.dll",
    L"VERSION.dll", L"cabinet.dll", L"MPR.dll",
};

bool SystemPath(const wchar_t* name, wchar_t* path) {
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return length > 0 && length < MAX_PATH && PathAppendW(path, name);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  if (!SystemPath(name, path)) return nullptr;
  return LoadLibraryW(path);
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

bool HardenDllSearch() {
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
  for (const wchar_t* name : kPreloaded) {
    if (!LoadSystemLibrary(name)) return false;
  }
  return true;
}

FARPROC GetSystemProc(const wchar_t* library, const char* name) {
  HMODULE module = LoadSystemLibrary(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace vesmarin
