// The automatic-execution item dialog: its OK and argument rules, what OK
// stores, Cancel, and the archive browser it opens.
#include <gtest/gtest.h>

#include <windows.h>

#include "AutoExecItemDialog.h"
#include "BuilderState.h"
#include "ControlHost.h"
#include "Screenshot.h"
#include "ItemPicker.h"
#include "TestCabinet.h"
#include "TestSupport.h"
#include "VesmarinResource.h"

namespace {

using controlhost::RunModal;

struct Seen {
  bool shown = false;
  bool okAtStart = false, argsAtStart = false, browseEnabled = false;
  bool okEmpty = true, argsText = true, argsExe = false;
  std::wstring picked;
};

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

class AutoExecItemDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    g_UiState.JapaneseUI = controlhost::JapaneseInterface();
    g_SfxSettings.Clear();
  }
  testsupport::TempDir dir{L"autoexec"};
};

TEST_F(AutoExecItemDialogTest, OkFollowsTheCommandAndStoresTheItem) {
  AutoExecItem& item = EditedAutoExecItem();
  item = AutoExecItem();
  wcscpy(item.File, L"tool.exe");
  wcscpy(item.Args, L"/silent");
  item.NonElevate = false;
  Seen seen;
  const INT_PTR result = RunModal([] { return RunAutoExecItemDialog(nullptr); }, [&](DWORD thread) {
    HWND dialog = controlhost::WaitDialogWith(thread, IDC_AUTOEXEC_FILE);
    if (!dialog) return;
    seen.shown = true;
    seen.okAtStart = Enabled(dialog, IDOK);
    seen.argsAtStart = Enabled(dialog, IDC_AUTOEXEC_ARGS);
    seen.browseEnabled = Enabled(dialog, IDC_AUTOEXEC_BROWSE);
    controlhost::SetText(dialog, IDC_AUTOEXEC_FILE, L"");
    seen.okEmpty = Enabled(dialog, IDOK);
    controlhost::SetText(dialog, IDC_AUTOEXEC_FILE, L"readme.txt");
    seen.argsText = Enabled(dialog, IDC_AUTOEXEC_ARGS);
    controlhost::SetText(dialog, IDC_AUTOEXEC_FILE, L"bin\\Setup.EXE");
    seen.argsExe = Enabled(dialog, IDC_AUTOEXEC_ARGS);
    controlhost::Click(dialog, IDC_AUTOEXEC_NON_ELEVATE);
    testsupport::SaveScreenshot(
        dialog, controlhost::JapaneseInterface() ? L"autoexec-item-ja" : L"autoexec-item-en");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(1, result);
  EXPECT_TRUE(seen.okAtStart);
  EXPECT_TRUE(seen.argsAtStart);
  EXPECT_FALSE(seen.browseEnabled) << "no archive, nothing to browse";
  EXPECT_FALSE(seen.okEmpty);
  EXPECT_FALSE(seen.argsText);
  EXPECT_TRUE(seen.argsExe);
  EXPECT_STREQ(L"bin\\Setup.EXE", item.File);
  EXPECT_STREQ(L"/silent", item.Args);
  EXPECT_TRUE(item.NonElevate);
}

TEST_F(AutoExecItemDialogTest, CancelKeepsTheItemAndAnEmptyItemStartsDisabled) {
  AutoExecItem& item = EditedAutoExecItem();
  item = AutoExecItem();
  Seen seen;
  const INT_PTR result = RunModal([] { return RunAutoExecItemDialog(nullptr); }, [&](DWORD thread) {
    HWND dialog = controlhost::WaitDialogWith(thread, IDC_AUTOEXEC_FILE);
    if (!dialog) return;
    seen.shown = true;
    seen.okAtStart = Enabled(dialog, IDOK);
    seen.argsAtStart = Enabled(dialog, IDC_AUTOEXEC_ARGS);
    controlhost::SetText(dialog, IDC_AUTOEXEC_FILE, L"x.exe");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(0, result);
  EXPECT_FALSE(seen.okAtStart);
  EXPECT_FALSE(seen.argsAtStart);
  EXPECT_STREQ(L"", item.File);
}

TEST_F(AutoExecItemDialogTest, BrowsingTheArchivePutsThePickIntoTheCommand) {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "x");
  cabinet.Add(L"bin\\setup.exe", "MZ");
  const std::wstring archive = dir / L"app.cab";
  ASSERT_TRUE(cabinet.WriteTo(archive));
  wcscpy(g_SfxSettings.SrcArchiveFile, archive.c_str());
  EditedAutoExecItem() = AutoExecItem();
  std::vector<std::wstring> offered;
  bool filterChecked = true;
  const INT_PTR result = RunModal([] { return RunAutoExecItemDialog(nullptr); }, [&](DWORD thread) {
    HWND dialog = controlhost::WaitDialogWith(thread, IDC_AUTOEXEC_FILE);
    if (!dialog) return;
    PostMessageW(dialog, WM_COMMAND, IDC_AUTOEXEC_BROWSE, 0);
    HWND picker = controlhost::WaitDialogWith(thread, IDC_PICKER_LIST);
    if (!picker) return;
    HWND list = GetDlgItem(picker, IDC_PICKER_LIST);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[300] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      offered.push_back(text);
    }
    filterChecked = SendDlgItemMessageW(picker, IDC_PICKER_FILTER, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    controlhost::WaitForGone(picker);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(1, result);
  EXPECT_EQ((std::vector<std::wstring>{L"bin\\setup.exe", L"readme.txt"}), offered)
      << "files only, the filter off";
  EXPECT_FALSE(filterChecked);
  EXPECT_STREQ(L"bin\\setup.exe", EditedAutoExecItem().File);
}

}  // namespace
