// Nemdrift.exe end to end in English: settings errors, the first run, the
// once-a-day rule, the version check's result in the dialog, the caller
// window and the integrated mode.
#include "UpdaterRunFixture.h"

#include "NewsFeed.h"
#include "VersionCheck.h"

namespace {

using namespace updatertest;

TEST_F(UpdaterRun, WithoutSettingsFileEveryModeEndsWithTheErrorBox) {
  for (const wchar_t* arguments : {L"/AutoCheck", L"/Option", L""}) {
    testsupport::DrivenResult result = testsupport::RunAnsweringBoxes(Line(arguments));
    ASSERT_TRUE(result.started);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, kExitAborted) << Narrow(arguments);
    ASSERT_EQ(result.boxes.size(), 1u) << Narrow(arguments);
    EXPECT_EQ(result.boxes[0].caption, L"Marqon Update");
    EXPECT_EQ(result.boxes[0].text, L"Could not read definition information. Update cancelled.");
  }
  EXPECT_EQ(ReadDword(regKey_, L"ShowHello", 7), 7u) << "nothing was written";
  // A settings file that lacks a required value fails the same way.
  ASSERT_TRUE(testsupport::WriteTextFile(dir_ / L"Nemdrift.xml",
                                         "<KelvadonUpdate><DownloadPath>x</DownloadPath></KelvadonUpdate>"));
  testsupport::DrivenResult result = testsupport::RunAnsweringBoxes(Line(L"/AutoCheck"));
  EXPECT_EQ(result.exitCode, kExitAborted);
  EXPECT_EQ(result.boxes.size(), 1u);
}

TEST_F(UpdaterRun, FirstRunGreetsOnceThenOptions) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  for (int run = 0; run < 2; ++run) {
    DrivenProcess process;
    ASSERT_TRUE(process.Start(Line(L"/Option")));
    HWND options = nullptr;
    testsupport::WaitUntil(
        [&] {
          process.AnswerBoxes(nullptr);
          const std::vector<HWND> found = process.DialogsWithControl(IDC_SHOW_NONE);
          if (!found.empty()) options = found[0];
          return options || !process.Running();
        },
        30000);
    ASSERT_NE(options, nullptr) << "run " << run;
    if (run == 0) {
      ASSERT_EQ(process.Boxes().size(), 1u);
      EXPECT_EQ(process.Boxes()[0].caption, L"Marqon Update");
      EXPECT_NE(process.Boxes()[0].text.find(L"\"Marqon Update\""), std::wstring::npos);
      EXPECT_EQ(ReadDword(regKey_, L"ShowHello", 0), 1u);
    } else {
      EXPECT_TRUE(process.Boxes().empty()) << "the greeting comes once";
    }
    PostMessageW(options, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
    EXPECT_EQ(process.ExitCode(), 0u);
  }
  EXPECT_EQ(ReadString(regKey_, L"LastExecDate"), L"<absent>") << "the options mode checks nothing";
  EXPECT_EQ(ListHits(), 0);
}

TEST_F(UpdaterRun, AutomaticChecksOncePerDayManualStartsAlways) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  NotFirstRun(1);
  // No update and no news: nothing to show.
  testsupport::DrivenResult first = testsupport::RunAnsweringBoxes(Line(L"/AutoCheck"));
  EXPECT_EQ(first.exitCode, 0u);
  EXPECT_TRUE(first.boxes.empty());
  EXPECT_EQ(ReadString(regKey_, L"LastExecDate"), Today());
  EXPECT_EQ(ListHits(), 1);
  // The same day again: ends before any request.
  testsupport::DrivenResult second = testsupport::RunAnsweringBoxes(Line(L"/AutoCheck"));
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_EQ(ListHits(), 1);
  // Another date stored: the check runs and the date is today's again.
  RegSetKeyValueW(HKEY_CURRENT_USER, regKey_.c_str(), L"LastExecDate", REG_SZ, L"2001/01/01", 22);
  EXPECT_EQ(testsupport::RunAnsweringBoxes(Line(L"/AutoCheck")).exitCode, 0u);
  EXPECT_EQ(ListHits(), 2);
  EXPECT_EQ(ReadString(regKey_, L"LastExecDate"), Today());
  // A manual start on the same day checks and shows the dialog.
  DrivenProcess manual;
  ASSERT_TRUE(manual.Start(Line(L"")));
  HWND dialog = WaitForMainDialog(manual);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ListRows(GetDlgItem(dialog, IDC_UPDATE_LIST)),
            std::vector<std::wstring>{L"No update is available."});
  EXPECT_EQ(ListHits(), 3);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(manual.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(manual.ExitCode(), 0u);
  // Automatic display switched off: ends with 1 before the date rule.
  WriteDword(regKey_, L"ShowOption", 0);
  EXPECT_EQ(testsupport::RunAnsweringBoxes(Line(L"/AutoCheck")).exitCode, 1u);
  EXPECT_EQ(ListHits(), 3);
}

