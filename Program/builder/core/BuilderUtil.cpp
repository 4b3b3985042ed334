#include "BuilderUtil.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>
#include <cwctype>
#include <new>

#include "FaultGuard.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "TextUtil.h"
#include "Registry.h"
#include "ResultCodes.h"

const wchar_t kForbiddenPathChars[] = L":/*?\"<>|\r\n\t";

// --- Path checks ---------------------------------------------------------

bool IsValidFileName(const wchar_t* text) {
  if (!text) return false;
  for (const wchar_t* p = text; *p; p = CharNextW(p))
    if (wcschr(kForbiddenPathChars, *p)) return false;
  return true;
}

bool RemoveInvalidPathChars(wchar_t* text, bool keepDriveColon) {
  if (!text) return false;
  const wchar_t* set = keepDriveColon ? kForbiddenPathChars + 1 : kForbiddenPathChars;
  size_t length = wcslen(text);
  wchar_t* work = new (std::nothrow) wchar_t[length + 1];
  if (!work) return false;
  wmemcpy(work, text, length + 1);
  bool removed = false;
  for (wchar_t* p = work; *p;) {
    if (wcschr(set, *p)) {
      wmemmove(p, p + 1, wcslen(p + 1) + 1);
      removed = true;
    } else {
      p = CharNextW(p);
    }
  }
  if (wcslen(work) >= 3) {
    for (wchar_t* p = work + 2; *p;) {
      if (*p == L':') {
        wmemmove(p, p + 1, wcslen(p + 1) + 1);
        removed = true;
      } else {
        p = CharNextW(p);
      }
    }
  }
  wcscpy(text, work);
  delete[] work;
  return !removed;
}

namespace {

bool EndsWith(const wchar_t* text, size_t length, const wchar_t* suffix) {
  size_t n = wcslen(suffix);
  return length >= n && wcscmp(text + length - n, suffix) == 0;
}

}  // namespace

bool IsValidRelativePath(const wchar_t* path, bool allowTrailingBackslash) {
  if (!path) return false;
  const size_t length = wcslen(path);
  if (length >= 2 && wcsstr(path + 1, L"\\\\")) return false;
  if (wcsstr(path, L"\\..\\") || wcsstr(path, L"\\.\\")) return false;
  if (wcscmp(path, L"..") == 0 || wcscmp(path, L".") == 0) return false;
  if (EndsWith(path, length, L"\\..") || EndsWith(path, length, L"\\.")) return false;
  if (length > 2 && StartsWithNoCase(path, L"..\\")) return false;
  if (length > 1 && (StartsWithNoCase(path, L".\\") || (path[0] == L'\\' && path[1] != L'\\')))
    return false;
  if (!allowTrailingBackslash && length >= 2 && path[length - 1] == L'\\') return false;
  return true;
}

bool TakeRelativeFolder(const wchar_t* text, bool leadingBackslashAllowed,
                        bool allowTrailingBackslash, std::wstring* stored) {
  if (!text) return false;
  size_t leading = 0;
  while (text[leading] == L'\\') ++leading;
  const wchar_t* rest = text + leading;
  if (leading > 2) return false;
  if (rest[0] && rest[1] == L':') return false;
  if (leading == 2) {
    // \\server\share is a share, never a folder below the base.
    const wchar_t* separator = wcschr(rest, L'\\');
    if (separator && separator[1]) return false;
  }
  if (leading == 1 && rest[0] && !leadingBackslashAllowed) return false;
  if (!IsValidRelativePath(rest, allowTrailingBackslash)) return false;
  if (stored) *stored = rest;
  return true;
}

bool TakeUninstallerFolder(const wchar_t* text, std::wstring* stored) {
  if (!text) return false;
  while (*text == L'\\') ++text;
  if (text[0] && text[1] == L':') return false;
  if (!IsValidRelativePath(text, true)) return false;
  if (stored) *stored = text;
  return true;
}

