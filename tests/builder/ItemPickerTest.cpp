// The archive item picker on test cabinets: its three modes, the extension
// filter, the item count, hostile member names, a missing archive, and the
// builder's last result code left alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "BuilderState.h"
#include "ControlHost.h"
#include "Screenshot.h"
#include "ItemPicker.h"
#include "TestCabinet.h"
#include "TestSupport.h"
#include "VesmarinResource.h"

namespace {

using controlhost::RunModal;

struct PickerView {
  bool shown = false;
  std::vector<std::wstring> entries;
  std::wstring count;
  std::wstring filterText;
  bool filterVisible = false;
  bool filterChecked = false;
  bool okEnabled = false;
  std::wstring box;  // text of an error box, when one came
};

std::vector<std::wstring> Entries(HWND list) {
  std::vector<std::wstring> entries;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[300] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

PickerView Read(HWND dialog) {
  PickerView view;
  view.shown = true;
  view.entries = Entries(GetDlgItem(dialog, IDC_PICKER_LIST));
  view.count = controlhost::ItemText(dialog, IDC_PICKER_COUNT);
  view.filterText = controlhost::ItemText(dialog, IDC_PICKER_FILTER);
  view.filterVisible = IsWindowVisible(GetDlgItem(dialog, IDC_PICKER_FILTER)) != FALSE;
  view.filterChecked =
      SendDlgItemMessageW(dialog, IDC_PICKER_FILTER, BM_GETCHECK, 0, 0) == BST_CHECKED;
  view.okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
  return view;
}

class ItemPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    g_UiState.JapaneseUI = controlhost::JapaneseInterface();
  }
  std::wstring Cabinet(const testsupport::TestCabinet& cabinet, const std::wstring& name) {
    const std::wstring path = dir / name;
    EXPECT_TRUE(cabinet.WriteTo(path));
    return path;
  }
  // Opens the picker; `act` may change it (on the answer thread) before it
  // is read again and closed with `button`.
  INT_PTR Run(int mode, PickerView* before, PickerView* after, int pick = -1,
              const std::function<void(HWND)>& act = nullptr) {
    return RunModal([mode] { return RunItemPicker(nullptr, mode); },
                    [&](DWORD thread) {
                      HWND dialog = controlhost::WaitDialogWith(thread, IDC_PICKER_LIST, 5000);
                      if (!dialog) {
                        HWND box = controlhost::WaitMessageBox(thread, 5000);
                        if (box && before) before->box = controlhost::AnswerMessageBox(box);
                        return;
                      }
                      if (before) *before = Read(dialog);
                      if (act) act(dialog);
                      if (after) *after = Read(dialog);
                      if (pick >= 0) {
                        HWND list = GetDlgItem(dialog, IDC_PICKER_LIST);
                        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(pick), 0);
                        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PICKER_LIST, LBN_SELCHANGE),
                                     reinterpret_cast<LPARAM>(list));
                        if (after) after->okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
                        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      } else {
                        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                      }
                    });
  }
  testsupport::TempDir dir{L"picker"};
};

testsupport::TestCabinet ThreeItems() {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "read me");
  cabinet.Add(L"bin\\app.EXE", "MZ");
  cabinet.Add(L"docs\\guide\\manual.pdf", "%PDF");
  return cabinet;
}

TEST_F(ItemPickerTest, FilterShowsOnlyTheExtensionWhateverItsCase) {
  SetPickerArchive(Cabinet(ThreeItems(), L"three.cab").c_str());
  SetPickerFilter(L".exe", 1);
  PickerView view;
  EXPECT_EQ(1, Run(kPickFiles, &view, nullptr, 0));
  ASSERT_TRUE(view.shown);
  EXPECT_EQ(std::vector<std::wstring>{L"bin\\app.EXE"}, view.entries);
  EXPECT_TRUE(view.filterChecked);
  EXPECT_TRUE(view.filterVisible);
  EXPECT_FALSE(view.okEnabled) << "nothing is selected yet";
  EXPECT_STREQ(L"bin\\app.EXE", GetPickedItem());
  if (controlhost::JapaneseInterface()) {
    EXPECT_EQ(L"1 個の項目", view.count);
    EXPECT_EQ(L".exe 拡張子のみ表示(&E)", view.filterText);
  } else {
    EXPECT_EQ(L"1 item", view.count);
    EXPECT_EQ(L"Display only .exe &extension", view.filterText);
  }
}

