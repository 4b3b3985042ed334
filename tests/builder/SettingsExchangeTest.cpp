// Settings to controls and back: the main window's template, and the
// settings pages' controls built as plain child windows with their ids.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "BuilderState.h"
#include "DefinitionKeys.h"
#include "SettingsExchange.h"
#include "SfxSettings.h"
#include "VesmarinResource.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring Text(HWND window, int id) {
  wchar_t buffer[2048] = {};
  GetDlgItemTextW(window, id, buffer, 2048);
  return buffer;
}

bool Visible(HWND window, int id) {
  return (GetWindowLongPtrW(GetDlgItem(window, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

class MainTemplate : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    ResetSfxSettings();
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                 PlainDialogProc, 0);
    ASSERT_NE(nullptr, window_);
    for (int id : {IDC_TITLE_LANGUAGE, IDC_GREETING_LANGUAGE, IDC_CREDIT_LANGUAGE}) {
      SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Japanese"));
      SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"English"));
      SendDlgItemMessageW(window_, id, CB_SETCURSEL, 0, 0);
    }
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    g_UiState.Reset();
  }
  void Fill() {
    CSfxSettings& s = g_SfxSettings;
    wcscpy(s.SrcArchiveFile, L"C:\\Work\\app.cab");
    wcscpy(s.DstExeFile, L"C:\\Work\\app.exe");
    wcscpy(s.DialogTitle, L"タイトル");
    wcscpy(s.DialogTitleE, L"Title");
    wcscpy(s.Greeting, L"ようこそ\r\n");
    wcscpy(s.GreetingE, L"Welcome\r\nto app");
    wcscpy(s.VesmarinFor, L"クレジット");
    wcscpy(s.VesmarinForE, L"Credit line");
  }
  HWND window_ = nullptr;
};

TEST_F(MainTemplate, EnglishInterfaceRoundTrip) {
  g_UiState.JapaneseUI = false;
  Fill();
  SettingsToControls(window_, IDD_MAIN);
  EXPECT_EQ(L"C:\\Work\\app.cab", Text(window_, IDC_ARCHIVE_EDIT));
  EXPECT_EQ(L"C:\\Work\\app.exe", Text(window_, IDC_OUTPUT_EDIT));
  EXPECT_EQ(L"タイトル", Text(window_, IDC_TITLE_EDIT));
  EXPECT_EQ(L"Title", Text(window_, IDC_TITLE_E_EDIT));
  EXPECT_EQ(L"ようこそ\r\n", Text(window_, IDC_GREETING_EDIT));
  EXPECT_EQ(L"Welcome\r\nto app", Text(window_, IDC_GREETING_E_EDIT));
  EXPECT_STREQ(L"ようこそ\r\n", g_UiState.GreetingBackup);
  EXPECT_STREQ(L"Welcome\r\nto app", g_UiState.GreetingEBackup);
  // The credit-line list stays hidden; its pair shows the edit without E.
  EXPECT_FALSE(Visible(window_, IDC_CREDIT_LANGUAGE));
  EXPECT_TRUE(Visible(window_, IDC_CREDIT_EDIT));
  EXPECT_FALSE(Visible(window_, IDC_CREDIT_E_EDIT));

  SetDlgItemTextW(window_, IDC_OUTPUT_EDIT, L"D:\\out\\setup.exe");
  SetDlgItemTextW(window_, IDC_GREETING_EDIT, L"changed but not read");
  SetDlgItemTextW(window_, IDC_GREETING_E_EDIT, L"Hello");
  SetDlgItemTextW(window_, IDC_CREDIT_EDIT, L"Made by us");
  ControlsToSettings(window_, IDD_MAIN);
  const CSfxSettings& s = g_SfxSettings;
  EXPECT_STREQ(L"D:\\out\\setup.exe", s.DstExeFile);
  EXPECT_STREQ(L"ようこそ\r\n", s.Greeting);  // not read with an English interface
  EXPECT_STREQ(L"Hello", s.GreetingE);
  EXPECT_STREQ(L"Made by us", s.VesmarinFor);
  EXPECT_STREQ(L"", s.VesmarinForE);          // emptied with an English interface
  EXPECT_STREQ(L"Title", s.DialogTitleE);
}

