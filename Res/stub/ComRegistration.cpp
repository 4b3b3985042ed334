#include "ComRegistration.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>

#include "ClassicGuiFont.h"
#include "InstalledLocation.h"
#include "ServerEntry.h"
#include "ShellResource.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"

namespace stub {

namespace {

#ifdef _WIN64
const uint16_t kOwnMachine = kMachineX64;
#else
const uint16_t kOwnMachine = kMachineX86;
#endif

// Posted by the registration thread to the window when it is done.
const UINT kRegistrationDone = WM_APP + 13;

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
  DWORD read = 0;
  return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

// The server's folder: its path without the file name.
bool ServerFolder(const wchar_t* path, wchar_t* folder) {
  lstrcpynW(folder, path, MAX_PATH);
  return PathRemoveFileSpecW(folder) != FALSE && folder[0] != 0;
}

int RegisterWithRegsvr32(const wchar_t* path) {
  wchar_t folder[MAX_PATH];
  wchar_t regsvr32[MAX_PATH];
#ifdef _WIN64
  if (!ServerFolder(path, folder)) return kComNoServerFolder;
  if (!SHGetSpecialFolderPathW(nullptr, regsvr32, CSIDL_SYSTEMX86, TRUE) ||
      !PathAppendW(regsvr32, L"regsvr32.exe"))
    return kComNoSystemX86Folder;
  StubLog(L"Registering %ls with %ls\n", path, regsvr32);
  const DWORD result = RunRegsvr32(regsvr32, path, folder);
  return static_cast<int>(result);
#else
  HMODULE kernel = GetModuleHandleW(L"Kernel32");
  typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
  typedef BOOL(WINAPI * DisableRedirectionFn)(PVOID*);
  typedef BOOL(WINAPI * RevertRedirectionFn)(PVOID);
  IsWow64ProcessFn isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  if (isWow64) {
    BOOL wow64 = FALSE;
    if (!isWow64(GetCurrentProcess(), &wow64) || !wow64) {
      StubLog(L"Skipping the 64-bit server %ls on 32-bit Windows\n", path);
      return kComSkipped;
    }
  }
  DisableRedirectionFn disable = reinterpret_cast<DisableRedirectionFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  RevertRedirectionFn revert = reinterpret_cast<RevertRedirectionFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
  if (!ServerFolder(path, folder)) return kComNoServerFolder;
  PVOID previous = nullptr;
  const bool redirectionOff = disable && disable(&previous);
  int result;
  if (!SHGetSpecialFolderPathW(nullptr, regsvr32, CSIDL_SYSTEM, TRUE) ||
      !PathAppendW(regsvr32, L"regsvr32.exe")) {
    result = kComNoSystemFolder;
  } else {
    StubLog(L"Registering %ls with %ls\n", path, regsvr32);
    result = static_cast<int>(RunRegsvr32(regsvr32, path, folder));
  }
  if (redirectionOff && revert) revert(previous);
  return result;
#endif
}

void ReportFailure(HWND owner, const wchar_t* shownPath, int code) {
  wchar_t format[512];
  LoadStubString(IDS_REGISTER_SERVER_FAILED, format, ARRAYSIZE(format));
  wchar_t path[MAX_PATH];
  lstrcpynW(path, shownPath, MAX_PATH);
  wchar_t text[1024];  // wsprintfW writes at most 1024 characters
  wsprintfW(text, format, path, code);
  ShowStubMessage(owner, text, PackageCaption(), MB_OK);
}

void CenterOverOwner(HWND window) {
  RECT area;
  HWND owner = GetWindow(window, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &area)) {
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return;
  }
  RECT rect;
  if (!GetWindowRect(window, &rect)) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD WINAPI RegistrationThread(LPVOID parameter) {
  HWND dialog = static_cast<HWND>(parameter);
  const HRESULT com = CoInitialize(nullptr);
  RegisterComServers(dialog);
  if (SUCCEEDED(com)) CoUninitialize();
  // The window ends itself when it receives this; it cannot end otherwise.
  while (!PostMessageW(dialog, kRegistrationDone, 0, 0) && IsWindow(dialog)) Sleep(10);
  return 0;
}

INT_PTR CALLBACK RegistrationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      ApplyClassicGuiFont(dialog, false);
      HWND progress = GetDlgItem(dialog, IDC_CHECKING_PROGRESS);
      if (progress) {
        SetWindowLongPtrW(progress, GWL_STYLE,
                          GetWindowLongPtrW(progress, GWL_STYLE) | PBS_MARQUEE);
        SendMessageW(progress, PBM_SETMARQUEE, TRUE, 30);
      }
      SetWindowTextW(dialog, PackageCaption());
      wchar_t text[256];
      SetDlgItemTextW(dialog, IDC_CHECKING_TEXT,
                      LoadStubString(IDS_REGISTERING_COMPONENTS, text, ARRAYSIZE(text)));
      CenterOverOwner(dialog);
      HANDLE thread = CreateThread(nullptr, 0, &RegistrationThread, dialog, 0, nullptr);
      if (thread) {
        CloseHandle(thread);
      } else {
        RegisterComServers(dialog);
        EndDialog(dialog, 1);
      }
      return TRUE;
    }
    case kRegistrationDone:
      EndDialog(dialog, 1);
      return TRUE;
    case WM_COMMAND:
      // Neither Esc nor Enter ends the window while servers are registered.
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) return TRUE;
      break;
    case WM_CLOSE:
      return TRUE;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunRegistrationWindow(HWND owner) {
  const UINT id = g_SegoeDialogs ? IDD_CHECKING_SEGOE : IDD_CHECKING;
  return DialogBoxParamW(g_Instance, MAKEINTRESOURCEW(id), owner, &RegistrationProc, 0);
}

