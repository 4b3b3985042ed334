#include "Folders.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <winnetwk.h>

#include <cwchar>
#include <string>

#include "CreatedPaths.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "SystemDlls.h"

namespace stub {

namespace {

bool ShellFolder(int csidl, wchar_t* folder) {
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder));
}

void StripTrailingBackslash(wchar_t* path) {
  size_t length = wcslen(path);
  // Keep the backslash of a drive root ("C:\").
  while (length > 0 && path[length - 1] == L'\\' && !(length == 3 && path[1] == L':')) {
    path[--length] = 0;
  }
}

bool IsUnc(const wchar_t* path) { return path[0] == L'\\' && path[1] == L'\\'; }

}  // namespace

bool GetBaseFolder(int id, wchar_t* folder, size_t capacity) {
  wchar_t path[MAX_PATH] = L"";
  bool ok = false;
  switch (id) {
    case kBaseProgramFiles: ok = ShellFolder(CSIDL_PROGRAM_FILES, path); break;
    case kBaseWindows: {
      UINT n = GetWindowsDirectoryW(path, MAX_PATH);
      ok = n > 0 && n < MAX_PATH;
      break;
    }
    case kBaseSystem: {
      UINT n = 0;
      if (g_Wow64) {
        typedef UINT(WINAPI * Fn)(LPWSTR, UINT);
        Fn wow = reinterpret_cast<Fn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemWow64DirectoryW")));
        if (wow) n = wow(path, MAX_PATH);
      }
      if (n == 0) n = GetSystemDirectoryW(path, MAX_PATH);
      ok = n > 0 && n < MAX_PATH;
      break;
    }
    case kBaseTemporary: {
      DWORD n = GetTempPathW(MAX_PATH, path);
      ok = n > 0 && n < MAX_PATH;
      break;
    }
    case kBaseWindowsDrive: {
      wchar_t windows[MAX_PATH];
      UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
      ok = n >= 3 && n < MAX_PATH;
      if (ok) lstrcpynW(path, windows, 4);
      break;
    }
    case kBaseOwnFolder: {
      const wchar_t* own = g_OwnPath;
      wchar_t module[MAX_PATH];
      if (!*own) {
        DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return false;
        own = module;
      }
      lstrcpynW(path, own, MAX_PATH);
      ok = PathRemoveFileSpecW(path) != FALSE || *path;
      break;
    }
    case kBaseMyDocuments: ok = ShellFolder(CSIDL_PERSONAL, path); break;
    case kBaseDesktop: ok = ShellFolder(CSIDL_DESKTOPDIRECTORY, path); break;
    case kBaseProfile: ok = ShellFolder(CSIDL_PROFILE, path); break;
    case kBaseAllUsersHome:
      ok = ShellFolder(CSIDL_COMMON_DOCUMENTS, path);
      if (ok) {
        StripTrailingBackslash(path);
        ok = PathRemoveFileSpecW(path) != FALSE;
      }
      break;
    case kBaseAppData: ok = ShellFolder(CSIDL_APPDATA, path); break;
    case kBaseCommonAppData: ok = ShellFolder(CSIDL_COMMON_APPDATA, path); break;
    case kBaseCommonDesktop: ok = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY, path); break;
    case kBaseLocalAppData: ok = ShellFolder(CSIDL_LOCAL_APPDATA, path); break;
    case kBaseCommonDocuments: ok = ShellFolder(CSIDL_COMMON_DOCUMENTS, path); break;
    default: return false;
  }
  if (!ok || !*path) return false;
  StripTrailingBackslash(path);
  if (wcslen(path) >= capacity) return false;
  lstrcpynW(folder, path, static_cast<int>(capacity));
  return true;
}

