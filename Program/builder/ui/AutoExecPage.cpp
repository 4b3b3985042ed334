#include "AutoExecPage.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string>

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

const int kOverwriteWithRestart = 2;

void Init(HWND page) {
  HWND list = GetDlgItem(page, IDC_AUTO_LIST);
  const UINT titles[] = {IDS_COLUMN_AUTO_FILE, IDS_COLUMN_AUTO_ARGS, IDS_COLUMN_AUTO_NON_ELEVATE};
  const int widths[] = {270, 160, 50};
  for (int i = 0; i < 3; ++i) {
    std::wstring title = LoadResString(titles[i]);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = widths[i];
    column.pszText = &title[0];
    column.iSubItem = i;
    if (SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)) < 0)
      return;
  }
  SetWindowTheme(list, L"explorer", nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  LimitEdit(page, IDC_AUTO_FILE, 259);
  LimitEdit(page, IDC_AUTO_ARGS, 259);
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_AUTOEXEC);
  UpdateAutoExecControls(page);
}

bool Validate(HWND page) {
  if (IsBoxChecked(page, IDC_AUTO_USE) && GetWindowTextLengthW(GetDlgItem(page, IDC_AUTO_FILE)) == 0) {
    ShowPageWarning(page, IDS_AUTO_EXEC_FILE_NEEDED);
    return false;
  }
  return true;
}

void Store(HWND page) { ControlsToSettings(page, IDD_PAGE_AUTOEXEC); }

// Deleting the files after the run cannot go with "Overwrite with restart":
// the overwrite method falls back to "Fail then terminate", on the
// "Extract" page too when it exists (its store at OK would bring the old
// method back).
void DeleteAfterRunClicked(HWND page) {
  if (IsBoxChecked(page, IDC_AUTO_DELETE_AFTER) && g_SfxSettings.OverWriteMethod == kOverwriteWithRestart) {
    std::wstring text = LoadResString(IDS_RESTART_WITH_DELETE);
    MessageBoxW(page, text.c_str(), kBuilderCaption, MB_OK | MB_ICONINFORMATION);
    g_SfxSettings.OverWriteMethod = 0;
    HWND extract = SheetPageWindow(IDD_PAGE_EXTRACT);
    if (extract) SendDlgItemMessageW(extract, IDC_EXTRACT_OVERWRITE_METHOD, CB_SETCURSEL, 0, 0);
    if (g_StartupPageWindow && IsWindow(g_StartupPageWindow))
      EnableControls(g_StartupPageWindow, {IDC_STARTUP_ADMIN}, true);
  }
  UpdateAutoExecControls(page);
  SetFocus(GetDlgItem(page, IDC_AUTO_DELETE_AFTER));
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_AUTO_USE:
      if (code == BN_CLICKED) UpdateAutoExecControls(page);
      return true;
    case IDC_AUTO_FILE:
      if (code == EN_CHANGE) {
        ValidatePathEdit(page, controlId, true);
        CheckAutoExecIsExe(page);
      }
      return true;
    case IDC_AUTO_BROWSE: {
      wchar_t picked[MAX_PATH] = {};
      if (code == BN_CLICKED && PickArchiveItem(page, L".exe", false, 0, picked)) {
        SetDlgItemTextW(page, IDC_AUTO_FILE, picked);
        UpdateAutoExecControls(page);
      }
      return true;
    }
    case IDC_AUTO_DELETE_AFTER:
      if (code == BN_CLICKED) DeleteAfterRunClicked(page);
      return true;
    default:
      return false;
  }
}

bool Notify(HWND page, NMHDR* header, INT_PTR*) {
  if (header->idFrom != IDC_AUTO_LIST || header->code != LVN_ITEMCHANGED) return false;
  UpdateAutoExecListControls(page);
  return true;
}

const SheetPageHooks kHooks = {IDD_PAGE_AUTOEXEC, Init,    ToControls, Validate,
                               Store,             Command, Notify,     nullptr};

}  // namespace

INT_PTR CALLBACK AutoExecPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
