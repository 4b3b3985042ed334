// The installer wizard of real builder output, driven as a user would from
// this process: Next and Finish install everything with the uninstaller and
// its Uninstall entry; Cancel on the Welcome page installs nothing; Cancel
// while files are copied asks, and Yes aborts and removes what was copied;
// the close box on the last page finishes; the Ready page's desktop box;
// the Complete page left out for a program that runs afterwards; a failed
// copy reported once; both styles and both languages.
//
// With VESMARIN_WIZARD_SHOTS set to a folder, every page is saved there as a
// BMP for looking at.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "TestSupport.h"
#include "WizardSession.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::ListTree;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::ScopedEnv;
using testsupport::SeenBox;
using wizardtest::WizardSession;

const DWORD kFinished = 0;
const DWORD kFailed = 9;
const DWORD kClosed = 17;

const wchar_t kGreeting[] = L"Welcome to the wizard test.";
const wchar_t kGreetingJa[] = L"ウィザードのテストへようこそ。";

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(InterlockedIncrement(&counter));
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string BoxTexts(const std::vector<SeenBox>& boxes) {
  std::string text;
  for (const SeenBox& box : boxes) text += "[" + Narrow(box.text) + "] ";
  return text;
}

// Saves the window when VESMARIN_WIZARD_SHOTS names a folder.
void Shot(HWND window, const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"VESMARIN_WIZARD_SHOTS", folder, MAX_PATH)) return;
  Sleep(300);
  WizardSession::SaveWindowShot(window, std::wstring(folder) + L"\\" + name + L".bmp");
}

void Shot(const WizardSession& session, const std::wstring& name) { Shot(session.frame(), name); }

struct Style {
  const char* name;
  std::vector<std::wstring> lines;
  bool classic() const { return name[0] == 'c'; }
  std::wstring tag() const { return classic() ? L"classic" : L"new"; }
};

const std::vector<Style> kStyles = {{"classic", {L"UseNewWizard=0"}}, {"new", {L"UseNewWizard=1"}}};

class WizardE2E : public ::testing::Test {
 protected:
  WizardE2E() : key_(L"VesmarinWizardE2E-" + UniqueId()) {}
  ~WizardE2E() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
  }

  // A package with an uninstaller, its Uninstall entry and two files.
  std::wstring Build(const std::vector<std::wstring>& more,
                     testsupport::PackageMembers members = {},
                     const std::wstring& name = L"Setup.exe") {
    std::vector<std::wstring> lines = {L"Greeting0=" + std::wstring(kGreetingJa),
                                       L"GreetingE0=" + std::wstring(kGreeting),
                                       L"UseUnInstall=1",
                                       L"UseVesmarinUninstaller=1",
                                       L"UseVesmarinUninstallerFolder=\\",
                                       L"UnInstallTitle=Wizard Test",
                                       L"UnInstallTitleE=Wizard Test",
                                       L"UnInstallKey=" + key_};
    lines.insert(lines.end(), more.begin(), more.end());
    members.push_back({L"a.txt", "first file"});
    members.push_back({L"docs\\b.txt", "second file"});
    const std::wstring setup = package_.Build(lines, members, name);
    EXPECT_FALSE(setup.empty()) << Narrow(package_.LastError());
    return setup;
  }

  bool Start(WizardSession& session, const std::wstring& setup) {
    return session.Start(InstallerPackage::CommandLine(setup));
  }

  bool FilesInstalled() const {
    return PathExists(Folder() + L"a.txt") && PathExists(Folder() + L"docs\\b.txt");
  }
  bool UninstallerInstalled() const {
    return PathExists(Folder() + L"Hollmere64.exe") && !testsupport::UninstallCommand(key_).empty();
  }
  std::wstring Folder() const { return package_.InstallFolder(); }
  void RemoveInstallation() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
    std::wstring folder = Folder();
    folder.push_back(0);
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = folder.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
  }

  InstallerPackage package_{L"wiz"};
  std::wstring key_;
  testsupport::StubRunLock lock_;
};

