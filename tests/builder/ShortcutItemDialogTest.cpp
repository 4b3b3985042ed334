// The shortcut item dialog: the OK and argument rules, path characters
// removed while typing, the checks made at OK, the language lists, and
// every field of the item kept through the dialog in both languages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "BuilderState.h"
#include "ControlHost.h"
#include "Screenshot.h"
#include "ResString.h"
#include "ItemPicker.h"
#include "ShortcutItemDialog.h"
#include "TestCabinet.h"
#include "TestSupport.h"
#include "VesmarinResource.h"

namespace {

using controlhost::RunModal;

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

std::wstring String(UINT id) {
  wchar_t text[512];
  return LoadResText(GetModuleHandleW(nullptr), id, text, 512);
}

StartMenuItem FullItem() {
  StartMenuItem item = {};
  wcscpy(item.Title, L"Tool");
  wcscpy(item.TitleE, L"Tool E");
  wcscpy(item.File, L"bin\\tool.exe");
  wcscpy(item.FileE, L"bin\\tool_e.exe");
  wcscpy(item.Args, L"/a");
  wcscpy(item.ArgsE, L"/e");
  wcscpy(item.Comment, L"comment");
  wcscpy(item.CommentE, L"comment E");
  wcscpy(item.Icon, L"bin\\tool.exe,1");
  wcscpy(item.IconE, L"bin\\tool_e.exe,2");
  item.CreateOnDesktop = true;
  item.CreateOnQuickLaunch = true;
  item.NoCreateInGroup = true;
  return item;
}

class ShortcutItemDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    g_UiState.JapaneseUI = controlhost::JapaneseInterface();
    g_SfxSettings.Clear();
  }
  INT_PTR Run(const std::function<void(DWORD, HWND)>& act) {
    return RunModal([] { return RunShortcutItemDialog(nullptr); }, [&](DWORD thread) {
      HWND dialog = controlhost::WaitDialogWith(thread, IDC_SHORTCUT_TITLE);
      if (!dialog) return;
      shown = true;
      act(thread, dialog);
    });
  }
  bool shown = false;
};

