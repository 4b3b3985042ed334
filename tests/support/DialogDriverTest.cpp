// The dialog driver against tests/tools/dialogprobe: a wizard, a property
// sheet and a dialog that opens a message box and a modal dialog. The probe
// records what it saw, so each step the driver takes is checked on the
// driven side too.
#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "DialogProbeResource.h"
#include "TestSupport.h"

namespace {

using testsupport::DrivenProcess;
using testsupport::PropertySheetDriver;
using testsupport::WizardDriver;

const DWORD kWaitMs = 20000;

class DialogDriverTest : public ::testing::Test {
 protected:
  bool Start(const std::wstring& mode) {
    return process_.Start(L"\"" + testsupport::BinPath(L"dialogprobe.exe") + L"\" " + mode +
                          L" \"" + record_ + L"\"");
  }
  // The probe's record so far.
  std::wstring Record() const {
    std::vector<uint8_t> bytes;
    testsupport::ReadFileBytes(record_, bytes);
    return testsupport::Widen(std::string(bytes.begin(), bytes.end()));
  }
  bool Recorded(const std::wstring& line) const {
    return Record().find(line + L"\r\n") != std::wstring::npos;
  }
  // Waits until the probe has recorded the line.
  bool WaitRecorded(const std::wstring& line) const {
    return testsupport::WaitUntil([&] { return Recorded(line); }, kWaitMs);
  }
  bool WaitEnded() {
    return testsupport::WaitUntil([&] { return !process_.Running(); }, kWaitMs);
  }

