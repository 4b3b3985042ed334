// Pages "Special process" and "Extension Module" of the sheet driven from a
// second process, with the two item dialogs of the special-process page.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "SheetFixture.h"
#include "TestSupport.h"

namespace {

using sheettest::BuilderString;
using sheettest::Definition;
using sheettest::Send;
using sheettest::SetText;
using sheettest::SheetRun;

const int kStartup = 162, kSpecial = 166, kExtension = 180;
const int kCopyList = 1190, kCopyAdd = 1191, kCopyEdit = 1193;
const int kComList = 1178, kComAdd = 1179, kComDelete = 1177, kComEdit = 1180;
const int kItemName = 1115, kItemBase = 1069, kItemFolder = 1002, kItemFlag = 1049;

// The item dialog that a page button opened.
HWND OpenItemDialog(SheetRun& run, int button) {
  testsupport::PressButton(run.Page(), button);
  return run.builder().WaitDialog(kItemName);
}

bool Close(HWND dialog, int button) {
  testsupport::PressButton(dialog, button);
  return testsupport::WaitForWindowGone(dialog, 10000);
}

int ListViewCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT)); }

TEST(SheetSpecial, ExtraCopiesReachTheRecordOnlyWithOkAndAFailedEditChangesNothing) {
  for (bool confirm : {true, false}) {
    SheetRun run("[Vesmarin]\r\n");
    ASSERT_TRUE(run.OpenAt(kSpecial));
    HWND list = GetDlgItem(run.Page(), kCopyList);
    HWND dialog = OpenItemDialog(run, kCopyAdd);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "no name yet";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kItemFlag)));
    SetText(dialog, kItemName, L"bin\\tool.exe");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    sheettest::Choose(dialog, kItemBase, 1);
    SetText(dialog, kItemFolder, L"Tools");
    ASSERT_TRUE(Close(dialog, IDOK));
    EXPECT_EQ(1, ListViewCount(list));
    // A second item given up with Cancel is not added.
    dialog = OpenItemDialog(run, kCopyAdd);
    ASSERT_NE(nullptr, dialog);
    SetText(dialog, kItemName, L"other.txt");
    ASSERT_TRUE(Close(dialog, IDCANCEL));
    EXPECT_EQ(1, ListViewCount(list));
    // An edit whose folder is refused keeps the dialog open; Cancel then
    // leaves the item as it was, name and base folder included.
    EXPECT_TRUE(sheettest::SelectListViewRow(list, 0));
    ASSERT_TRUE(builderwindow::WaitFor([&] { return run.Enabled(kCopyEdit); }, 5000));
    dialog = OpenItemDialog(run, kCopyEdit);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"bin\\tool.exe", testsupport::ControlText(dialog, kItemName));
    EXPECT_EQ(L"Tools", testsupport::ControlText(dialog, kItemFolder));
    SetText(dialog, kItemName, L"changed.exe");
    sheettest::Choose(dialog, kItemBase, 6);
    SetText(dialog, kItemFolder, L"");
    testsupport::PressButton(dialog, IDOK);
    EXPECT_EQ(BuilderString(226), run.NextBox().text);
    EXPECT_TRUE(IsWindow(dialog));
    SetText(dialog, kItemFolder, L"..\\x");
    sheettest::Choose(dialog, kItemBase, 0);
    testsupport::PressButton(dialog, IDOK);
    EXPECT_EQ(BuilderString(225), run.NextBox().text);
    ASSERT_TRUE(Close(dialog, IDCANCEL));
    EXPECT_TRUE(run.Select(kStartup));
    if (confirm) {
      EXPECT_TRUE(run.Ok());
    } else {
      EXPECT_TRUE(run.Cancel());
    }
    const Definition saved = run.ExitAndRead();
    if (!confirm) {
      EXPECT_EQ(0u, saved.count(L"ExtraCopy0_FileName"));
      continue;
    }
    EXPECT_EQ(L"bin\\tool.exe", saved.at(L"ExtraCopy0_FileName"));
    EXPECT_EQ(L"1", saved.at(L"ExtraCopy0_BaseFolder"));
    EXPECT_EQ(L"Tools", saved.at(L"ExtraCopy0_ExtractFolder"));
    EXPECT_EQ(L"0", saved.at(L"ExtraCopy0_NoCopyOriginal"));
    EXPECT_EQ(0u, saved.count(L"ExtraCopy1_FileName"));
  }
}