TEST_F(WizardE2E, NextAndFinishInstallEverythingInBothStyles) {
  for (const Style& style : kStyles) {
    SCOPED_TRACE(style.name);
    const std::wstring setup = Build(style.lines);
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitFrame(), nullptr);

    HWND welcome = session.WaitPage(wizardtest::kWelcomePage);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(session.Text(welcome, wizardtest::kWelcomePage).find(kGreeting), 0u);
    if (style.classic()) {
      EXPECT_EQ(session.Text(welcome, 1043), L"") << "no title control in the classic page";
    } else {
      EXPECT_EQ(session.Text(welcome, 1043), InstallerPackage::Title());
    }
    // The product mark is a child of the frame; the system menu's item opens
    // the About box.
    EXPECT_EQ(session.Text(session.frame(), 104), L"Vesmarin 6");
    PostMessageW(session.frame(), WM_SYSCOMMAND, 104, 0);
    HWND about = nullptr;
    for (int i = 0; i < 200 && !about; ++i) {
      Sleep(30);
      std::vector<HWND> found = session.Dialogs(1022);
      if (!found.empty()) about = found[0];
    }
    ASSERT_NE(about, nullptr) << "About box";
    wchar_t caption[64] = {};
    GetWindowTextW(about, caption, 64);
    EXPECT_STREQ(caption, L"Vesmarin 6");
    Shot(about, L"en-" + style.tag() + L"-0-about");
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(testsupport::WaitForWindowGone(about, 3000));
    EXPECT_EQ(testsupport::WaitForText(session.frame(), InstallerPackage::Title()),
              InstallerPackage::Title());
    Shot(session, std::wstring(L"en-") + style.tag() + L"-1-welcome");
    session.Press(PSBTN_NEXT);

    HWND performing = session.WaitPage(wizardtest::kPerformingPage);
    ASSERT_NE(performing, nullptr);
    EXPECT_EQ(session.Text(performing, 1012), L"Copying files");
    EXPECT_EQ(session.Text(performing, 1013), L"Registering uninstall information.");
    EXPECT_EQ(session.Text(performing, 1014), L"");
    EXPECT_EQ(session.Caption(), InstallerPackage::Title());
    Shot(session, L"en-" + style.tag() + L"-2b-performing");

    HWND complete = session.WaitPage(wizardtest::kCompletePage);
    ASSERT_NE(complete, nullptr);
    // The page sets the caption after its buttons.
    EXPECT_EQ(testsupport::WaitForText(session.frame(), InstallerPackage::Title()),
              InstallerPackage::Title());
    EXPECT_FALSE(session.Enabled(session.frame(), IDCANCEL)) << "nothing left to cancel";
    EXPECT_TRUE(session.Visible(complete, wizardtest::kCompletePage));
    EXPECT_FALSE(session.Checked(complete, wizardtest::kCompletePage));
    Shot(session, std::wstring(L"en-") + style.tag() + L"-3-complete");
    session.Press(PSBTN_FINISH);

    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kFinished);
    EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
    EXPECT_TRUE(FilesInstalled());
    EXPECT_TRUE(UninstallerInstalled());
    RemoveInstallation();
  }
}

TEST_F(WizardE2E, CancelOnTheWelcomePageInstallsNothing) {
  for (const Style& style : kStyles) {
    SCOPED_TRACE(style.name);
    const std::wstring setup = Build(style.lines);
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitFrame(), nullptr);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
    EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
    EXPECT_FALSE(PathExists(Folder()));
    EXPECT_TRUE(testsupport::UninstallCommand(key_).empty());
  }
}