bool ResolveFolder(wchar_t* output, size_t outputCapacity, int baseId, wchar_t* baseOutput,
                   size_t baseCapacity, const wchar_t* subPath, bool withTempName) {
  if (!output || outputCapacity == 0) return false;
  if (!subPath) subPath = L"";
  wchar_t result[MAX_PATH];
  if (baseId == kBaseAbsolute) {
    if (wcslen(subPath) >= MAX_PATH) return false;
    lstrcpynW(result, subPath, MAX_PATH);
    StripTrailingBackslash(result);
    if (baseOutput && baseCapacity) lstrcpynW(baseOutput, result, static_cast<int>(baseCapacity));
  } else {
    wchar_t base[MAX_PATH];
    if (!GetBaseFolder(baseId, base, MAX_PATH)) return false;
    if (baseOutput && baseCapacity) lstrcpynW(baseOutput, base, static_cast<int>(baseCapacity));
    lstrcpynW(result, base, MAX_PATH);
    if (withTempName || baseId == kBaseTemporary) {
      wchar_t combined[MAX_PATH];
      if (!PathCombineW(combined, result, g_TempFolderName)) return false;
      lstrcpynW(result, combined, MAX_PATH);
    }
    if (*subPath) {
      wchar_t combined[MAX_PATH];
      if (wcslen(subPath) >= MAX_PATH || !PathCombineW(combined, result, subPath)) return false;
      lstrcpynW(result, combined, MAX_PATH);
    }
  }
  wchar_t expanded[MAX_PATH];
  DWORD n = ExpandEnvironmentStringsW(result, expanded, MAX_PATH);
  if (n > 0 && n <= MAX_PATH) lstrcpynW(result, expanded, MAX_PATH);
  if (wcslen(result) >= outputCapacity) return false;
  lstrcpynW(output, result, static_cast<int>(outputCapacity));
  return true;
}

void ConnectShare(const wchar_t* path) {
  if (!path || wcslen(path) <= 6 || !IsUnc(path)) return;
  // "\\server\share": the first two components.
  const wchar_t* server = path + 2;
  const wchar_t* slash = wcschr(server, L'\\');
  if (!slash || slash == server) return;
  std::wstring serverName(server, slash);
  const wchar_t* share = slash + 1;
  const wchar_t* end = wcschr(share, L'\\');
  std::wstring shareName = end ? std::wstring(share, end) : std::wstring(share);
  if (shareName.empty()) return;
  std::wstring remote = L"\\\\" + serverName + L"\\" + shareName;

  typedef DWORD(WINAPI * AddConnectionFn)(HWND, LPNETRESOURCEW, LPCWSTR, LPCWSTR, DWORD);
  AddConnectionFn add = vesmarin::SystemProc<AddConnectionFn>(L"mpr.dll", "WNetAddConnection3W");
  if (!add) return;
  NETRESOURCEW resource = {};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpLocalName = nullptr;
  resource.lpRemoteName = &remote[0];
  add(nullptr, &resource, nullptr, nullptr, 0);
}

bool InCreateDirectory(const wchar_t* fullPath, const wchar_t* basePath) {
  if (!fullPath || !*fullPath || wcslen(fullPath) >= 32767 - 8) return false;
  std::wstring full(fullPath);
  while (full.size() > 1 && full.back() == L'\\') full.pop_back();
  std::wstring base = basePath ? basePath : L"";
  while (!base.empty() && base.back() == L'\\') base.pop_back();
  const bool withBase = basePath != nullptr && !base.empty();
  if (withBase) {
    const bool inside =
        full.size() >= base.size() && _wcsnicmp(full.c_str(), base.c_str(), base.size()) == 0 &&
        (full.size() == base.size() || full[base.size()] == L'\\');
    if (!inside) {
      StubLog(L"InCreateDirectory FAILED\n  szFullPath : %ls\n  szBasePath = %ls\n", fullPath,
              basePath);
      return false;
    }
  }
  const bool unc = IsUnc(full.c_str());
  if (unc) ConnectShare(full.c_str());
  const bool recordAll = g_Settings && (g_Settings->FlagsB & SfxFlagsB::ForceUninstallDir);

  wchar_t previous[MAX_PATH];
  DWORD previousLength = GetCurrentDirectoryW(MAX_PATH, previous);

  // The first component: "X:" or the "\\server\share" of a UNC path, which
  // cannot be created.
  size_t pos = 0;
  if (unc) {
    pos = full.find(L'\\', 2);
    if (pos != std::wstring::npos) pos = full.find(L'\\', pos + 1);
    if (pos == std::wstring::npos) pos = full.size();
  } else if (full.size() >= 2 && full[1] == L':') {
    pos = 2;
  }
  bool ok = true;
  while (pos < full.size()) {
    size_t next = full.find(L'\\', pos + 1);
    if (next == std::wstring::npos) next = full.size();
    std::wstring prefix = full.substr(0, next);
    pos = next;
    if (prefix.empty() || prefix.back() == L'\\') continue;
    std::wstring target = prefix;
    if (prefix.size() >= 249) {
      std::wstring absolute(32768, L'\0');
      DWORD n = GetFullPathNameW(prefix.c_str(), 32768, &absolute[0], nullptr);
      if (n > 0 && n < 32768) {
        absolute.resize(n);
        target = IsUnc(absolute.c_str()) ? L"\\\\?\\UNC\\" + absolute.substr(2)
                                         : L"\\\\?\\" + absolute;
      }
    }
    bool created = CreateDirectoryW(target.c_str(), nullptr) != FALSE;
    if (!created) {
      DWORD attributes = GetFileAttributesW(target.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ok = false;
        break;
      }
    }
    SetCurrentDirectoryW(target.c_str());
    const std::wstring folder = prefix + L"\\";
    if (created) NoteNewPath(folder.c_str());
    // Every folder this call made goes on the list, the base itself and
    // those above it included; with ForceUninstallDir also those below the
    // base that stood before.
    const bool belowBase = withBase && prefix.size() > base.size();
    if (withBase && (created || (recordAll && belowBase)) && !PushFileName(folder.c_str())) {
      ok = false;
      break;
    }
  }
  if (previousLength > 0 && previousLength < MAX_PATH) SetCurrentDirectoryW(previous);
  SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, full.c_str(), nullptr);
  return ok;
}