TEST_F(MainTemplate, JapaneseInterfaceReadsBothLanguages) {
  g_UiState.JapaneseUI = true;
  Fill();
  SendDlgItemMessageW(window_, IDC_TITLE_LANGUAGE, CB_SETCURSEL, 1, 0);
  SettingsToControls(window_, IDD_MAIN);
  EXPECT_TRUE(Visible(window_, IDC_CREDIT_LANGUAGE));
  // "English" chosen for the titles shows the E edit.
  EXPECT_TRUE(Visible(window_, IDC_TITLE_E_EDIT));
  EXPECT_FALSE(Visible(window_, IDC_TITLE_EDIT));
  EXPECT_TRUE(Visible(window_, IDC_GREETING_EDIT));
  EXPECT_FALSE(Visible(window_, IDC_GREETING_E_EDIT));

  SetDlgItemTextW(window_, IDC_GREETING_EDIT, L"こんにちは");
  SetDlgItemTextW(window_, IDC_CREDIT_E_EDIT, L"By us");
  ControlsToSettings(window_, IDD_MAIN);
  EXPECT_STREQ(L"こんにちは", g_SfxSettings.Greeting);
  EXPECT_STREQ(L"By us", g_SfxSettings.VesmarinForE);
  EXPECT_STREQ(L"クレジット", g_SfxSettings.VesmarinFor);
}

TEST_F(MainTemplate, TextsAreCutToTheirMembers) {
  // Without the window's edit limits a longer text still fits its member.
  SetDlgItemTextW(window_, IDC_TITLE_EDIT, std::wstring(100, L't').c_str());
  SetDlgItemTextW(window_, IDC_ARCHIVE_EDIT, (L"C:\\" + std::wstring(300, L'a')).c_str());
  SetDlgItemTextW(window_, IDC_GREETING_E_EDIT, std::wstring(1500, L'g').c_str());
  ControlsToSettings(window_, IDD_MAIN);
  EXPECT_EQ(65u, wcslen(g_SfxSettings.DialogTitle));
  EXPECT_EQ(259u, wcslen(g_SfxSettings.SrcArchiveFile));
  EXPECT_EQ(1023u, wcslen(g_SfxSettings.GreetingE));
}

TEST_F(MainTemplate, UnknownDialogIdsChangeNothing) {
  Fill();
  SetDlgItemTextW(window_, IDC_ARCHIVE_EDIT, L"kept");
  SettingsToControls(window_, 106);
  ControlsToSettings(window_, 106);
  EXPECT_EQ(L"kept", Text(window_, IDC_ARCHIVE_EDIT));
  EXPECT_STREQ(L"C:\\Work\\app.cab", g_SfxSettings.SrcArchiveFile);
}

// A page built from plain controls with the ids a settings page uses.
class Page {
 public:
  Page() {
    window_ = CreateWindowExW(0, L"Static", L"page", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~Page() { DestroyWindow(window_); }
  HWND window() const { return window_; }
  HWND Check(int id) { return Add(L"Button", id, BS_AUTOCHECKBOX); }
  HWND Edit(int id) { return Add(L"Edit", id, ES_AUTOHSCROLL); }
  HWND Button(int id) { return Add(L"Button", id, BS_PUSHBUTTON); }
  HWND List(int id, int items) {
    HWND list = Add(L"ComboBox", id, CBS_DROPDOWNLIST);
    for (int i = 0; i < items; ++i)
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(i).c_str()));
    return list;
  }
  HWND ListView(int id) { return Add(WC_LISTVIEWW, id, LVS_REPORT); }

