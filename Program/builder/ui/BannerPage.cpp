#include "BannerPage.h"

#include "ArchivePicking.h"
#include "BannerPreview.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

void EnableRule(HWND page) {
  const bool banner = IsBoxChecked(page, IDC_BANNER_USE);
  EnableControls(page, {IDC_BANNER_FILE_LABEL, IDC_BANNER_FILE_EDIT, IDC_BANNER_NO_EXTRACT}, banner);
  ShowControls(page, {IDC_BANNER_ICON_NOTE}, !banner);
  ShowControls(page, {IDC_BANNER_PREVIEW}, banner);
  EnableControls(page, {IDC_BANNER_BROWSE}, banner && g_SfxSettings.SrcArchiveFile[0] != L'\0');
  EnableControls(page,
                 {IDC_BANNER_MESSAGE_LABEL, IDC_BANNER_MESSAGE_NOTE, IDC_BANNER_MESSAGE,
                  IDC_BANNER_MESSAGE_E, IDC_BANNER_URL_LABEL, IDC_BANNER_URL, IDC_BANNER_URL_E,
                  IDC_BANNER_MESSAGE_LANGUAGE, IDC_BANNER_URL_LANGUAGE},
                 IsBoxChecked(page, IDC_BANNER_USE_URL));
}

void Init(HWND page) {
  for (int edit : {IDC_BANNER_FILE_EDIT, IDC_BANNER_MESSAGE, IDC_BANNER_MESSAGE_E, IDC_BANNER_URL,
                   IDC_BANNER_URL_E})
    LimitEdit(page, edit, 259);
  AttachBannerPreview(GetDlgItem(page, IDC_BANNER_PREVIEW));
  InitLanguageList(page, IDC_BANNER_MESSAGE_LANGUAGE);
  InitLanguageList(page, IDC_BANNER_URL_LANGUAGE);
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_BANNER);
  EnableRule(page);
}

bool Validate(HWND page) {
  if (IsBoxChecked(page, IDC_BANNER_USE) &&
      GetWindowTextLengthW(GetDlgItem(page, IDC_BANNER_FILE_EDIT)) == 0) {
    ShowPageWarning(page, IDS_BANNER_FILE_NEEDED);
    return false;
  }
  return true;
}

void Store(HWND page) { ControlsToSettings(page, IDD_PAGE_BANNER); }

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_BANNER_USE:
    case IDC_BANNER_USE_URL:
      if (code != BN_CLICKED) return true;
      EnableRule(page);
      Store(page);
      return true;
    case IDC_BANNER_BROWSE:
      if (code == BN_CLICKED && PickArchiveBitmapInto(page, IDC_BANNER_FILE_EDIT)) {
        Store(page);
        InvalidateRect(GetDlgItem(page, IDC_BANNER_PREVIEW), nullptr, TRUE);
      }
      return true;
    case IDC_BANNER_MESSAGE_LANGUAGE:
      if (code == CBN_SELCHANGE)
        ApplyLanguageList(page, controlId, IDC_BANNER_MESSAGE, IDC_BANNER_MESSAGE_E);
      return true;
    case IDC_BANNER_URL_LANGUAGE:
      if (code == CBN_SELCHANGE) ApplyLanguageList(page, controlId, IDC_BANNER_URL, IDC_BANNER_URL_E);
      return true;
    case IDC_BANNER_FILE_EDIT:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, true);
      return true;
    default:
      return false;
  }
}

void Destroy(HWND page) { DetachBannerPreview(GetDlgItem(page, IDC_BANNER_PREVIEW)); }

const SheetPageHooks kHooks = {IDD_PAGE_BANNER, Init,    ToControls, Validate,
                               Store,           Command, nullptr,    Destroy};

}  // namespace

INT_PTR CALLBACK BannerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
