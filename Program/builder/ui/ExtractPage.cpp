#include "ExtractPage.h"

#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "Validation.h"
#include "VesmarinResource.h"

namespace {

const int kAbsolutePath = 6;
const int kOverwriteWithRestart = 2;
// The "delete all extracted files after execution" box of the automatic
// execution page.
const int kAutoExecDeleteAfterRun = 1010;
const wchar_t* const kRootKeys[] = {L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\"};

bool AbsoluteBase(HWND page) { return DropDownIndex(page, IDC_EXTRACT_BASE) == kAbsolutePath; }

void ShowInformation(HWND page, UINT stringId) {
  std::wstring text = LoadResString(stringId);
  MessageBoxW(page, text.c_str(), kBuilderCaption, MB_OK | MB_ICONINFORMATION);
}

void AskPathRule(HWND page) {
  EnableControls(page, {IDC_EXTRACT_NO_ASK_MKDIR}, IsBoxChecked(page, IDC_EXTRACT_ASK_PATH));
}

void AskOverwriteRule(HWND page) {
  EnableControls(page, {IDC_EXTRACT_HIDE_ASK_OVERWRITE},
                 !IsBoxChecked(page, IDC_EXTRACT_ASK_OVERWRITE));
}

void BaseFolderRule(HWND page) {
  std::wstring label = LoadResString(AbsoluteBase(page) ? IDS_ABSOLUTE_PATH_LABEL : IDS_SUB_FOLDER_LABEL);
  SetDlgItemTextW(page, IDC_EXTRACT_FOLDER_LABEL, label.c_str());
}

void Init(HWND page) {
  for (UINT id = IDS_BASE_FOLDER_PROGRAM_FILES; id <= IDS_BASE_FOLDER_COMMON_DOCUMENTS; ++id)
    FillDropDown(page, IDC_EXTRACT_BASE, {id});
  SendDlgItemMessageW(page, IDC_EXTRACT_BASE, CB_SETCURSEL, 0, 0);
  for (const wchar_t* root : kRootKeys)
    SendDlgItemMessageW(page, IDC_EXTRACT_ROOT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root));
  SendDlgItemMessageW(page, IDC_EXTRACT_ROOT, CB_SETCURSEL, 0, 0);
  LimitEdit(page, IDC_EXTRACT_FOLDER, 259);
  LimitEdit(page, IDC_EXTRACT_KEY, 127);
  LimitEdit(page, IDC_EXTRACT_VALUE, 127);
  FillDropDown(page, IDC_EXTRACT_OVERWRITE_METHOD,
               {IDS_OVERWRITE_FAIL_STOP, IDS_OVERWRITE_RETRY, IDS_OVERWRITE_RESTART});
  SendDlgItemMessageW(page, IDC_EXTRACT_OVERWRITE_METHOD, CB_SETCURSEL, 0, 0);
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_EXTRACT);
  UpdateExtractFolderControls(page);
  UpdateSavePathControls(page);
  AskPathRule(page);
  AskOverwriteRule(page);
  BaseFolderRule(page);
}

// The overwrite method changed: "Overwrite with restart" needs
// administrative rights and cannot go with deleting the files after the
// automatic execution.
void OverwriteMethodChanged(HWND page) {
  HWND startup = g_StartupPageWindow && IsWindow(g_StartupPageWindow) ? g_StartupPageWindow : nullptr;
  if (DropDownIndex(page, IDC_EXTRACT_OVERWRITE_METHOD) != kOverwriteWithRestart) {
    if (startup) EnableControls(startup, {IDC_STARTUP_ADMIN}, true);
    return;
  }
  if (startup && !IsBoxChecked(startup, IDC_STARTUP_ADMIN)) {
    ShowInformation(page, IDS_RESTART_NEEDS_ADMIN);
    g_SfxSettings.OnlyAdmin = 1;
    CheckBox(startup, IDC_STARTUP_ADMIN, true);
  }
  if (startup) EnableControls(startup, {IDC_STARTUP_ADMIN}, false);
  if (g_SfxSettings.AfterDeleteFiles) {
    ShowInformation(page, IDS_RESTART_CLEARS_DELETE);
    g_SfxSettings.AfterDeleteFiles = 0;
    // The automatic-execution page, when it exists, stores its box at OK:
    // it must show what was written here.
    HWND autoExec = SheetPageWindow(IDD_PAGE_AUTOEXEC);
    if (autoExec) CheckBox(autoExec, kAutoExecDeleteAfterRun, false);
  }
}

void StoreNormalized(HWND page) {
  NormalizeExtractFolder(page);
  ControlsToSettings(page, IDD_PAGE_EXTRACT);
}

bool Refuse(HWND page, UINT stringId, int focusId) {
  ShowPageWarning(page, stringId);
  SetFocus(GetDlgItem(page, focusId));
  return false;
}

bool Validate(HWND page) {
  wchar_t folder[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(page, IDC_EXTRACT_FOLDER), folder, MAX_PATH);
  if (folder[0]) {
    if (!RemoveInvalidPathChars(folder, AbsoluteBase(page))) {
      SetDlgItemTextW(page, IDC_EXTRACT_FOLDER, folder);
      return Refuse(page, IDS_FOLDER_INVALID_CHAR, IDC_EXTRACT_FOLDER);
    }
    // An absolute destination is judged as the build judges it: the
    // relative-path rule would refuse every drive and share.
    const bool wellFormed =
        AbsoluteBase(page) ? IsAbsoluteFolderForm(folder)
                           : TakeRelativeFolder(folder, false, true, nullptr);
    if (!wellFormed) return Refuse(page, IDS_FOLDER_INVALID_FORM, IDC_EXTRACT_FOLDER);
  }
  if (IsBoxChecked(page, IDC_EXTRACT_SAVE_PATH) &&
      GetWindowTextLengthW(GetDlgItem(page, IDC_EXTRACT_KEY)) == 0)
    return Refuse(page, IDS_SUB_KEY_NEEDED, IDC_EXTRACT_KEY);
  if (AbsoluteBase(page) && !folder[0])
    return Refuse(page, IDS_ABSOLUTE_PATH_NEEDED, IDC_EXTRACT_FOLDER);
  return true;
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_EXTRACT_ASK_PATH:
      if (code == BN_CLICKED) AskPathRule(page);
      return true;
    case IDC_EXTRACT_ASK_OVERWRITE:
      if (code == BN_CLICKED) AskOverwriteRule(page);
      return true;
    case IDC_EXTRACT_USE_FOLDER:
      if (code == BN_CLICKED) UpdateExtractFolderControls(page);
      return true;
    case IDC_EXTRACT_SAVE_PATH:
      if (code == BN_CLICKED) UpdateSavePathControls(page);
      return true;
    case IDC_EXTRACT_BASE:
      if (code == CBN_SELCHANGE) BaseFolderRule(page);
      return true;
    case IDC_EXTRACT_FOLDER:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, AbsoluteBase(page));
      return true;
    case IDC_EXTRACT_OVERWRITE_METHOD:
      if (code == CBN_SELCHANGE) OverwriteMethodChanged(page);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_EXTRACT, Init,    ToControls, Validate,
                               StoreNormalized,  Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK ExtractPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
