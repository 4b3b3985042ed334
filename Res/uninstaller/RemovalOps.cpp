#include "RemovalOps.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "HollmereResource.h"
#include "Registry.h"
#include "ServerEntry.h"
#include "UninstallLog.h"
#include "UninstallerApp.h"

namespace {

const WORD kMachineI386 = 0x014C;
const WORD kMachineAmd64 = 0x8664;

HRESULT FromWin32(DWORD error) {
  return static_cast<LONG>(error) <= 0 ? static_cast<HRESULT>(error)
                                       : static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
}

// The folder part of a path without its trailing backslash; false when it
// has none.
bool ServerFolder(const wchar_t* path, wchar_t* folder) {
  if (wcslen(path) >= MAX_PATH) return false;
  wcscpy(folder, path);
  wchar_t* slash = wcsrchr(folder, L'\\');
  if (slash == nullptr) return false;
  if (slash == folder + 2 && folder[1] == L':') slash[1] = 0;  // "C:\"
  else *slash = 0;
  return folder[0] != 0;
}

// A system folder with "regsvr32.exe" appended.
bool RegistrationTool(int csidl, wchar_t* tool) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                              folder))) {
    return false;
  }
  return PathCombineW(tool, folder, L"regsvr32.exe") != nullptr;
}

typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE, PBOOL);
typedef BOOL(WINAPI* Wow64DisableFn)(PVOID*);
typedef BOOL(WINAPI* Wow64RevertFn)(PVOID);

#ifdef _WIN64
HRESULT UnregisterInProcess(const wchar_t* server, const wchar_t* folder) {
  wchar_t current[MAX_PATH] = {};
  DWORD currentLength = GetCurrentDirectoryW(_countof(current), current);
  SetCurrentDirectoryW(folder);
  // Dependencies are looked up in the server's own folder.
  HMODULE module = LoadLibraryExW(server, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (currentLength > 0 && currentLength < _countof(current)) SetCurrentDirectoryW(current);
  if (module == nullptr) return E_FAIL;
  HRESULT result = E_UNEXPECTED;
  if (vesmarin::CallServerEntry(module, "DllUnregisterServer", &result) !=
      vesmarin::ServerEntryCall::kReturned)
    result = E_UNEXPECTED;
  FreeLibrary(module);
  return result;
}
#endif

}  // namespace

DWORD RunAndWait(const wchar_t* tool, const wchar_t* server, const wchar_t* folder) {
  std::wstring command = L"\"";
  command += tool;
  command += L"\" /u /s \"";
  command += server;
  command += L"\"";
  if (command.size() >= 32767) return 21;
  std::wstring line = command;  // CreateProcessW may write into it
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(tool, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                      &process)) {
    return 21;
  }
  WaitForInputIdle(process.hProcess, 1000);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  if (!GetExitCodeProcess(process.hProcess, &code)) code = 21;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

HRESULT ReadPeMachine(const wchar_t* path, WORD* machine) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FromWin32(GetLastError());
  HRESULT result = E_UNEXPECTED;
  DWORD read = 0;
  LONG peOffset = 0;
  LARGE_INTEGER at;
  at.QuadPart = 60;
  if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
      ReadFile(file, &peOffset, sizeof peOffset, &read, nullptr) && read == sizeof peOffset &&
      peOffset >= 0) {
    at.QuadPart = peOffset;
    unsigned char signature[4] = {};
    IMAGE_FILE_HEADER header = {};
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
        ReadFile(file, signature, 4, &read, nullptr) && read == 4 && signature[0] == 'P' &&
        signature[1] == 'E' && signature[2] == 0 && signature[3] == 0 &&
        ReadFile(file, &header, sizeof header, &read, nullptr) && read == sizeof header) {
      *machine = header.Machine;
      result = S_OK;
    }
  }
  CloseHandle(file);
  return result;
}

HRESULT UnregisterComServer(const wchar_t* server) {
  WORD machine = 0;
  HRESULT read = ReadPeMachine(server, &machine);
  if (FAILED(read)) return read;
  if (machine != kMachineI386 && machine != kMachineAmd64) return E_UNEXPECTED;

  HMODULE kernel = GetModuleHandleW(L"Kernel32");
  IsWow64ProcessFn isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  Wow64DisableFn disableRedirection = reinterpret_cast<Wow64DisableFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  Wow64RevertFn revertRedirection = reinterpret_cast<Wow64RevertFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));

  wchar_t folder[MAX_PATH] = {};
  wchar_t tool[MAX_PATH] = {};
#ifdef _WIN64
  (void)isWow64;
  (void)disableRedirection;
  (void)revertRedirection;
  if (!ServerFolder(server, folder)) return E_FAIL;
  if (machine == kMachineI386) {
    if (!RegistrationTool(CSIDL_SYSTEMX86, tool)) return E_FAIL;
    return RunAndWait(tool, server, folder) == 0 ? S_OK : E_FAIL;
  }
  return UnregisterInProcess(server, folder);
