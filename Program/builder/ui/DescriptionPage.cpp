#include "DescriptionPage.h"

#include <cwchar>

#include "ArchivePicking.h"
#include "BuilderUtil.h"
#include "PathPieces.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

const wchar_t* const kRootKeys[] = {L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\"};

bool EditEmpty(HWND page, int editId) { return GetWindowTextLengthW(GetDlgItem(page, editId)) == 0; }

void Init(HWND page) {
  for (const wchar_t* root : kRootKeys)
    SendDlgItemMessageW(page, IDC_DESC_ROOT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root));
  SendDlgItemMessageW(page, IDC_DESC_ROOT, CB_SETCURSEL, 0, 0);
  LimitEdit(page, IDC_DESC_FILE, 259);
  LimitEdit(page, IDC_DESC_FILE_E, 259);
  LimitEdit(page, IDC_DESC_KEY, 127);
  LimitEdit(page, IDC_DESC_VALUE, 127);
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_DESCRIPTION);
  UpdateDescriptionControls(page);
}

bool Validate(HWND page) {
  if (!IsBoxChecked(page, IDC_DESC_USE)) return true;
  if (EditEmpty(page, IDC_DESC_FILE) && EditEmpty(page, IDC_DESC_FILE_E)) {
    ShowPageWarning(page, IDS_EXPLAIN_FILE_MISSING);
    SetFocus(GetDlgItem(page, IDC_DESC_FILE));
    return false;
  }
  if (IsBoxChecked(page, IDC_DESC_SAVE_FLAG) && EditEmpty(page, IDC_DESC_KEY)) {
    ShowPageWarning(page, IDS_SUB_KEY_NEEDED);
    SetFocus(GetDlgItem(page, IDC_DESC_KEY));
    return false;
  }
  return true;
}

void Store(HWND page) { ControlsToSettings(page, IDD_PAGE_DESCRIPTION); }

void PickDescription(HWND page, int editId) {
  wchar_t picked[MAX_PATH] = {};
  if (!PickArchiveItem(page, L".txt", false, 0, picked)) return;
  const wchar_t* extension = FindFileExtension(picked);
  if (extension && (_wcsicmp(extension, L".exe") == 0 || _wcsicmp(extension, L".dll") == 0 ||
                    _wcsicmp(extension, L".bmp") == 0)) {
    ShowPageWarning(page, IDS_DESC_NEEDS_TEXT_FILE);
    return;
  }
  SetDlgItemTextW(page, editId, picked);
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_DESC_USE:
    case IDC_DESC_SAVE_FLAG:
      if (code == BN_CLICKED) UpdateDescriptionControls(page);
      return true;
    case IDC_DESC_BROWSE:
      if (code == BN_CLICKED) PickDescription(page, IDC_DESC_FILE);
      return true;
    case IDC_DESC_BROWSE_E:
      if (code == BN_CLICKED) PickDescription(page, IDC_DESC_FILE_E);
      return true;
    case IDC_DESC_FILE:
    case IDC_DESC_FILE_E:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, true);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_DESCRIPTION, Init,    ToControls, Validate,
                               Store,                Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK DescriptionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
