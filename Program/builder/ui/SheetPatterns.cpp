#include "SheetPatterns.h"

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ResultCodes.h"
#include "VesmarinResource.h"

void ShowPageWarning(HWND page, UINT stringId) {
  std::wstring text = LoadResString(stringId);
  MessageBoxW(page, text.c_str(), kBuilderCaption, MB_OK | MB_ICONWARNING);
}

bool IsBoxChecked(HWND page, int controlId) {
  return IsDlgButtonChecked(page, controlId) == BST_CHECKED;
}

void CheckBox(HWND page, int controlId, bool checked) {
  CheckDlgButton(page, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableControls(HWND page, std::initializer_list<int> controlIds, bool enabled) {
  for (int id : controlIds) {
    HWND control = GetDlgItem(page, id);
    if (control) EnableWindow(control, enabled ? TRUE : FALSE);
  }
}

void ShowControls(HWND page, std::initializer_list<int> controlIds, bool visible) {
  for (int id : controlIds) {
    HWND control = GetDlgItem(page, id);
    if (control) ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
  }
}

void LimitEdit(HWND page, int editId, int characters) {
  SendDlgItemMessageW(page, editId, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void FillDropDown(HWND page, int listId, std::initializer_list<UINT> stringIds) {
  for (UINT id : stringIds) {
    std::wstring text = LoadResString(id);
    SendDlgItemMessageW(page, listId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

int DropDownIndex(HWND page, int listId) {
  return static_cast<int>(SendDlgItemMessageW(page, listId, CB_GETCURSEL, 0, 0));
}

void InitLanguageList(HWND page, int listId) {
  FillDropDown(page, listId, {IDS_LANGUAGE_JAPANESE, IDS_LANGUAGE_ENGLISH});
  SendDlgItemMessageW(page, listId, CB_SETCURSEL, 0, 0);
  if (!g_UiState.JapaneseUI) ShowControls(page, {listId}, false);
}