 private:
  HWND Add(const wchar_t* cls, int id, DWORD style) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 20, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  }
  HWND window_;
};

bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

class PageExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    ResetSfxSettings();
  }
  void TearDown() override { g_UiState.Reset(); }
};

TEST_F(PageExchange, ExtractPageListsChecksAndTexts) {
  Page page;
  page.Check(1049);
  page.List(1069, 16);
  page.Edit(1002);
  page.Check(1149);
  page.List(1167, 3);
  g_SfxSettings.UseExtractFolder = 1;
  g_SfxSettings.BaseFolder = 6;
  wcscpy(g_SfxSettings.ExtractFolder, L"Tool");
  SettingsToControls(page.window(), IDD_PAGE_EXTRACT);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page.window(), 1049));
  EXPECT_EQ(6, SendDlgItemMessageW(page.window(), 1069, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(L"Tool", Text(page.window(), 1002));

  CheckDlgButton(page.window(), 1049, BST_UNCHECKED);
  CheckDlgButton(page.window(), 1149, BST_CHECKED);
  ControlsToSettings(page.window(), IDD_PAGE_EXTRACT);
  EXPECT_EQ(0, g_SfxSettings.UseExtractFolder);
  EXPECT_EQ(1, g_SfxSettings.UseSavePath);
  EXPECT_EQ(6, g_SfxSettings.BaseFolder);
  // Controls the page does not have leave their members alone.
  g_SfxSettings.AskOverwrite = 1;
  ControlsToSettings(page.window(), IDD_PAGE_EXTRACT);
  EXPECT_EQ(1, g_SfxSettings.AskOverwrite);
}

TEST_F(PageExchange, ListValueWithoutItemLeavesTheMemberAsItWas) {
  Page page;
  page.List(1069, 4);  // fewer items than base folders
  g_SfxSettings.BaseFolder = 9;
  SettingsToControls(page.window(), IDD_PAGE_EXTRACT);
  EXPECT_EQ(CB_ERR, SendDlgItemMessageW(page.window(), 1069, CB_GETCURSEL, 0, 0));
  ControlsToSettings(page.window(), IDD_PAGE_EXTRACT);
  EXPECT_EQ(9, g_SfxSettings.BaseFolder);
}

TEST_F(PageExchange, ExtractFolderIsNormalisedUnlessAbsolute) {
  Page page;
  page.List(1069, 16);
  page.Edit(1002);
  struct Case {
    int base;
    const wchar_t* typed;
    const wchar_t* kept;
  } cases[] = {
      {0, L"C:\\Program\\Tool", L"Program\\Tool"},
      {0, L"D:\\\\Data", L"Data"},
      {1, L"\\\\\\x", L"x"},
      {0, L"C:D:E", L"E"},
      {6, L"C:\\Program\\Tool", L"C:\\Program\\Tool"},
      {4, L"\\Data", L"\\Data"},
  };
  for (const Case& c : cases) {
    SendDlgItemMessageW(page.window(), 1069, CB_SETCURSEL, static_cast<WPARAM>(c.base), 0);
    SetDlgItemTextW(page.window(), 1002, c.typed);
    NormalizeExtractFolder(page.window());
    EXPECT_EQ(c.kept, Text(page.window(), 1002)) << c.typed;
  }
}

TEST_F(PageExchange, BackgroundInvertedCheckAndColour) {
  Page page;
  page.Check(1152);
  page.Button(1145);  // stands in for the colour picker's BM_* pair
  g_SfxSettings.ExtractScreenLogo = 1;
  SettingsToControls(page.window(), IDD_PAGE_BACKGROUND);
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page.window(), 1152));
  CheckDlgButton(page.window(), 1152, BST_CHECKED);
  ControlsToSettings(page.window(), IDD_PAGE_BACKGROUND);
  EXPECT_EQ(0, g_SfxSettings.ExtractScreenLogo);
  CheckDlgButton(page.window(), 1152, BST_UNCHECKED);
  ControlsToSettings(page.window(), IDD_PAGE_BACKGROUND);
  EXPECT_EQ(1, g_SfxSettings.ExtractScreenLogo);
}