TEST_F(UpdaterRun, FirstAutomaticRunShowsTheDialogEvenWhenSwitchedOff) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  WriteDword(regKey_, L"ShowOption", 0);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"/AutoCheck")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(process.Boxes().size(), 1u) << "the greeting";
  EXPECT_EQ(ReadDword(regKey_, L"ShowHello", 0), 1u);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(process.ExitCode(), 0u);
  EXPECT_EQ(testsupport::RunAnsweringBoxes(Line(L"/AutoCheck")).exitCode, 1u);
}

TEST_F(UpdaterRun, ANewerVersionIsListedWithItsTextAndDate) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 4, 0)));
  NotFirstRun(2);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"/AutoCheck")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr) << "an update shows the dialog with ShowOption 2";
  EXPECT_EQ(ListRows(GetDlgItem(dialog, IDC_UPDATE_LIST)),
            std::vector<std::wstring>{L"Vesmarin 6 Version5.4 (build 0) has been released (2026/12/08)"});
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(UpdaterRun, FailedChecksListTheFailureText) {
  const std::wstring base = updatertest::ServerBase();
  struct {
    const wchar_t* what;
    std::wstring url;
  } cases[] = {{L"outside the domain", L"http://localhost" + base.substr(16) + L"/doc/v.xml"},
               {L"redirect elsewhere", base + L"/redirect/0?to=http://elsewhere.invalid/v.xml"},
               {L"short body", base + L"/short/500"},
               {L"not XML", base + L"/status/404"},
               {L"stalled", base + L"/slow/500"}};
  NotFirstRun(1);
  for (const auto& c : cases) {
    WriteSettings("", "", c.url);
    DrivenProcess process;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(process.Start(Line(L"")));
    HWND dialog = WaitForMainDialog(process, 60000);
    ASSERT_NE(dialog, nullptr) << Narrow(c.what);
    EXPECT_LT(GetTickCount() - start, 40000u) << Narrow(c.what);
    EXPECT_EQ(ListRows(GetDlgItem(dialog, IDC_UPDATE_LIST)),
              std::vector<std::wstring>{L"The update check failed."})
        << Narrow(c.what);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
    EXPECT_EQ(process.ExitCode(), 0u);
  }
}

// Watches the gathering dialog of process until the main dialog comes:
// every question asked of the gathering dialog must be answered within a
// second. The main dialog, or null when it did not come in time.
HWND WatchGatheringUntilMainDialog(DrivenProcess& process, int* asked, int* unanswered) {
  *asked = *unanswered = 0;
  const DWORD start = GetTickCount();
  while (process.Running() && GetTickCount() - start < 120000) {
    std::vector<HWND> found = process.DialogsWithControl(IDC_UPDATE_LIST);
    if (!found.empty()) return found[0];
    for (HWND gathering : process.DialogsWithControl(IDC_GATHERING_TEXT)) {
      ++*asked;
      if (!AnswersWithinASecond(gathering)) ++*unanswered;
    }
    Sleep(200);
  }
  return nullptr;
}

