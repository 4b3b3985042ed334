#include "AutoExecPage.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "AutoExecItemDialog.h"
#include "BuilderUtil.h"
#include "ItemLists.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "VisualStyles.h"

namespace {

const int kOverwriteWithRestart = 2;
const int kMaxItems = 32;

HWND List(HWND page) { return GetDlgItem(page, IDC_AUTO_LIST); }

void StoreList(HWND page) { AutoExecListToSettings(List(page), g_SfxSettings); }

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
  const CSfxSettings& settings = g_SfxSettings;
  for (int i = 0; i < settings.AutoExecCount && i < kMaxItems; ++i)
    AutoExecListAppend(list, settings.AutoExec[i]);
  visualstyles::ApplyWindowTheme(list, L"explorer", nullptr);
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

void Add(HWND page) {
  HWND list = List(page);
  if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= kMaxItems) {
    const int maximum = kMaxItems;
    std::wstring text = FillPlaceholders(LoadResString(IDS_AUTO_EXEC_LIMIT), nullptr, &maximum);
    MessageBoxW(page, text.c_str(), kBuilderCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  EditedAutoExecItem() = AutoExecItem();
  if (RunAutoExecItemDialog(page) != 1) return;
  AutoExecListAppend(list, EditedAutoExecItem());
  StoreList(page);
}

std::wstring CellText(HWND list, int row, int column) {
  wchar_t text[MAX_PATH] = {};
  LVITEMW cell = {};
  cell.iSubItem = column;
  cell.pszText = text;
  cell.cchTextMax = MAX_PATH;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  return text;
}

// An edited item goes to the end of the list.
void Edit(HWND page) {
  HWND list = List(page);
  const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return;
  AutoExecItem& item = EditedAutoExecItem();
  item = AutoExecItem();
  wcsncpy(item.File, CellText(list, row, 0).c_str(), MAX_PATH - 1);
  wcsncpy(item.Args, CellText(list, row, 1).c_str(), MAX_PATH - 1);
  item.NonElevate = CellText(list, row, 2) == LoadResString(IDS_AUTOEXEC_YES);
  if (RunAutoExecItemDialog(page) != 1) return;
  DeleteSelectedListItems(list);
  AutoExecListAppend(list, item);
  StoreList(page);
  UpdateAutoExecListControls(page);
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
    case IDC_AUTO_BROWSE:
      if (code == BN_CLICKED && PickArchiveItemInto(page, IDC_AUTO_FILE, L".exe", false))
        UpdateAutoExecControls(page);
      return true;
    case IDC_AUTO_DELETE_AFTER:
      if (code == BN_CLICKED) DeleteAfterRunClicked(page);
      return true;
    case IDC_AUTO_ADD:
      if (code == BN_CLICKED) Add(page);
      return true;
    case IDC_AUTO_DELETE:
      if (code == BN_CLICKED) {
        DeleteSelectedListItems(List(page));
        StoreList(page);
        UpdateAutoExecListControls(page);
      }
      return true;
    case IDC_AUTO_EDIT:
      if (code == BN_CLICKED) Edit(page);
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
