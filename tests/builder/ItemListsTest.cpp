// The item lists: rows to settings and back for both lists, in the
// interface's columns, the "YES" column read exactly, the 32-row bound,
// the English texts an English interface does not show, deleting rows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "BuilderState.h"
#include "ControlHost.h"
#include "ItemLists.h"
#include "ResString.h"
#include "VesmarinResource.h"

namespace {

HWND MakeList(controlhost::Host& host, int columns, DWORD extraStyle = LVS_SINGLESEL) {
  HWND list = host.Create(WC_LISTVIEWW, 1027, LVS_REPORT | extraStyle, 5, 5, 400, 200);
  for (int i = 0; i < columns; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = 40;
    column.pszText = const_cast<wchar_t*>(L"c");
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void Select(HWND list, int row, bool on) {
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = on ? LVIS_SELECTED : 0;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

StartMenuItem Shortcut(int n) {
  StartMenuItem item = {};
  swprintf(item.Title, 260, L"Title %d", n);
  swprintf(item.TitleE, 260, L"Title E %d", n);
  swprintf(item.File, 260, L"bin\\f%d.exe", n);
  swprintf(item.FileE, 260, L"bin\\e%d.exe", n);
  swprintf(item.Args, 260, L"/a%d", n);
  swprintf(item.ArgsE, 260, L"/e%d", n);
  swprintf(item.Comment, 200, L"c%d", n);
  swprintf(item.CommentE, 200, L"ce%d", n);
  swprintf(item.Icon, 270, L"i%d.ico,0", n);
  swprintf(item.IconE, 270, L"ie%d.ico,1", n);
  item.CreateOnDesktop = n % 2 == 0;
  item.CreateOnStartup = n % 3 == 0;
  item.CreateOnStartRoot = true;
  item.NoCreateInGroup = n % 2 == 1;
  item.CreateOnQuickLaunch = n == 1;
  return item;
}

class ItemListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    settings.Clear();
  }
  controlhost::Host host;
  CSfxSettings settings;
};

TEST_F(ItemListsTest, AutoExecRowsRoundTrip) {
  HWND list = MakeList(host, 3);
  AutoExecItem first = {}, second = {};
  wcscpy(first.File, L"setup.exe");
  wcscpy(first.Args, L"/quiet");
  first.NonElevate = true;
  wcscpy(second.File, L"notes.txt");
  ASSERT_TRUE(AutoExecListAppend(list, first));
  ASSERT_TRUE(AutoExecListAppend(list, second));
  settings.AutoExec[5].NonElevate = true;  // stale slot
  AutoExecListToSettings(list, settings);
  ASSERT_EQ(2, settings.AutoExecCount);
  EXPECT_STREQ(L"setup.exe", settings.AutoExec[0].File);
  EXPECT_STREQ(L"/quiet", settings.AutoExec[0].Args);
  EXPECT_TRUE(settings.AutoExec[0].NonElevate);
  EXPECT_STREQ(L"notes.txt", settings.AutoExec[1].File);
  EXPECT_FALSE(settings.AutoExec[1].NonElevate);
  EXPECT_FALSE(settings.AutoExec[5].NonElevate) << "every slot is cleared first";

  // The third column is compared exactly.
  LVITEMW cell = {};
  cell.iSubItem = 2;
  cell.pszText = const_cast<wchar_t*>(L"yes");
  SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell));
  AutoExecListToSettings(list, settings);
  EXPECT_FALSE(settings.AutoExec[0].NonElevate);
}

