// The icon chooser on files taken from a test cabinet: a program with an
// icon, a file without icons, a missing item, no item at all; OK without a
// selection; the temporary copy removed in every case.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "BuilderState.h"
#include "ControlHost.h"
#include "Screenshot.h"
#include "IconChooser.h"
#include "ResString.h"
#include "TestCabinet.h"
#include "TestSupport.h"
#include "VesmarinResource.h"

namespace {

using controlhost::RunModal;

int TemporaryCopies(const std::wstring& folder) {
  const std::wstring pattern = folder + L"qxi*.tmp";
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileW(find, &found));
  FindClose(find);
  return count;
}

std::wstring String(UINT id) {
  wchar_t text[512];
  return LoadResText(GetModuleHandleW(nullptr), id, text, 512);
}

class IconChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    g_SfxSettings.Clear();
    // This test program carries the builder's icon.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<uint8_t> program;
    ASSERT_TRUE(testsupport::ReadFileBytes(self, program));
    testsupport::TestCabinet cabinet;
    cabinet.Add(L"bin\\tool.exe", std::string(program.begin(), program.end()));
    cabinet.Add(L"readme.txt", "no icons here");
    const std::wstring archive = dir / L"icons.cab";
    ASSERT_TRUE(cabinet.WriteTo(archive));
    wcscpy(g_SfxSettings.SrcArchiveFile, archive.c_str());
    // A temporary folder of this test alone, so that other tests' files
    // do not count.
    GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temporary.path().c_str());
  }
  void TearDown() override {
    EXPECT_EQ(0, TemporaryCopies(temporary.path())) << "the temporary copy is deleted";
    SetEnvironmentVariableW(L"TMP", savedTmp[0] ? savedTmp : nullptr);
  }

  // Runs the chooser; returns the error box's text in box, or reads the
  // list and answers with the given selection (-1: none, then Cancel).
  INT_PTR Run(const wchar_t* item, int select, std::wstring* box, int* icons = nullptr,
              bool* stayedWithoutSelection = nullptr) {
    return RunModal([item] { return RunIconChooser(nullptr, item); }, [&](DWORD thread) {
      HWND dialog = controlhost::WaitDialogWith(thread, IDC_ICON_LIST, 3000);
      if (!dialog) {
        HWND shown = controlhost::WaitMessageBox(thread, 5000);
        if (shown && box) *box = controlhost::AnswerMessageBox(shown);
        return;
      }
      HWND list = GetDlgItem(dialog, IDC_ICON_LIST);
      if (icons) *icons = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
      if (stayedWithoutSelection) {
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        *stayedWithoutSelection = IsWindow(dialog) && IsWindowVisible(dialog);
      }
      testsupport::SaveScreenshot(
          dialog, controlhost::JapaneseInterface() ? L"select-icon-ja" : L"select-icon-en");
      if (select >= 0) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      } else {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
  }
  testsupport::TempDir dir{L"icons"};
  testsupport::TempDir temporary{L"iconstmp"};
  wchar_t savedTmp[MAX_PATH] = {};
};

TEST_F(IconChooserTest, ProgramIconsAreOffered) {
  int icons = 0;
  bool stayed = false;
  EXPECT_EQ(0, Run(L"bin\\tool.exe", 0, nullptr, &icons, &stayed));
  EXPECT_GE(icons, 1);
  EXPECT_TRUE(stayed) << "OK without a selection keeps the dialog";
  EXPECT_EQ(-1, Run(L"bin\\tool.exe", -1, nullptr));
}

TEST_F(IconChooserTest, FileWithoutIconsIsRefused) {
  std::wstring box;
  EXPECT_EQ(-1, Run(L"readme.txt", 0, &box));
  EXPECT_EQ(String(IDS_ICON_NOT_FOUND), box);
}

TEST_F(IconChooserTest, MissingItemOrNoItemIsRefused) {
  std::wstring box;
  EXPECT_EQ(-1, Run(L"bin\\missing.exe", 0, &box));
  EXPECT_EQ(String(IDS_ICON_EXTRACT_FAILED), box);
  box.clear();
  EXPECT_EQ(-1, Run(nullptr, 0, &box));
  EXPECT_EQ(String(IDS_ICON_UNKNOWN_ERROR), box);
}

TEST(IconFileIcons, AFileWithoutIconsHasNone) {
  testsupport::TempDir dir(L"icontext");
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"plain.txt", "text"));
  HICON icons[8] = {};
  EXPECT_EQ(0, ExtractFileIcons((dir / L"plain.txt").c_str(), icons, 8));
  EXPECT_EQ(0, ExtractFileIcons((dir / L"missing.exe").c_str(), icons, 8));
}

}  // namespace
