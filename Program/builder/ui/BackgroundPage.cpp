#include "BackgroundPage.h"

#include "ArchivePicking.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

void EnableRule(HWND page) {
  const bool screen = IsBoxChecked(page, IDC_BACK_USE);
  EnableControls(page,
                 {IDC_BACK_TEXT_LABEL, IDC_BACK_TEXT_J_LABEL, IDC_BACK_TEXT_E_LABEL, IDC_BACK_TEXT,
                  IDC_BACK_TEXT_E, IDC_BACK_COLOR, IDC_BACK_COLOR_LABEL, IDC_BACK_LOGO_NO_EXTRACT,
                  IDC_BACK_LOGO_USE, IDC_BACK_LOGO_LABEL, IDC_BACK_LOGO_EDIT, IDC_BACK_LOGO_BROWSE},
                 screen);
  if (screen)
    EnableControls(page,
                   {IDC_BACK_LOGO_LABEL, IDC_BACK_LOGO_EDIT, IDC_BACK_LOGO_BROWSE,
                    IDC_BACK_LOGO_NO_EXTRACT},
                   IsBoxChecked(page, IDC_BACK_LOGO_USE));
}

void Init(HWND page) {
  LimitEdit(page, IDC_BACK_TEXT, 100);
  LimitEdit(page, IDC_BACK_TEXT_E, 100);
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_BACKGROUND);
  EnableRule(page);
}

bool Validate(HWND page) {
  if (IsBoxChecked(page, IDC_BACK_USE) && IsBoxChecked(page, IDC_BACK_LOGO_USE) &&
      GetWindowTextLengthW(GetDlgItem(page, IDC_BACK_LOGO_EDIT)) == 0) {
    ShowPageWarning(page, IDS_LOGO_FILE_NEEDED);
    return false;
  }
  return true;
}

void Store(HWND page) { ControlsToSettings(page, IDD_PAGE_BACKGROUND); }

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_BACK_USE:
    case IDC_BACK_LOGO_USE:
      if (code != BN_CLICKED) return true;
      EnableRule(page);
      Store(page);
      return true;
    case IDC_BACK_LOGO_BROWSE:
      if (code == BN_CLICKED && PickArchiveBitmapInto(page, IDC_BACK_LOGO_EDIT)) Store(page);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_BACKGROUND, Init,    ToControls, Validate,
                               Store,               Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK BackgroundPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