#else
  if (machine == kMachineAmd64) {
    BOOL wow64 = FALSE;
    if (isWow64 && (!isWow64(GetCurrentProcess(), &wow64) || !wow64)) {
      return S_OK;  // a 64-bit server on a 32-bit system was never registered
    }
  }
  if (!ServerFolder(server, folder)) return E_FAIL;
  // A 64-bit server needs the real system folder's tool; a 32-bit one the
  // redirected one, so redirection stays on for it.
  PVOID redirection = nullptr;
  bool redirectionOff = false;
  if (machine == kMachineAmd64 && disableRedirection && revertRedirection) {
    redirectionOff = disableRedirection(&redirection) != FALSE;
  }
  DWORD code = RegistrationTool(CSIDL_SYSTEM, tool) ? RunAndWait(tool, server, folder) : 402;
  if (redirectionOff) revertRedirection(redirection);
  return code == 0 ? S_OK : E_FAIL;
#endif
}

int DeleteRegistryTree(HKEY root, const wchar_t* subkey) {
  HKEY key = nullptr;
  LONG opened = RegOpenKeyExW(root, subkey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_SET_VALUE, &key);
  if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND ? 1 : 2;
  for (;;) {
    wchar_t child[260] = {};
    DWORD length = _countof(child);
    if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      RegCloseKey(key);
      return RegDeleteKeyW(root, subkey) == ERROR_SUCCESS ? 0 : 2;
    }
    int result = DeleteRegistryTree(key, child);
    if (result != 0) {
      RegCloseKey(key);
      return result;
    }
  }
}

bool RemoveStartMenuGroup(bool allUsers, const wchar_t* group) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                                        &items))) {
    return false;
  }
  wchar_t programs[MAX_PATH] = {};
  BOOL converted = SHGetPathFromIDListW(items, programs);
  CoTaskMemFree(items);
  if (!converted) return false;
  wchar_t folder[MAX_PATH] = {};
  if (PathCombineW(folder, programs, group) == nullptr) return false;

  wchar_t startupTitle[MAX_PATH] = {};
  wchar_t startup[261] = {};
  if (ReadRegString(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                    L"Startup", startup, _countof(startup), RegTextFit::kCut) == RegReadResult::kRead &&
      GetFileTitleW(startup, startupTitle, _countof(startupTitle)) != 0)
    startupTitle[0] = 0;
  wchar_t groupTitle[MAX_PATH] = {};
  if (GetFileTitleW(folder, groupTitle, _countof(groupTitle)) != 0) groupTitle[0] = 0;
  static const wchar_t* const kProtected[] = {
      L"\uFF7D\uFF80\uFF70\uFF84\uFF71\uFF6F\uFF8C\uFF9F",        // ｽﾀｰﾄｱｯﾌﾟ
      L"\u30B9\u30BF\u30FC\u30C8\u30A2\u30C3\u30D7",              // スタートアップ
      L"Startup",
      L"\uFF7D\uFF80\uFF70\uFF84 \uFF71\uFF6F\uFF8C\uFF9F",       // ｽﾀｰﾄ ｱｯﾌﾟ
      L"Start Up"};
  if (startupTitle[0] && wcscmp(groupTitle, startupTitle) == 0) return true;
  for (const wchar_t* title : kProtected) {
    if (wcscmp(groupTitle, title) == 0) return true;
  }
  if (RemoveDirectoryW(folder)) return true;
  Sleep(500);
  return RemoveDirectoryW(folder) != FALSE;
}

bool DeleteInstalledFile(const wchar_t* path, bool* scheduled) {
  DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  }

  const wchar_t* extension = PathFindExtensionW(path);
  const wchar_t* companions[3] = {};
  int count = 0;
  if (_wcsicmp(extension, L".chm") == 0) {
    companions[count++] = L".chw";
  } else if (_wcsicmp(extension, L".hlp") == 0) {
    companions[count++] = L".gid";
    companions[count++] = L".fts";
  } else if (_wcsicmp(extension, L".exe") == 0) {
    if (g_Removal.deleteIniSibling) companions[count++] = L".ini";
    if (g_Removal.deleteDatSibling) companions[count++] = L".dat";
    companions[count++] = L".pif";
  } else if (_wcsicmp(extension, L".com") == 0) {
    companions[count++] = L".pif";
  }
  if (count > 0 && *extension) {
    const size_t stem = static_cast<size_t>(extension - path);
    for (int i = 0; i < count; ++i) {
      std::wstring companion(path, stem);
      companion += companions[i];
      DWORD found = GetFileAttributesW(companion.c_str());
      if (found != INVALID_FILE_ATTRIBUTES && !(found & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileLogged(companion.c_str());
      }
    }
  }

  attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // recorded as a file

  bool gone = DeleteFileW(path) != FALSE;
  if (!gone && g_Removal.rebootable &&
      MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    gone = true;
    if (scheduled) *scheduled = true;
    g_Removal.restartNeeded = true;
  }
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, path, nullptr);
  return gone;
}

bool DeleteFileLogged(const wchar_t* path) {
  bool scheduled = false;
  bool result = DeleteInstalledFile(path, &scheduled);
  UINT status = !result ? IDS_STATUS_DELETE_FAILED
                        : scheduled ? IDS_STATUS_NEED_REBOOT : IDS_STATUS_DELETED;
  WriteLogLine(L"", path, status);
  return result;
}

bool SetShutdownPrivilege(bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges = {};
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    CloseHandle(token);
    return false;
  }
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  DWORD error = GetLastError();
  CloseHandle(token);
  return error == ERROR_SUCCESS;
}
