#include "ShortcutPage.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ItemLists.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "ShortcutItemDialog.h"
#include "VesmarinResource.h"
#include "VisualStyles.h"

namespace {

const int kMaxShortcuts = 32;

struct Column {
  UINT titleId;
  int width;
};
const Column kJapaneseColumns[] = {
    {IDS_COLUMN_SC_TITLE, 108},   {IDS_COLUMN_SC_TITLE_E, 30},   {IDS_COLUMN_SC_FILE, 126},
    {IDS_COLUMN_SC_FILE_E, 126},  {IDS_COLUMN_SC_ARGS, 98},      {IDS_COLUMN_SC_ARGS_E, 98},
    {IDS_COLUMN_SC_COMMENT, 98},  {IDS_COLUMN_SC_COMMENT_E, 40}, {IDS_COLUMN_SC_ICON, 98},
    {IDS_COLUMN_SC_ICON_E, 98},
};
const Column kEnglishColumns[] = {
    {IDS_COLUMN_SC_TITLE, 108}, {IDS_COLUMN_SC_FILE, 126}, {IDS_COLUMN_SC_ARGS, 98},
    {IDS_COLUMN_SC_COMMENT, 98}, {IDS_COLUMN_SC_ICON, 98},
};

HWND List(HWND page) { return GetDlgItem(page, IDC_SC_LIST); }

void StoreList(HWND page) { ShortcutListToSettings(List(page), g_SfxSettings); }

bool InsertColumns(HWND list) {
  const bool japanese = g_UiState.JapaneseUI;
  const Column* columns = japanese ? kJapaneseColumns : kEnglishColumns;
  const int count = japanese ? 10 : 5;
  for (int i = 0; i < count; ++i) {
    std::wstring title = LoadResString(columns[i].titleId);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = &title[0];
    column.iSubItem = i;
    if (SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)) < 0)
      return false;
  }
  return true;
}

void Init(HWND page) {
  HWND list = List(page);
  if (!InsertColumns(list)) return;
  if (!g_UiState.JapaneseUI) ShowControls(page, {IDC_SC_GROUP_LANGUAGE}, false);
  const CSfxSettings& settings = g_SfxSettings;
  for (int i = 0; i < settings.StartMenuCount && i < kMaxShortcuts; ++i)
    ShortcutListAppend(list, settings.StartMenu[i]);
  visualstyles::ApplyWindowTheme(list, L"explorer", nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  InitLanguageList(page, IDC_SC_GROUP_LANGUAGE);
  LimitEdit(page, IDC_SC_GROUP, 259);
  LimitEdit(page, IDC_SC_GROUP_E, 259);
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_SHORTCUT);
  UpdateShortcutControls(page);
}

void Store(HWND page) { ControlsToSettings(page, IDD_PAGE_SHORTCUT); }

UINT GroupFault(const wchar_t* group, UINT badChar, UINT badForm) {
  if (!group[0]) return 0;
  if (wcscmp(group, L"\\") == 0 || !IsValidFileName(group)) return badChar;
  if (!TakeRelativeFolder(group, false, false, nullptr)) return badForm;
  return 0;
}

// Leaving stores first; a refused group keeps what was stored.
bool StoreThenValidate(HWND page) {
  Store(page);
  UINT fault = GroupFault(g_SfxSettings.StartMenuGroup, IDS_GROUP_BAD_CHAR, IDS_GROUP_BAD_FORM);
  if (!fault) fault = GroupFault(g_SfxSettings.StartMenuGroupE, IDS_GROUP_E_BAD_CHAR, IDS_GROUP_E_BAD_FORM);
  if (!fault) return true;
  ShowPageWarning(page, fault);
  return false;
}

void Add(HWND page) {
  HWND list = List(page);
  if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= kMaxShortcuts) {
    const int maximum = kMaxShortcuts;
    std::wstring text = FillPlaceholders(LoadResString(IDS_SHORTCUT_LIMIT), nullptr, &maximum);
    MessageBoxW(page, text.c_str(), kBuilderCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  EditedShortcutItem() = StartMenuItem();
  if (RunShortcutItemDialog(page) != 1) return;
  ShortcutListAppend(list, EditedShortcutItem());
  StoreList(page);
}

// An edited shortcut goes to the end of the list.
void Edit(HWND page) {
  HWND list = List(page);
  if (!ShortcutListGetSelected(list, EditedShortcutItem())) return;
  if (RunShortcutItemDialog(page) != 1) return;
  DeleteSelectedListItems(list);
  ShortcutListAppend(list, EditedShortcutItem());
  StoreList(page);
  UpdateShortcutListButtons(page);
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_SC_USE:
    case IDC_SC_DSQ_NO_CONFIRM:
      if (code == BN_CLICKED) UpdateShortcutControls(page);
      return true;
    case IDC_SC_ADD:
      if (code == BN_CLICKED) Add(page);
      return true;
    case IDC_SC_DELETE:
      if (code == BN_CLICKED) {
        DeleteSelectedListItems(List(page));
        StoreList(page);
        UpdateShortcutListButtons(page);
      }
      return true;
    case IDC_SC_EDIT:
      if (code == BN_CLICKED) Edit(page);
      return true;
    case IDC_SC_GROUP:
    case IDC_SC_GROUP_E:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, false);
      return true;
    case IDC_SC_GROUP_LANGUAGE:
      if (code == CBN_SELCHANGE) ApplyLanguageList(page, controlId, IDC_SC_GROUP, IDC_SC_GROUP_E);
      return true;
    default:
      return false;
  }
}

bool Notify(HWND page, NMHDR* header, INT_PTR*) {
  if (header->idFrom != IDC_SC_LIST) return false;
  if (header->code == LVN_ITEMCHANGED) {
    UpdateShortcutListButtons(page);
    return true;
  }
  if (header->code == NM_DBLCLK) {
    Edit(page);
    return true;
  }
  return false;
}

const SheetPageHooks kHooks = {IDD_PAGE_SHORTCUT, Init,    ToControls, StoreThenValidate,
                               Store,             Command, Notify,     nullptr};

}  // namespace

INT_PTR CALLBACK ShortcutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
