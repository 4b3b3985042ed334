#include "ItemLists.h"

#include <commctrl.h>

#include <cstring>
#include <map>

#include "BuilderState.h"
#include "ResString.h"
#include "VesmarinResource.h"

namespace {

const int kMaxRows = 32;
const int kStoreShift = 5;  // the stored item's key sits above the flag bits

// The whole items of the shortcut rows, keyed by the number in their row's
// item value. Entries whose row is gone are dropped at the next append.
struct StoredItem {
  HWND list;
  StartMenuItem item;
};
std::map<LPARAM, StoredItem> g_storedItems;
LPARAM g_nextKey = 1;

HINSTANCE Instance() {
  return g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int InsertRow(HWND list, const wchar_t* first, LPARAM value) {
  LVITEMW row = {};
  row.mask = LVIF_TEXT | LVIF_PARAM;
  row.iItem = RowCount(list);
  row.pszText = const_cast<wchar_t*>(first);
  row.lParam = value;
  return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

void SetCell(HWND list, int row, int column, const wchar_t* text) {
  LVITEMW cell = {};
  cell.iSubItem = column;
  cell.pszText = const_cast<wchar_t*>(text);
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

void ReadCell(HWND list, int row, int column, wchar_t* text, int capacity) {
  text[0] = L'\0';
  LVITEMW cell = {};
  cell.iSubItem = column;
  cell.pszText = text;
  cell.cchTextMax = capacity;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  text[capacity - 1] = L'\0';
}

bool RowValue(HWND list, int row, LPARAM* value) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
  *value = item.lParam;
  return true;
}

void DropUnusedItems(HWND list) {
  std::map<LPARAM, bool> used;
  const int rows = RowCount(list);
  for (int i = 0; i < rows; ++i) {
    LPARAM value = 0;
    if (RowValue(list, i, &value)) used[value >> kStoreShift] = true;
  }
  for (auto it = g_storedItems.begin(); it != g_storedItems.end();) {
    const bool gone = !IsWindow(it->second.list) ||
                      (it->second.list == list && used.find(it->first) == used.end());
    it = gone ? g_storedItems.erase(it) : std::next(it);
  }
}

LPARAM FlagsOf(const StartMenuItem& item) {
  LPARAM flags = 0;
  if (item.CreateOnDesktop) flags |= kShortcutFlagDesktop;
  if (item.CreateOnStartup) flags |= kShortcutFlagStartup;
  if (item.CreateOnStartRoot) flags |= kShortcutFlagStartRoot;
  if (item.NoCreateInGroup) flags |= kShortcutFlagNoGroup;
  if (item.CreateOnQuickLaunch) flags |= kShortcutFlagQuickLaunch;
  return flags;
}

// Reads one row into the item: the shown columns, the English texts from
// the stored item where the interface does not show them, the flags.
bool ReadShortcutRow(HWND list, int row, StartMenuItem& item) {
  LPARAM value = 0;
  if (!RowValue(list, row, &value)) return false;
  auto stored = g_storedItems.find(value >> kStoreShift);
  if (g_UiState.JapaneseUI) {
    ReadCell(list, row, 0, item.Title, 260);
    ReadCell(list, row, 1, item.TitleE, 260);
    ReadCell(list, row, 2, item.File, 260);
    ReadCell(list, row, 3, item.FileE, 260);
    ReadCell(list, row, 4, item.Args, 260);
    ReadCell(list, row, 5, item.ArgsE, 260);
    ReadCell(list, row, 6, item.Comment, 200);
    ReadCell(list, row, 7, item.CommentE, 200);
    ReadCell(list, row, 8, item.Icon, 270);
    ReadCell(list, row, 9, item.IconE, 270);
  } else {
    if (stored != g_storedItems.end() && stored->second.list == list) {
      const StartMenuItem& whole = stored->second.item;
      memcpy(item.TitleE, whole.TitleE, sizeof item.TitleE);
      memcpy(item.FileE, whole.FileE, sizeof item.FileE);
      memcpy(item.ArgsE, whole.ArgsE, sizeof item.ArgsE);
      memcpy(item.CommentE, whole.CommentE, sizeof item.CommentE);
      memcpy(item.IconE, whole.IconE, sizeof item.IconE);
    }
    ReadCell(list, row, 0, item.Title, 260);
    ReadCell(list, row, 1, item.File, 260);
    ReadCell(list, row, 2, item.Args, 260);
    ReadCell(list, row, 3, item.Comment, 200);
    ReadCell(list, row, 4, item.Icon, 270);
  }
  item.CreateOnDesktop = (value & kShortcutFlagDesktop) != 0;
  item.CreateOnStartup = (value & kShortcutFlagStartup) != 0;
  item.CreateOnStartRoot = (value & kShortcutFlagStartRoot) != 0;
  item.NoCreateInGroup = (value & kShortcutFlagNoGroup) != 0;
  item.CreateOnQuickLaunch = (value & kShortcutFlagQuickLaunch) != 0;
  return true;
}

}  // namespace

bool AutoExecListAppend(HWND list, const AutoExecItem& item) {
  if (RowCount(list) >= kMaxRows) return false;
  const int row = InsertRow(list, item.File, 0);
  if (row < 0) return false;
  SetCell(list, row, 1, item.Args);
  wchar_t flag[100];
  LoadResText(Instance(), item.NonElevate ? IDS_AUTOEXEC_YES : IDS_AUTOEXEC_NO, flag, 100);
  SetCell(list, row, 2, flag);
  return true;
}

void AutoExecListToSettings(HWND list, CSfxSettings& settings) {
  memset(settings.AutoExec, 0, sizeof settings.AutoExec);
  const int rows = RowCount(list);
  settings.AutoExecCount = rows < kMaxRows ? rows : kMaxRows;
  wchar_t yes[100];
  LoadResText(Instance(), IDS_AUTOEXEC_YES, yes, 100);
  for (int i = 0; i < settings.AutoExecCount; ++i) {
    AutoExecItem& item = settings.AutoExec[i];
    ReadCell(list, i, 0, item.File, 260);
    ReadCell(list, i, 1, item.Args, 260);
    wchar_t flag[100];
    ReadCell(list, i, 2, flag, 100);
    item.NonElevate = wcscmp(flag, yes) == 0;
  }
}

bool ShortcutListAppend(HWND list, const StartMenuItem& item) {
  if (RowCount(list) >= kMaxRows) return false;
  DropUnusedItems(list);
  const LPARAM key = g_nextKey++;
  const int row = InsertRow(list, item.Title, FlagsOf(item) | (key << kStoreShift));
  if (row < 0) return false;
  g_storedItems[key] = {list, item};
  if (g_UiState.JapaneseUI) {
    const wchar_t* const cells[] = {item.TitleE, item.File,     item.FileE, item.Args, item.ArgsE,
                                    item.Comment, item.CommentE, item.Icon, item.IconE};
    for (int i = 0; i < 9; ++i) SetCell(list, row, i + 1, cells[i]);
  } else {
    const wchar_t* const cells[] = {item.File, item.Args, item.Comment, item.Icon};
    for (int i = 0; i < 4; ++i) SetCell(list, row, i + 1, cells[i]);
  }
  return true;
}

int ShortcutListGetSelected(HWND list, StartMenuItem& item) {
  const LRESULT row = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (row < 0) return 0;
  return ReadShortcutRow(list, static_cast<int>(row), item) ? 1 : 0;
}

void ShortcutListToSettings(HWND list, CSfxSettings& settings) {
  memset(settings.StartMenu, 0, sizeof settings.StartMenu);
  const int rows = RowCount(list);
  settings.StartMenuCount = rows < kMaxRows ? rows : kMaxRows;
  for (int i = 0; i < settings.StartMenuCount; ++i)
    ReadShortcutRow(list, i, settings.StartMenu[i]);
}

void DeleteSelectedListItems(HWND list) {
  for (LRESULT row = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
       row >= 0;
       row = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
    if (!SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0)) break;
}