TEST_F(ShortcutItemDialogTest, EveryFieldSurvivesTheDialog) {
  EditedShortcutItem() = FullItem();
  bool listsVisible = false;
  const INT_PTR result = Run([&](DWORD, HWND dialog) {
    listsVisible = Visible(dialog, IDC_SHORTCUT_TITLE_LANGUAGE);
    testsupport::SaveScreenshot(
        dialog, controlhost::JapaneseInterface() ? L"shortcut-item-ja" : L"shortcut-item-en");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(1, result);
  EXPECT_EQ(g_UiState.JapaneseUI, listsVisible);
  const StartMenuItem expected = FullItem();
  EXPECT_EQ(0, memcmp(&expected, &EditedShortcutItem(), sizeof expected))
      << "all ten texts and five flags, English texts included";
}

TEST_F(ShortcutItemDialogTest, OkNeedsANameAFileAndALocation) {
  StartMenuItem item = {};
  EditedShortcutItem() = item;
  bool okEmpty = true, okNoLocation = true, okAll = false, okNoFile = true;
  bool argsTool = false, argsText = true;
  bool updateResult = true;
  const INT_PTR result = Run([&](DWORD, HWND dialog) {
    okEmpty = Enabled(dialog, IDOK);  // "in group" is checked, but no texts
    controlhost::SetText(dialog, IDC_SHORTCUT_TITLE, L"Tool");
    controlhost::SetText(dialog, IDC_SHORTCUT_FILE, L"tool.exe");
    argsTool = Enabled(dialog, IDC_SHORTCUT_ARGS) && Enabled(dialog, IDC_SHORTCUT_ARGS_E);
    controlhost::Click(dialog, IDC_SHORTCUT_IN_GROUP);  // no location left
    okNoLocation = Enabled(dialog, IDOK);
    updateResult = UpdateShortcutOkButton(dialog);
    controlhost::Click(dialog, IDC_SHORTCUT_STARTUP);
    okAll = Enabled(dialog, IDOK);
    controlhost::SetText(dialog, IDC_SHORTCUT_FILE, L"readme.txt");
    argsText = Enabled(dialog, IDC_SHORTCUT_ARGS) || Enabled(dialog, IDC_SHORTCUT_ARGS_E);
    controlhost::SetText(dialog, IDC_SHORTCUT_FILE, L"");
    okNoFile = Enabled(dialog, IDOK);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(0, result);
  EXPECT_FALSE(okEmpty);
  EXPECT_TRUE(argsTool);
  EXPECT_FALSE(okNoLocation);
  EXPECT_FALSE(updateResult);
  EXPECT_TRUE(okAll);
  EXPECT_FALSE(argsText);
  EXPECT_FALSE(okNoFile);
}

TEST_F(ShortcutItemDialogTest, PathCharactersAreTakenOutWithAWarning) {
  EditedShortcutItem() = FullItem();
  std::wstring nameBox, iconBox, argsBox = L"none";
  std::wstring name, icon, args;
  Run([&](DWORD thread, HWND dialog) {
    nameBox = controlhost::SetTextAnsweringBox(thread, dialog, IDC_SHORTCUT_TITLE, L"To:ol");
    name = controlhost::ItemText(dialog, IDC_SHORTCUT_TITLE);
    iconBox = controlhost::SetTextAnsweringBox(thread, dialog, IDC_SHORTCUT_ICON, L"a|b.ico,0");
    icon = controlhost::ItemText(dialog, IDC_SHORTCUT_ICON);
    // Arguments may hold anything.
    controlhost::SetText(dialog, IDC_SHORTCUT_ARGS, L"/x:\"y\"");
    args = controlhost::ItemText(dialog, IDC_SHORTCUT_ARGS);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(L"Tool", name);
  EXPECT_EQ(String(IDS_SHORTCUT_ILLEGAL_CHAR), nameBox);
  EXPECT_EQ(L"ab.ico,0", icon);
  EXPECT_EQ(String(IDS_INVALID_PATH_CHARS), iconBox);
  EXPECT_EQ(L"/x:\"y\"", args);
}

// Names that come in from a definition file are checked at OK.
TEST_F(ShortcutItemDialogTest, BadStoredNamesKeepTheDialogOpen) {
  struct Case {
    const wchar_t* title;
    const wchar_t* titleE;
    UINT message;
    const wchar_t* file;   // null: the full item's
    const wchar_t* fileE;
  };
  const Case cases[] = {
      {L"a*b", L"ok", IDS_SHORTCUT_TITLE_ILLEGAL, nullptr, nullptr},
      {L"..\\up", L"ok", IDS_SHORTCUT_TITLE_MALFORMED, nullptr, nullptr},
      {L"ok", L"a?b", IDS_SHORTCUT_TITLE_E_ILLEGAL, nullptr, nullptr},
      {L"ok", L"x\\..\\y", IDS_SHORTCUT_TITLE_E_MALFORMED, nullptr, nullptr},
      // A share, and more backslashes than any folder below the installation.
      {L"ok", L"ok", IDS_SHORTCUT_FILE_MALFORMED, L"\\\\server\\share\\", nullptr},
      {L"ok", L"ok", IDS_SHORTCUT_FILE_E_MALFORMED, nullptr, L"\\\\\\Tools\\"},
  };
  for (const Case& c : cases) {
    StartMenuItem item = FullItem();
    wcscpy(item.Title, c.title);
    wcscpy(item.TitleE, c.titleE);
    if (c.file) wcscpy(item.File, c.file);
    if (c.fileE) wcscpy(item.FileE, c.fileE);
    EditedShortcutItem() = item;
    shown = false;
    std::wstring box;
    bool stillOpen = false;
    const INT_PTR result = Run([&](DWORD thread, HWND dialog) {
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      HWND shownBox = controlhost::WaitMessageBox(thread, 5000);
      if (shownBox) box = controlhost::AnswerMessageBox(shownBox);
      controlhost::WaitForGone(shownBox, 5000);
      stillOpen = IsWindow(dialog) != FALSE;
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(0, result) << testing::PrintToString(std::wstring(c.title));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(String(c.message), box);
  }
}

// The installer joins the file to its extraction folder: a folder with
// leading backslashes is kept without them, a single backslash stays the
// extraction folder itself.
TEST_F(ShortcutItemDialogTest, FilesAreKeptWithoutLeadingBackslashes) {
  const struct {
    const wchar_t* file;
    const wchar_t* fileE;
    const wchar_t* kept;
    const wchar_t* keptE;
  } cases[] = {{L"\\\\Tools\\", L"\\Tools\\", L"Tools\\", L"Tools\\"},
               {L"\\", L"\\bin\\tool.exe", L"\\", L"bin\\tool.exe"}};
  for (const auto& c : cases) {
    StartMenuItem item = FullItem();
    wcscpy(item.File, c.file);
    wcscpy(item.FileE, c.fileE);
    EditedShortcutItem() = item;
    shown = false;
    const INT_PTR result = Run([&](DWORD, HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    ASSERT_TRUE(shown);
    EXPECT_EQ(1, result);
    EXPECT_STREQ(c.kept, EditedShortcutItem().File);
    EXPECT_STREQ(c.keptE, EditedShortcutItem().FileE);
  }
}

TEST_F(ShortcutItemDialogTest, LanguageListsSwitchTheEdits) {
  EditedShortcutItem() = FullItem();
  bool englishShown = false, primaryHidden = false, backShown = false;
  Run([&](DWORD, HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SHORTCUT_FILE_LANGUAGE);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SHORTCUT_FILE_LANGUAGE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    englishShown = Visible(dialog, IDC_SHORTCUT_FILE_E);
    primaryHidden = !Visible(dialog, IDC_SHORTCUT_FILE);
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SHORTCUT_FILE_LANGUAGE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    backShown = Visible(dialog, IDC_SHORTCUT_FILE) && !Visible(dialog, IDC_SHORTCUT_FILE_E);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_TRUE(shown);
  EXPECT_TRUE(englishShown);
  EXPECT_TRUE(primaryHidden);
  EXPECT_TRUE(backShown);
}

// Picks the entry of the picker that reads `entry`.
bool PickEntry(DWORD thread, const std::wstring& entry) {
  HWND picker = controlhost::WaitDialogWith(thread, IDC_PICKER_LIST);
  if (!picker) return false;
  HWND list = GetDlgItem(picker, IDC_PICKER_LIST);
  const LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(entry.c_str()));
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(picker, WM_COMMAND, IDOK, 0);
  return index >= 0 && controlhost::WaitForGone(picker);
}

TEST_F(ShortcutItemDialogTest, BrowsingTheArchiveFillsFileNameAndIcon) {
  testsupport::TempDir dir(L"shortcut");
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::vector<uint8_t> program;
  ASSERT_TRUE(testsupport::ReadFileBytes(self, program));
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"bin\\My Tool.exe", std::string(program.begin(), program.end()));
  cabinet.Add(L"top.exe", "MZ");
  const std::wstring archive = dir / L"app.cab";
  ASSERT_TRUE(cabinet.WriteTo(archive));
  wcscpy(g_SfxSettings.SrcArchiveFile, archive.c_str());
  EditedShortcutItem() = StartMenuItem();
  bool picked = false, pickedTop = false, iconPicked = false;
  std::wstring nameAfterFolder, nameAfterTop, fileAfterTop;
  const INT_PTR result = Run([&](DWORD thread, HWND dialog) {
    // An item at the top of the archive leaves an empty name empty.
    PostMessageW(dialog, WM_COMMAND, IDC_SHORTCUT_FILE_BROWSE, 0);
    pickedTop = PickEntry(thread, L"top.exe");
    nameAfterTop = controlhost::ItemText(dialog, IDC_SHORTCUT_TITLE);
    fileAfterTop = controlhost::ItemText(dialog, IDC_SHORTCUT_FILE);
    PostMessageW(dialog, WM_COMMAND, IDC_SHORTCUT_FILE_BROWSE, 0);
    picked = PickEntry(thread, L"bin\\My Tool.exe");
    nameAfterFolder = controlhost::ItemText(dialog, IDC_SHORTCUT_TITLE);
    PostMessageW(dialog, WM_COMMAND, IDC_SHORTCUT_ICON_BROWSE, 0);
    if (PickEntry(thread, L"bin\\My Tool.exe")) {
      HWND chooser = controlhost::WaitDialogWith(thread, IDC_ICON_LIST);
      if (chooser) {
        SendDlgItemMessageW(chooser, IDC_ICON_LIST, LB_SETCURSEL, 0, 0);
        PostMessageW(chooser, WM_COMMAND, IDOK, 0);
        iconPicked = controlhost::WaitForGone(chooser);
      }
    }
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(1, result);
  EXPECT_TRUE(pickedTop);
  EXPECT_EQ(L"", nameAfterTop);
  EXPECT_EQ(L"top.exe", fileAfterTop);
  EXPECT_TRUE(picked);
  EXPECT_EQ(L"My Tool", nameAfterFolder) << "the file's name without its extension";
  EXPECT_TRUE(iconPicked);
  EXPECT_STREQ(L"My Tool", EditedShortcutItem().Title);
  EXPECT_STREQ(L"bin\\My Tool.exe", EditedShortcutItem().File);
  EXPECT_STREQ(L"bin\\My Tool.exe,0", EditedShortcutItem().Icon);
  EXPECT_STREQ(L"", EditedShortcutItem().IconE);
}

}  // namespace