// The test extension module waits 400 ms after every file, so the copying
// lasts long enough for Cancel to arrive while it runs.
TEST_F(WizardE2E, CancelWhileCopyingAsksAndYesAbortsAndRemovesTheCopies) {
  ScopedEnv log(L"VESMARIN_TESTEXT_LOG", package_.dir() / L"events.txt");
  ScopedEnv slow(L"VESMARIN_TESTEXT_SLEEP_1003", L"400");
  testsupport::PackageMembers members = {
      InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll")};
  for (int i = 0; i < 6; ++i)
    members.push_back({L"more\\file" + std::to_wstring(i) + L".txt", "more"});
  const std::wstring setup =
      Build({L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll"}, members);
  ASSERT_FALSE(setup.empty());

  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    WizardSession session([answer](const SeenBox& box) {
      return box.text == L"Do you want to abort installation?" ? answer : IDOK;
    });
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitFrame(), nullptr);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(wizardtest::kPerformingPage), nullptr);
    session.Press(PSBTN_CANCEL);
    if (answer == IDNO) {
      ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr);
      session.Press(PSBTN_FINISH);
    }
    ASSERT_TRUE(session.WaitEnd());
    ASSERT_GE(session.Boxes().size(), 1u);
    EXPECT_EQ(session.Boxes()[0].text, L"Do you want to abort installation?");
    EXPECT_EQ(session.Boxes()[0].caption, InstallerPackage::Title());
    if (answer == IDNO) {
      EXPECT_EQ(session.ExitCode(), kFinished);
      EXPECT_EQ(session.Boxes().size(), 1u) << BoxTexts(session.Boxes());
      EXPECT_TRUE(FilesInstalled());
      EXPECT_TRUE(PathExists(Folder() + L"more\\file5.txt"));
      EXPECT_TRUE(UninstallerInstalled());
      RemoveInstallation();
    } else {
      EXPECT_EQ(session.ExitCode(), kClosed);
      ASSERT_EQ(session.Boxes().size(), 2u) << BoxTexts(session.Boxes());
      EXPECT_EQ(session.Boxes()[1].text, L"Installation has been aborted.");
      EXPECT_TRUE(ListTree(Folder()).empty()) << Narrow(ListTree(Folder()).front());
      EXPECT_TRUE(testsupport::UninstallCommand(key_).empty());
      // The module heard of the abort once.
      int errors = 0;
      for (const std::string& line : testsupport::ReadLines(package_.dir() / L"events.txt"))
        if (line.compare(0, 11, "event=1007 ") == 0) {
          ++errors;
          EXPECT_NE(line.find("code=-1 "), std::string::npos) << line;
        }
      EXPECT_EQ(errors, 1);
    }
  }
}

// Without an uninstaller the package keeps no list of its files for later;
// a cancelled copy is still taken back whole.
TEST_F(WizardE2E, CancelWhileCopyingWithoutAnUninstallerLeavesNothing) {
  ScopedEnv slow(L"VESMARIN_TESTEXT_SLEEP_1003", L"400");
  testsupport::PackageMembers members = {
      InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll"),
      {L"a.txt", "first file"},
      {L"docs\\b.txt", "second file"}};
  for (int i = 0; i < 6; ++i)
    members.push_back({L"more\\file" + std::to_wstring(i) + L".txt", "more"});
  const std::wstring setup = package_.Build(
      {L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll"}, members, L"Setup.exe");
  ASSERT_FALSE(setup.empty()) << Narrow(package_.LastError());

  WizardSession session([](const SeenBox& box) {
    return box.text == L"Do you want to abort installation?" ? IDYES : IDOK;
  });
  ASSERT_TRUE(Start(session, setup));
  ASSERT_NE(session.WaitFrame(), nullptr);
  ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
  session.Press(PSBTN_NEXT);
  ASSERT_NE(session.WaitPage(wizardtest::kPerformingPage), nullptr);
  session.Press(PSBTN_CANCEL);
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kClosed);
  EXPECT_TRUE(ListTree(Folder()).empty()) << Narrow(ListTree(Folder()).front());
}

TEST_F(WizardE2E, TheCloseBoxOnTheLastPageFinishes) {
  const std::wstring setup = Build({L"UseNewWizard=1"});
  ASSERT_FALSE(setup.empty());
  WizardSession session;
  ASSERT_TRUE(Start(session, setup));
  ASSERT_NE(session.WaitFrame(), nullptr);
  ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
  session.Press(PSBTN_NEXT);
  ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr);
  session.Close();
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kFinished);
  EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
  EXPECT_TRUE(FilesInstalled());
  EXPECT_TRUE(UninstallerInstalled());
}

