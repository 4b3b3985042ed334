#include "ProgramStart.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <cwchar>

#include "CheckingWindow.h"
#include "PostInstallResource.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TextUtil.h"

namespace stub {

namespace {

typedef BOOL(WINAPI* CreateProcessWithTokenFn)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

void ClearProcess(PROCESS_INFORMATION* process) {
  if (process) ZeroMemory(process, sizeof(*process));
}

void HandBack(PROCESS_INFORMATION& started, PROCESS_INFORMATION* process) {
  if (process) {
    *process = started;
  } else {
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  }
}

// A primary token duplicated from the desktop shell's process (the window
// "Progman"), or null. The shell must not be this process.
HANDLE DuplicateShellToken() {
  HWND shell = FindWindowW(L"Progman", nullptr);
  if (!shell) return nullptr;
  DWORD processId = 0;
  GetWindowThreadProcessId(shell, &processId);
  if (processId == 0 || processId == GetCurrentProcessId()) return nullptr;
  HANDLE shellProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (!shellProcess) return nullptr;
  HANDLE shellToken = nullptr;
  HANDLE primary = nullptr;
  if (OpenProcessToken(shellProcess, TOKEN_DUPLICATE, &shellToken)) {
    const DWORD access = TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE |
                         TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
    if (!DuplicateTokenEx(shellToken, access, nullptr, SecurityImpersonation, TokenPrimary,
                          &primary))
      primary = nullptr;
    CloseHandle(shellToken);
  }
  CloseHandle(shellProcess);
  return primary;
}

// The key under which the system keeps what opens a file: its extension, or
// for an address with a scheme ("https://...") the scheme.
bool AssociationKey(const wchar_t* path, wchar_t* key, size_t capacity) {
  const wchar_t* colon = wcschr(path, L':');
  if (colon && colon - path > 1 && !wcschr(path, L'\\')) {
    const size_t length = static_cast<size_t>(colon - path);
    if (length >= capacity) return false;
    wmemcpy(key, path, length);
    key[length] = 0;
    return true;
  }
  const wchar_t* extension = PathFindExtensionW(path);
  if (!extension || !*extension) return false;
  return SUCCEEDED(StringCchCopyW(key, capacity, extension));
}

// Starts the program under the desktop shell's token; false when any step
// fails (the caller then starts it the ordinary way).
bool StartUnderShellToken(const wchar_t* path, const wchar_t* args, PROCESS_INFORMATION* process) {
  CreateProcessWithTokenFn createWithToken = reinterpret_cast<CreateProcessWithTokenFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"AdvApi32.dll"),
                                             "CreateProcessWithTokenW")));
  if (!createWithToken) return false;

  wchar_t commandLine[kCommandLineCapacity];
  if (IsExeFile(path)) {
    if (!ComposeCommandLine(path, args, commandLine, ARRAYSIZE(commandLine))) return false;
  } else {
    // The associated program with the quoted document and the arguments.
    wchar_t key[64];
    wchar_t program[MAX_PATH];
    DWORD length = ARRAYSIZE(program);
    if (!AssociationKey(path, key, ARRAYSIZE(key)) ||
        FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, key, L"open", program,
                                 &length)))
      return false;
    wchar_t documentArgs[kCommandLineCapacity];
    if (FAILED(StringCchPrintfW(documentArgs, ARRAYSIZE(documentArgs), L"\"%ls\"%ls%ls", path,
                                *args ? L" " : L"", args)))
      return false;
    if (!ComposeCommandLine(program, documentArgs, commandLine, ARRAYSIZE(commandLine)))
      return false;
  }

  HANDLE token = DuplicateShellToken();
  if (!token) return false;
  // The started program gets this process's environment (the variables that
  // describe the installation), not one made from the user's profile.
  LPWCH environment = GetEnvironmentStringsW();
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  const BOOL ok = createWithToken(token, 0, nullptr, commandLine, CREATE_UNICODE_ENVIRONMENT,
                                  environment, nullptr, &startup, &started);
  const DWORD error = GetLastError();
  if (environment) FreeEnvironmentStringsW(environment);
  CloseHandle(token);
  if (!ok) {
    StubLog(L"CreateProcessWithTokenW failed (%lu): %ls\n", static_cast<unsigned long>(error),
            commandLine);
    return false;
  }
  HandBack(started, process);
  return true;
}

