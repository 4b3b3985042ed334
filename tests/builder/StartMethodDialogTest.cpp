// The start-method dialog.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "BuilderState.h"
#include "ResultCodes.h"
#include "StartMethodDialog.h"
#include "TestSupport.h"
#include "VesmarinResource.h"

namespace {

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
  g_UiState.Reset();
  g_UiState.Instance = GetModuleHandleW(nullptr);
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
  g_UiState.Reset();
  g_UiState.Instance = GetModuleHandleW(nullptr);
  const std::wstring folderOnly = L"C:\\work\\";
  EXPECT_EQ(-1, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_START_METHOD),
                                nullptr, BuilderStartMethodProc,
                                reinterpret_cast<LPARAM>(folderOnly.c_str())));
}

}  // namespace
