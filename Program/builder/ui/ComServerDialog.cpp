#include "ComServerDialog.h"

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ItemDialogButtons.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

RegComSvrItem* ItemOf(HWND dialog) {
  return reinterpret_cast<RegComSvrItem*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void NameRule(HWND dialog) {
  EnableControls(dialog, {IDOK}, GetWindowTextLengthW(GetDlgItem(dialog, IDC_ITEM_NAME)) > 0);
}

void Confirm(HWND dialog) {
  RegComSvrItem* item = ItemOf(dialog);
  ReadWindowText(GetDlgItem(dialog, IDC_ITEM_NAME), item->FileName, MAX_PATH);
  item->Uninstall = IsBoxChecked(dialog, IDC_ITEM_FLAG);
  EndDialog(dialog, IDOK);
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    RegComSvrItem* item = reinterpret_cast<RegComSvrItem*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    SetDlgItemTextW(dialog, IDC_ITEM_NAME, item->FileName);
    EnableControls(dialog, {IDC_ITEM_BROWSE}, g_SfxSettings.SrcArchiveFile[0] != L'\0');
    CheckBox(dialog, IDC_ITEM_FLAG, item->Uninstall);
    NameRule(dialog);
    CenterDialogOnParent(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (HandleItemDialogButton(dialog, id, Confirm, IDD_COM_SERVER_ITEM, IDCANCEL)) return TRUE;
  switch (id) {
    case IDC_ITEM_NAME:
      if (code == EN_CHANGE) NameRule(dialog);
      return TRUE;
    case IDC_ITEM_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(dialog, IDC_ITEM_NAME, L".ocx", false);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR EditComServerItem(HWND owner, RegComSvrItem* item) {
  return DialogBoxParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_COM_SERVER_ITEM), owner,
                         GuardedSheetDialogProc<Handle>, reinterpret_cast<LPARAM>(item));
}