TEST_F(ItemListsTest, ListsHoldAtMost32Rows) {
  HWND list = MakeList(host, 3);
  AutoExecItem item = {};
  wcscpy(item.File, L"a.exe");
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(AutoExecListAppend(list, item)) << i;
  EXPECT_FALSE(AutoExecListAppend(list, item));
  // Rows added by other means still store only 32 items.
  LVITEMW extra = {};
  extra.mask = LVIF_TEXT;
  extra.iItem = 32;
  extra.pszText = const_cast<wchar_t*>(L"b.exe");
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&extra));
  AutoExecListToSettings(list, settings);
  EXPECT_EQ(32, settings.AutoExecCount);

  HWND shortcuts = MakeList(host, 10);
  g_UiState.JapaneseUI = true;
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(ShortcutListAppend(shortcuts, Shortcut(i)));
  EXPECT_FALSE(ShortcutListAppend(shortcuts, Shortcut(99)));
  extra.pszText = const_cast<wchar_t*>(L"extra");
  SendMessageW(shortcuts, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&extra));
  ShortcutListToSettings(shortcuts, settings);
  EXPECT_EQ(32, settings.StartMenuCount);
  EXPECT_STREQ(L"Title 31", settings.StartMenu[31].Title);
}

void ExpectSameItem(const StartMenuItem& expected, const StartMenuItem& actual) {
  EXPECT_STREQ(expected.Title, actual.Title);
  EXPECT_STREQ(expected.TitleE, actual.TitleE);
  EXPECT_STREQ(expected.FileE, actual.FileE);
  EXPECT_STREQ(expected.ArgsE, actual.ArgsE);
  EXPECT_STREQ(expected.CommentE, actual.CommentE);
  EXPECT_STREQ(expected.IconE, actual.IconE);
  EXPECT_EQ(0, memcmp(&expected, &actual, sizeof expected)) << "every field and flag";
}

TEST_F(ItemListsTest, ShortcutRowsRoundTripWithAJapaneseInterface) {
  g_UiState.JapaneseUI = true;
  HWND list = MakeList(host, 10);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ShortcutListAppend(list, Shortcut(i)));
  ShortcutListToSettings(list, settings);
  ASSERT_EQ(3, settings.StartMenuCount);
  for (int i = 0; i < 3; ++i) ExpectSameItem(Shortcut(i), settings.StartMenu[i]);
  StartMenuItem picked = {};
  EXPECT_EQ(0, ShortcutListGetSelected(list, picked)) << "nothing selected";
  Select(list, 1, true);
  ASSERT_EQ(1, ShortcutListGetSelected(list, picked));
  ExpectSameItem(Shortcut(1), picked);
}

TEST_F(ItemListsTest, EnglishInterfaceKeepsTheEnglishTexts) {
  g_UiState.JapaneseUI = false;
  HWND list = MakeList(host, 5);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ShortcutListAppend(list, Shortcut(i)));
  // Edit the middle row as the page does: read it, delete it, append it.
  Select(list, 1, true);
  StartMenuItem edited = {};
  ASSERT_EQ(1, ShortcutListGetSelected(list, edited));
  ExpectSameItem(Shortcut(1), edited);
  wcscpy(edited.Title, L"Renamed");
  DeleteSelectedListItems(list);
  ASSERT_TRUE(ShortcutListAppend(list, edited));
  ShortcutListToSettings(list, settings);
  ASSERT_EQ(3, settings.StartMenuCount);
  ExpectSameItem(Shortcut(0), settings.StartMenu[0]);
  ExpectSameItem(Shortcut(2), settings.StartMenu[1]);
  ExpectSameItem(edited, settings.StartMenu[2]);
  // The shown columns are the interface's five.
  wchar_t text[64] = {};
  LVITEMW cell = {};
  cell.iSubItem = 1;
  cell.pszText = text;
  cell.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell));
  EXPECT_STREQ(L"bin\\f0.exe", text);
}

TEST_F(ItemListsTest, DeleteRemovesEverySelectedRow) {
  HWND list = MakeList(host, 3, 0);  // multiple selection
  AutoExecItem item = {};
  for (int i = 0; i < 4; ++i) {
    swprintf(item.File, 260, L"%d.exe", i);
    AutoExecListAppend(list, item);
  }
  Select(list, 0, true);
  Select(list, 2, true);
  Select(list, 3, true);
  DeleteSelectedListItems(list);
  AutoExecListToSettings(list, settings);
  ASSERT_EQ(1, settings.AutoExecCount);
  EXPECT_STREQ(L"1.exe", settings.AutoExec[0].File);
  DeleteSelectedListItems(list);  // nothing selected: nothing happens
  EXPECT_EQ(1, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

}  // namespace
