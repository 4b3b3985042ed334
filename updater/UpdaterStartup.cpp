#include "UpdaterStartup.h"

#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>

#include <cwchar>
#include <exception>

#include "MainDialog.h"
#include "NemdriftResource.h"
#include "NewsFeed.h"
#include "OptionsDialog.h"
#include "MessagePump.h"
#include "WindowCentering.h"
#include "SystemDlls.h"
#include "UpdaterCommandLine.h"
#include "UpdaterRegistry.h"
#include "UpdaterSettings.h"
#include "UpdaterState.h"
#include "UpdaterStrings.h"
#include "VersionCheck.h"
#include "WinInetApi.h"

const wchar_t kUpdateNotifyMessageName[] = L"Nemdrift_UpdateNotify";

namespace {

bool oleStarted = false;

INT_PTR CALLBACK CheckingDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A window handle passed on the command line, kept only while it names a
// window.
HWND LiveWindow(HWND window) { return window && IsWindow(window) ? window : nullptr; }

bool AnyUpdateAvailable() {
  for (const UpdateItem& item : g_Updater.Updates)
    if (item.UpdateAvailable) return true;
  return false;
}

// The instance, the caption, OLE and the common controls.
void StartUp(HINSTANCE instance) {
  g_Updater.Instance = instance;
  lstrcpynW(g_Updater.Caption, LoadStringResource(IDS_CAPTION).c_str(), 200);
  oleStarted = SUCCEEDED(OleInitialize(nullptr));
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                         ICC_LISTVIEW_CLASSES |
                                                         ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

bool IsOnline() {
  DWORD connection = 0;
  const WinInetApi* net = SystemWinInet();
  return net && net->InternetGetConnectedState(&connection, 0);
}

// Loads the settings file; false, after saying so, when it is unusable.
bool LoadSettingsOrSay() {
  const int settingsError = LoadUpdaterSettings();
  if (settingsError == kSettingsOk) return true;
  wchar_t text[1024] = {};
  swprintf(text, 1024, LoadStringResource(IDS_SETTINGS_ERROR).c_str(), settingsError);
  MessageBoxW(nullptr, text, g_Updater.Caption, MB_ICONERROR);
  return false;
}

// The user's choices of when to show the main dialog.
void ReadDisplayChoices() {
  const wchar_t* regKey = g_Updater.RegKey.c_str();
  if (g_Updater.IntegrateMode) {
    g_Updater.AutoCheckUpdate = ReadRegDword(regKey, L"AutoCheckUpdate", 1) != 0;
    g_Updater.ShowOnNewInformation = ReadRegDword(regKey, L"ShowOnNewInformation", 1) != 0;
  } else {
    g_Updater.ShowOption = ReadRegDword(regKey, L"ShowOption", 1);
  }
}

// The caller's window, and in integrated mode the window to notify.
HWND ReadWindowOptions(const UpdaterCommandLine& commandLine) {
  std::wstring value;
  HWND caller = nullptr;
  if (commandLine.GetOptionValue(L"hwnd", value)) caller = LiveWindow(WindowFromOptionValue(value));
  if (g_Updater.IntegrateMode && commandLine.GetOptionValue(L"NotifyWindow", value))
    g_Updater.NotifyWindow = WindowFromOptionValue(value);
  return caller;
}

// True on the first run, after greeting the user once.
bool GreetOnFirstRun(HWND caller) {
  const wchar_t* regKey = g_Updater.RegKey.c_str();
  if (ReadRegDword(regKey, L"ShowHello", 0) != 0) return false;
  MessageBoxW(LiveWindow(caller), LoadStringResource(IDS_HELLO).c_str(), g_Updater.Caption,
              MB_ICONINFORMATION);
  WriteRegDword(regKey, L"ShowHello", 1);
  return true;
}

// Automatic mode: false, with the exit code, when display is switched off
// or today's check is done; otherwise records today's check.
bool AutomaticCheckIsDue(bool firstRun, int* exitCode) {
  const wchar_t* regKey = g_Updater.RegKey.c_str();
  if (!firstRun && (g_Updater.IntegrateMode
                        ? !g_Updater.AutoCheckUpdate && !g_Updater.ShowOnNewInformation
                        : g_Updater.ShowOption == 0)) {
    *exitCode = 1;
    return false;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t today[16];
  FormatCheckDate(now, today);
  wchar_t stored[kRegStringCapacity];
  ReadRegString(regKey, L"LastExecDate", stored);
  if (!firstRun && wcscmp(stored, today) == 0) {
    *exitCode = 0;
    return false;
  }
  WriteRegString(regKey, L"LastExecDate", today);
  return true;
}

// The version check and the news, while the "Gathering information..."
// dialog is shown; the update list holds at least one row afterwards.
void GatherInformation(HWND caller) {
  HWND gathering = CreateDialogParamW(g_Updater.Instance, MAKEINTRESOURCEW(IDD_GATHERING),
                                      LiveWindow(caller), CheckingDialogProc, 0);
  if (gathering) {
    CenterWindowOver(gathering, LiveWindow(caller));
    ShowWindow(gathering, SW_SHOW);
    UpdateWindow(gathering);
  }
  g_Updater.CheckStatus = 0;
  if (CheckForUpdates(g_Updater.Updates, &g_Updater.CheckStatus) && !g_Updater.Updates.empty()) {
    g_Updater.CheckFailed = false;
  } else {
    g_Updater.CheckFailed = true;
    g_Updater.Updates.push_back(UpdateItem());
  }
  ReadNewsFeed(g_Updater.RSSURL, g_Updater.News);
  if (gathering) DestroyWindow(gathering);
}

// Whether the main dialog is shown; in integrated mode, notifies the host
// of an update.
bool ShouldShowMainDialog(bool autoMode) {
  if (!autoMode) return true;
  if (g_Updater.IntegrateMode) {
    if (g_Updater.AutoCheckUpdate && AnyUpdateAvailable())
      PostMessageW(g_Updater.NotifyWindow, RegisterWindowMessageW(kUpdateNotifyMessageName), 0, 0);
    return g_Updater.ShowOnNewInformation && HasNewNews();
  }
  if (g_Updater.ShowOption == 0) return false;
  const bool newNews = g_Updater.ShowOption == 1 && HasNewNews();
  return newNews || AnyUpdateAvailable();
}

// Shows the main dialog, with the caller disabled meanwhile, until it ends.
void RunMainDialog(HWND caller, bool autoMode) {
  caller = LiveWindow(caller);
  HWND dialog = CreateMainDialog(caller, autoMode);
  if (!dialog) return;
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  if (caller) {
    SetForegroundWindow(caller);
    EnableWindow(caller, FALSE);
  }
  RunMessageLoop(dialog, nullptr, nullptr);
  if (caller && IsWindow(caller) && !IsWindowEnabled(caller)) EnableWindow(caller, TRUE);
}

int Run(HINSTANCE instance) {
  StartUp(instance);
  if (!IsOnline()) return 0;
  if (!LoadSettingsOrSay()) return -1;
  ReadDisplayChoices();
  UpdaterCommandLine commandLine;
  const HWND caller = ReadWindowOptions(commandLine);
  const bool firstRun = GreetOnFirstRun(caller);
  if (commandLine.HasOption(L"Option")) {
    ShowOptionsDialog(LiveWindow(caller));
    return 0;
  }
  const bool autoMode = commandLine.HasOption(L"AutoCheck");
  int exitCode = 0;
  if (autoMode && !AutomaticCheckIsDue(firstRun, &exitCode)) return exitCode;
  GatherInformation(caller);
  if (!ShouldShowMainDialog(autoMode) && !firstRun) return 0;
  RunMainDialog(caller, autoMode);
  return 0;
}

}  // namespace

void FormatCheckDate(const SYSTEMTIME& date, wchar_t (&text)[16]) {
  swprintf(text, 16, L"%04d/%02d/%02d", date.wYear, date.wMonth, date.wDay);
}

void ReleaseUpdaterResources() {
  if (oleStarted) OleUninitialize();
  oleStarted = false;
  for (auto& entry : g_Updater.NewsIconCache)
    if (entry.second.Bitmap) DeleteObject(entry.second.Bitmap);
  g_Updater.NewsIconCache.clear();
}

int UpdaterMain(HINSTANCE instance) {
  // Libraries come from the system folder only, never from beside the program.
  vesmarin::HardenDllSearch();
  int code = -1;
  try {
    code = Run(instance);
  } catch (...) {
    code = -1;
  }
  ReleaseUpdaterResources();
  return code;
}
