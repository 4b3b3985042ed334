#include "ProgramPage.h"

#include <commdlg.h>

#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "FileDialogFields.h"
#include "ResultCodes.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "SpinEdit.h"

namespace {

const int kCustomManifest = 2;

struct VersionSpin {
  int controlId;
  int minimum;
  int CSfxSettings::*member;
};

const VersionSpin kSpins[] = {
    {IDC_PROGRAM_OS_MAJOR, 5, &CSfxSettings::SFXOSMajor},
    {IDC_PROGRAM_OS_MINOR, 0, &CSfxSettings::SFXOSMinor},
    {IDC_PROGRAM_SUBSYS_MAJOR, 5, &CSfxSettings::SFXSubSysMajor},
    {IDC_PROGRAM_SUBSYS_MINOR, 0, &CSfxSettings::SFXSubSysMinor},
};

void EnableRule(HWND page) {
  EnableControls(page, {IDC_PROGRAM_OS_MAJOR, IDC_PROGRAM_OS_MINOR},
                 IsBoxChecked(page, IDC_PROGRAM_OS_VERSION));
  EnableControls(page, {IDC_PROGRAM_SUBSYS_MAJOR, IDC_PROGRAM_SUBSYS_MINOR},
                 IsBoxChecked(page, IDC_PROGRAM_SUBSYS_VERSION));
  EnableControls(page,
                 {IDC_PROGRAM_MANIFEST_LABEL, IDC_PROGRAM_MANIFEST_EDIT, IDC_PROGRAM_MANIFEST_BROWSE},
                 DropDownIndex(page, IDC_PROGRAM_MANIFEST_LIST) == kCustomManifest);
}

void Init(HWND page) {
  for (const VersionSpin& spin : kSpins) {
    HWND control = GetDlgItem(page, spin.controlId);
    SpinEditSetRange(control, spin.minimum, 99);
    SpinEditLimitText(control, 2);
  }
  FillDropDown(page, IDC_PROGRAM_MANIFEST_LIST,
               {IDS_MANIFEST_ADMIN, IDS_MANIFEST_INVOKER, IDS_MANIFEST_CUSTOM});
  SendDlgItemMessageW(page, IDC_PROGRAM_MANIFEST_LIST, CB_SETCURSEL, 0, 0);
  LimitEdit(page, IDC_PROGRAM_MANIFEST_EDIT, 259);
}

void ToControls(HWND page) {
  const CSfxSettings& settings = g_SfxSettings;
  CheckRadioButton(page, IDC_PROGRAM_32BIT, IDC_PROGRAM_64BIT,
                   settings.Use64bitStub ? IDC_PROGRAM_64BIT : IDC_PROGRAM_32BIT);
  const int manifest = settings.ManifestType == 1 || settings.ManifestType == 2 ? settings.ManifestType : 0;
  SendDlgItemMessageW(page, IDC_PROGRAM_MANIFEST_LIST, CB_SETCURSEL, static_cast<WPARAM>(manifest), 0);
  SetDlgItemTextW(page, IDC_PROGRAM_MANIFEST_EDIT, settings.ManifestFile);
  CheckBox(page, IDC_PROGRAM_OS_VERSION, settings.ModifyOSVersion);
  CheckBox(page, IDC_PROGRAM_SUBSYS_VERSION, settings.ModifySubSysVersion);
  for (const VersionSpin& spin : kSpins)
    SpinEditSetValueKeepCaret(GetDlgItem(page, spin.controlId), settings.*spin.member);
  EnableRule(page);
}

bool Validate(HWND page) {
  if (DropDownIndex(page, IDC_PROGRAM_MANIFEST_LIST) == kCustomManifest &&
      GetWindowTextLengthW(GetDlgItem(page, IDC_PROGRAM_MANIFEST_EDIT)) == 0) {
    ShowPageWarning(page, IDS_MANIFEST_FILE_NEEDED);
    return false;
  }
  return true;
}

void Store(HWND page) {
  CSfxSettings& settings = g_SfxSettings;
  settings.Use64bitStub = !IsBoxChecked(page, IDC_PROGRAM_32BIT);
  const int manifest = DropDownIndex(page, IDC_PROGRAM_MANIFEST_LIST);
  settings.ManifestType = manifest == 1 || manifest == 2 ? manifest : 0;
  GetDlgItemTextW(page, IDC_PROGRAM_MANIFEST_EDIT, settings.ManifestFile, MAX_PATH);
  settings.ModifyOSVersion = IsBoxChecked(page, IDC_PROGRAM_OS_VERSION);
  settings.ModifySubSysVersion = IsBoxChecked(page, IDC_PROGRAM_SUBSYS_VERSION);
  for (const VersionSpin& spin : kSpins)
    settings.*spin.member = SpinEditGetValue(GetDlgItem(page, spin.controlId));
}

void BrowseManifest(HWND page) {
  std::wstring filter = LoadFilterString(IDS_MANIFEST_FILTER);
  std::wstring title = LoadResString(IDS_MANIFEST_TITLE);
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW dialog =
      FileDialogFor(page, filter, title.c_str(), file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  dialog.lpstrInitialDir = g_UiState.ManifestCurrent;
  if (!GetOpenFileNameW(&dialog)) return;
  SetDlgItemTextW(page, IDC_PROGRAM_MANIFEST_EDIT, file);
  GetCurrentDirectoryW(MAX_PATH, g_UiState.ManifestCurrent);
  SetFocus(GetDlgItem(page, IDC_PROGRAM_MANIFEST_EDIT));
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_PROGRAM_OS_VERSION:
    case IDC_PROGRAM_SUBSYS_VERSION:
      if (code == BN_CLICKED) EnableRule(page);
      return true;
    case IDC_PROGRAM_MANIFEST_LIST:
      if (code == CBN_SELCHANGE) EnableRule(page);
      return true;
    case IDC_PROGRAM_MANIFEST_EDIT:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, true);
      return true;
    case IDC_PROGRAM_MANIFEST_BROWSE:
      if (code == BN_CLICKED) BrowseManifest(page);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_PROGRAM, Init,    ToControls, Validate,
                               Store,            Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK ProgramPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