TEST(SheetSpecial, ComServersKeepTheirOrderAndFlagsAndAnEditKeepsItsPlace) {
  SheetRun run("[Vesmarin]\r\nRegComSvr0_FileName=first.ocx\r\nRegComSvr0_Uninstall=1\r\n"
               "RegComSvr1_FileName=second.dll\r\nRegComSvr1_Uninstall=0\r\n");
  ASSERT_TRUE(run.OpenAt(kSpecial));
  HWND coms = GetDlgItem(run.Page(), kComList);
  EXPECT_EQ(2, Send(coms, LB_GETCOUNT));
  EXPECT_FALSE(run.Enabled(kComEdit));
  HWND dialog = OpenItemDialog(run, kComAdd);
  ASSERT_NE(nullptr, dialog);
  SetText(dialog, kItemName, L"third.ocx");
  testsupport::PressButton(dialog, kItemFlag);
  ASSERT_TRUE(builderwindow::WaitFor([&] { return testsupport::IsChecked(dialog, kItemFlag); }, 5000));
  ASSERT_TRUE(Close(dialog, IDOK));
  EXPECT_EQ(3, Send(coms, LB_GETCOUNT));
  // Edit the first entry: it stays first.
  Send(coms, LB_SETCURSEL, 0);
  Send(run.Page(), WM_COMMAND, MAKEWPARAM(kComList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(coms));
  EXPECT_TRUE(run.Enabled(kComEdit));
  dialog = OpenItemDialog(run, kComEdit);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"first.ocx", testsupport::ControlText(dialog, kItemName));
  EXPECT_TRUE(testsupport::IsChecked(dialog, kItemFlag));
  SetText(dialog, kItemName, L"renamed.ocx");
  ASSERT_TRUE(Close(dialog, IDOK));
  // Delete the second.
  Send(coms, LB_SETCURSEL, 1);
  Send(run.Page(), WM_COMMAND, MAKEWPARAM(kComList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(coms));
  EXPECT_TRUE(run.Click(kComDelete));
  EXPECT_FALSE(run.Enabled(kComDelete));
  EXPECT_TRUE(run.Select(kStartup));
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"renamed.ocx", saved.at(L"RegComSvr0_FileName"));
  EXPECT_EQ(L"1", saved.at(L"RegComSvr0_Uninstall"));
  EXPECT_EQ(L"third.ocx", saved.at(L"RegComSvr1_FileName"));
  EXPECT_EQ(L"1", saved.at(L"RegComSvr1_Uninstall"));
  EXPECT_EQ(0u, saved.count(L"RegComSvr2_FileName"));
}

TEST(SheetExtension, AModuleNeedsAFileAndIsStoredEvenWhenThePageIsKept) {
  SheetRun run("[Vesmarin]\r\nUseExtensionModuleFile=0\r\nExtensionModuleDatFile=module.dat\r\n");
  ASSERT_TRUE(run.OpenAt(kExtension));
  EXPECT_FALSE(run.Enabled(1210));
  EXPECT_FALSE(run.Enabled(1220));
  EXPECT_TRUE(run.SetCheck(1209, true));
  EXPECT_TRUE(run.Enabled(1210));
  EXPECT_EQ(BuilderString(329), run.SelectExpectingBox(kStartup).text);
  EXPECT_TRUE(run.sheet().OnPage(1209));
  run.SetText(1210, L"module.dll");
  const Definition saved = run.OkAndExit();
  EXPECT_EQ(L"1", saved.at(L"UseExtensionModuleFile"));
  EXPECT_EQ(L"module.dll", saved.at(L"ExtensionModuleFile"));
  EXPECT_EQ(L"module.dat", saved.at(L"ExtensionModuleDatFile"));
}

}  // namespace