TEST_F(WizardE2E, AnUntickedDesktopBoxGivesNoDesktopShortcut) {
  const std::wstring title = L"Wizard Desktop " + UniqueId();
  const std::wstring desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + title + L".lnk";
  const std::wstring group = L"VsmWizard " + UniqueId();
  const std::wstring groupFolder = ShellFolder(CSIDL_PROGRAMS) + L"\\" + group;
  for (const Style& style : kStyles) {
    SCOPED_TRACE(style.name);
    std::vector<std::wstring> lines = style.lines;
    lines.insert(lines.end(),
                 {L"UseStartMenu=1", L"StartMenuToCommon=0", L"StartMenuGroupE=" + group,
                  L"StartMenu0_Title=" + title, L"StartMenu0_File=a.txt",
                  L"StartMenu0_CreateOnDesktop=1", L"StartMenuDSQDefaultOn=1"});
    const std::wstring setup = Build(lines);
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitFrame(), nullptr);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_NEXT);
    HWND ready = session.WaitPage(wizardtest::kReadyPage);
    ASSERT_NE(ready, nullptr);
    EXPECT_TRUE(session.Visible(ready, 1038));
    EXPECT_TRUE(session.Checked(ready, 1038)) << "StartMenuDSQDefaultOn";
    EXPECT_FALSE(session.Visible(ready, 1039));
    EXPECT_FALSE(session.Visible(ready, 1035));
    EXPECT_FALSE(session.Visible(ready, 1041));
    EXPECT_EQ(session.Text(ready, 1020).substr(0, 3), Folder().substr(0, 3));
    EXPECT_EQ(testsupport::WaitForText(session.frame(), InstallerPackage::Title()),
              InstallerPackage::Title());
    Shot(session, std::wstring(L"en-") + style.tag() + L"-2-ready");
    session.Click(ready, 1038);
    EXPECT_FALSE(session.Checked(ready, 1038));
    session.Press(PSBTN_NEXT);
    HWND performing = session.WaitPage(wizardtest::kPerformingPage);
    ASSERT_NE(performing, nullptr);
    EXPECT_EQ(session.Text(performing, 1014), L"Adding shortcuts to the Start menu.");
    ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr);
    session.Press(PSBTN_FINISH);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
    EXPECT_FALSE(PathExists(desktopLink));
    EXPECT_TRUE(PathExists(groupFolder + L"\\" + title + L".lnk"));
    DeleteFileW(desktopLink.c_str());
    DeleteFileW((groupFolder + L"\\" + title + L".lnk").c_str());
    RemoveDirectoryW(groupFolder.c_str());
    RemoveInstallation();
  }
}

TEST_F(WizardE2E, AProgramRunningAfterwardsSkipsTheCompletePage) {
  const std::wstring setup = Build({L"UseAutoExecute=1", L"CmdLine=a.txt",
                                    L"SkipInstallCompletePageOnAutoExec=1", L"UseNewWizard=1"});
  ASSERT_FALSE(setup.empty());
  // The started "program" is a text file: its opening may fail under Wine,
  // which the run reports with a warning only.
  WizardSession session;
  ASSERT_TRUE(Start(session, setup));
  ASSERT_NE(session.WaitFrame(), nullptr);
  ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
  session.Press(PSBTN_NEXT);
  HWND performing = session.WaitPage(wizardtest::kPerformingPage);
  ASSERT_NE(performing, nullptr);
  bool preparing = false, complete = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 30000 && IsWindow(session.frame())) {
    session.AnswerBoxes();
    HWND page = session.CurrentPage();
    if (page && GetDlgItem(page, wizardtest::kCompletePage)) complete = true;
    if (page == performing && session.Text(performing, 1002) == L"Preparing to execute program...")
      preparing = true;
    Sleep(50);
  }
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
  EXPECT_TRUE(preparing);
  EXPECT_FALSE(complete);
  EXPECT_TRUE(FilesInstalled());
}

