// Every window of the builder in English and Japanese: screenshots under
// <bin>\screenshots, and what only the Japanese interface does.
#include <gtest/gtest.h>

#include <string>

#include "BuilderWindowFixture.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using builderwindow::BuilderRun;
using builderwindow::SaveScreenshot;
using builderwindow::WaitFor;

const int kCreate = 1, kCreateArchive = 9, kAbout = 1081;
const int kArchiveEdit = 1000, kOutputEdit = 1015, kTitleEdit = 1008, kTitleE = 1011;
const int kGreeting = 1009, kGreetingE = 1010, kTitleLanguage = 1246, kCreditLanguage = 1103;
const int kStartReset = 1121, kStartHelp = 9, kWaitText = 1004, kAboutVersion = 1184, kCreditsText = 1257;

bool WriteCabinet(const std::wstring& path) {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "Read me.\r\n");
  return cabinet.WriteTo(path);
}

// The interface language comes from the test's environment: CTest runs
// this test once as it is (English) and once with a Japanese locale.
struct Language {
  const wchar_t* tag;
  const wchar_t* createText;
};

Language InterfaceLanguage() {
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE) return {L"ja", L"作成(&C)"};
  return {L"en", L"&Create"};
}

TEST(BuilderWindows, EveryWindowShows) {
  const Language language = InterfaceLanguage();
  const std::wstring tag = language.tag;
  const bool japanese = tag == L"ja";
  {
    BuilderRun run;
    const std::wstring made = run.Path(L"made.cab");
    ASSERT_TRUE(WriteCabinet(made));
    ASSERT_TRUE(testsupport::WriteTextFile(run.Path(L"Sardok.path"), testsupport::Narrow(made)));
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, L"VesmarinTestCompressorGo");
    ASSERT_NE(nullptr, go);
    ASSERT_TRUE(run.Start());
    HWND main = run.WaitMainWindow();
    ASSERT_NE(nullptr, main);
    const std::wstring createText = run.Text(kCreate);
    if (createText != language.createText) {
      SetEvent(go);
      CloseHandle(go);
      run.Exit();
      FAIL() << "the builder did not start with the test's interface language (Create reads "
             << testsupport::Narrow(createText) << ")";
    }
    EXPECT_EQ(japanese, run.Visible(kTitleLanguage));
    EXPECT_EQ(japanese, run.Visible(kCreditLanguage));
    EXPECT_TRUE(SaveScreenshot(main, L"main-" + tag));

    const std::wstring greetingBefore = run.Text(kGreetingE);
    run.Command(kCreateArchive);
    HWND box = run.WaitDialog(kWaitText);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(SaveScreenshot(box, L"wait-" + tag));
    SetEvent(go);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    CloseHandle(go);
    EXPECT_EQ(made, run.Text(kArchiveEdit));
    EXPECT_EQ(run.Path(L"made.exe"), run.Text(kOutputEdit));
    EXPECT_EQ(L"made", run.Text(kTitleEdit));
    if (japanese) {
      // Both titles and both greetings follow the archive's name.
      EXPECT_EQ(L"made", run.Text(kTitleE));
      EXPECT_EQ(L"made をインストールします。\r\n", run.Text(kGreeting));
      EXPECT_EQ(L"This program installs made.\r\n", run.Text(kGreetingE));
    } else {
      // An English interface leaves the greeting as it was.
      EXPECT_EQ(greetingBefore, run.Text(kGreetingE));
    }
    EXPECT_TRUE(SaveScreenshot(main, L"main-filled-" + tag));

    run.Command(kAbout);
    HWND about = run.WaitDialog(kAboutVersion);
    ASSERT_NE(nullptr, about);
    EXPECT_TRUE(SaveScreenshot(about, L"about-" + tag));
    EXPECT_EQ(0u, run.Text(about, kAboutVersion).find(japanese ? L"バージョン " : L"Version "));
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(1087, STN_CLICKED), 0);
    HWND credits = run.WaitDialog(kCreditsText);
    ASSERT_NE(nullptr, credits);
    EXPECT_TRUE(SaveScreenshot(credits, L"credits-" + tag));
    run.Command(credits, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(credits); }));
    run.Command(about, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
    EXPECT_EQ(0u, run.Exit());
  }
  {
    BuilderRun run;
    ASSERT_TRUE(WriteCabinet(run.Path(L"app.cab")));
    ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"builder_recorder_double.exe").c_str(),
                          run.Path(L"browser.exe").c_str(), FALSE));
    builderwindow::WebHandler handler(L"\"" + run.Path(L"browser.exe") + L"\" \"%1\"");
    ASSERT_TRUE(run.Start(L"app.cab"));
    HWND question = run.WaitDialog(kStartReset);
    ASSERT_NE(nullptr, question);
    EXPECT_TRUE(SaveScreenshot(question, L"start-method-" + tag));
    // Its help page is in the interface's language.
    run.Command(question, kStartHelp);
    ASSERT_TRUE(WaitFor([&] { return !builderwindow::ReadLog(run.Path(L"browser.exe.log")).empty(); }));
    EXPECT_NE(std::wstring::npos, builderwindow::ReadLog(run.Path(L"browser.exe.log"))[0].find(
                                      L"/help/" + tag + L"/vesmarin6/startup_dialog/\""));
    run.Command(question, IDCANCEL);
    ASSERT_TRUE(run.process().WaitAnswering(nullptr, 60000));
  }
}

}  // namespace
