// Nemdrift.exe's windows in one language, with a picture of each: this file
// is built twice, into a program run in English and one run in Japanese
// (Wine takes a program's interface language from its LANG, and the updater
// started from the test inherits it).
#include "UpdaterRunFixture.h"
#include "Screenshot.h"

namespace {

using namespace updatertest;

#if NEMDRIFT_TEST_JAPANESE
const wchar_t kSuffix[] = L"ja";
const wchar_t kClose[] = L"\u9589\u3058\u308b";
const wchar_t kUpdatesTab[] = L"\u66f4\u65b0\u60c5\u5831";
const wchar_t kNewsTab[] = L"Marqon \u304b\u3089\u306e\u304a\u77e5\u3089\u305b";
const wchar_t kUpdateButton[] = L"\u66f4\u65b0(&U)...";
const wchar_t kShowNew[] = L"\u65b0\u3057\u3044\u60c5\u5831\u304c\u3042\u308c\u3070\u8868\u793a\u3059\u308b\u3002";
const wchar_t kCheckUpdate[] = L"\u30d7\u30ed\u30b0\u30e9\u30e0\u306e\u66f4\u65b0\u3092\u78ba\u8a8d\u3059\u308b(&U)";
const wchar_t kDownloading[] = L"\u30c0\u30a6\u30f3\u30ed\u30fc\u30c9\u3057\u3066\u3044\u307e\u3059...";
const wchar_t kGathering[] = L"\u60c5\u5831\u3092\u53ce\u96c6\u3057\u3066\u3044\u307e\u3059...";
const wchar_t kSettingsError[] =
    L"\u5b9a\u7fa9\u60c5\u5831\u3092\u8aad\u307f\u8fbc\u3081\u307e\u305b\u3093\u3067\u3057\u305f "
    L"(2)\u3002\u30a2\u30c3\u30d7\u30c7\u30fc\u30c8\u3092\u4e2d\u6b62\u3057\u307e\u3059\u3002";
#else
const wchar_t kSuffix[] = L"en";
const wchar_t kClose[] = L"Close";
const wchar_t kUpdatesTab[] = L"Update Information";
const wchar_t kNewsTab[] = L"Information from Marqon";
const wchar_t kUpdateButton[] = L"&Update...";
const wchar_t kShowNew[] = L"Show new information if any.";
const wchar_t kCheckUpdate[] = L"Check program &update";
const wchar_t kDownloading[] = L"Downloading...";
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

TEST_F(UpdaterRun, MainAndOptionsWindowsInThisLanguage) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 4, 0)));
  NotFirstRun(1);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForDialogWith(process, IDC_UPDATE_LIST);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), L"Marqon Update");
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), kClose);
  EXPECT_EQ(TabText(GetDlgItem(dialog, IDC_TABS), 0), kUpdatesTab);
  EXPECT_EQ(TabText(GetDlgItem(dialog, IDC_TABS), 1), kNewsTab);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_UPDATE)), kUpdateButton);
  wchar_t hostClass[64] = {};
  GetClassNameW(GetDlgItem(dialog, IDC_BROWSER_HOST), hostClass, 64);
  EXPECT_STREQ(hostClass, L"AtlAxWin140");
  EXPECT_TRUE(testsupport::SaveWindowBitmap(dialog, PictureFolder() + L"nemdrift-main-" + kSuffix + L".bmp"));

  PostMessageW(dialog, WM_COMMAND, IDC_OPTIONS, 0);
  HWND options = WaitForDialogWith(process, IDC_SHOW_NONE);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(GetWindow(options, GW_OWNER), dialog);
  EXPECT_EQ(WindowText(GetDlgItem(options, IDC_SHOW_NEW_INFORMATION)), kShowNew);
  EXPECT_TRUE(testsupport::IsChecked(options, IDC_SHOW_NEW_INFORMATION));
  EXPECT_TRUE(testsupport::SaveWindowBitmap(options, PictureFolder() + L"nemdrift-options-" + kSuffix + L".bmp"));
  PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(testsupport::WaitForWindowGone(options, 5000));

  // The download dialog, kept up by a server that sends slowly.
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  std::string list = VersionListXml(ComponentXml("VESMARIN6", 5, 4, 0));
  const std::string setupUrl = "http://127.0.0.1/setup.exe";
  list.replace(list.find(setupUrl), setupUrl.size(), Narrow(ServerBase()) + "/trickle/20000");
  WriteSettings(list);
  DrivenProcess downloading;
  ASSERT_TRUE(downloading.Start(Line(L"")));
  dialog = WaitForDialogWith(downloading, IDC_UPDATE_LIST);
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDC_UPDATE, 0);
  HWND question = downloading.WaitForMessageBox(30000);
  ASSERT_NE(question, nullptr);
  testsupport::AnswerMessageBox(question, IDYES);
  HWND progress = WaitForDialogWith(downloading, IDC_DOWNLOAD_PROGRESS);
  ASSERT_NE(progress, nullptr);
  HWND bar = GetDlgItem(progress, IDC_DOWNLOAD_PROGRESS);
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0 &&
               testsupport::ControlText(progress, IDC_DOWNLOAD_TEXT) == kDownloading;
      },
      20000));
  wchar_t text[128] = {};
  GetWindowTextW(GetDlgItem(progress, IDC_DOWNLOAD_TEXT), text, 128);
  EXPECT_STREQ(text, kDownloading);
  EXPECT_GT(SendMessageW(GetDlgItem(progress, IDC_DOWNLOAD_PROGRESS), PBM_GETPOS, 0, 0), 0);
  EXPECT_TRUE(testsupport::SaveWindowBitmap(progress, PictureFolder() + L"nemdrift-download-" + kSuffix + L".bmp"));
  PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(testsupport::WaitForWindowGone(progress, 10000));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(downloading.WaitAnswering(nullptr, 30000));

  // The options of the integrated mode.
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 4, 0)), "<IntegrateMode>1</IntegrateMode>");
  DrivenProcess integrated;
  ASSERT_TRUE(integrated.Start(Line(L"/Option")));
  options = WaitForDialogWith(integrated, IDC_AUTO_CHECK_UPDATE);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(options, IDC_AUTO_CHECK_UPDATE)), kCheckUpdate);
  EXPECT_TRUE(
      testsupport::SaveWindowBitmap(options, PictureFolder() + L"nemdrift-options-integrated-" + kSuffix + L".bmp"));
  PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(integrated.WaitAnswering(nullptr, 30000));
}

TEST_F(UpdaterRun, GatheringDialogInThisLanguage) {
  // A stalled server keeps the dialog up long enough to be seen.
  WriteSettings("", "", updatertest::ServerBase() + L"/slow/500");
  NotFirstRun(1);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND gathering = WaitForDialogWith(process, IDC_GATHERING_TEXT);
  ASSERT_NE(gathering, nullptr);
  // The request runs on a thread of its own; the dialog answers meanwhile.
  EXPECT_TRUE(AnswersWithinASecond(gathering));
  wchar_t text[128] = {};
  GetWindowTextW(GetDlgItem(gathering, IDC_GATHERING_TEXT), text, 128);
  EXPECT_STREQ(text, kGathering);
  EXPECT_TRUE(
      testsupport::SaveWindowBitmap(gathering, PictureFolder() + L"nemdrift-gathering-" + kSuffix + L".bmp"));
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