TEST_F(UpdaterRun, ADrippingVersionListKeepsTheWindowAnsweringAndEndsByItsDeadline) {
  // One byte every two seconds: no read ever times out.
  WriteSettings("", "", updatertest::ServerBase() + L"/drip/1000");
  NotFirstRun(1);
  DrivenProcess process;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(process.Start(Line(L"")));
  int asked = 0;
  int unanswered = 0;
  HWND dialog = WatchGatheringUntilMainDialog(process, &asked, &unanswered);
  ASSERT_NE(dialog, nullptr);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, kDocumentDeadlineMs - 1000);
  EXPECT_LT(took, kDocumentDeadlineMs + 15000);
  EXPECT_GE(asked, 20);
  EXPECT_EQ(unanswered, 0) << "of " << asked << " questions";
  EXPECT_EQ(ListRows(GetDlgItem(dialog, IDC_UPDATE_LIST)),
            std::vector<std::wstring>{L"The update check failed."});
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST_F(UpdaterRun, IconsThatNeverArriveEndByTheirDeadlinesWhileTheWindowAnswers) {
  // Five categories whose icons drip: each icon has its own deadline and
  // all of them together one more, so the last ones are never asked for.
  const std::wstring base = updatertest::ServerBase();
  std::string items;
  for (int i = 1; i <= 5; ++i)
    items += "<item><title>News " + std::to_string(i) + "</title><link>http://127.0.0.1:1/</link>"
             "<category domain=\"" + Narrow(base) + "/drip/5000/" + Narrow(tag_) + "/\">c" +
             std::to_string(i) + "</category><pubDate>Tue, 0" + std::to_string(i) +
             " Dec 2026 09:00:00 +0900</pubDate><description>d</description></item>";
  const std::wstring feed = updatertest::PublishDocument(
      L"feed-" + tag_ + L".xml",
      "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>" + items + "</channel></rss>");
  listUrl_ = updatertest::PublishDocument(L"run-" + tag_ + L".xml",
                                          VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  ASSERT_TRUE(testsupport::WriteTextFile(
      dir_ / L"Nemdrift.xml",
      updatertest::SettingsXml(Narrow(regKey_),
                               "<VersionInfoURL>" + Narrow(listUrl_) +
                                   "</VersionInfoURL><Component><ID>VESMARIN6</ID><Name>Vesmarin "
                                   "6</Name><Module type=\"def\">product.ini</Module></Component>",
                               Narrow(feed))));
  NotFirstRun(1);
  DrivenProcess process;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(process.Start(Line(L"")));
  int asked = 0;
  int unanswered = 0;
  HWND dialog = WatchGatheringUntilMainDialog(process, &asked, &unanswered);
  ASSERT_NE(dialog, nullptr);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, kIconSetDeadlineMs - 1000);
  EXPECT_LT(took, kIconSetDeadlineMs + 15000);
  EXPECT_EQ(unanswered, 0) << "of " << asked << " questions";
  EXPECT_EQ(ListRows(GetDlgItem(dialog, IDC_NEWS_LIST)).size(), 5u) << "the news itself is there";
  const std::wstring icons = L"/drip/5000/" + tag_ + L"/c";
  EXPECT_EQ(updatertest::ServerHits(icons + L"1.png"), 1);
  EXPECT_EQ(updatertest::ServerHits(icons + L"3.png"), 1);
  EXPECT_EQ(updatertest::ServerHits(icons + L"4.png"), 0) << "the icons' time was up";
  EXPECT_EQ(updatertest::ServerHits(icons + L"5.png"), 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
}

TEST_F(UpdaterRun, CallerWindowOwnsTheDialogAndIsDisabledMeanwhile) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  NotFirstRun(1);
  HWND caller = MakeCallerWindow();
  ASSERT_NE(caller, nullptr);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"/hwnd:" + std::to_wstring(reinterpret_cast<INT_PTR>(caller)))));
  HWND dialog = nullptr;
  const DWORD start = GetTickCount();
  while (!dialog && process.Running() && GetTickCount() - start < 60000) {
    PumpFor(process, 50);
    std::vector<HWND> found = process.DialogsWithControl(IDC_UPDATE_LIST);
    if (!found.empty()) dialog = found[0];
  }
  ASSERT_NE(dialog, nullptr);
  // The caller is disabled just after the dialog shows.
  for (int i = 0; i < 100 && IsWindowEnabled(caller); ++i) PumpFor(process, 50);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), caller);
  EXPECT_FALSE(IsWindowEnabled(caller));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  PumpFor(process, 30000);
  EXPECT_FALSE(process.Running());
  EXPECT_TRUE(IsWindowEnabled(caller));
  DestroyWindow(caller);

  // A number that names no window is not used as the owner.
  DrivenProcess bogus;
  ASSERT_TRUE(bogus.Start(Line(L"/hwnd:0x7FFF0000")));
  dialog = WaitForMainDialog(bogus);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(bogus.WaitAnswering(nullptr, 30000));
}

TEST_F(UpdaterRun, IntegratedModeNotifiesTheHostOfAnUpdate) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 6, 0, 0)), "<IntegrateMode>1</IntegrateMode>");
  NotFirstRun(1);
  HWND host = MakeCallerWindow();
  DrivenProcess process;
  ASSERT_TRUE(process.Start(
      Line(L"/AutoCheck /NotifyWindow:" + std::to_wstring(reinterpret_cast<INT_PTR>(host)))));
  PumpFor(process, 60000);
  ASSERT_FALSE(process.Running());
  EXPECT_EQ(process.ExitCode(), 0u);
  EXPECT_TRUE(process.Boxes().empty());
  EXPECT_EQ(GetPropW(host, L"notified"), reinterpret_cast<HANDLE>(1));
  RemovePropW(host, L"notified");

  // No update: no message.
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)), "<IntegrateMode>1</IntegrateMode>");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, regKey_.c_str(), L"LastExecDate");
  DrivenProcess again;
  ASSERT_TRUE(again.Start(
      Line(L"/AutoCheck /NotifyWindow:" + std::to_wstring(reinterpret_cast<INT_PTR>(host)))));
  PumpFor(again, 60000);
  EXPECT_EQ(again.ExitCode(), 0u);
  EXPECT_EQ(GetPropW(host, L"notified"), nullptr);
  // Both automatic choices off: ends with 1.
  WriteDword(regKey_, L"AutoCheckUpdate", 0);
  WriteDword(regKey_, L"ShowOnNewInformation", 0);
  EXPECT_EQ(testsupport::RunAnsweringBoxes(Line(L"/AutoCheck")).exitCode, 1u);
  DestroyWindow(host);
}

}  // namespace
