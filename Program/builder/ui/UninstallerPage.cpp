#include "UninstallerPage.h"

#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "PathPieces.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "ArchivePicking.h"
#include "RegisterOptionsDialog.h"
#include "UninstallerSettingsDialog.h"
#include "VesmarinResource.h"

namespace {

// The page's copy of the members of the registration's further values,
// taken when the page is created and written back at every store.
RegisterOptions g_registerOptions;

void TakeRegisterOptions() { g_registerOptions = g_SfxSettings; }

void GiveRegisterOptions() { static_cast<RegisterOptions&>(g_SfxSettings) = g_registerOptions; }

bool Chosen(HWND page, int id) { return IsBoxChecked(page, id); }

bool FileIsExe(HWND page) {
  wchar_t file[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(page, IDC_UNINST_FILE), file, MAX_PATH);
  const wchar_t* extension = FindFileExtension(file);
  return extension && _wcsicmp(extension, L".exe") == 0;
}

void EnableRule(HWND page) {
  const bool builtIn = Chosen(page, IDC_UNINST_BUILTIN);
  const bool own = Chosen(page, IDC_UNINST_OWN);
  EnableControls(page, {IDC_UNINST_SETTINGS}, builtIn);
  EnableControls(page,
                 {IDC_UNINST_INFO_GROUP, IDC_UNINST_FILE_LABEL, IDC_UNINST_ARGS_LABEL,
                  IDC_UNINST_FILE, IDC_UNINST_BROWSE},
                 own);
  EnableControls(page, {IDC_UNINST_ARGS}, own && FileIsExe(page));
  EnableControls(page,
                 {IDC_UNINST_KEY_GROUP, IDC_UNINST_KEY_LABEL, IDC_UNINST_TITLE_LABEL, IDC_UNINST_KEY,
                  IDC_UNINST_TITLE, IDC_UNINST_TITLE_E, IDC_UNINST_TITLE_LANGUAGE, IDC_UNINST_OPTIONS},
                 builtIn || own);
}

HWND StartupPage() {
  return g_StartupPageWindow && IsWindow(g_StartupPageWindow) ? g_StartupPageWindow : nullptr;
}

void Init(HWND page) {
  TakeRegisterOptions();
  InitLanguageList(page, IDC_UNINST_TITLE_LANGUAGE);
  LimitEdit(page, IDC_UNINST_FILE, 259);
  LimitEdit(page, IDC_UNINST_ARGS, 259);
  LimitEdit(page, IDC_UNINST_KEY, 80);
  LimitEdit(page, IDC_UNINST_TITLE, 150);
  LimitEdit(page, IDC_UNINST_TITLE_E, 150);
}

void ToControls(HWND page) {
  const CSfxSettings& settings = g_SfxSettings;
  const int choice = !settings.UseUnInstall ? IDC_UNINST_NONE
                     : settings.UseVesmarinUninstaller ? IDC_UNINST_BUILTIN
                                                       : IDC_UNINST_OWN;
  CheckRadioButton(page, IDC_UNINST_NONE, IDC_UNINST_OWN, choice);
  SetDlgItemTextW(page, IDC_UNINST_TITLE, settings.UnInstallTitle);
  SetDlgItemTextW(page, IDC_UNINST_TITLE_E, settings.UnInstallTitleE);
  SetDlgItemTextW(page, IDC_UNINST_KEY, settings.UnInstallKey);
  SetDlgItemTextW(page, IDC_UNINST_FILE, settings.UnInstallFile);
  SetDlgItemTextW(page, IDC_UNINST_ARGS, settings.UnInstallArgs);
  if (HWND startup = StartupPage())
    EnableControls(startup, {IDC_STARTUP_POWER_USERS}, settings.UseVesmarinUninstaller == 0);
  EnableRule(page);
}

void Store(HWND page) {
  CSfxSettings& settings = g_SfxSettings;
  const bool builtIn = Chosen(page, IDC_UNINST_BUILTIN);
  const bool own = Chosen(page, IDC_UNINST_OWN);
  settings.UseUnInstall = builtIn || own ? 1 : 0;
  settings.UseVesmarinUninstaller = builtIn ? 1 : 0;
  ReadWindowText(GetDlgItem(page, IDC_UNINST_TITLE), settings.UnInstallTitle, 151);
  ReadWindowText(GetDlgItem(page, IDC_UNINST_TITLE_E), settings.UnInstallTitleE, 151);
  ReadWindowText(GetDlgItem(page, IDC_UNINST_KEY), settings.UnInstallKey, 81);
  ReadWindowText(GetDlgItem(page, IDC_UNINST_FILE), settings.UnInstallFile, MAX_PATH);
  ReadWindowText(GetDlgItem(page, IDC_UNINST_ARGS), settings.UnInstallArgs, MAX_PATH);
  GiveRegisterOptions();
}

// Leaving stores first: a refused page keeps what it stored.
bool StoreThenValidate(HWND page) {
  Store(page);
  const bool own = Chosen(page, IDC_UNINST_OWN);
  if (own && GetWindowTextLengthW(GetDlgItem(page, IDC_UNINST_FILE)) == 0) {
    ShowPageWarning(page, IDS_UNINSTALLER_FILE_NEEDED);
    return false;
  }
  if (!own && !Chosen(page, IDC_UNINST_BUILTIN)) return true;
  const CSfxSettings& settings = g_SfxSettings;
  UINT fault = 0;
  if (!settings.UnInstallKey[0])
    fault = IDS_UNINSTALL_KEY_NEEDED;
  else if (!settings.UnInstallTitle[0])
    fault = IDS_UNINSTALL_TITLE_NEEDED;
  else if (wcschr(settings.UnInstallKey, L'\\'))
    fault = IDS_UNINSTALL_KEY_BACKSLASH;
  if (!fault) return true;
  ShowPageWarning(page, fault);
  return false;
}

// Either uninstaller needs the Power Users rights: an installation that
// cannot register it is refused.
void ChoiceClicked(HWND page) {
  HWND startup = StartupPage();
  if (Chosen(page, IDC_UNINST_NONE)) {
    if (startup) EnableControls(startup, {IDC_STARTUP_POWER_USERS}, true);
  } else if (startup) {
    if (!IsBoxChecked(startup, IDC_STARTUP_POWER_USERS)) {
      std::wstring text = LoadResString(IDS_UNINSTALLER_NEEDS_POWER_USERS);
      MessageBoxW(page, text.c_str(), kBuilderCaption, MB_OK | MB_ICONINFORMATION);
      g_SfxSettings.DenyUsers = 1;
      CheckBox(startup, IDC_STARTUP_POWER_USERS, true);
    }
    EnableControls(startup, {IDC_STARTUP_POWER_USERS}, false);
  }
  EnableRule(page);
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_UNINST_NONE:
    case IDC_UNINST_BUILTIN:
    case IDC_UNINST_OWN:
      if (code == BN_CLICKED) ChoiceClicked(page);
      return true;
    case IDC_UNINST_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(page, IDC_UNINST_FILE, L".exe", true);
      return true;
    case IDC_UNINST_FILE:
      if (code == EN_CHANGE) {
        ValidatePathEdit(page, controlId, true);
        EnableControls(page, {IDC_UNINST_ARGS}, Chosen(page, IDC_UNINST_OWN) && FileIsExe(page));
      }
      return true;
    case IDC_UNINST_OPTIONS:
      if (code == BN_CLICKED) EditRegisterOptions(page, &g_registerOptions);
      return true;
    case IDC_UNINST_SETTINGS:
      if (code == BN_CLICKED) EditUninstallerSettings(page);
      return true;
    case IDC_UNINST_TITLE_LANGUAGE:
      if (code == CBN_SELCHANGE) ApplyLanguageList(page, controlId, IDC_UNINST_TITLE, IDC_UNINST_TITLE_E);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_UNINSTALLER, Init,    ToControls, StoreThenValidate,
                               Store,                Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK UninstallerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
