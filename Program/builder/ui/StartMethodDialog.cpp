#include "StartMethodDialog.h"

#include <shlwapi.h>

#include <cwchar>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ContextHelp.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "VesmarinUiResource.h"
#include "WindowCentering.h"

namespace {

BOOL Initialize(HWND dialog, const wchar_t* archive) {
  wchar_t definition[MAX_PATH] = {};
  if (!archive || wcslen(archive) >= MAX_PATH) {
    EndDialog(dialog, -1);
    return TRUE;
  }
  wcscpy(definition, archive);
  if (!definition[0] || !*FindFileNamePart(definition) ||
      !PathRenameExtensionW(definition, L".ini")) {
    EndDialog(dialog, -1);
    return TRUE;
  }
  if (!FileExists(definition)) EnableWindow(GetDlgItem(dialog, IDC_START_LOAD_INI), FALSE);
  CheckDlgButton(dialog, IDC_START_RESET, BST_CHECKED);
  CenterDialogOnParent(dialog);
  return TRUE;
}

INT_PTR ChosenMethod(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_START_RESET) == BST_CHECKED) return 1;
  if (IsDlgButtonChecked(dialog, IDC_START_LOAD_INI) == BST_CHECKED) return 2;
  if (IsDlgButtonChecked(dialog, IDC_START_PREVIOUS) == BST_CHECKED) return 3;
  return 0;
}

}  // namespace

INT_PTR CALLBACK BuilderStartMethodProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Initialize(dialog, reinterpret_cast<const wchar_t*>(lParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, ChosenMethod(dialog));
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, -1);
          return TRUE;
        case IDC_START_HELP:
          ShowContextHelp(IDD_START_METHOD);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

DLGPROC const StartMethodDialogProc = BuilderStartMethodProc;
