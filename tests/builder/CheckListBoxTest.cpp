// The check list box: items and checks, mouse and keyboard input with
// their notifications, item height, and both drawing paths.
#include <gtest/gtest.h>

#include <windows.h>

#include <windowsx.h>

#include "CheckListBox.h"
#include "ColorPicker.h"
#include "SpinEdit.h"
#include "ControlHost.h"
#include "Screenshot.h"
#include "VisualStyles.h"
#include "Waiting.h"

namespace {

using controlhost::ClientImage;
using controlhost::Host;

const int kId = 1241;

struct CheckListFixture : ::testing::Test {
  void SetUp() override {
    controlhost::RegisterBuilderControls();
    control = host.Create(kCheckListBoxClass, kId, 0, 10, 10, 300, 200);
    ASSERT_NE(nullptr, control);
    list = GetDlgItem(control, kCheckListInnerId);
    ASSERT_NE(nullptr, list);
  }
  void AddThree() {
    ASSERT_EQ(0, CheckListAddItem(control, L"Windows XP", 0, nullptr));
    ASSERT_EQ(1, CheckListAddItem(control, L"Windows Vista", 1, nullptr));
    ASSERT_EQ(2, CheckListAddItem(control, L"A much longer label of Windows 11", 0, nullptr));
    UpdateWindow(host.window());
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  }
  RECT ItemRect(int index) {
    RECT rect = {};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
  }
  int CellMiddleY(int index) {
    const RECT r = ItemRect(index);
    return r.top + (r.bottom - r.top - 17) / 2 + 8;
  }
  void Click(int x, int y, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    SendMessageW(list, down, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(list, up, 0, MAKELPARAM(x, y));
    testsupport::DispatchQueued();
  }
  int Selection() { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

  Host host;
  HWND control = nullptr;
  HWND list = nullptr;
};

TEST_F(CheckListFixture, ItemsKeepTheirChecks) {
  EXPECT_EQ(1, CheckListSetCheck(control, -1, 1)) << "an empty list accepts 'all'";
  EXPECT_EQ(0, CheckListSetCheck(control, 0, 1)) << "no item 0 yet";
  EXPECT_EQ(0, CheckListGetCheck(control, 0));
  AddThree();
  EXPECT_EQ(0, CheckListGetCheck(control, 0));
  EXPECT_EQ(1, CheckListGetCheck(control, 1));
  EXPECT_EQ(1, CheckListSetCheck(control, 2, 1));
  EXPECT_EQ(1, CheckListGetCheck(control, 2));
  EXPECT_EQ(1, CheckListSetCheck(control, -1, 0));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0, CheckListGetCheck(control, i)) << i;
  EXPECT_EQ(0, CheckListSetCheck(control, 3, 1));
  EXPECT_TRUE(host.commands().empty()) << "setting checks in code notifies nobody";

  // Something that is not a check list.
  HWND button = CreateWindowExW(0, L"Button", L"", WS_CHILD, 0, 0, 10, 10, host.window(),
                                nullptr, nullptr, nullptr);
  EXPECT_EQ(-1, CheckListAddItem(button, L"x", 0, nullptr));
  EXPECT_EQ(0, CheckListSetCheck(button, -1, 1));
  EXPECT_EQ(-1, CheckListAddItem(nullptr, L"x", 0, nullptr));
  DestroyWindow(button);
}

TEST_F(CheckListFixture, ClickOnTheCheckCellChecksSelectsAndNotifies) {
  AddThree();
  ASSERT_EQ(LB_ERR, Selection());
  Click(6, CellMiddleY(0));
  EXPECT_EQ(1, CheckListGetCheck(control, 0));
  EXPECT_EQ(0, Selection());
  EXPECT_EQ((std::vector<int>{kCheckListSelChanged, kCheckListCheckChanged}), host.Codes(kId));
  ASSERT_FALSE(host.commands().empty());
  EXPECT_EQ(control, host.commands()[0].from);

  host.ClearCommands();
  Click(6, CellMiddleY(0), WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_EQ(0, CheckListGetCheck(control, 0)) << "the right button toggles as well";
}

TEST_F(CheckListFixture, ClickOnALabelSelectsWithoutChecking) {
  AddThree();
  Click(40, CellMiddleY(1));
  EXPECT_EQ(1, Selection());
  EXPECT_EQ(1, CheckListGetCheck(control, 1));
  EXPECT_EQ(0, CheckListGetCheck(control, 0));
  EXPECT_EQ(std::vector<int>{kCheckListSelChanged}, host.Codes(kId));

  host.ClearCommands();
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, CellMiddleY(1)));
  testsupport::DispatchQueued();
  const std::vector<int> codes = host.Codes(kId);
  EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), kCheckListLabelDblClk));
}