int ReadServerMachine(const wchar_t* path, uint16_t* machine) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kComCannotOpen;
  int code = kComRegistered;
  uint32_t offset = 0;
  uint8_t signature[4] = {};
  uint8_t header[20] = {};
  LARGE_INTEGER at;
  at.QuadPart = 0x3C;
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
      !ReadExactly(file, &offset, sizeof(offset))) {
    code = kComNoPeSignature;
  } else {
    at.QuadPart = offset;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
        !ReadExactly(file, signature, sizeof(signature)) || signature[0] != 'P' ||
        signature[1] != 'E' || signature[2] != 0 || signature[3] != 0) {
      code = kComNoPeSignature;
    } else if (!ReadExactly(file, header, sizeof(header))) {
      code = kComNoFileHeader;
    }
  }
  CloseHandle(file);
  if (code != kComRegistered) return code;
  const uint16_t found = static_cast<uint16_t>(header[0] | (header[1] << 8));
  if (machine) *machine = found;
  return found == kMachineX86 || found == kMachineX64 ? kComRegistered : kComUnknownMachine;
}

int RegisterServerInProcess(const wchar_t* path, DWORD* faultCode) {
  wchar_t folder[MAX_PATH];
  lstrcpynW(folder, path, MAX_PATH);
  wchar_t* slash = wcsrchr(folder, L'\\');
  if (!slash) return kComCannotLoad;
  *slash = 0;
  if (!folder[0]) return kComCannotLoad;
  if (folder[1] == L':' && folder[2] == 0) wcscat(folder, L"\\");  // a drive root

  wchar_t previous[MAX_PATH];
  const DWORD previousLength = GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder);
  // Libraries beside the server are found even though the stub restricts
  // its own search to the system folder.
  HMODULE library = LoadLibraryExW(
      path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (!library && GetLastError() == ERROR_INVALID_PARAMETER)  // no restricted search here
    library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD loadError = library ? 0 : GetLastError();
  if (previousLength > 0 && previousLength < MAX_PATH) SetCurrentDirectoryW(previous);
  if (!library) {
    StubLog(L"Could not load %ls (error %lu)\n", path, loadError);
    return kComCannotLoad;
  }

  HRESULT result = E_FAIL;
  DWORD fault = 0;
  const vesmarin::ServerEntryCall call =
      vesmarin::CallServerEntry(library, "DllRegisterServer", &result, &fault);
  FreeLibrary(library);
  if (call == vesmarin::ServerEntryCall::kMissing) return kComNoRegisterExport;
  if (call == vesmarin::ServerEntryCall::kFaulted) {
    StubLog(L"DllRegisterServer of %ls ended with exception 0x%08lX\n", path, fault);
    if (faultCode) *faultCode = fault;
    return kComRegisterFailed;
  }
  if (FAILED(result)) {
    StubLog(L"DllRegisterServer of %ls returned 0x%08lX\n", path,
            static_cast<unsigned long>(result));
    return kComRegisterFailed;
  }
  return kComRegistered;
}

DWORD RunRegsvr32(const wchar_t* regsvr32, const wchar_t* server, const wchar_t* folder) {
  wchar_t commandLine[2 * MAX_PATH + 16];
  _snwprintf(commandLine, ARRAYSIZE(commandLine) - 1, L"\"%ls\" /s \"%ls\"", regsvr32, server);
  commandLine[ARRAYSIZE(commandLine) - 1] = 0;
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder,
                      &startup, &process))
    return kComRegsvrNotStarted;
  WaitForInputIdle(process.hProcess, 1000);
  DWORD exitCode = 0;
  DWORD result;
  for (;;) {
    if (!GetExitCodeProcess(process.hProcess, &exitCode)) {
      result = kComRegsvrNoExitCode;
      break;
    }
    if (exitCode != STILL_ACTIVE) {
      result = exitCode;
      break;
    }
    // The 1 ms pause; once the process has ended its code is final, even
    // when that code is the value of STILL_ACTIVE.
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
      result = GetExitCodeProcess(process.hProcess, &exitCode) ? exitCode
                                                              : kComRegsvrNoExitCode;
      break;
    }
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

int RegisterComServer(const wchar_t* archivePath, wchar_t* installedPath) {
  wchar_t path[MAX_PATH];
  if (!GetInstalledLocation(archivePath, path)) return kComNoInstalledPath;
  if (installedPath) lstrcpynW(installedPath, path, MAX_PATH);
  uint16_t machine = 0;
  const int header = ReadServerMachine(path, &machine);
  if (header != kComRegistered) return header;
  if (machine == kOwnMachine) return RegisterServerInProcess(path);
  return RegisterWithRegsvr32(path);
}

int RegisterComServers(HWND owner) {
  if (!g_Settings) return 0;
  int failures = 0;
  for (const RegComSvrItem& item : g_Settings->RegComSvr) {
    wchar_t path[MAX_PATH] = {};
    const int code = RegisterComServer(item.FileName, path);
    StubLog(L"RegisterComServer %ls: %d\n", item.FileName, code);
    if (code == kComRegistered || code == kComSkipped) continue;
    ++failures;
    // Without an installed path the archive path is shown.
    ReportFailure(owner, code == kComNoInstalledPath ? item.FileName : path, code);
  }
  return failures;
}

}  // namespace stub