TEST_F(PageExchange, ValidityCheckListAndStartupEnables) {
  Page page;
  page.List(1185, 3);
  page.Check(1165);
  page.Check(1164);
  g_SfxSettings.CheckTrust = 1;
  g_SfxSettings.NoCRCCheck = 0;
  g_SfxSettings.UseUnInstall = 1;
  g_SfxSettings.UseVesmarinUninstaller = 1;
  g_SfxSettings.OverWriteMethod = 2;
  SettingsToControls(page.window(), IDD_PAGE_STARTUP);
  EXPECT_EQ(2, SendDlgItemMessageW(page.window(), 1185, CB_GETCURSEL, 0, 0));
  EXPECT_FALSE(Enabled(page.window(), 1165));
  EXPECT_FALSE(Enabled(page.window(), 1164));

  const struct {
    int index;
    int noCrc;
    int trust;
  } rows[] = {{0, 1, 0}, {1, 0, 0}, {2, 1, 1}};
  for (const auto& row : rows) {
    SendDlgItemMessageW(page.window(), 1185, CB_SETCURSEL, static_cast<WPARAM>(row.index), 0);
    ControlsToSettings(page.window(), IDD_PAGE_STARTUP);
    EXPECT_EQ(row.noCrc, g_SfxSettings.NoCRCCheck) << row.index;
    EXPECT_EQ(row.trust, g_SfxSettings.CheckTrust) << row.index;
  }
  g_SfxSettings.CheckTrust = 0;
  g_SfxSettings.NoCRCCheck = 1;
  SettingsToControls(page.window(), IDD_PAGE_STARTUP);
  EXPECT_EQ(0, SendDlgItemMessageW(page.window(), 1185, CB_GETCURSEL, 0, 0));
}

TEST_F(PageExchange, ExtractExchangeEnablesTheStartupPagesAdminBox) {
  Page startup;
  startup.Check(1164);
  Page extract;
  extract.List(1167, 3);
  g_StartupPageWindow = startup.window();
  g_SfxSettings.OverWriteMethod = 2;
  SettingsToControls(extract.window(), IDD_PAGE_EXTRACT);
  EXPECT_FALSE(Enabled(startup.window(), 1164));
  g_SfxSettings.OverWriteMethod = 1;
  SettingsToControls(extract.window(), IDD_PAGE_EXTRACT);
  EXPECT_TRUE(Enabled(startup.window(), 1164));
  g_StartupPageWindow = nullptr;
}

TEST_F(PageExchange, AutoExecutionRules) {
  Page page;
  for (int id : {1047, 1237, 1010, 1256}) page.Check(id);
  for (int id : {1003, 1004}) page.Edit(id);
  for (int id : {1144, 1228, 1067, 1226, 1009, 1112, 1113, 1114}) page.Button(id);
  page.ListView(1111);

  CheckDlgButton(page.window(), 1047, BST_CHECKED);
  SetDlgItemTextW(page.window(), 1003, L"setup.bat");
  CheckDlgButton(page.window(), 1010, BST_CHECKED);
  EXPECT_FALSE(CheckAutoExecIsExe(page.window()));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page.window(), 1010));
  EXPECT_FALSE(Enabled(page.window(), 1004));
  EXPECT_FALSE(Enabled(page.window(), 1010));

  SetDlgItemTextW(page.window(), 1003, L"bin\\TOOL.EXE");
  UpdateAutoExecControls(page.window());
  EXPECT_TRUE(Enabled(page.window(), 1004));
  EXPECT_TRUE(Enabled(page.window(), 1010));
  EXPECT_FALSE(Enabled(page.window(), 1009));  // no archive to browse
  EXPECT_TRUE(Enabled(page.window(), 1112));
  EXPECT_FALSE(Enabled(page.window(), 1113));  // nothing selected

  // Delete after run keeps the list of further items out of use.
  CheckDlgButton(page.window(), 1010, BST_CHECKED);
  UpdateAutoExecControls(page.window());
  EXPECT_EQ(1, g_SfxSettings.AfterDeleteFiles);
  EXPECT_FALSE(Enabled(page.window(), 1112));

  CheckDlgButton(page.window(), 1047, BST_UNCHECKED);
  UpdateAutoExecControls(page.window());
  EXPECT_FALSE(Enabled(page.window(), 1003));
  EXPECT_FALSE(Enabled(page.window(), 1004));
}