TEST_F(CheckListFixture, ClickBesideAShortLabelClearsTheSelection) {
  AddThree();
  Click(40, CellMiddleY(0));
  ASSERT_EQ(0, Selection());
  host.ClearCommands();
  Click(280, CellMiddleY(0));  // right of "Windows XP"
  EXPECT_EQ(LB_ERR, Selection());
  EXPECT_EQ(std::vector<int>{kCheckListSelCleared}, host.Codes(kId));
  EXPECT_EQ(0, CheckListGetCheck(control, 0));

  host.ClearCommands();
  Click(40, 190);  // below the last item
  EXPECT_EQ(std::vector<int>{kCheckListSelCleared}, host.Codes(kId));
  // A double click there does nothing.
  host.ClearCommands();
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(280, CellMiddleY(0)));
  EXPECT_TRUE(host.Codes(kId).empty());
}

TEST_F(CheckListFixture, SpaceTogglesOnlyASelectedItem) {
  AddThree();
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  testsupport::DispatchQueued();
  EXPECT_TRUE(host.commands().empty());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(i == 1 ? 1 : 0, CheckListGetCheck(control, i));

  SendMessageW(list, LB_SETCURSEL, 2, 0);
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(1, CheckListGetCheck(control, 2));
  EXPECT_EQ(std::vector<int>{kCheckListCheckChanged}, host.Codes(kId));
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(0, CheckListGetCheck(control, 2));
}

TEST_F(CheckListFixture, ItemHeightFollowsTheFont) {
  AddThree();
  EXPECT_EQ(17, SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) << "a small font keeps 17";
  HFONT large = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            L"Tahoma");
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(large), TRUE);
  const LRESULT height = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  EXPECT_GE(height, 30);
  EXPECT_EQ(reinterpret_cast<LRESULT>(large), SendMessageW(control, WM_GETFONT, 0, 0));
  // Clicks still find the check cell in the taller items.
  Click(6, CellMiddleY(2));
  EXPECT_EQ(1, CheckListGetCheck(control, 2));
  DestroyWindow(control);
  DeleteObject(large);
}

TEST_F(CheckListFixture, DeletedItemsReachTheParent) {
  AddThree();
  SendMessageW(list, LB_DELETESTRING, 0, 0);
  ASSERT_EQ(1u, host.deletedItems().size());
  EXPECT_EQ(0u, host.deletedItems()[0]) << "the item value, never the record's address";
  EXPECT_EQ(1, CheckListGetCheck(control, 0)) << "Vista moved up with its check";
  DestroyWindow(control);
  EXPECT_EQ(3u, host.deletedItems().size());
}

// Both drawing paths: the check cells of a checked and an unchecked item
// differ, a disabled control draws its cells and labels otherwise, and its
// labels are grey.
void ExpectDrawing(HWND control, HWND list, const char* path) {
  RECT first = {}, second = {};
  SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  const RECT cell0 = {first.left + 4, first.top, first.left + 18, first.bottom};
  RECT cell1 = {second.left + 4, second.top, second.left + 18, second.bottom};
  const RECT label0 = {first.left + 19, first.top, first.left + 100, first.bottom};
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);

  ClientImage enabled(list);
  // Item 0 unchecked, item 1 checked: move item 1's cell over item 0's.
  bool differ = false;
  for (int y = 0; y < cell0.bottom - cell0.top && !differ; ++y)
    for (int x = cell0.left; x < cell0.right && !differ; ++x)
      differ = enabled.Pixel(x, cell0.top + y) != enabled.Pixel(x, cell1.top + y);
  EXPECT_TRUE(differ) << path << ": checked and unchecked cells look alike";
  EXPECT_EQ(0, enabled.CountColor(label0, grey)) << path;

  EnableWindow(control, FALSE);
  ClientImage disabled(list);
  EXPECT_GT(disabled.CountColor(label0, grey), 10) << path << ": disabled labels are grey";
  EXPECT_FALSE(disabled.SameArea(enabled, cell1)) << path << ": disabled check cell";
  EnableWindow(control, TRUE);

  // The selected item's label looks otherwise than when it is not selected,
  // whatever the theme draws for a selected item.
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  ClientImage unselected(list);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  ClientImage selected(list);
  EXPECT_FALSE(selected.SameArea(unselected, label0)) << path << ": the selection is not seen";
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

