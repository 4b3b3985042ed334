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
const int kStartReset = 1121, kWaitText = 1004, kAboutVersion = 1184, kCreditsText = 1257;

bool WriteCabinet(const std::wstring& path) {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "Read me.\r\n");
  return cabinet.WriteTo(path);
}

struct Language {
  const wchar_t* locale;
  const wchar_t* tag;
  const wchar_t* createText;
};

class BuilderWindows : public ::testing::TestWithParam<Language> {};

TEST_P(BuilderWindows, EveryWindowShows) {
  const Language& language = GetParam();
  builderwindow::InterfaceLanguage locale(language.locale);
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
    if (run.Text(kCreate) != language.createText) {
      SetEvent(go);
      CloseHandle(go);
      run.Exit();
      GTEST_SKIP() << "Wine did not start the builder with this interface language";
    }
    EXPECT_EQ(japanese, run.Visible(kTitleLanguage));
    EXPECT_EQ(japanese, run.Visible(kCreditLanguage));
    EXPECT_TRUE(SaveScreenshot(main, L"main-" + tag));

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
      EXPECT_EQ(L"", run.Text(kGreetingE));
    }
    EXPECT_TRUE(SaveScreenshot(main, L"main-filled-" + tag));

    run.Command(kAbout);
    HWND about = run.WaitDialog(kAboutVersion);
    ASSERT_NE(nullptr, about);
    EXPECT_TRUE(SaveScreenshot(about, L"about-" + tag));
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
    ASSERT_TRUE(run.Start(L"app.cab"));
    HWND question = run.WaitDialog(kStartReset);
    ASSERT_NE(nullptr, question);
    EXPECT_TRUE(SaveScreenshot(question, L"start-method-" + tag));
    run.Command(question, IDCANCEL);
    ASSERT_TRUE(run.process().WaitAnswering(nullptr, 20000));
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, BuilderWindows,
                         ::testing::Values(Language{L"en_US.UTF-8", L"en", L"&Create"},
                                           Language{L"ja_JP.UTF-8", L"ja", L"作成(&C)"}),
                         [](const ::testing::TestParamInfo<Language>& info) {
                           return std::wstring(info.param.tag) == L"ja" ? "Japanese" : "English";
                         });

}  // namespace