TEST_F(ItemPickerTest, FilterOffInModeOneAddsFoldersAndTheRoot) {
  SetPickerArchive(Cabinet(ThreeItems(), L"three.cab").c_str());
  SetPickerFilter(L".exe", 1);
  PickerView before, after;
  EXPECT_EQ(0, Run(kPickFoldersWithRoot, &before, &after, -1,
                   [](HWND dialog) {
                     controlhost::Click(dialog, IDC_PICKER_FILTER);
                     testsupport::SaveScreenshot(dialog, controlhost::JapaneseInterface()
                                                                ? L"item-picker-ja"
                                                                : L"item-picker-en");
                   }));
  EXPECT_EQ(std::vector<std::wstring>{L"bin\\app.EXE"}, before.entries)
      << "no folders while the filter is on";
  const std::vector<std::wstring> expected = {L"\\",          L"bin\\",       L"bin\\app.EXE",
                                              L"docs\\",      L"docs\\guide\\",
                                              L"docs\\guide\\manual.pdf", L"readme.txt"};
  EXPECT_EQ(expected, after.entries);
  EXPECT_FALSE(after.filterChecked);
  if (!controlhost::JapaneseInterface()) {
    EXPECT_EQ(L"3 items", after.count);
  }
}

TEST_F(ItemPickerTest, ModeTwoLeavesOutTheRootAndModeZeroEveryFolder) {
  SetPickerArchive(Cabinet(ThreeItems(), L"three.cab").c_str());
  SetPickerFilter(nullptr, 0);
  PickerView two, zero;
  EXPECT_EQ(1, Run(kPickFoldersNoRoot, &two, nullptr, 1));
  EXPECT_FALSE(two.filterVisible) << "no extension, no filter box";
  const std::vector<std::wstring> expected = {L"bin\\",      L"bin\\app.EXE", L"docs\\",
                                              L"docs\\guide\\", L"docs\\guide\\manual.pdf",
                                              L"readme.txt"};
  EXPECT_EQ(expected, two.entries);
  EXPECT_STREQ(L"bin\\app.EXE", GetPickedItem());
  EXPECT_EQ(0, Run(kPickFiles, &zero, nullptr));
  EXPECT_EQ((std::vector<std::wstring>{L"bin\\app.EXE", L"docs\\guide\\manual.pdf", L"readme.txt"}),
            zero.entries);
}

TEST_F(ItemPickerTest, EmptyArchiveShowsZeroItems) {
  testsupport::TestCabinet empty;
  SetPickerArchive(Cabinet(empty, L"empty.cab").c_str());
  SetPickerFilter(L".exe", 0);
  PickerView view;
  EXPECT_EQ(0, Run(kPickFoldersWithRoot, &view, nullptr));
  ASSERT_TRUE(view.shown) << view.box;
  EXPECT_TRUE(view.entries.empty());
  EXPECT_FALSE(view.okEnabled);
  if (!controlhost::JapaneseInterface()) {
    EXPECT_EQ(L"0 items", view.count);
  }
}

TEST_F(ItemPickerTest, HostileNamesAreNeverOffered) {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"good\\tool.exe", "MZ");
  cabinet.AddRaw("..\\evil.exe", "MZ");
  cabinet.AddRaw("a\\..\\..\\up.exe", "MZ");
  cabinet.AddRaw("\\rooted.exe", "MZ");
  cabinet.AddRaw("C:\\drive.exe", "MZ");
  cabinet.AddRaw("stream.exe:ads", "MZ");
  cabinet.AddRaw("pipe|name.exe", "MZ");
  cabinet.AddRaw("wild*.exe", "MZ");
  cabinet.AddRaw("tab\tname.exe", "MZ");
  cabinet.AddRaw("folder\\", "x");
  SetPickerArchive(Cabinet(cabinet, L"hostile.cab").c_str());
  SetPickerFilter(nullptr, 0);
  PickerView view;
  EXPECT_EQ(0, Run(kPickFoldersWithRoot, &view, nullptr));
  EXPECT_EQ((std::vector<std::wstring>{L"good\\", L"good\\tool.exe"}), view.entries);
  if (!controlhost::JapaneseInterface()) {
    EXPECT_EQ(L"1 item", view.count);
  }
}

TEST_F(ItemPickerTest, MissingArchiveEndsAtOnceAndKeepsTheLastResult) {
  g_UiState.LastResult = 7;
  SetPickerArchive((dir / L"missing.cab").c_str());
  SetPickerFilter(nullptr, 0);
  PickerView view;
  EXPECT_EQ(0, Run(kPickFiles, &view, nullptr));
  EXPECT_FALSE(view.shown);
  if (!controlhost::JapaneseInterface()) {
    EXPECT_EQ(L"Failed to open archive file.", view.box);
  }
  EXPECT_FALSE(view.box.empty());
  EXPECT_EQ(7, g_UiState.LastResult);

  // A file that is no cabinet alike.
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"text.cab", "not a cabinet"));
  SetPickerArchive((dir / L"text.cab").c_str());
  PickerView other;
  EXPECT_EQ(0, Run(kPickFiles, &other, nullptr));
  EXPECT_FALSE(other.box.empty());
  EXPECT_EQ(7, g_UiState.LastResult);
}

TEST_F(ItemPickerTest, LongPathsAreCut) {
  const std::wstring longPath(400, L'x');
  SetPickerArchive(longPath.c_str());
  SetPickerFilter(longPath.c_str(), 0);
  PickerView view;
  EXPECT_EQ(0, Run(kPickFiles, &view, nullptr));
  EXPECT_FALSE(view.box.empty());
}

}  // namespace