bool RemoveInvalidPathChars(wchar_t* text, bool keepDriveColon) {
  if (!text) return true;
  bool unchanged = true;
  wchar_t* out = text;
  for (const wchar_t* in = text; *in; ++in) {
    wchar_t c = *in;
    bool bad = wcschr(L"/*?\"<>|\r\n\t", c) != nullptr || (c == L':' && !keepDriveColon);
    if (bad) {
      unchanged = false;
      continue;
    }
    *out++ = c;
  }
  *out = 0;
  // A colon survives only as the drive letter's colon.
  out = text;
  for (size_t i = 0; text[i]; ++i) {
    if (text[i] == L':' && i != 1) {
      unchanged = false;
      continue;
    }
    *out++ = text[i];
  }
  *out = 0;
  return unchanged;
}

bool IsFullFolderPath(const wchar_t* path) {
  if (!path) return false;
  const bool drive = iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
  const bool unc = path[0] == L'\\' && path[1] == L'\\' && path[2] && path[2] != L'\\';
  return drive || unc;
}

DestinationCheck ValidateDestinationFolder(const wchar_t* folder, wchar_t* output) {
  if (!folder || !*folder) return kDestinationEmpty;
  size_t length = wcslen(folder);
  if (length >= MAX_PATH) return kDestinationTooLong;
  wchar_t text[MAX_PATH];
  lstrcpynW(text, folder, MAX_PATH);
  if (text[length - 1] != L'\\') {
    if (length + 1 >= MAX_PATH) return kDestinationTooLong;
    text[length++] = L'\\';
    text[length] = 0;
  }
  if (wcspbrk(text, L"/*?<>|\"\r\n\t")) return kDestinationInvalidChars;
  if (wcsstr(text + 1, L"\\\\")) return kDestinationInvalidChars;
  for (size_t i = 0; text[i]; ++i) {
    if (text[i] == L':' && i != 1) return kDestinationInvalidChars;
  }
  // A relative folder is taken from the current folder; one whose full
  // path does not fit is too long.
  wchar_t absolute[MAX_PATH];
  DWORD n = GetFullPathNameW(text, MAX_PATH, absolute, nullptr);
  if (n > 0 && n < MAX_PATH)
    lstrcpynW(text, absolute, MAX_PATH);
  else if (!IsFullFolderPath(text))
    return kDestinationTooLong;
  if (!IsFullFolderPath(text)) return kDestinationNotAbsolute;
  length = wcslen(text);
  if (length == 0 || (text[length - 1] != L'\\' && length + 1 >= MAX_PATH)) return kDestinationTooLong;
  if (text[length - 1] != L'\\') {
    text[length] = L'\\';
    text[length + 1] = 0;
  }
  lstrcpynW(output, text, MAX_PATH);
  return kDestinationOk;
}

}  // namespace stub
