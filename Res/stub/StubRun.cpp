#include "StubRun.h"

#include <commctrl.h>
#include <objbase.h>
#include <strsafe.h>

#include "AdmissionChecks.h"
#include "AfterRunCleanUp.h"
#include "ArchiveOpen.h"
#include "BackScreen.h"
#include "CheckingWindow.h"
#include "CreatedPaths.h"
#include "ExtensionRecord.h"
#include "ExtractResource.h"
#include "Extraction.h"
#include "PathPieces.h"
#include "InstallSteps.h"
#include "LastError.h"
#include "PackageSwitch.h"
#include "SfxContainer.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "SystemDlls.h"
#include "TessalyResource.h"
#include "WindowsVersion.h"
#include "WizardRun.h"
#include "WizardCommon.h"

namespace stub {

const wchar_t kSingleInstanceMutex[] = L"vesmarin_class";

namespace {

// Returned by the steps when the run goes on.
const int kContinue = 0x7FFFFFFF;

// Loaded from the system folder before anything else runs.
const wchar_t* const kPreloadedDlls[] = {
    L"user32.dll",  L"gdi32.dll",   L"shlwapi.dll",  L"advapi32.dll",
    L"SHELL32.dll", L"ole32.dll",   L"IMAGEHLP.dll", L"NETAPI32.dll",
    L"VERSION.dll", L"cabinet.dll", L"MPR.dll",
};

HANDLE g_mutex = nullptr;
bool g_comInitialised = false;

void NoteWow64() {
  typedef BOOL(WINAPI * IsWow64Fn)(HANDLE, PBOOL);
  IsWow64Fn isWow64 = reinterpret_cast<IsWow64Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"Kernel32"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  g_Wow64 = isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

void DecideInterface() {
  OsVersion os;
  GetRunningOsVersion(&os);
  g_SegoeDialogs = os.major >= 10;
  wchar_t language[32];
  LoadStubString(IDS_LANGUAGE, language, ARRAYSIZE(language));
  g_JapaneseUi = lstrcmpW(language, L"Japanese") == 0;
}

// Steps 1 to 5: the process itself.
int StartUp() {
  if (!vesmarin::HardenDllSearch(kPreloadedDlls, ARRAYSIZE(kPreloadedDlls)))
    return kExitDllHardening;
  NoteWow64();
  OpenStubLog();
  DWORD length = GetModuleFileNameW(nullptr, g_OwnPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return kExitUnexpected;
  g_comInitialised = SUCCEEDED(CoInitialize(nullptr));
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  DecideInterface();
  ComposeTempFolderName();
  return kContinue;
}

// Step 6: the container.
int OpenContainer() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  OpenArchive* archive = ArchiveSfxOpen();
  SetCursor(previous);
  if (archive) return kContinue;
  CloseCheckingWindow();
  wchar_t text[kMessageBufferSize];
  if (GetLastErrorCode() == kErrorCrc)
    LoadStubString(IDS_CRC_ERROR, text, ARRAYSIZE(text));
  else
    lstrcpynW(text, GetLastErrorMessage(), ARRAYSIZE(text));
  wchar_t caption[MAX_PATH + 100];
  wchar_t suffix[100];
  LoadStubString(IDS_EXECUTION_ERROR_CAPTION, suffix, ARRAYSIZE(suffix));
  StringCchPrintfW(caption, ARRAYSIZE(caption), L"%ls%ls", FindFileNamePart(g_OwnPath), suffix);
  ShowStubMessage(nullptr, text, caption, MB_OK | MB_ICONERROR);
  return kExitContainer;
}

// Steps 7 to 10: what the package admits.
int AdmissionChecks() {
  const StubSettings& s = *g_Settings;
  if (RefusesWow64(s.FlagsA, g_Wow64)) {
    CloseCheckingWindow();
    ShowStubStringMessage(nullptr, IDS_WRONG_WINDOWS, MB_OK | MB_ICONERROR);
    return kExitDeny64bit;
  }
  if (s.FlagsA & SfxFlagsA::CheckTrust) {
    LONG status = 0;
    if (!IsFileTrusted(g_OwnPath, &status)) {
      StubLog(L"WinVerifyTrust: 0x%08lX\n", static_cast<unsigned long>(status));
      if (ShowStubStringMessage(nullptr, IDS_UNTRUSTED,
                                MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) != IDYES)
        return kExitUntrusted;
    }
  }
  if ((s.FlagsA & SfxFlagsA::DenyUsers) && !CanWriteMachineRegistry()) {
    ShowStubStringMessage(nullptr, IDS_NO_MACHINE_RIGHTS, MB_OK | MB_ICONINFORMATION);
    return kExitNoMachineRights;
  }
  if ((s.FlagsA & SfxFlagsA::OnlyAdmin) && !IsUserAdministrator()) {
    ShowStubStringMessage(nullptr, IDS_NOT_ADMINISTRATOR, MB_OK | MB_ICONERROR);
    return kExitRefused;
  }
  OsVersion os;
  GetRunningOsVersion(&os);
  if (!IsSupportedOsVersion(os) || !IsOsAdmitted(s.Header.BootableOS, os)) {
    StubLog(L"Windows %lu.%lu.%lu (%ls) is not admitted by 0x%08lX\n",
            static_cast<unsigned long>(os.major), static_cast<unsigned long>(os.minor),
            static_cast<unsigned long>(os.build), os.server ? L"server" : L"client",
            static_cast<unsigned long>(s.Header.BootableOS));
    CloseCheckingWindow();
    if (*s.OSCheckErrorMsg)
      ShowStubMessage(nullptr, s.OSCheckErrorMsg, PackageCaption(), MB_OK | MB_ICONERROR);
    else
      ShowStubStringMessage(nullptr, IDS_WRONG_WINDOWS, MB_OK | MB_ICONERROR);
    return kExitRefused;
  }
  return kContinue;
}

// Step 11: the publisher's extension module and its first event.
int ExtensionModule() {
  StubSettings& s = *g_Settings;
  if (!(s.FlagsA & SfxFlagsA::UseExtensionModuleFile)) return kContinue;
  int prepared = PrepareExtensionModule();
  if (prepared != 0) return prepared;
  LONG answer = SendExtensionEvent(ExtEventInstallInit);
  StubLog(L"Extension module: event 1000 answered %ld\n", static_cast<long>(answer));
  if (answer == 0) return kContinue;
  if (answer == kExtensionResultFlipMode) {
    FlipSilentMode(&s.FlagsA, &s.FlagsB);
    return kContinue;
  }
  CloseCheckingWindow();
  return kExitExtensionStopped;
}

// Step 12: one installation at a time.
int SingleInstance() {
  const bool silent = (g_Settings->FlagsB & SfxFlagsB::NoUI) != 0;
  if (!silent) {
    HANDLE existing = OpenMutexW(SYNCHRONIZE, FALSE, kSingleInstanceMutex);
    if (existing) {
      CloseHandle(existing);
      CloseCheckingWindow();
      ShowStubStringMessage(nullptr, IDS_ALREADY_RUNNING, MB_OK | MB_ICONINFORMATION);
      return kExitAlreadyRunning;
    }
  }
  g_mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
  if (!g_mutex) {
    CloseCheckingWindow();
    ShowStubStringMessage(nullptr, IDS_NO_MEMORY, MB_OK | MB_ICONERROR);
    return kExitAlreadyRunning;
  }
  return kContinue;
}

// Step 18: the outcome of the installation.
void ReportOutcome() {
  CloseCheckingWindow();
  // The wizard's install page reported its failure itself.
  if (g_WizardFailureReported) return;
  const int code = GetLastErrorCode();
  if (code < 0) {
    wchar_t text[kMessageBufferSize];
    LoadStubString(IDS_INSTALL_ABORTED, text, ARRAYSIZE(text));
    bool suppressed = false;
    SendInstallErrorEvent(-1, text, &suppressed);
    if (!suppressed) ShowStubMessage(nullptr, text, PackageCaption(), MB_OK | MB_ICONWARNING);
    return;
  }
  if (code == 0) return;
  wchar_t text[kMessageBufferSize + MAX_PATH + 512];
  if (*GetFailureText()) {
    // Its own text names the cause; the code's message would mislead.
    StringCchCopyW(text, ARRAYSIZE(text), GetFailureText());
  } else {
    wchar_t format[512];
    LoadStubString(IDS_INSTALL_ERROR, format, ARRAYSIZE(format));
    // The table's text carries "%s" for the failing item.
    StringCchPrintfW(text, ARRAYSIZE(text), format, g_FailingItem);
    StringCchCatW(text, ARRAYSIZE(text), GetLastErrorMessage());
  }
  StubLog(L"Installation error, code %d: %ls\n", code, text);
  bool suppressed = false;
  SendInstallErrorEvent(code, text, &suppressed);
  if (!suppressed) ShowStubMessage(nullptr, text, PackageCaption(), MB_OK | MB_ICONERROR);
}

void RestartWindows() {
  Sleep(1000);
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED);
}

// Step 21: always.
void CleanUp() {
  CloseCheckingWindow();
  DestroyBackScreen();
  ReleaseWizardResources();
  ReleaseExtensionModule();
  if (g_Archive) {
    if (g_Settings && (g_Settings->FlagsA & SfxFlagsA::AfterDeleteExe)) {
      SetCurrentDirectoryW(g_Settings->ExtractPath);
      RemoveWrittenPaths();
    }
    CloseOpenArchive(g_Archive);
  }
  FreeCreatedPathList();
  if (g_mutex) {
    ReleaseMutex(g_mutex);
    CloseHandle(g_mutex);
    g_mutex = nullptr;
  }
  CloseStubLog();
  if (g_comInitialised) CoUninitialize();
  g_comInitialised = false;
  if (g_RestartRequested) RestartWindows();
}

// Step 20: files that wait for the next restart.
void AskForRestart(bool silent) {
  if (!g_RestartPending) return;
  bool needed = true;
  LONG answer = SendExtensionEvent(ExtEventInstallQueryReboot, 1);
  if (answer == kExtensionResultRestart) {
    g_RestartRequested = true;
    return;
  }
  if (answer == kExtensionResultNoRestart) needed = false;
  if (!needed || silent) return;
  if (ShowStubStringMessage(nullptr, IDS_RESTART_QUESTION,
                            MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES)
    g_RestartRequested = true;
}

// Step 14: the background screen, in silent runs too, never in an
// ultra-silent one.
void ShowBackgroundScreen() {
  const StubSettings& s = *g_Settings;
  if (!(s.FlagsA & SfxFlagsA::UseBackScreen) || g_UltraSilent) return;
  const wchar_t* text = g_JapaneseUi || !*s.BackScreenTextE ? s.BackScreenText : s.BackScreenTextE;
  CreateBackScreen(PackageCaption(), text, s.BackScreenColor);
}

int Install() {
  int exitCode;
  const bool silent = (g_Settings->FlagsB & SfxFlagsB::NoUI) != 0;
  // Step 13: the checking window stays for its minimum time.
  KeepCheckingWindowMinimum();
  ShowBackgroundScreen();
  if (silent) {
    SetCheckingWindowText(IDS_EXTRACTING);
    exitCode = RunSilentInstallation();
    // Its refusals (uninstaller path, saved path, extension module) have
    // been reported already.
    if (exitCode != 0) return exitCode;
  } else {
    CloseCheckingWindow();
    exitCode = RunInteractiveInstallation();
  }
  // However it ended early, what the run brought where nothing stood goes
  // again; what it replaced stays.
  if (!g_Installed) RemoveWhatTheRunBrought();
  ReportOutcome();
  // A wizard whose copying failed ends as a failed installation, not as
  // closed by the user.
  if (!silent && g_WizardFailureReported && GetLastErrorCode() > 0)
    exitCode = kExitInstallFailed;
  // A failed or aborted installation never ends as finished.
  if (exitCode == 0 && GetLastErrorCode() != 0)
    exitCode = GetLastErrorCode() < 0 ? kExitInstallAborted : kExitInstallFailed;
  if (exitCode == 0 && !g_Installed) exitCode = kExitInstallFailed;
  if (exitCode == 0) {
    // A failed uninstaller installation has been reported there; without
    // its uninstaller nothing could remove the installation, so what the
    // run brought goes again.
    if (!RunPostInstallSteps()) RemoveWhatTheRunBrought();
    if (GetLastErrorCode() != kErrorNone) exitCode = kExitInstallFailed;
    AskForRestart(silent);
  }
  return exitCode;
}

}  // namespace

int RunStub(HINSTANCE instance) {
  g_Instance = instance;
  int exitCode = StartUp();
  if (exitCode == kContinue) exitCode = OpenContainer();
  if (exitCode == kContinue) exitCode = AdmissionChecks();
  if (exitCode == kContinue) exitCode = ExtensionModule();
  if (exitCode == kContinue) exitCode = SingleInstance();
  if (exitCode == kContinue) exitCode = Install();
  CleanUp();
  return exitCode;
}

}  // namespace stub
