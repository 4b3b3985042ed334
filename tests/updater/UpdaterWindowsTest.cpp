// Nemdrift.exe's windows in one language, with a picture of each: this file
// is built twice, into a program run in English and one run in Japanese
// (Wine takes a program's interface language from its LANG, and the updater
// started from the test inherits it).
#include "UpdaterRunFixture.h"

namespace {

using namespace updatertest;

#if NEMDRIFT_TEST_JAPANESE
const wchar_t kSuffix[] = L"ja";
const wchar_t kClose[] = L"\u9589\u3058\u308b";
const wchar_t kUpdatesTab[] = L"\u66f4\u65b0\u60c5\u5831";
const wchar_t kGathering[] = L"\u60c5\u5831\u3092\u53ce\u96c6\u3057\u3066\u3044\u307e\u3059...";
const wchar_t kSettingsError[] =
    L"\u5b9a\u7fa9\u60c5\u5831\u3092\u8aad\u307f\u8fbc\u3081\u307e\u305b\u3093\u3067\u3057\u305f "
    L"(2)\u3002\u30a2\u30c3\u30d7\u30c7\u30fc\u30c8\u3092\u4e2d\u6b62\u3057\u307e\u3059\u3002";
#else
const wchar_t kSuffix[] = L"en";
const wchar_t kClose[] = L"Close";
const wchar_t kUpdatesTab[] = L"Update Information";
const wchar_t kGathering[] = L"Gathering information...";
const wchar_t kSettingsError[] = L"Could not read definition information. Update cancelled.";
#endif

std::wstring TabText(HWND tabs, int index) {
  DWORD processId = 0;
  GetWindowThreadProcessId(tabs, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
  if (!process) return L"";
  BYTE* remote = static_cast<BYTE*>(
      VirtualAllocEx(process, nullptr, sizeof(TCITEMW) + 512, MEM_COMMIT, PAGE_READWRITE));
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
  item.cchTextMax = 256;
  WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote));
  wchar_t text[256] = {};
  ReadProcessMemory(process, remote + sizeof(TCITEMW), text, 510, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return text;
}

TEST_F(UpdaterRun, PlaceholderWindowsInThisLanguage) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 4, 0)));
  NotFirstRun(1);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForDialogWith(process, IDC_UPDATE_LIST);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), L"Marqon Update");
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), kClose);
  EXPECT_EQ(TabText(GetDlgItem(dialog, IDC_TABS), 0), kUpdatesTab);
  // The browser pane's host window exists, hosting nothing yet.
  wchar_t hostClass[64] = {};
  GetClassNameW(GetDlgItem(dialog, IDC_BROWSER_HOST), hostClass, 64);
  EXPECT_STREQ(hostClass, L"AtlAxWin140");
  EXPECT_TRUE(SaveWindowPicture(dialog, PictureFolder() + L"nemdrift-main-" + kSuffix + L".bmp"));

  PostMessageW(dialog, WM_COMMAND, IDC_OPTIONS, 0);
  HWND options = WaitForDialogWith(process, IDC_OPTIONS_PENDING_TEXT);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(GetWindow(options, GW_OWNER), dialog);
  EXPECT_TRUE(SaveWindowPicture(options, PictureFolder() + L"nemdrift-options-" + kSuffix + L".bmp"));
  PostMessageW(options, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && IsWindow(options); ++i) Sleep(50);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(UpdaterRun, GatheringDialogInThisLanguage) {
  // A stalled server keeps the dialog up long enough to be seen.
  WriteSettings("", "", updatertest::ServerBase() + L"/slow/500");
  NotFirstRun(1);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND gathering = WaitForDialogWith(process, IDC_GATHERING_TEXT);
  ASSERT_NE(gathering, nullptr);
  // The updater's thread is busy with the request and answers no message:
  // read the text Windows keeps for the control.
  wchar_t text[128] = {};
  GetWindowTextW(GetDlgItem(gathering, IDC_GATHERING_TEXT), text, 128);
  EXPECT_STREQ(text, kGathering);
  EXPECT_TRUE(
      SaveWindowPicture(gathering, PictureFolder() + L"nemdrift-gathering-" + kSuffix + L".bmp"));
  HWND dialog = WaitForDialogWith(process, IDC_UPDATE_LIST);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindow(gathering)) << "the gathering dialog goes before the main dialog comes";
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
}

TEST_F(UpdaterRun, SettingsErrorInThisLanguage) {
  testsupport::DrivenResult result = testsupport::RunAnsweringBoxes(Line(L"/AutoCheck"));
  EXPECT_EQ(result.exitCode, kExitAborted);
  ASSERT_EQ(result.boxes.size(), 1u);
  EXPECT_EQ(result.boxes[0].caption, L"Marqon Update");
  EXPECT_EQ(result.boxes[0].text, kSettingsError);
}

}  // namespace
