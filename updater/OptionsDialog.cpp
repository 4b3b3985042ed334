#include "OptionsDialog.h"

#include "NemdriftResource.h"
#include "SystemHelpers.h"
#include "UpdaterState.h"

namespace {

INT_PTR CALLBACK OptionsPendingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreWindow(dialog, GetParent(dialog));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 2);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowOptionsDialog(HWND owner) {
  return DialogBoxParamW(Updater.Instance, MAKEINTRESOURCEW(IDD_OPTIONS_PENDING), owner,
                         OptionsPendingProc, 0);
}