int StartOrdinary(const wchar_t* path, const wchar_t* args, PROCESS_INFORMATION* process) {
  if (IsExeFile(path)) {
    wchar_t commandLine[kCommandLineCapacity];
    if (!ComposeCommandLine(path, args, commandLine, ARRAYSIZE(commandLine))) {
      StubLog(L"Command line too long for %ls\n", path);
      return -2;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      StubLog(L"CreateProcessW failed (%lu): %ls\n", static_cast<unsigned long>(GetLastError()),
              commandLine);
      return -1;
    }
    HandBack(started, process);
    return 0;
  }
  HINSTANCE result =
      ShellExecuteW(nullptr, L"open", path, *args ? args : nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) <= 32) {
    StubLog(L"ShellExecuteW failed (%ld): %ls\n", static_cast<long>(reinterpret_cast<INT_PTR>(result)),
            path);
    return -1;
  }
  return 0;
}

bool HasBadLinkCharacter(const wchar_t* text) {
  for (; *text; ++text)
    if (*text <= L' ' || *text == L'"' || *text == 0x7F) return true;
  return false;
}

}  // namespace

bool IsExeFile(const wchar_t* path) {
  if (!path) return false;
  const size_t length = wcslen(path);
  return length >= 4 && lstrcmpiW(path + length - 4, L".exe") == 0;
}

bool ComposeCommandLine(const wchar_t* path, const wchar_t* args, wchar_t* output,
                        size_t capacity) {
  if (!output || capacity == 0) return false;
  output[0] = 0;
  if (!path || !*path) return false;
  if (!args) args = L"";
  const bool quote = wcschr(path, L' ') != nullptr;
  HRESULT hr = StringCchPrintfW(output, capacity, quote ? L"\"%ls\"%ls%ls" : L"%ls%ls%ls", path,
                                *args ? L" " : L"", args);
  if (FAILED(hr)) {
    output[0] = 0;
    return false;
  }
  return true;
}

bool IsRunningElevated() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                0, 0, 0, 0, 0, &administrators))
    return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  if (!member) return false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation),
                                            &size) &&
                        elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}

int StartProgram(bool nonElevate, const wchar_t* path, const wchar_t* args,
                 PROCESS_INFORMATION* process) {
  ClearProcess(process);
  if (!path || !*path) return -1;
  if (!args) args = L"";
  StubLog(L"Start %ls %ls%ls\n", path, args, nonElevate ? L" (not elevated)" : L"");
  if (nonElevate && IsRunningElevated() && StartUnderShellToken(path, args, process)) return 1;
  return StartOrdinary(path, args, process);
}

void WaitForProgramEnd(HANDLE process) {
  if (!process) return;
  for (;;) {
    const DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) return;
    PumpMessages();
  }
}

bool IsOpenableWebLink(const wchar_t* link) {
  if (!link) return false;
  const size_t length = wcslen(link);
  if (length >= MAX_PATH || HasBadLinkCharacter(link)) return false;
  static const wchar_t* const kSchemes[] = {L"http://", L"https://", L"mailto:"};
  for (const wchar_t* scheme : kSchemes) {
    const size_t n = wcslen(scheme);
    if (length > n && EqualsNoCase(link, static_cast<int>(n), scheme, static_cast<int>(n)))
      return true;
  }
  return false;
}

void OpenWebLink(HWND owner) {
  if (!g_Settings || !*g_Settings->URL) return;
  const StubSettings& s = *g_Settings;
  const wchar_t* title = g_JapaneseUi ? s.HPTitle : s.HPTitleE;
  if (!*title) title = g_JapaneseUi ? s.HPTitleE : s.HPTitle;
  if (*title) {
    wchar_t question[ARRAYSIZE(s.HPTitle) + 16 + ARRAYSIZE(s.URL)];
    StringCchPrintfW(question, ARRAYSIZE(question), L"%ls\n\nURL: %ls", title, s.URL);
    if (ShowStubMessage(owner, question, PackageCaption(), MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
  }
  if (!IsOpenableWebLink(s.URL)) {
    StubLog(L"Web link refused: %ls\n", s.URL);
    ShowStubStringMessage(owner, IDS_WEB_BROWSER_FAILED, MB_OK | MB_ICONERROR);
    return;
  }
  if (StartProgram(true, s.URL, L"", nullptr) < 0)
    ShowStubStringMessage(owner, IDS_WEB_BROWSER_FAILED, MB_OK | MB_ICONERROR);
}

}  // namespace stub
