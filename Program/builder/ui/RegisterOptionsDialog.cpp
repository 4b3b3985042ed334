#include "RegisterOptionsDialog.h"

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ItemDialogButtons.h"
#include "IconChooser.h"
#include "ResString.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

struct TextField {
  int editId;
  wchar_t* (*member)(RegisterOptions&);
  int capacity;
};

#define FIELD(id, name) \
  {id, [](RegisterOptions& o) -> wchar_t* { return o.name; }, static_cast<int>(sizeof(RegisterOptions::name) / sizeof(wchar_t))}
const TextField kFields[] = {
    FIELD(IDC_RO_ICON, UninstIconFile),           FIELD(IDC_RO_PUBLISHER, UnInstallPublisher),
    FIELD(IDC_RO_SUPPORT, UnInstallSupportLink),  FIELD(IDC_RO_HELP, UnInstallHelpLink),
    FIELD(IDC_RO_UPDATE, UnInstallUpdateLink),    FIELD(IDC_RO_PUBLISHER_E, UnInstallPublisherE),
    FIELD(IDC_RO_SUPPORT_E, UnInstallSupportLinkE), FIELD(IDC_RO_HELP_E, UnInstallHelpLinkE),
    FIELD(IDC_RO_UPDATE_E, UnInstallUpdateLinkE), FIELD(IDC_RO_VERSION, UnInstallVersion),
    FIELD(IDC_RO_VERSION_FILE, UnInstallAutoSetVersionFile),
};
#undef FIELD

struct LanguagePair {
  int listId;
  int firstId;
  int englishId;
};
const LanguagePair kPairs[] = {
    {IDC_RO_PUBLISHER_LANGUAGE, IDC_RO_PUBLISHER, IDC_RO_PUBLISHER_E},
    {IDC_RO_SUPPORT_LANGUAGE, IDC_RO_SUPPORT, IDC_RO_SUPPORT_E},
    {IDC_RO_HELP_LANGUAGE, IDC_RO_HELP, IDC_RO_HELP_E},
    {IDC_RO_UPDATE_LANGUAGE, IDC_RO_UPDATE, IDC_RO_UPDATE_E},
};

RegisterOptions* OptionsOf(HWND dialog) {
  return reinterpret_cast<RegisterOptions*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void VersionRule(HWND dialog) {
  const bool set = IsBoxChecked(dialog, IDC_RO_SET_VERSION);
  EnableControls(dialog,
                 {IDC_RO_VERSION_TEXT, IDC_RO_VERSION, IDC_RO_VERSION_AUTO, IDC_RO_VERSION_FILE_LABEL,
                  IDC_RO_VERSION_FILE, IDC_RO_VERSION_BROWSE},
                 set);
  if (!set) return;
  const bool constant = IsBoxChecked(dialog, IDC_RO_VERSION_TEXT);
  EnableControls(dialog, {IDC_RO_VERSION}, constant);
  EnableControls(dialog, {IDC_RO_VERSION_FILE_LABEL, IDC_RO_VERSION_FILE, IDC_RO_VERSION_BROWSE}, !constant);
}

void Init(HWND dialog, RegisterOptions* options) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(options));
  for (const TextField& field : kFields) {
    LimitEdit(dialog, field.editId, field.capacity - 1);
    SetDlgItemTextW(dialog, field.editId, field.member(*options));
  }
  for (const LanguagePair& pair : kPairs) InitLanguageList(dialog, pair.listId);
  CheckBox(dialog, IDC_RO_SET_VERSION, options->UnInstallSetVersion != 0);
  CheckBox(dialog, IDC_RO_SET_SIZE, options->UnInstallAutoSetSize != 0);
  CheckBox(dialog, IDC_RO_VERSION_AUTO, options->UnInstallAutoSetVersion != 0);
  CheckBox(dialog, IDC_RO_VERSION_TEXT, options->UnInstallAutoSetVersion == 0);
  VersionRule(dialog);
  CenterDialogOnParent(dialog);
}

void Confirm(HWND dialog) {
  RegisterOptions* options = OptionsOf(dialog);
  for (const TextField& field : kFields)
    ReadWindowText(GetDlgItem(dialog, field.editId), field.member(*options), field.capacity);
  options->UnInstallSetVersion = IsBoxChecked(dialog, IDC_RO_SET_VERSION) ? 1 : 0;
  options->UnInstallAutoSetVersion = IsBoxChecked(dialog, IDC_RO_VERSION_AUTO) ? 1 : 0;
  options->UnInstallAutoSetSize = IsBoxChecked(dialog, IDC_RO_SET_SIZE) ? 1 : 0;
  EndDialog(dialog, IDOK);
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    Init(dialog, reinterpret_cast<RegisterOptions*>(lParam));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  for (const LanguagePair& pair : kPairs) {
    if (id == pair.listId) {
      if (code == CBN_SELCHANGE) ApplyLanguageList(dialog, pair.listId, pair.firstId, pair.englishId);
      return TRUE;
    }
  }
  if (HandleItemDialogButton(dialog, id, Confirm, IDD_UNINSTALL_OPTIONS, IDCANCEL)) return TRUE;
  switch (id) {
    case IDC_RO_SET_VERSION:
      if (code == BN_CLICKED) VersionRule(dialog);
      return TRUE;
    case IDC_RO_VERSION_TEXT:
    case IDC_RO_VERSION_AUTO:
      if (code == BN_CLICKED) {
        CheckBox(dialog, IDC_RO_VERSION_TEXT, id == IDC_RO_VERSION_TEXT);
        CheckBox(dialog, IDC_RO_VERSION_AUTO, id == IDC_RO_VERSION_AUTO);
        VersionRule(dialog);
      }
      return TRUE;
    case IDC_RO_ICON_BROWSE: {
      wchar_t picked[MAX_PATH] = {};
      if (code != BN_CLICKED || !PickArchiveItem(dialog, L".exe", false, 0, picked)) return TRUE;
      const INT_PTR index = RunIconChooser(dialog, picked);
      if (index >= 0) {
        const int number = static_cast<int>(index);
        std::wstring text = FillPlaceholders(L"%s,%d", picked, &number);
        if (text.size() < 270) SetDlgItemTextW(dialog, IDC_RO_ICON, text.c_str());
      }
      return TRUE;
    }
    case IDC_RO_ICON_RESET:
      if (code == BN_CLICKED) SetDlgItemTextW(dialog, IDC_RO_ICON, L"");
      return TRUE;
    case IDC_RO_ICON:
      if (code == EN_CHANGE) ValidatePathEdit(dialog, id, false);
      return TRUE;
    case IDC_RO_VERSION_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(dialog, IDC_RO_VERSION_FILE, L".exe", false);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR EditRegisterOptions(HWND owner, RegisterOptions* options) {
  RegisterOptions working = *options;
  const INT_PTR result = DialogBoxParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_UNINSTALL_OPTIONS),
                                         owner, GuardedSheetDialogProc<Handle>, reinterpret_cast<LPARAM>(&working));
  if (result == IDOK) *options = working;
  return result;
}