// A file that cannot be written (held open without sharing) fails the
// copying: the failure reaches the module once (event 1007) and the user in
// one box, unless the module clears the show flag; exit code 9.
TEST_F(WizardE2E, AFailedCopyIsReportedOnceAndAModuleCanSilenceIt) {
  ScopedEnv log(L"VESMARIN_TESTEXT_LOG", package_.dir() / L"events.txt");
  const std::wstring setup = Build(
      {L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll", L"OverWriteMethod=0"},
      {InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll")});
  ASSERT_FALSE(setup.empty());
  ASSERT_TRUE(CreateDirectoryW(Folder().c_str(), nullptr));
  ASSERT_TRUE(testsupport::WriteTextFile(Folder() + L"a.txt", "mine"));
  HANDLE held = CreateFileW((Folder() + L"a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  for (bool silenced : {false, true}) {
    SCOPED_TRACE(silenced ? "silenced" : "shown");
    DeleteFileW((package_.dir() / L"events.txt").c_str());
    if (silenced) SetEnvironmentVariableW(L"VESMARIN_TESTEXT_SUPPRESS", L"1");
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitFrame(), nullptr);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_NEXT);
    ASSERT_TRUE(session.WaitEnd());
    SetEnvironmentVariableW(L"VESMARIN_TESTEXT_SUPPRESS", nullptr);
    EXPECT_EQ(session.ExitCode(), kFailed);
    ASSERT_EQ(session.Boxes().size(), silenced ? 0u : 1u) << BoxTexts(session.Boxes());
    if (!silenced) {
      EXPECT_NE(session.Boxes()[0].text.find(L"Could not write a file."), std::wstring::npos);
      EXPECT_EQ(session.Boxes()[0].caption, InstallerPackage::Title());
    }
    int errors = 0;
    for (const std::string& line : testsupport::ReadLines(package_.dir() / L"events.txt"))
      if (line.compare(0, 11, "event=1007 ") == 0) ++errors;
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(PathExists(Folder() + L"docs\\b.txt"));
    EXPECT_TRUE(testsupport::UninstallCommand(key_).empty());
  }
  CloseHandle(held);
}

// A folder, known only when the package installs, that leaves a member's
// path too long: one box names the path and why, and the module hears that
// same text once (event 1007, code 8); nothing is written, exit code 9. (A
// folder chosen on the destination page is refused there already.)
TEST_F(WizardE2E, APathTooLongForTheInstallationFolderIsReportedOnceByItsCause) {
  ScopedEnv log(L"VESMARIN_TESTEXT_LOG", package_.dir() / L"events.txt");
  std::wstring folder = package_.dir() / L"long\\";
  folder.append(245 - folder.size(), L'q');
  ScopedEnv longFolder(L"VESMARIN_LONG_FOLDER", folder);
  const std::wstring setup = package_.Build(
      {L"AskExtPath=0", L"ExtractFolder=%VESMARIN_LONG_FOLDER%", L"NoAskMakeDir=1",
       L"UseExtensionModuleFile=1",
       L"ExtensionModuleFile=m.dll"},
      {InstallerPackage::BinMember(L"stubext_both.dll", L"m.dll"),
       {L"good.txt", "good"},
       {L"bin\\marker.exe", "marker"}});
  ASSERT_FALSE(setup.empty()) << Narrow(package_.LastError());
  WizardSession session;
  ASSERT_TRUE(Start(session, setup));
  ASSERT_NE(session.WaitFrame(), nullptr);
  ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
  session.Press(PSBTN_NEXT);
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kFailed);
  const std::wstring cause =
      folder + L"\\bin\\marker.exe\n\nCould not extract files.\nExtract path name is too long.";
  ASSERT_EQ(session.Boxes().size(), 1u) << BoxTexts(session.Boxes());
  // The long path is broken into lines that fit the screen.
  EXPECT_EQ(testsupport::WithoutLineBreaks(session.Boxes()[0].text),
            testsupport::WithoutLineBreaks(cause));
  EXPECT_NE(session.Boxes()[0].text.find(L"\n\nCould not extract files.\nExtract path name is too long."),
            std::wstring::npos);
  std::vector<std::string> errors;
  for (const std::string& line : testsupport::ReadLines(package_.dir() / L"events.txt"))
    if (line.compare(0, 11, "event=1007 ") == 0) errors.push_back(line);
  ASSERT_EQ(errors.size(), 1u);
  std::string logged = Narrow(cause);
  for (char& c : logged)
    if (c == '\n') c = '|';
  EXPECT_NE(errors[0].find(" code=8 text=" + logged), std::string::npos) << errors[0];
  EXPECT_FALSE(PathExists(folder));
}

// A Japanese interface: the pages' texts from the Japanese templates and
// string tables. Wine takes the interface language from the environment the
// test program starts in, so this test runs in its own CTest entry with a
// Japanese environment ("ja." tests) and is skipped in the English one.
TEST_F(WizardE2E, AJapaneseRunShowsTheJapaneseTexts) {
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE)
    GTEST_SKIP() << "runs with a Japanese interface only";
  for (const Style& style : kStyles) {
    SCOPED_TRACE(style.name);
    std::vector<std::wstring> lines = style.lines;
    lines.insert(lines.end(), {L"UseStartMenu=1", L"StartMenuToCommon=0",
                               L"StartMenuGroup=VsmWizardJa " + UniqueId(), L"StartMenu0_Title=Ja",
                               L"StartMenu0_File=a.txt", L"StartMenu0_CreateOnDesktop=1",
                               L"StartMenu0_CreateOnStartup=1", L"StartMenuDSQDefaultOn=0"});
    const std::wstring setup = Build(lines);
    ASSERT_FALSE(setup.empty());
    const std::wstring tag = std::wstring(L"ja-") + style.tag();
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitFrame(), nullptr);
    HWND welcome = session.WaitPage(wizardtest::kWelcomePage);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(session.Text(welcome, wizardtest::kWelcomePage).find(kGreetingJa), 0u);
    Shot(session, tag + L"-1-welcome");
    session.Press(PSBTN_NEXT);
    HWND ready = session.WaitPage(wizardtest::kReadyPage);
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(session.Text(ready, 1038), L"デスクトップにショートカットを作成(&D)");
    EXPECT_FALSE(session.Checked(ready, 1038));
    EXPECT_TRUE(session.Visible(ready, 1035));
    Shot(session, tag + L"-2-ready");
    session.Press(PSBTN_NEXT);
    HWND performing = session.WaitPage(wizardtest::kPerformingPage);
    ASSERT_NE(performing, nullptr);
    EXPECT_EQ(session.Text(performing, 1012), L"ファイルをコピーしています");
    EXPECT_EQ(session.Text(performing, 1014),
              L"スタート メニューにショートカットを追加しています。");
    Shot(session, tag + L"-2b-performing");
    HWND complete = session.WaitPage(wizardtest::kCompletePage);
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(session.Text(complete, wizardtest::kCompletePage),
              L"インストール先フォルダーを開く(&O)");
    Shot(session, tag + L"-3-complete");
    session.Press(PSBTN_FINISH);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
    EXPECT_TRUE(FilesInstalled());
    RemoveInstallation();
  }
}

}  // namespace