bool TakeShortcutFile(const wchar_t* text, std::wstring* stored) {
  std::wstring taken;
  if (!TakeRelativeFolder(text, true, true, &taken)) return false;
  if (taken.empty() && text[0]) taken = L"\\";
  if (stored) *stored = taken;
  return true;
}

bool ValidatePathEdit(HWND dialog, int controlId, bool keepDriveColon) {
  HWND edit = GetDlgItem(dialog, controlId);
  wchar_t text[MAX_PATH] = {};
  GetWindowTextW(edit, text, MAX_PATH);
  DWORD selectionStart = 0, selectionEnd = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
               reinterpret_cast<LPARAM>(&selectionEnd));
  if (RemoveInvalidPathChars(text, keepDriveColon)) return true;
  MessageBoxW(dialog, LoadResString(IDS_INVALID_PATH_CHARS), kBuilderCaption,
              MB_OK | MB_ICONWARNING);
  SetWindowTextW(edit, text);
  DWORD caret = selectionEnd > 0 ? selectionEnd - 1 : 0;
  SendMessageW(edit, EM_SETSEL, caret, caret);
  return false;
}

// --- Files and texts -----------------------------------------------------

bool GetShellFolderPath(HWND owner, int csidl, wchar_t* output) {
  if (!output) return false;
  wchar_t path[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(owner, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0]) {
    wcscpy(output, path);
    return true;
  }
  LPITEMIDLIST list = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(owner, csidl, &list)) && list) {
    bool ok = SHGetPathFromIDListW(list, path) && path[0];
    CoTaskMemFree(list);
    if (ok) {
      wcscpy(output, path);
      return true;
    }
  }
  return false;
}

std::wstring LoadFilterString(UINT id) {
  std::wstring filter(LoadResString(id));
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  return filter;
}

// --- Registry ------------------------------------------------------------------

bool RegReadDword(const wchar_t* subKey, const wchar_t* valueName, DWORD* output) {
  return ReadRegDword(HKEY_CURRENT_USER, subKey, valueName, output) == RegReadResult::kRead;
}

bool RegReadString(const wchar_t* subKey, const wchar_t* valueName, wchar_t* output,
                   DWORD outputBytes) {
  return ReadRegString(HKEY_CURRENT_USER, subKey, valueName, output, outputBytes / sizeof(wchar_t),
                       RegTextFit::kCut) == RegReadResult::kRead;
}

namespace {

HKEY CreateUserKey(const wchar_t* subKey) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

bool RegWriteDword(const wchar_t* subKey, const wchar_t* valueName, DWORD value) {
  HKEY key = CreateUserKey(subKey);
  if (!key) return false;
  LONG status = RegSetValueExW(key, valueName, 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool RegWriteString(const wchar_t* subKey, const wchar_t* valueName, const wchar_t* text) {
  if (!text) return false;
  HKEY key = CreateUserKey(subKey);
  if (!key) return false;
  DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  LONG status =
      RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

// --- Windows and drawing --------------------------------------------------

bool ModifyWindowStyle(HWND window, LONG_PTR clear, LONG_PTR set, UINT extraFlags) {
  if (!IsWindow(window)) return false;
  LONG_PTR old = GetWindowLongPtrW(window, GWL_STYLE);
  LONG_PTR style = (old & ~clear) | set;
  if (style == old) return false;
  SetWindowLongPtrW(window, GWL_STYLE, style);
  if (extraFlags)
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | extraFlags);
  return true;
}

int ReadWindowText(HWND window, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  wmemset(buffer, 0, static_cast<size_t>(capacity));
  return GetWindowTextW(window, buffer, capacity);
}

bool GetSelectedListViewItem(HWND listView, LVITEMW* item) {
  if (!item) return false;
  int index = static_cast<int>(
      SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (index < 0) return false;
  item->iItem = index;
  return SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item)) != FALSE;
}

HDC CreateOffscreenDC(int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  if (!dc) {
    ReleaseDC(nullptr, screen);
    return nullptr;
  }
  SaveDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (bitmap) SelectObject(dc, bitmap);
  return dc;
}

void DeleteOffscreenDC(HDC dc) {
  if (!dc) return;
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  RestoreDC(dc, -1);
  DeleteDC(dc);
  if (bitmap) DeleteObject(bitmap);  // the DC's own 1x1 stock bitmap is ignored
}

HICON LoadIconScaled(HINSTANCE module, const wchar_t* name, int width, int height) {
  typedef HRESULT(WINAPI * ScaleDownFn)(HINSTANCE, PCWSTR, int, int, HICON*);
  static bool looked = false;
  static ScaleDownFn scaleDown = nullptr;
  if (!looked) {
    looked = true;
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    if (comctl) GetProcAddressTo(comctl, "LoadIconWithScaleDown", &scaleDown);
  }
  if (scaleDown) {
    HICON icon = nullptr;
    if (SUCCEEDED(scaleDown(module, name, width, height, &icon))) return icon;
    return nullptr;
  }
  return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, width, height, LR_SHARED));
}

