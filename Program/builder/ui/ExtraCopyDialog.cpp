#include "ExtraCopyDialog.h"

#include <string>

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ItemDialogButtons.h"
#include "ResultCodes.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "Validation.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

const int kAbsolutePath = 6;

// The item being edited and the dialog's own copy of it.
struct EditState {
  ExtraCopyItem* item;
  ExtraCopyItem working;
};

EditState* StateOf(HWND dialog) {
  return reinterpret_cast<EditState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

bool AbsoluteBase(HWND dialog) { return DropDownIndex(dialog, IDC_ITEM_BASE) == kAbsolutePath; }

void BaseRule(HWND dialog) {
  std::wstring label = LoadResString(AbsoluteBase(dialog) ? IDS_ABSOLUTE_PATH_LABEL : IDS_SUB_FOLDER_LABEL);
  SetDlgItemTextW(dialog, IDC_ITEM_FOLDER_LABEL, label.c_str());
}

void NameRule(HWND dialog) {
  EnableControls(dialog, {IDOK}, GetWindowTextLengthW(GetDlgItem(dialog, IDC_ITEM_NAME)) > 0);
}

void Init(HWND dialog, EditState* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  const ExtraCopyItem& item = state->working;
  SetDlgItemTextW(dialog, IDC_ITEM_NAME, item.FileName);
  EnableControls(dialog, {IDC_ITEM_BROWSE}, g_SfxSettings.SrcArchiveFile[0] != L'\0');
  CheckBox(dialog, IDC_ITEM_FLAG, item.NoCopyOriginal);
  for (UINT id = IDS_BASE_FOLDER_PROGRAM_FILES; id <= IDS_BASE_FOLDER_COMMON_DOCUMENTS; ++id)
    FillDropDown(dialog, IDC_ITEM_BASE, {id});
  const int base = item.BaseFolder < 0 ? 0 : (item.BaseFolder > 15 ? 15 : item.BaseFolder);
  SendDlgItemMessageW(dialog, IDC_ITEM_BASE, CB_SETCURSEL, static_cast<WPARAM>(base), 0);
  BaseRule(dialog);
  LimitEdit(dialog, IDC_ITEM_FOLDER, 259);
  SetDlgItemTextW(dialog, IDC_ITEM_FOLDER, item.ExtractFolder);
  NameRule(dialog);
  CenterDialogOnParent(dialog);
}

bool Refuse(HWND dialog, UINT stringId) {
  ShowPageWarning(dialog, stringId);
  SetFocus(GetDlgItem(dialog, IDC_ITEM_FOLDER));
  return false;
}

// Checks the dialog's copy; the edited item takes it only when it passes.
bool Confirm(HWND dialog, EditState* state) {
  ExtraCopyItem& working = state->working;
  ReadWindowText(GetDlgItem(dialog, IDC_ITEM_NAME), working.FileName, MAX_PATH);
  working.NoCopyOriginal = IsBoxChecked(dialog, IDC_ITEM_FLAG);
  working.BaseFolder = DropDownIndex(dialog, IDC_ITEM_BASE) < 0 ? 0 : DropDownIndex(dialog, IDC_ITEM_BASE);
  wchar_t folder[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(dialog, IDC_ITEM_FOLDER), folder, MAX_PATH);
  const bool absolute = AbsoluteBase(dialog);
  if (folder[0]) {
    if (!RemoveInvalidPathChars(folder, absolute)) {
      SetDlgItemTextW(dialog, IDC_ITEM_FOLDER, folder);
      return Refuse(dialog, IDS_FOLDER_INVALID_CHAR);
    }
    std::wstring below;
    if (absolute ? !IsAbsoluteFolderForm(folder) : !TakeRelativeFolder(folder, false, true, &below))
      return Refuse(dialog, IDS_FOLDER_INVALID_FORM);
    if (!absolute) lstrcpynW(folder, below.c_str(), MAX_PATH);
  } else if (absolute) {
    return Refuse(dialog, IDS_ABSOLUTE_PATH_NEEDED);
  }
  wcscpy(working.ExtractFolder, folder);
  *state->item = working;
  return true;
}

void ConfirmAndEnd(HWND dialog) {
  if (Confirm(dialog, StateOf(dialog))) EndDialog(dialog, IDOK);
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Init(dialog, reinterpret_cast<EditState*>(lParam));
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (HandleItemDialogButton(dialog, id, ConfirmAndEnd, IDD_EXTRA_COPY_ITEM, IDCANCEL))
        return TRUE;
      switch (id) {
        case IDC_ITEM_BASE:
          if (code == CBN_SELCHANGE) BaseRule(dialog);
          return TRUE;
        case IDC_ITEM_NAME:
          if (code == EN_CHANGE) NameRule(dialog);
          return TRUE;
        case IDC_ITEM_FOLDER:
          if (code == EN_CHANGE) ValidatePathEdit(dialog, id, AbsoluteBase(dialog));
          return TRUE;
        case IDC_ITEM_BROWSE:
          if (code == BN_CLICKED) PickArchiveItemInto(dialog, IDC_ITEM_NAME, nullptr, false, 2);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR EditExtraCopyItem(HWND owner, ExtraCopyItem* item) {
  EditState state = {item, *item};
  return DialogBoxParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_EXTRA_COPY_ITEM), owner,
                         GuardedSheetDialogProc<Handle>, reinterpret_cast<LPARAM>(&state));
}