TEST_F(CheckListFixture, DrawsThemedAndClassic) {
  AddThree();
  if (visualstyles::IsThemed()) {
    visualstyles::ScopedTheme theme(control, L"BUTTON");
    EXPECT_TRUE(static_cast<bool>(theme)) << "a fresh prefix draws with visual styles";
    ExpectDrawing(control, list, "themed");
  }
  visualstyles::ApplyWindowTheme(control, L" ", L" ");
  {
    visualstyles::ScopedTheme theme(control, L"BUTTON");
    ASSERT_FALSE(static_cast<bool>(theme));
  }
  ExpectDrawing(control, list, "classic");
  // The classic check image: its frame in the shadow colour at the cell's
  // top-left corner.
  ClientImage image(list);
  RECT first = {};
  SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const int top = first.top + (first.bottom - first.top - 17) / 2;
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), image.Pixel(first.left + 4, top + 3));
}

TEST_F(CheckListFixture, IconsShiftTheLabel) {
  HWND withIcons = host.Create(kCheckListBoxClass, 7, kCheckListShowIcons, 10, 220, 300, 60);
  ASSERT_NE(nullptr, withIcons);
  HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
  ASSERT_EQ(0, CheckListAddItem(withIcons, L"Windows 7", 1, icon));
  HWND inner = GetDlgItem(withIcons, kCheckListInnerId);
  ClientImage image(inner);
  RECT item = {};
  SendMessageW(inner, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  // Something of the icon is drawn after the check cell.
  const RECT iconArea = {item.left + 18, item.top, item.left + 34, item.bottom};
  EXPECT_LT(image.CountColor(iconArea, GetSysColor(COLOR_WINDOW)),
            (iconArea.right - iconArea.left) * (iconArea.bottom - iconArea.top));
  // The label starts after the icon: a click on the icon is a label click.
  SendMessageW(inner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 24, item.top + 8));
  SendMessageW(inner, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 24, item.top + 8));
  EXPECT_EQ(0, SendMessageW(inner, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(1, CheckListGetCheck(withIcons, 0));
}

// The three controls side by side, for a look in both languages.
TEST(BuilderControls, Picture) {
  controlhost::RegisterBuilderControls();
  Host host(460, 260);
  HWND list = host.Create(kCheckListBoxClass, 1, kCheckListShowIcons, 10, 10, 220, 200);
  const bool japanese = controlhost::JapaneseInterface();
  CheckListAddItem(list, L"Windows XP", 1, LoadIconW(nullptr, IDI_INFORMATION));
  CheckListAddItem(list, L"Windows 7", 0, nullptr);
  CheckListAddItem(list, japanese ? L"最新または新しい Windows クライアント" : L"Latest or newer Windows Client", 1,
                   nullptr);
  HWND disabled = host.Create(kCheckListBoxClass, 2, 0, 240, 110, 200, 60);
  CheckListAddItem(disabled, L"Windows Server 2019", 1, nullptr);
  EnableWindow(disabled, FALSE);
  HWND picker = host.Create(kColorPickerClass, 3, 0, 240, 10, 120, 24);
  SendMessageW(picker, BM_SETCHECK, RGB(0, 0, 255), 0);
  HWND spin = host.Create(kSpinEditClass, 4, 0, 240, 50, 80, 22);
  SpinEditSetRange(spin, 5, 99);
  SendMessageW(spin, SEM_SETVALUE, 6, 0);
  SendMessageW(GetDlgItem(list, kCheckListInnerId), LB_SETCURSEL, 2, 0);
  UpdateWindow(host.window());
  testsupport::DispatchQueued();
  EXPECT_TRUE(testsupport::SaveScreenshot(host.window(),
                                             japanese ? L"controls-ja" : L"controls-en"));
}

TEST(CheckListClass, KeepsAWholePointerInItsExtraBytes) {
  controlhost::RegisterBuilderControls();
  WNDCLASSEXW info = {sizeof info};
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kCheckListBoxClass, &info));
  EXPECT_EQ(static_cast<int>(sizeof(void*)), info.cbWndExtra);
  EXPECT_EQ(0u, info.style & CS_GLOBALCLASS);
}

}  // namespace