bool GetProcAddressRaw(HMODULE module, const char* exportName, FARPROC* output) {
  if (!module || !exportName || !output) return false;
  FARPROC address = GetProcAddress(module, exportName);
  if (!address) return false;
  *output = address;
  return true;
}

// --- Processes and messages -------------------------------------------------

bool RunProgram(const wchar_t* file, const wchar_t* arguments, PROCESS_INFORMATION* info) {
  if (!file) return false;
  wchar_t folder[MAX_PATH] = {};
  lstrcpynW(folder, file, MAX_PATH);
  if (!RemoveFileNamePart(folder)) folder[0] = L'\0';
  const wchar_t* directory = folder[0] ? folder : nullptr;
  const wchar_t* extension = FindFileExtension(file);
  if (!extension || _wcsicmp(extension, L".exe") != 0) {
    HINSTANCE result = ShellExecuteW(nullptr, L"open", file, nullptr, directory, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
  const size_t kCommandLineSize = 620;
  wchar_t commandLine[kCommandLineSize] = {};
  std::wstring line = L"\"";
  line += file;
  line += L"\" ";
  if (arguments) line += arguments;
  if (line.size() >= kCommandLineSize) return false;
  wcscpy(commandLine, line.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE,
                      CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, directory,
                      &startup, &process))
    return false;
  if (info) {
    *info = process;
  } else {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return true;
}

namespace {

struct ReadRequest {
  HANDLE process;
  const void* address;
  void* buffer;
  SIZE_T size;
  SIZE_T count;
  BOOL ok;
};

void ReadStep(void* context) {
  ReadRequest* request = static_cast<ReadRequest*>(context);
  request->ok = ReadProcessMemory(request->process, request->address, request->buffer,
                                  request->size, &request->count);
}

}  // namespace

bool ReadProcessMemoryGuarded(HANDLE process, const void* address, void* buffer, SIZE_T size,
                              SIZE_T* count) {
  if (!process || !buffer) return false;
  ReadRequest request = {process, address, buffer, size, 0, FALSE};
  if (!vesmarin::RunGuarded(ReadStep, &request) || !request.ok) return false;
  if (count) *count = request.count;
  return true;
}

bool ReadProcessBuffer(DWORD processId, const void* address, void* buffer, SIZE_T size,
                       SIZE_T* count) {
  if (!buffer) return false;
  if (processId == 0 || processId == GetCurrentProcessId()) {
    if (!vesmarin::GuardedCopy(buffer, address, size)) return false;
    if (count) *count = size;
    return true;
  }
  HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
  if (!process) return false;
  bool ok = ReadProcessMemoryGuarded(process, address, buffer, size, count);
  CloseHandle(process);
  return ok;
}