TEST_F(PageExchange, ShortcutPageRules) {
  Page page;
  for (int id : {1043, 1161, 1162, 1163}) page.Check(id);
  for (int id : {1046, 1047}) page.Edit(id);
  for (int id : {1058, 1059, 1227, 1028, 1029, 1030, 1244}) page.Button(id);
  page.ListView(1027);
  CheckDlgButton(page.window(), 1043, BST_CHECKED);
  CheckDlgButton(page.window(), 1163, BST_CHECKED);
  UpdateShortcutControls(page.window());
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page.window(), 1162));
  EXPECT_FALSE(Enabled(page.window(), 1162));
  EXPECT_FALSE(Enabled(page.window(), 1029));
  EXPECT_TRUE(Enabled(page.window(), 1046));

  CheckDlgButton(page.window(), 1163, BST_UNCHECKED);
  UpdateShortcutControls(page.window());
  EXPECT_TRUE(Enabled(page.window(), 1162));

  // The group name is read back only with a Japanese interface.
  wcscpy(g_SfxSettings.StartMenuGroup, L"Kept");
  SetDlgItemTextW(page.window(), 1046, L"Typed");
  SetDlgItemTextW(page.window(), 1047, L"English group");
  ControlsToSettings(page.window(), IDD_PAGE_SHORTCUT);
  EXPECT_STREQ(L"Kept", g_SfxSettings.StartMenuGroup);
  EXPECT_STREQ(L"English group", g_SfxSettings.StartMenuGroupE);
  g_UiState.JapaneseUI = true;
  ControlsToSettings(page.window(), IDD_PAGE_SHORTCUT);
  EXPECT_STREQ(L"Typed", g_SfxSettings.StartMenuGroup);
}

TEST_F(PageExchange, DescriptionPageRules) {
  Page page;
  for (int id : {1048, 1018, 1019, 1049, 1229, 1291}) page.Check(id);
  for (int id : {1055, 1057, 1234, 1235}) page.Edit(id);
  for (int id : {2, 3, 1052, 1056, 1058, 1230, 1231, 1232}) page.Button(id);
  page.List(1233, 2);
  CheckDlgButton(page.window(), 1048, BST_CHECKED);
  UpdateDescriptionControls(page.window());
  EXPECT_TRUE(Enabled(page.window(), 1055));
  EXPECT_FALSE(Enabled(page.window(), 1056));  // no archive yet
  EXPECT_FALSE(Enabled(page.window(), 1234));
  wcscpy(g_SfxSettings.SrcArchiveFile, L"C:\\a.cab");
  CheckDlgButton(page.window(), 1229, BST_CHECKED);
  UpdateDescriptionControls(page.window());
  EXPECT_TRUE(Enabled(page.window(), 1056));
  EXPECT_TRUE(Enabled(page.window(), 1234));
  CheckDlgButton(page.window(), 1048, BST_UNCHECKED);
  UpdateDescriptionControls(page.window());
  EXPECT_FALSE(Enabled(page.window(), 1055));
  EXPECT_FALSE(Enabled(page.window(), 1234));
}

}  // namespace
