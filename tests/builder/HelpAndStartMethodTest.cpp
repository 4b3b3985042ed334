// Help addresses per dialog and the start-method dialog.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "BuilderState.h"
#include "ContextHelp.h"
#include "ResultCodes.h"
#include "StartMethodDialog.h"
#include "TestSupport.h"
#include "VesmarinUiResource.h"

namespace {

std::wstring TableString(UINT id, LANGID language) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!block) return L"";
  const wchar_t* data = static_cast<const wchar_t*>(LockResource(LoadResource(module, block)));
  for (UINT i = 0; i < id % 16; ++i) data += 1 + *data;
  return std::wstring(data + 1, *data);
}

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

TEST(ContextHelp, DialogIdsMapToTheirPages) {
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_FRONT_PAGE), HelpStringForDialog(0));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_FRONT_PAGE), HelpStringForDialog(106));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_FRONT_PAGE), HelpStringForDialog(118));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_START_METHOD), HelpStringForDialog(IDD_START_METHOD));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_EXTENSION_PAGE), HelpStringForDialog(IDD_PAGE_EXTENSION));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_ICON_PAGE), HelpStringForDialog(IDD_PAGE_ICON));
}

TEST(ContextHelp, EveryAddressHasTheLanguagesPath) {
  for (UINT id = IDS_HELP_START_METHOD; id <= IDS_HELP_FRONT_PAGE; ++id) {
    const std::wstring english = TableString(id, kEnglish);
    const std::wstring japanese = TableString(id, kJapanese);
    ASSERT_EQ(0u, english.find(L"https://")) << id;
    const size_t at = english.find(L"/help/en/vesmarin6/");
    ASSERT_NE(std::wstring::npos, at) << id;
    std::wstring expected = english;
    expected.replace(at, 9, L"/help/ja/");
    EXPECT_EQ(expected, japanese) << id;
  }
  EXPECT_NE(std::wstring::npos, TableString(IDS_HELP_START_METHOD, kEnglish)
                                    .find(L"/help/en/vesmarin6/startup_dialog/"));
  EXPECT_NE(std::wstring::npos, TableString(IDS_HELP_EXTRA_COPY, kEnglish)
                                    .find(L"/windows_vesmarin/config/special/#copy"));
}

// Runs dialog 155 for an archive; the answer thread reads the dialog and
// presses a button.
struct StartMethodRun {
  bool loadIniEnabled = false;
  bool resetChecked = false;
  INT_PTR result = -2;
};

BOOL CALLBACK FindStartMethodDialog(HWND window, LPARAM out) {
  if (!GetDlgItem(window, IDC_START_RESET) || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

StartMethodRun RunStartMethod(const std::wstring& archive, int button, int radio) {
  StartMethodRun run;
  const DWORD thread = GetCurrentThreadId();
  std::thread answer([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 1000 && !dialog; ++i) {
      EnumThreadWindows(thread, FindStartMethodDialog, reinterpret_cast<LPARAM>(&dialog));
      if (!dialog) Sleep(10);
    }
    if (!dialog) return;
    run.loadIniEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_START_LOAD_INI)) != FALSE;
    run.resetChecked =
        SendDlgItemMessageW(dialog, IDC_START_RESET, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (radio) {
      SendDlgItemMessageW(dialog, IDC_START_RESET, BM_SETCHECK, BST_UNCHECKED, 0);
      SendDlgItemMessageW(dialog, radio, BM_SETCHECK, BST_CHECKED, 0);
    }
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
  });
  run.result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_START_METHOD),
                               nullptr, BuilderStartMethodProc,
                               reinterpret_cast<LPARAM>(archive.c_str()));
  answer.join();
  return run;
}

TEST(StartMethod, OffersTheDefinitionFileOnlyWhenItExists) {
  UiState.Reset();
  UiState.Instance = GetModuleHandleW(nullptr);
  testsupport::TempDir dir(L"start");
  const std::wstring archive = dir / L"app.cab";

  StartMethodRun alone = RunStartMethod(archive, IDOK, 0);
  EXPECT_FALSE(alone.loadIniEnabled);
  EXPECT_TRUE(alone.resetChecked);
  EXPECT_EQ(1, alone.result);

  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"app.ini", "[Vesmarin]\r\n"));
  StartMethodRun withIni = RunStartMethod(archive, IDOK, IDC_START_LOAD_INI);
  EXPECT_TRUE(withIni.loadIniEnabled);
  EXPECT_EQ(2, withIni.result);

  EXPECT_EQ(3, RunStartMethod(archive, IDOK, IDC_START_PREVIOUS).result);
  EXPECT_EQ(-1, RunStartMethod(archive, IDCANCEL, 0).result);
}

TEST(StartMethod, ArchiveWithoutANameEndsAtOnce) {
  UiState.Reset();
  UiState.Instance = GetModuleHandleW(nullptr);
  const std::wstring folderOnly = L"C:\\work\\";
  EXPECT_EQ(-1, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_START_METHOD),
                                nullptr, BuilderStartMethodProc,
                                reinterpret_cast<LPARAM>(folderOnly.c_str())));
}

}  // namespace
