#include "OptionsDialog.h"

#include "NemdriftResource.h"
#include "UpdaterRegistry.h"
#include "UpdaterState.h"
#include "WindowCentering.h"

namespace {

// OK takes the dialog's choices (apply) and ends it with 1, Cancel ends it
// with 2; true when the command was one of the two.
bool EndOptionsDialog(HWND dialog, WPARAM wParam, void (*apply)(HWND)) {
  if (LOWORD(wParam) == IDOK) {
    apply(dialog);
    EndDialog(dialog, 1);
    return true;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 2);
    return true;
  }
  return false;
}

void ApplyShowOption(HWND dialog) {
  DWORD value = 2;
  if (IsDlgButtonChecked(dialog, IDC_SHOW_NEW_INFORMATION) == BST_CHECKED)
    value = 1;
  else if (IsDlgButtonChecked(dialog, IDC_SHOW_NONE) == BST_CHECKED)
    value = 0;
  g_Updater.ShowOption = value;
  WriteRegDword(g_Updater.RegKey.c_str(), L"ShowOption", value);
}

void ApplyIntegratedOptions(HWND dialog) {
  g_Updater.AutoCheckUpdate = IsDlgButtonChecked(dialog, IDC_AUTO_CHECK_UPDATE) == BST_CHECKED;
  g_Updater.ShowOnNewInformation =
      IsDlgButtonChecked(dialog, IDC_SHOW_ON_NEW_INFORMATION) == BST_CHECKED;
  WriteRegDword(g_Updater.RegKey.c_str(), L"AutoCheckUpdate", g_Updater.AutoCheckUpdate ? 1 : 0);
  WriteRegDword(g_Updater.RegKey.c_str(), L"ShowOnNewInformation",
                g_Updater.ShowOnNewInformation ? 1 : 0);
}

INT_PTR CALLBACK ShowOptionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      int checked = IDC_SHOW_NONE;
      if (g_Updater.ShowOption == 1) checked = IDC_SHOW_NEW_INFORMATION;
      if (g_Updater.ShowOption == 2) checked = IDC_SHOW_UPDATES_ONLY;
      CheckRadioButton(dialog, IDC_SHOW_NONE, IDC_SHOW_UPDATES_ONLY, checked);
      CenterWindowOver(dialog, GetParent(dialog));
      return TRUE;
    }
    case WM_COMMAND:
      if (EndOptionsDialog(dialog, wParam, &ApplyShowOption)) return TRUE;
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK IntegratedOptionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(dialog, IDC_AUTO_CHECK_UPDATE,
                     g_Updater.AutoCheckUpdate ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_SHOW_ON_NEW_INFORMATION,
                     g_Updater.ShowOnNewInformation ? BST_CHECKED : BST_UNCHECKED);
      CenterWindowOver(dialog, GetParent(dialog));
      return TRUE;
    case WM_COMMAND:
      if (EndOptionsDialog(dialog, wParam, &ApplyIntegratedOptions)) return TRUE;
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowOptionsDialog(HWND owner) {
  if (g_Updater.IntegrateMode)
    return DialogBoxParamW(g_Updater.Instance, MAKEINTRESOURCEW(IDD_OPTIONS_INTEGRATED), owner,
                           IntegratedOptionProc, 0);
  return DialogBoxParamW(g_Updater.Instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, ShowOptionProc, 0);
}
