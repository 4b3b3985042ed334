#include "ExtensionPage.h"

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

void EnableRule(HWND page) {
  EnableControls(page,
                 {IDC_EXT_FILE_LABEL, IDC_EXT_FILE, IDC_EXT_BROWSE, IDC_EXT_DAT_LABEL, IDC_EXT_DAT,
                  IDC_EXT_DAT_BROWSE, IDC_EXT_NOTE, IDC_EXT_NOTE_UNINSTALL},
                 IsBoxChecked(page, IDC_EXT_USE));
}

void ToControls(HWND page) {
  const CSfxSettings& settings = g_SfxSettings;
  CheckBox(page, IDC_EXT_USE, settings.UseExtensionModuleFile != 0);
  SetDlgItemTextW(page, IDC_EXT_FILE, settings.ExtensionModuleFile);
  SetDlgItemTextW(page, IDC_EXT_DAT, settings.ExtensionModuleDatFile);
  EnableRule(page);
}

void Store(HWND page) {
  CSfxSettings& settings = g_SfxSettings;
  settings.UseExtensionModuleFile = IsBoxChecked(page, IDC_EXT_USE) ? 1 : 0;
  ReadWindowText(GetDlgItem(page, IDC_EXT_FILE), settings.ExtensionModuleFile, MAX_PATH);
  ReadWindowText(GetDlgItem(page, IDC_EXT_DAT), settings.ExtensionModuleDatFile, MAX_PATH);
}

// Leaving stores first: a refused page keeps what it stored.
bool StoreThenValidate(HWND page) {
  Store(page);
  if (IsBoxChecked(page, IDC_EXT_USE) && GetWindowTextLengthW(GetDlgItem(page, IDC_EXT_FILE)) == 0) {
    ShowPageWarning(page, IDS_MODULE_FILE_NEEDED);
    return false;
  }
  return true;
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_EXT_USE:
      if (code != BN_CLICKED) return true;
      LimitEdit(page, IDC_EXT_FILE, 259);
      LimitEdit(page, IDC_EXT_DAT, 259);
      EnableRule(page);
      return true;
    case IDC_EXT_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(page, IDC_EXT_FILE, L".dll", true);
      return true;
    case IDC_EXT_DAT_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(page, IDC_EXT_DAT, nullptr, false);
      return true;
    case IDC_EXT_FILE:
    case IDC_EXT_DAT:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, true);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_EXTENSION, nullptr, ToControls, StoreThenValidate,
                               Store,              Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK ExtensionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
