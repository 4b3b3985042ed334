#include "AutoExecItemDialog.h"

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ItemDialogButtons.h"
#include "ItemPicker.h"
#include "PathPieces.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

const int kTextLimit = 259;

AutoExecItem g_editedItem;

// OK needs a command; arguments go only to a program.
void ApplyCommandRule(HWND dialog) {
  wchar_t command[260];
  ReadWindowText(GetDlgItem(dialog, IDC_AUTOEXEC_FILE), command, 260);
  EnableWindow(GetDlgItem(dialog, IDOK), command[0] ? TRUE : FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_AUTOEXEC_ARGS),
               HasFileExtension(command, L".exe") ? TRUE : FALSE);
}

BOOL Initialize(HWND dialog) {
  SendDlgItemMessageW(dialog, IDC_AUTOEXEC_FILE, EM_LIMITTEXT, kTextLimit, 0);
  SendDlgItemMessageW(dialog, IDC_AUTOEXEC_ARGS, EM_LIMITTEXT, kTextLimit, 0);
  SetDlgItemTextW(dialog, IDC_AUTOEXEC_FILE, g_editedItem.File);
  SetDlgItemTextW(dialog, IDC_AUTOEXEC_ARGS, g_editedItem.Args);
  EnableWindow(GetDlgItem(dialog, IDC_AUTOEXEC_BROWSE),
               g_SfxSettings.SrcArchiveFile[0] ? TRUE : FALSE);
  CheckDlgButton(dialog, IDC_AUTOEXEC_NON_ELEVATE,
                 g_editedItem.NonElevate ? BST_CHECKED : BST_UNCHECKED);
  CenterDialogOnParent(dialog);
  ApplyCommandRule(dialog);
  return TRUE;
}

void BrowseArchive(HWND dialog) {
  SetPickerArchive(g_SfxSettings.SrcArchiveFile);
  SetPickerFilter(L".exe", 0);
  if (RunItemPicker(dialog, kPickFiles) == 1)
    SetDlgItemTextW(dialog, IDC_AUTOEXEC_FILE, GetPickedItem());
}

void Confirm(HWND dialog) {
  ReadWindowText(GetDlgItem(dialog, IDC_AUTOEXEC_FILE), g_editedItem.File, 260);
  ReadWindowText(GetDlgItem(dialog, IDC_AUTOEXEC_ARGS), g_editedItem.Args, 260);
  g_editedItem.NonElevate = IsDlgButtonChecked(dialog, IDC_AUTOEXEC_NON_ELEVATE) == BST_CHECKED;
  EndDialog(dialog, 1);
}

}  // namespace

AutoExecItem& EditedAutoExecItem() { return g_editedItem; }

INT_PTR CALLBACK AutoExecItemDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Initialize(dialog);
    case WM_COMMAND:
      if (HandleItemDialogButton(dialog, LOWORD(wParam), Confirm, IDD_AUTOEXEC_ITEM)) return TRUE;
      switch (LOWORD(wParam)) {
        case IDC_AUTOEXEC_FILE:
          if (HIWORD(wParam) == EN_CHANGE) ApplyCommandRule(dialog);
          return TRUE;
        case IDC_AUTOEXEC_BROWSE:
          BrowseArchive(dialog);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR RunAutoExecItemDialog(HWND owner) {
  HINSTANCE instance = g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_AUTOEXEC_ITEM), owner,
                         AutoExecItemDialogProc, 0);
}