  testsupport::TempDir dir_{L"dd"};
  const std::wstring record_ = dir_ / L"record.txt";
  DrivenProcess process_;
};

TEST_F(DialogDriverTest, WizardStepsThroughItsPagesAndFinishes) {
  ASSERT_TRUE(Start(L"wizard"));
  WizardDriver wizard;
  ASSERT_TRUE(wizard.Find(process_, kWaitMs));
  ASSERT_TRUE(wizard.WaitForPage(IDC_WIZ_NAME, kWaitMs));
  EXPECT_EQ(wizard.CurrentIndex(), 0);
  EXPECT_FALSE(wizard.OnPage(IDC_WIZ_AGREE));
  EXPECT_TRUE(wizard.ButtonEnabled(WizardDriver::kNext));
  EXPECT_FALSE(wizard.ButtonEnabled(WizardDriver::kBack));

  // An edit of another process: set, then read back with WM_GETTEXT.
  HWND page = wizard.CurrentPage();
  ASSERT_TRUE(testsupport::SetControlText(page, IDC_WIZ_NAME, L"Ada \u30a8\u30a4\u30c0"));
  EXPECT_EQ(testsupport::ControlText(page, IDC_WIZ_NAME), L"Ada \u30a8\u30a4\u30c0");

  wizard.Next();
  ASSERT_TRUE(wizard.WaitForPage(IDC_WIZ_AGREE, kWaitMs));
  EXPECT_EQ(wizard.CurrentIndex(), 1);
  EXPECT_TRUE(wizard.WaitForButton(WizardDriver::kBack, kWaitMs));

  // The page refuses Next with a message box; the posted press leaves the
  // driver free to answer it.
  wizard.Next();
  HWND box = process_.WaitForMessageBox(kWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(testsupport::IsMessageBox(box));
  const testsupport::SeenBox seen = testsupport::ReadMessageBox(box);
  EXPECT_EQ(seen.caption, L"Probe wizard");
  EXPECT_EQ(seen.text, L"Tick the box first.");
  testsupport::AnswerMessageBox(box, IDOK);
  ASSERT_TRUE(testsupport::WaitForWindowGone(box, kWaitMs));
  ASSERT_TRUE(WaitRecorded(L"wizard refused"));
  EXPECT_TRUE(wizard.OnPage(IDC_WIZ_AGREE));

  // Back and forth, then the box ticked and on to the last page.
  wizard.Back();
  ASSERT_TRUE(wizard.WaitForPage(IDC_WIZ_NAME, kWaitMs));
  wizard.Next();
  ASSERT_TRUE(wizard.WaitForPage(IDC_WIZ_AGREE, kWaitMs));
  ASSERT_TRUE(testsupport::PressButton(wizard.CurrentPage(), IDC_WIZ_AGREE));
  ASSERT_TRUE(testsupport::WaitUntil(
      [&] { return testsupport::IsChecked(wizard.CurrentPage(), IDC_WIZ_AGREE); }, kWaitMs));
  wizard.Next();
  ASSERT_TRUE(wizard.WaitForPage(IDC_WIZ_DONE, kWaitMs));
  // The page shows before its buttons are set: wait for Finish.
  EXPECT_TRUE(wizard.WaitForButton(WizardDriver::kFinish, kWaitMs));
  EXPECT_EQ(testsupport::ControlText(wizard.CurrentPage(), IDC_WIZ_DONE),
            L"Press Finish to close.");

  wizard.Finish();
  ASSERT_TRUE(WaitEnded());
  EXPECT_TRUE(Recorded(L"wizard finish name=Ada \u30a8\u30a4\u30c0"));
  EXPECT_TRUE(Recorded(L"wizard result 1"));
  EXPECT_EQ(process_.ExitCode(), 0u);
}

TEST_F(DialogDriverTest, WizardCancelAsksThePage) {
  ASSERT_TRUE(Start(L"wizard"));
  WizardDriver wizard;
  ASSERT_TRUE(wizard.Find(process_, kWaitMs));
  ASSERT_TRUE(wizard.WaitForPage(IDC_WIZ_NAME, kWaitMs));
  EXPECT_FALSE(wizard.Caption().empty());
  wizard.Cancel();
  ASSERT_TRUE(WaitEnded());
  EXPECT_TRUE(Recorded(L"wizard cancel"));
  EXPECT_TRUE(Recorded(L"wizard result 0"));
  EXPECT_FALSE(Recorded(L"wizard page " + std::to_wstring(IDD_WIZ_AGREE)));
}

TEST_F(DialogDriverTest, PropertySheetMovesByTemplateIdAndAppliesEveryCreatedPage) {
  ASSERT_TRUE(Start(L"sheet"));
  HWND sheet = process_.WaitForDialogWithControl(IDOK, kWaitMs);
  ASSERT_NE(sheet, nullptr);
  PropertySheetDriver driver(sheet);
  ASSERT_TRUE(driver.WaitForPage(IDC_SHEET_TEXT, kWaitMs));
  EXPECT_EQ(driver.CurrentIndex(), 0);
  ASSERT_TRUE(testsupport::SetControlText(driver.CurrentPage(), IDC_SHEET_TEXT, L"typed"));

  ASSERT_TRUE(driver.SelectPage(IDD_SHEET_OPTION));
  EXPECT_TRUE(driver.OnPage(IDC_SHEET_OPTION));
  EXPECT_EQ(driver.CurrentIndex(), 1);
  EXPECT_TRUE(Recorded(L"sheet page " + std::to_wstring(IDD_SHEET_OPTION)));
  ASSERT_TRUE(testsupport::PressButton(driver.CurrentPage(), IDC_SHEET_OPTION));

  ASSERT_TRUE(driver.SelectPage(IDD_SHEET_TEXT));
  EXPECT_EQ(testsupport::ControlText(driver.CurrentPage(), IDC_SHEET_TEXT), L"typed");
  EXPECT_FALSE(driver.SelectPage(999));  // no such page
  EXPECT_TRUE(driver.OnPage(IDC_SHEET_TEXT));

  driver.Press(PSBTN_OK);
  ASSERT_TRUE(WaitEnded());
  EXPECT_TRUE(Recorded(L"sheet apply text=typed"));
  EXPECT_TRUE(Recorded(L"sheet apply option=1"));
  EXPECT_TRUE(Recorded(L"sheet result 1"));
}

TEST_F(DialogDriverTest, PostedCommandsOpenModalWindowsThatAreAnswered) {
  ASSERT_TRUE(Start(L"dialog"));
  HWND dialog = process_.WaitForDialogWithControl(IDC_MAIN_ASK, kWaitMs);
  ASSERT_NE(dialog, nullptr);

  // A sent command whose handler opens a box has not returned while the box
  // is up; a round trip has, and the box is found until it is answered here.
  EXPECT_FALSE(testsupport::SendCommand(dialog, IDC_MAIN_ASK, 500));
  EXPECT_TRUE(testsupport::RoundTrip(dialog));
  HWND asked = process_.UnansweredMessageBox();
  ASSERT_NE(asked, nullptr);
  ASSERT_EQ(process_.WaitForMessageBox(kWaitMs), asked);
  EXPECT_EQ(process_.AnswerBoxes([](const testsupport::SeenBox&) { return IDNO; }), 1u);
  EXPECT_EQ(process_.UnansweredMessageBox(), nullptr);
  ASSERT_TRUE(testsupport::WaitForWindowGone(asked, kWaitMs));

  // A message box opened by a command: answered No, then Yes.
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(testsupport::PressButton(dialog, IDC_MAIN_ASK));
    HWND box = process_.WaitForMessageBox(kWaitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(testsupport::ReadMessageBox(box).text, L"Answer yes?");
    testsupport::AnswerMessageBox(box, answer);
    ASSERT_TRUE(testsupport::WaitForWindowGone(box, kWaitMs));
  }
  ASSERT_TRUE(WaitRecorded(L"dialog asked yes"));
  EXPECT_TRUE(Recorded(L"dialog asked no"));
  // The read-only edit, read across processes.
  EXPECT_EQ(testsupport::ControlText(dialog, IDC_MAIN_EDIT), L"yes");

  // A modal dialog opened by a command: typed into and confirmed.
  ASSERT_TRUE(testsupport::PressButton(dialog, IDC_MAIN_OPEN));
  HWND ask = process_.WaitForDialogWithControl(IDC_ASK_EDIT, kWaitMs);
  ASSERT_NE(ask, nullptr);
  ASSERT_TRUE(testsupport::SetControlText(ask, IDC_ASK_EDIT, L"Grace"));
  ASSERT_TRUE(testsupport::PressButton(ask, IDOK));
  ASSERT_TRUE(WaitRecorded(L"dialog name=Grace"));
  EXPECT_EQ(testsupport::ControlText(dialog, IDC_MAIN_EDIT), L"named");

  // A hidden or missing control cannot be pressed.
  EXPECT_FALSE(testsupport::PressButton(dialog, 4242));
  testsupport::PostCommand(dialog, IDCANCEL);
  ASSERT_TRUE(WaitEnded());
  EXPECT_TRUE(Recorded(L"dialog closed"));
}

// A program is waited for by its file, letter case aside, until its
// process has ended.
TEST_F(DialogDriverTest, AProgramFileIsWaitedForUntilItsProcessEnds) {
  const std::wstring copy = dir_ / L"probe copy.exe";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"dialogprobe.exe").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(process_.Start(L"\"" + copy + L"\" dialog \"" + record_ + L"\""));
  HWND dialog = process_.WaitForDialogWithControl(IDC_MAIN_ASK, kWaitMs);
  ASSERT_NE(dialog, nullptr);
  std::wstring upper = copy;
  CharUpperW(&upper[0]);
  EXPECT_FALSE(testsupport::WaitForNoProcessOf(upper, 100));
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(dir_ / L"probe.exe", 100));
  testsupport::PostCommand(dialog, IDCANCEL);
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(copy, kWaitMs));
  EXPECT_FALSE(process_.Running());
}

}  // namespace
