// The Windows-version check list and BootableOS, through the settings
// exchange of page "Process before startup": bits without an item are
// never shown as another item and are dropped when the list is read.
#include <gtest/gtest.h>

#include <windows.h>

#include "BuilderState.h"
#include "CheckListBox.h"
#include "ControlHost.h"
#include "OsCheckList.h"
#include "SettingsExchange.h"

namespace {

const int kBits[] = {0x20, 0x80, 0x200, 0x800, 0x2000, 0x8000, 0x10000, 0x20000, 0x10000000,
                     0x40, 0x100, 0x1000, 0x400, 0x4000, 0x1, 0x2, 0x4, 0x20000000};

struct OsCheckListTest : ::testing::Test {
  void SetUp() override {
    controlhost::RegisterBuilderControls();
    g_UiState.Reset();
    g_SfxSettings.Clear();
    list = host.Create(kCheckListBoxClass, 1241, 0, 5, 5, 250, 200);
    ASSERT_NE(nullptr, list);
    ClearOsBitItems();
    for (int bit : kBits) MapOsBitToItem(bit, CheckListAddItem(list, L"Windows", 0, nullptr));
  }
  controlhost::Host host;
  HWND list = nullptr;
};

TEST_F(OsCheckListTest, KnownBitsTravelBothWays) {
  g_SfxSettings.BootableOS = 0x80 | 0x2000 | 0x20000000;
  SettingsToControls(host.window(), 162);
  for (int i = 0; i < 18; ++i)
    EXPECT_EQ(i == 1 || i == 4 || i == 17 ? 1 : 0, CheckListGetCheck(list, i)) << i;
  CheckListSetCheck(list, 4, 0);
  CheckListSetCheck(list, 0, 1);
  ControlsToSettings(host.window(), 162);
  EXPECT_EQ(0x20 | 0x80 | 0x20000000, g_SfxSettings.BootableOS);
}

TEST_F(OsCheckListTest, BitsWithoutAnItemAreNotShownAndAreDropped) {
  g_SfxSettings.BootableOS = 0x40000208;  // 0x8 and 0x40000000 have no item
  SettingsToControls(host.window(), 162);
  EXPECT_EQ(0, CheckListGetCheck(list, 0)) << "an unknown bit is not item 0";
  EXPECT_EQ(1, CheckListGetCheck(list, 2));
  ControlsToSettings(host.window(), 162);
  EXPECT_EQ(0x200, g_SfxSettings.BootableOS) << "only the bits of the list are kept";
  g_SfxSettings.BootableOS = 0x8 | 0x80;
  CheckListSetCheck(list, -1, 0);
  ControlsToSettings(host.window(), 162);
  EXPECT_EQ(0, g_SfxSettings.BootableOS);
  g_SfxSettings.BootableOS = 0x8;

  // One bit at a time: an unmapped bit changes nothing.
  ClearOsBitItems();
  CheckListSetCheck(list, 0, 1);
  ReadOsBitFromList(list, 0x20);
  EXPECT_EQ(0x8, g_SfxSettings.BootableOS);
  ShowOsBitInList(list, 0x20);
  EXPECT_EQ(1, CheckListGetCheck(list, 0));
  EXPECT_EQ(-1, OsBitItem(0x20));
}

TEST_F(OsCheckListTest, AMissingListChangesNothing) {
  g_SfxSettings.BootableOS = 0x20 | 0x80;
  ReadOsBitsFromList(nullptr);
  EXPECT_EQ(0x20 | 0x80, g_SfxSettings.BootableOS);
}

}  // namespace
