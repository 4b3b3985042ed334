// The wizard's Read Me and Select Destination Folder pages on real builder
// output, driven as a user would: the read-me in its encodings, the licence
// mode's Agree and Disagree, Next held back until the text was scrolled to
// its end, the saved read-me flag that skips the page next time, and the
// destination folder's checks (characters taken out at once, refusals on
// Next, a missing folder offered for creation, the folder picker, the saved
// install path, the room for the uninstaller). English and Japanese.
//
// With VESMARIN_WIZARD_SHOTS set to a folder, the pages are saved there as
// BMPs for looking at.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "Crc16.h"
#include "InstallerPackage.h"
#include "TestSupport.h"
#include "WizardSession.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::ListTree;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::SeenBox;
using wizardtest::WizardSession;

const DWORD kFinished = 0;
const DWORD kReadMeFailed = 4;
const DWORD kUninstallerPathTooLong = 14;
const DWORD kSavedPathMissing = 15;
const DWORD kClosed = 17;

const int kBack = 12323;
const int kNext = 12324;
const int kReadMe = wizardtest::kReadMePage;
const int kDestination = wizardtest::kDestinationPage;
const int kNotice = 1035;
const int kBrowse = 3;
const int kConfirmOverwrite = 1001;
const int kForceOverwrite = 1002;

bool JapaneseUi() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

// The texts the stub shows, in the interface language of this run.
struct UiTexts {
  const wchar_t* agree;
  const wchar_t* disagree;
  const wchar_t* invalidChars;
  const wchar_t* pathInvalid;
  const wchar_t* createQuestion;  // the text before the folder
  const wchar_t* extractFailed;
  const wchar_t* uninstallerTooLong;
  const wchar_t* cantFindInstallInfo;
  const wchar_t* readAll;
  const wchar_t* confirmOverwrite;
};

const UiTexts& Texts() {
  static const UiTexts english = {
      L"Agree",
      L"Disagree",
      L"The specified path name includes some invalid characters.",
      L"Could not validate path or file name.",
      L"Folder ",
      L"Extraction failed.",
      L"The specified path is too long to register uninstall information.",
      L"Can't find install information.",
      L"To proceed to next, please read all message.",
      L"Confirm when &overwriting"};
  static const UiTexts japanese = {
      L"同意する",
      L"同意しない",
      L"指定したパス名に使用できない文字が含まれています。",
      L"パスまたはファイル名を確認できませんでした。",
      L"フォルダー ",
      L"展開に失敗しました。",
      L"パスが長すぎるため、アンインストール情報を登録できません。",
      L"インストール情報が見つかりません。",
      L"次へ進むには、メッセージを最後までお読みください。",
      L"上書きするときに確認する(&O)"};
  return JapaneseUi() ? japanese : english;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) {
  return text.compare(0, start.size(), start) == 0;
}

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(InterlockedIncrement(&counter));
}

std::string BoxTexts(const std::vector<SeenBox>& boxes) {
  std::string text;
  for (const SeenBox& box : boxes) text += "[" + Narrow(box.text) + "] ";
  return text;
}

void Shot(const WizardSession& session, const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"VESMARIN_WIZARD_SHOTS", folder, MAX_PATH)) return;
  Sleep(300);
  WizardSession::SaveWindowShot(session.frame(),
                                std::wstring(folder) + L"\\" + (JapaneseUi() ? L"ja-" : L"en-") +
                                    name + L".bmp");
}

// A read-me file: UTF-16LE with its mark, or UTF-8 with its mark.
std::string Utf16File(const std::wstring& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}
std::string Utf8File(const std::wstring& text) { return "\xEF\xBB\xBF" + Narrow(text); }

// CRC-16/ARC of the text's UTF-16 code units as little-endian bytes.
DWORD TextCrc(const std::wstring& text) {
  return ComputeCrc16(text.data(), static_cast<uint32_t>(text.size() * sizeof(wchar_t)));
}

const wchar_t kReadMeText[] = L"Licence of the wizard test\r\nÉtoile ✓ 日本語のテキスト\r\nLast line";

std::wstring LongReadMe() {
  std::wstring text;
  for (int i = 1; i <= 120; ++i) text += L"Line " + std::to_wstring(i) + L" of the read-me\r\n";
  return text + L"The end";
}

class WizardPagesE2E : public ::testing::Test {
 protected:
  WizardPagesE2E()
      : key_(L"VesmarinWizardPagesE2E-" + UniqueId()),
        regKey_(L"Software\\VesmarinWizardPagesE2E\\" + UniqueId()) {}
  ~WizardPagesE2E() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, regKey_.c_str());
  }

  // A package with the uninstaller, its Uninstall entry, two files and,
  // when given, a read-me member readme.txt.
  std::wstring Build(const std::vector<std::wstring>& more, const std::string* readMe = nullptr,
                     const std::wstring& name = L"Setup.exe") {
    std::vector<std::wstring> lines = {L"GreetingE0=Pages test", L"Greeting0=ページのテスト",
                                       L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
                                       L"UseVesmarinUninstallerFolder=\\",
                                       L"UnInstallTitle=Pages Test", L"UnInstallTitleE=Pages Test",
                                       L"UnInstallKey=" + key_};
    testsupport::PackageMembers members = {{L"a.txt", "first file"},
                                           {L"docs\\b.txt", "second file"}};
    if (readMe) {
      lines.insert(lines.end(), {L"UseExplain=1", L"ExplainFile=readme.txt",
                                 L"NoExtractExplainFile=1"});
      members.push_back({L"readme.txt", *readMe});
    }
    lines.insert(lines.end(), more.begin(), more.end());
    const std::wstring setup = package_.Build(lines, members, name);
    EXPECT_FALSE(setup.empty()) << Narrow(package_.LastError());
    return setup;
  }

  // The saved read-me flag and install path live under regKey_ (current
  // user).
  std::vector<std::wstring> SavedFlagLines() const {
    return {L"UseSaveExplainShowFlag=1", L"SaveExplainShowFlag_RootKey=0",
            L"SaveExplainShowFlagKey=" + regKey_, L"SaveExplainShowFlagValue=ShowFlag"};
  }
  std::vector<std::wstring> SavedPathLines() const {
    return {L"UseSavePath=1", L"SavePath_RootKey=0", L"SavePathKey=" + regKey_,
            L"SavePathValue=InstallPath"};
  }
  bool ReadFlag(DWORD* value) const {
    DWORD size = sizeof(*value);
    return RegGetValueW(HKEY_CURRENT_USER, regKey_.c_str(), L"ShowFlag", RRF_RT_REG_DWORD, nullptr,
                        value, &size) == ERROR_SUCCESS;
  }
  void SetRegValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, regKey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void SetFlag(DWORD value) { SetRegValue(L"ShowFlag", REG_DWORD, &value, sizeof(value)); }
  void SetSavedPath(const std::wstring& path) {
    SetRegValue(L"InstallPath", REG_SZ, path.c_str(),
                static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }

  bool Start(WizardSession& session, const std::wstring& setup) {
    return session.Start(InstallerPackage::CommandLine(setup)) && session.WaitFrame() != nullptr;
  }
  // From the Welcome page to the next page, which must have control id.
  HWND NextFromWelcome(WizardSession& session, int id) {
    if (!session.WaitPage(wizardtest::kWelcomePage)) return nullptr;
    session.Press(PSBTN_NEXT);
    return session.WaitPage(id);
  }
  // From the Ready page to the end with Finish.
  void FinishFromReady(WizardSession& session) {
    ASSERT_NE(session.WaitPage(wizardtest::kReadyPage), nullptr);
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr);
    session.Press(PSBTN_FINISH);
    ASSERT_TRUE(session.WaitEnd());
  }
  bool ButtonEnabled(const WizardSession& session, int id) const {
    return session.Visible(session.frame(), id) && session.Enabled(session.frame(), id);
  }
  // Waits until the frame's button is enabled or not.
  bool WaitButton(const WizardSession& session, int id, bool enabled) const {
    return testsupport::WaitUntil([&] { return ButtonEnabled(session, id) == enabled; }, 3000);
  }
  // The destination page shows its first folder once it has shown itself:
  // typed before, a text would be overwritten.
  bool FolderShown(const WizardSession& session, HWND page) const {
    return testsupport::WaitUntil([&] { return !session.Text(page, kDestination).empty(); },
                                  10000);
  }
  // Scrolls the Read Me text to its end until Next comes: the caret the page
  // places once it shows may scroll the text back to its start first.
  bool ScrollReadMeToEnd(const WizardSession& session, HWND page) const {
    HWND text = GetDlgItem(page, kReadMe);
    return testsupport::WaitUntil(
        [&] {
          SendMessageW(text, WM_VSCROLL, SB_BOTTOM, 0);
          return ButtonEnabled(session, kNext);
        },
        5000);
  }
  // The box answered last is gone and the frame's thread takes messages
  // again: the handler that asked has returned.
  bool BoxHandled(const WizardSession& session) const {
    return !session.Boxes().empty() &&
           testsupport::WaitForWindowGone(session.Boxes().back().window, 10000) &&
           testsupport::RoundTrip(session.frame());
  }

  std::wstring Folder() const { return package_.InstallFolder(); }

  InstallerPackage package_{L"wizp"};
  std::wstring key_;
  std::wstring regKey_;
  testsupport::StubRunLock lock_;
};

TEST_F(WizardPagesE2E, TheReadMeShowsItsTextInEveryEncoding) {
  struct Case {
    const char* name;
    std::string file;
    std::wstring style;
    std::wstring text;
  };
  // A UTF-16 file cut in the middle of its last unit shows the whole units.
  const std::vector<Case> cases = {
      {"utf-16 classic", Utf16File(kReadMeText), L"UseNewWizard=0", kReadMeText},
      {"utf-8 new style", Utf8File(kReadMeText), L"UseNewWizard=1", kReadMeText},
      {"utf-16 odd size", Utf16File(kReadMeText) + "x", L"UseNewWizard=1", kReadMeText}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring setup = Build({c.style}, &c.file);
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    HWND page = NextFromWelcome(session, kReadMe);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(session.Text(page, kReadMe), c.text);
    EXPECT_FALSE(session.Visible(page, kNotice));
    EXPECT_TRUE(WaitButton(session, kNext, true));
    EXPECT_TRUE(ButtonEnabled(session, kBack));
    EXPECT_EQ(session.Caption(), InstallerPackage::Title());
    if (std::string(c.name) != "utf-16 odd size")
      Shot(session, std::string(c.name) == "utf-16 classic" ? L"readme-classic" : L"readme-new");
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
    EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
    EXPECT_FALSE(PathExists(Folder()));
  }
}

// A read-me that is empty (nothing could be taken from the archive) ends
// the run before any window of the wizard, with nothing installed.
TEST_F(WizardPagesE2E, AnEmptyReadMeEndsWithExtractionFailed) {
  const std::string empty;
  const std::wstring setup = Build({}, &empty);
  ASSERT_FALSE(setup.empty());
  WizardSession session;
  ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(setup)));
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kReadMeFailed);
  ASSERT_EQ(session.Boxes().size(), 1u) << BoxTexts(session.Boxes());
  EXPECT_EQ(session.Boxes()[0].text, Texts().extractFailed);
  EXPECT_EQ(session.frame(), nullptr) << "no wizard";
  EXPECT_FALSE(PathExists(Folder()));
}

// The licence package: Disagree ends the run with 17 and installs nothing;
// Agree leads to the destination page, whose typed folder is created and
// installed into; the registry then holds the text's CRC-16, so a second
// run of the package has no Read Me page.
TEST_F(WizardPagesE2E, ALicenceInstallsOnlyAfterAgreeIntoTheTypedFolderAndIsNotShownAgain) {
  const std::string file = Utf16File(kReadMeText);
  std::vector<std::wstring> lines = {L"ExplainToConsent=1", L"AskExtPath=1",
                                     L"ExplainNoSkipTextChanged=1"};
  const std::vector<std::wstring> flag = SavedFlagLines();
  lines.insert(lines.end(), flag.begin(), flag.end());
  const std::wstring setup = Build(lines, &file);
  ASSERT_FALSE(setup.empty());
  const std::wstring typed = package_.dir() / L"typed\\place";

  {
    SCOPED_TRACE("disagree");
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    HWND page = NextFromWelcome(session, kReadMe);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(testsupport::WaitForText(session.frame(), kNext, Texts().agree), Texts().agree);
    EXPECT_EQ(session.Text(session.frame(), IDCANCEL), Texts().disagree);
    Shot(session, L"licence");
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
    EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
    EXPECT_FALSE(PathExists(Folder()));
    EXPECT_TRUE(testsupport::UninstallCommand(key_).empty());
    DWORD value = 0;
    EXPECT_FALSE(ReadFlag(&value));
  }
  {
    SCOPED_TRACE("agree");
    WizardSession session([](const SeenBox& box) {
      return StartsWith(box.text, Texts().createQuestion) ? IDYES : IDOK;
    });
    ASSERT_TRUE(Start(session, setup));
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    ASSERT_TRUE(WaitButton(session, kNext, true));
    const std::wstring nextText = session.Text(session.frame(), kNext);
    const std::wstring cancelText = session.Text(session.frame(), IDCANCEL);
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(kReadMe), nullptr);
    // Agree and Disagree belong to the Read Me page only.
    session.Press(PSBTN_BACK);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    EXPECT_EQ(testsupport::WaitForText(session.frame(), kNext, nextText), nextText);
    EXPECT_EQ(testsupport::WaitForText(session.frame(), IDCANCEL, cancelText), cancelText);
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(kReadMe), nullptr);
    session.Press(PSBTN_NEXT);  // Agree
    HWND page = session.WaitPage(kDestination);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(testsupport::WaitForText(page, kDestination, Folder()), Folder());
    EXPECT_EQ(session.Text(session.frame(), kNext), nextText);
    EXPECT_EQ(session.Text(page, kConfirmOverwrite), Texts().confirmOverwrite);
    Shot(session, L"destination");
    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, typed));
    session.Press(PSBTN_NEXT);
    FinishFromReady(session);
    EXPECT_EQ(session.ExitCode(), kFinished);
    ASSERT_EQ(session.Boxes().size(), 1u) << BoxTexts(session.Boxes());
    EXPECT_EQ(session.Boxes()[0].text.find(typed), std::wstring(Texts().createQuestion).size());
    EXPECT_TRUE(PathExists(typed + L"\\a.txt"));
    EXPECT_TRUE(PathExists(typed + L"\\docs\\b.txt"));
    EXPECT_TRUE(PathExists(typed + L"\\Hollmere64.exe"));
    EXPECT_FALSE(PathExists(Folder()));
    DWORD value = 0;
    ASSERT_TRUE(ReadFlag(&value));
    EXPECT_EQ(value, TextCrc(kReadMeText));
  }
  {
    SCOPED_TRACE("second run");
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    EXPECT_NE(NextFromWelcome(session, kDestination), nullptr) << "no Read Me page";
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
  }
}

// The saved flag skips the page while it is not 0; with
// ExplainNoSkipTextChanged only while it is the CRC-16 of the same text.
TEST_F(WizardPagesE2E, TheSavedFlagSkipsTheReadMeUnlessAChangedTextMustBeShown) {
  const std::wstring changedText = std::wstring(kReadMeText) + L"!";
  const std::string changed = Utf8File(changedText);
  // The destination page follows the Read Me page, so the run stops there
  // either way.
  std::vector<std::wstring> plain = SavedFlagLines();
  plain.push_back(L"AskExtPath=1");
  std::vector<std::wstring> strict = plain;
  strict.push_back(L"ExplainNoSkipTextChanged=1");
  const std::wstring plainSetup = Build(plain, &changed, L"Plain.exe");
  const std::wstring strictSetup = Build(strict, &changed, L"Strict.exe");
  ASSERT_FALSE(plainSetup.empty());
  ASSERT_FALSE(strictSetup.empty());
  struct Case {
    const char* name;
    const std::wstring& setup;
    DWORD flag;
    bool shown;
  };
  const Case cases[] = {{"old text, plain", plainSetup, TextCrc(kReadMeText), false},
                        {"old text, strict", strictSetup, TextCrc(kReadMeText), true},
                        {"same text, strict", strictSetup, TextCrc(changedText), false},
                        {"flag 0", plainSetup, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetFlag(c.flag);
    WizardSession session;
    ASSERT_TRUE(Start(session, c.setup));
    EXPECT_NE(NextFromWelcome(session, c.shown ? kReadMe : kDestination), nullptr);
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
  }
}

// ExplainAllRead: with a long text only Back is available, with the
// notice, until the text was scrolled to its end; leaving the page and
// coming back keeps what was reached. A text that fits lets the user on at
// once and, in the classic style, takes the notice's place.
TEST_F(WizardPagesE2E, NextWaitsUntilALongReadMeWasScrolledToItsEnd) {
  for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
    SCOPED_TRACE(Narrow(style));
    const std::string file = Utf16File(LongReadMe());
    const std::wstring setup = Build({style, L"ExplainAllRead=1"}, &file);
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    ASSERT_TRUE(Start(session, setup));
    HWND page = NextFromWelcome(session, kReadMe);
    ASSERT_NE(page, nullptr);
    // The page enables Back and Next together: with Back, Next is as the
    // page set it.
    EXPECT_TRUE(WaitButton(session, kBack, true));
    EXPECT_FALSE(ButtonEnabled(session, kNext));
    EXPECT_TRUE(session.Visible(page, kNotice));
    EXPECT_EQ(session.Text(page, kNotice), Texts().readAll);
    Shot(session, std::wstring(L"readme-unread-") + (style[13] == L'0' ? L"classic" : L"new"));
    // Back and forth: still unread.
    session.Press(PSBTN_BACK);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    EXPECT_TRUE(WaitButton(session, kBack, false)) << "the Welcome page has no Back";
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(kReadMe), nullptr);
    EXPECT_TRUE(WaitButton(session, kBack, true));
    EXPECT_FALSE(ButtonEnabled(session, kNext));
    // Scrolled to the end: Next comes within the timer's period.
    EXPECT_TRUE(ScrollReadMeToEnd(session, page));
    session.Press(PSBTN_BACK);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(kReadMe), nullptr);
    EXPECT_TRUE(WaitButton(session, kNext, true));
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
  }
  const std::string shortFile = Utf16File(L"Short enough");
  const std::wstring setup = Build({L"UseNewWizard=0", L"ExplainAllRead=1"}, &shortFile);
  WizardSession session;
  ASSERT_TRUE(Start(session, setup));
  HWND page = NextFromWelcome(session, kReadMe);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(WaitButton(session, kNext, true));
  EXPECT_FALSE(session.Visible(page, kNotice));
  RECT text, notice;
  GetWindowRect(GetDlgItem(page, kReadMe), &text);
  GetWindowRect(GetDlgItem(page, kNotice), &notice);
  EXPECT_EQ(text.bottom, notice.bottom);
  session.Press(PSBTN_CANCEL);
  ASSERT_TRUE(session.WaitEnd());
}

// The folder edit: characters a path cannot hold are taken out as they
// come, with a warning; Next refuses doubled backslashes, an empty folder
// (its message starts with its own text, no blank lines), a folder too
// long for a path (left as typed) and one that leaves no room for the
// uninstaller; a missing folder is offered for creation, and No keeps the
// page.
TEST_F(WizardPagesE2E, TheDestinationPageCleansAndChecksTheFolder) {
  for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
    SCOPED_TRACE(Narrow(style));
    const std::wstring setup = Build({style, L"AskExtPath=1"});
    ASSERT_FALSE(setup.empty());
    int createAnswer = IDNO;
    WizardSession session([&createAnswer](const SeenBox& box) {
      return StartsWith(box.text, Texts().createQuestion) ? createAnswer : IDOK;
    });
    ASSERT_TRUE(Start(session, setup));
    HWND page = NextFromWelcome(session, kDestination);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(FolderShown(session, page));

    session.SetTextNoWait(page, kDestination, L"C:\\a*b");
    ASSERT_TRUE(session.WaitBoxes(1));
    EXPECT_EQ(session.Boxes()[0].text, Texts().invalidChars);
    EXPECT_EQ(session.Boxes()[0].caption, L"Vesmarin 6");
    EXPECT_EQ(testsupport::WaitForText(page, kDestination, L"C:\\ab"), L"C:\\ab");

    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, L"C:\\x\\\\y"));
    session.Press(PSBTN_NEXT);
    ASSERT_TRUE(session.WaitBoxes(2));
    EXPECT_EQ(session.Boxes()[1].text, Texts().invalidChars);
    EXPECT_EQ(session.Boxes()[1].caption, InstallerPackage::Title());

    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, L""));
    session.Press(PSBTN_NEXT);
    ASSERT_TRUE(session.WaitBoxes(3));
    EXPECT_TRUE(StartsWith(session.Boxes()[2].text, Texts().pathInvalid))
        << Narrow(session.Boxes()[2].text);

    const std::wstring tooLong = Folder() + std::wstring(300, L'x');
    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, tooLong));
    session.Press(PSBTN_NEXT);
    ASSERT_TRUE(session.WaitBoxes(4));
    EXPECT_TRUE(StartsWith(testsupport::WithoutLineBreaks(session.Boxes()[3].text), tooLong));
    ASSERT_TRUE(BoxHandled(session));
    EXPECT_EQ(session.Text(page, kDestination), tooLong) << "left as typed";

    const std::wstring missing = Folder() + L"new\\deeper";
    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, missing));
    session.Press(PSBTN_NEXT);
    ASSERT_TRUE(session.WaitBoxes(5)) << BoxTexts(session.Boxes());
    const SeenBox question = session.Boxes()[4];
    EXPECT_TRUE(StartsWith(question.text, Texts().createQuestion + missing)) << Narrow(question.text);
    ASSERT_TRUE(BoxHandled(session));
    EXPECT_EQ(session.CurrentPage(), page) << "every refusal and No keep the page";
    EXPECT_FALSE(PathExists(Folder()));

    // A missing folder of 253 characters leaves no room for the uninstaller:
    // refused on every Next, never offered for creation first.
    const std::wstring crowded = Folder() + std::wstring(253 - Folder().size(), L'c');
    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, crowded));
    for (size_t seen = 6; seen <= 7; ++seen) {
      session.Press(PSBTN_NEXT);
      ASSERT_TRUE(session.WaitBoxes(seen)) << BoxTexts(session.Boxes());
      const std::wstring& text = session.Boxes()[seen - 1].text;
      EXPECT_TRUE(StartsWith(testsupport::WithoutLineBreaks(text), crowded + L"\\")) << Narrow(text);
      EXPECT_NE(text.find(Texts().uninstallerTooLong), std::wstring::npos) << Narrow(text);
    }
    ASSERT_TRUE(testsupport::SetControlText(page, kDestination, missing));

    createAnswer = IDYES;
    session.Press(PSBTN_NEXT);
    FinishFromReady(session);
    EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
    EXPECT_EQ(session.Boxes().size(), 8u) << BoxTexts(session.Boxes());
    EXPECT_TRUE(PathExists(missing + L"\\a.txt"));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
    testsupport::RemoveTree(Folder());
  }
}

// A chosen folder under which a member would pass the path limit is
// refused on Next, naming the member, before anything is written; the
// package's own folder still installs it.
TEST_F(WizardPagesE2E, AFolderWithoutRoomForAMemberIsRefusedOnNext) {
  // Under Folder() plus nine characters the member's path is 260
  // characters long, one too many; under Folder() it fits.
  const std::wstring chosen = Folder() + std::wstring(9, L'c');
  const std::wstring member(260 - chosen.size() - 1, L'm');
  ASSERT_LE(member.size(), 255u);
  const std::wstring setup = package_.Build(
      {L"AskExtPath=1", L"GreetingE0=Pages test", L"Greeting0=ページのテスト"},
      {{member, "long member"}, {L"a.txt", "first file"}}, L"Room.exe");
  ASSERT_FALSE(setup.empty()) << Narrow(package_.LastError());
  WizardSession session([](const SeenBox& box) {
    return StartsWith(box.text, Texts().createQuestion) ? IDYES : IDOK;
  });
  ASSERT_TRUE(Start(session, setup));
  HWND page = NextFromWelcome(session, kDestination);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(FolderShown(session, page));
  ASSERT_TRUE(testsupport::SetControlText(page, kDestination, chosen));
  session.Press(PSBTN_NEXT);
  ASSERT_TRUE(session.WaitBoxes(1)) << BoxTexts(session.Boxes());
  const std::wstring expected =
      member + (JapaneseUi()
                    ? L"この書庫内のファイルはインストール先フォルダーの下に収まりません: そこで"
                      L"のパスが、インストールで書き込める最大の 259 文字を超えます。"
                    : L"This archive member does not fit below the installation folder: its "
                      L"path there would be longer than 259 characters, the most an installation "
                      L"can write.");
  EXPECT_EQ(testsupport::WithoutLineBreaks(session.Boxes()[0].text), expected);
  ASSERT_TRUE(BoxHandled(session));
  EXPECT_EQ(session.CurrentPage(), page) << "the page stays";
  EXPECT_FALSE(PathExists(chosen));

  ASSERT_TRUE(testsupport::SetControlText(page, kDestination, Folder()));
  session.Press(PSBTN_NEXT);
  FinishFromReady(session);
  EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
  std::vector<uint8_t> installed;
  EXPECT_TRUE(testsupport::ReadFileBytes(Folder() + member, installed));
  EXPECT_EQ(std::string(installed.begin(), installed.end()), "long member");
  EXPECT_FALSE(PathExists(chosen));
  testsupport::RemoveTree(Folder());
}

// A relative folder is taken from the installer's current folder: the
// files go below it, without a question.
TEST_F(WizardPagesE2E, ARelativeDestinationIsMadeAbsolute) {
  const std::wstring setup = Build({L"AskExtPath=1", L"NoAskMakeDir=1"});
  ASSERT_FALSE(setup.empty());
  const std::wstring current = package_.dir() / L"current";
  ASSERT_TRUE(CreateDirectoryW(current.c_str(), nullptr));
  // The installer inherits the current folder of this process.
  wchar_t previous[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
  WizardSession session;
  const bool started = Start(session, setup);
  SetCurrentDirectoryW(previous);
  ASSERT_TRUE(started);
  HWND page = NextFromWelcome(session, kDestination);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(FolderShown(session, page));
  ASSERT_TRUE(testsupport::SetControlText(page, kDestination, L"relative\\path"));
  session.Press(PSBTN_NEXT);
  FinishFromReady(session);
  EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
  EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
  EXPECT_TRUE(PathExists(current + L"\\relative\\path\\a.txt"));
  EXPECT_TRUE(PathExists(current + L"\\relative\\path\\docs\\b.txt"));
  EXPECT_FALSE(PathExists(Folder()));
}

// Browse opens the folder picker; the chosen folder fills the edit.
TEST_F(WizardPagesE2E, BrowseFillsTheFolderEdit) {
  const std::wstring setup = Build({L"AskExtPath=1", L"UseNewWizard=1"});
  ASSERT_FALSE(setup.empty());
  const std::wstring chosen = package_.dir() / L"chosen";
  ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
  WizardSession session;
  ASSERT_TRUE(Start(session, setup));
  HWND page = NextFromWelcome(session, kDestination);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(FolderShown(session, page));
  ASSERT_TRUE(testsupport::PressButton(page, kBrowse));
  HWND picker = nullptr;
  testsupport::WaitUntil(
      [&] {
        std::vector<HWND> found = session.Dialogs(1152);
        if (!found.empty()) picker = found[0];
        return picker != nullptr;
      },
      9000);
  ASSERT_NE(picker, nullptr) << "folder picker";
  ASSERT_NE(testsupport::WaitForControl(picker, 1152, 5000), nullptr);
  ASSERT_TRUE(testsupport::SetControlText(picker, 1152, chosen));
  testsupport::PostCommand(picker, IDOK);
  EXPECT_EQ(testsupport::WaitForText(page, kDestination, chosen), chosen);
  session.Press(PSBTN_CANCEL);
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kClosed);
}

// The overwrite boxes are taken over when the page is left: an unticked
// "Confirm when overwriting" overwrites without asking.
TEST_F(WizardPagesE2E, TheOverwriteBoxesAreTakenOverOnLeaving) {
  const std::wstring setup =
      Build({L"AskExtPath=1", L"AskOverwrite=1", L"ShowForceOverwrite=1", L"OverWriteMethod=1"});
  ASSERT_FALSE(setup.empty());
  ASSERT_TRUE(CreateDirectoryW(Folder().c_str(), nullptr));
  ASSERT_TRUE(testsupport::WriteTextFile(Folder() + L"a.txt", "old"));
  WizardSession session;
  ASSERT_TRUE(Start(session, setup));
  HWND page = NextFromWelcome(session, kDestination);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(session.Checked(page, kConfirmOverwrite));
  EXPECT_TRUE(session.Visible(page, kForceOverwrite));
  EXPECT_FALSE(session.Checked(page, kForceOverwrite));
  session.Click(page, kConfirmOverwrite);
  EXPECT_FALSE(session.Checked(page, kConfirmOverwrite));
  session.Press(PSBTN_NEXT);
  FinishFromReady(session);
  EXPECT_EQ(session.ExitCode(), kFinished);
  EXPECT_TRUE(session.Boxes().empty()) << BoxTexts(session.Boxes());
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(Folder() + L"a.txt", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "first file");
}

// The saved install path: a value of 300 characters is never taken (the
// page shows the package's folder; without the page and with
// FailIfPathRegNotExist the run ends with 15); a valid one fills the edit.
TEST_F(WizardPagesE2E, ASavedInstallPathIsTakenOnlyWhenItIsAValidFolder) {
  std::vector<std::wstring> withPage = SavedPathLines();
  withPage.push_back(L"AskExtPath=1");
  std::vector<std::wstring> withoutPage = SavedPathLines();
  withoutPage.insert(withoutPage.end(), {L"AskExtPath=0", L"FailIfPathRegNotExist=1"});
  const std::wstring pageSetup = Build(withPage, nullptr, L"Page.exe");
  const std::wstring noPageSetup = Build(withoutPage, nullptr, L"NoPage.exe");
  ASSERT_FALSE(pageSetup.empty());
  ASSERT_FALSE(noPageSetup.empty());

  SetSavedPath(L"C:\\" + std::wstring(297, L'y'));
  {
    WizardSession session;
    ASSERT_TRUE(Start(session, pageSetup));
    HWND page = NextFromWelcome(session, kDestination);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(testsupport::WaitForText(page, kDestination, Folder()), Folder());
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
  }
  {
    WizardSession session;
    ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(noPageSetup)));
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kSavedPathMissing);
    ASSERT_EQ(session.Boxes().size(), 1u) << BoxTexts(session.Boxes());
    EXPECT_EQ(session.Boxes()[0].text, Texts().cantFindInstallInfo);
    EXPECT_FALSE(PathExists(Folder()));
  }
  const std::wstring saved = package_.dir() / L"saved\\";
  SetSavedPath(saved);
  {
    WizardSession session;
    ASSERT_TRUE(Start(session, pageSetup));
    HWND page = NextFromWelcome(session, kDestination);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(testsupport::WaitForText(page, kDestination, saved), saved);
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
  }
}

// Without a destination page, a folder that leaves no room for the
// uninstaller is refused before anything is written, in the wizard and in a
// silent run alike.
TEST_F(WizardPagesE2E, NoRoomForTheUninstallerIsRefusedBeforeAnythingIsWritten) {
  // The package folder, long enough that the uninstaller's path would pass
  // the limit.
  std::wstring deep = Folder();
  while (deep.size() < 250) deep += L"d";
  deep += L"\\";
  // Named through a variable, the folder is only known when the package
  // installs: a fixed folder that leaves a member no room ends the build.
  testsupport::ScopedEnv deepFolder(L"VESMARIN_DEEP_FOLDER", deep);
  for (const wchar_t* mode : {L"NoUI=0", L"NoUI=1"}) {
    SCOPED_TRACE(Narrow(mode));
    const std::wstring setup = Build(
        {mode, L"AskExtPath=0", L"ExtractFolder=%VESMARIN_DEEP_FOLDER%"}, nullptr, L"Deep.exe");
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(setup)));
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kUninstallerPathTooLong);
    ASSERT_EQ(session.Boxes().size(), 1u) << BoxTexts(session.Boxes());
    EXPECT_TRUE(StartsWith(session.Boxes()[0].text, Texts().uninstallerTooLong));
    EXPECT_FALSE(PathExists(Folder()));
  }
}

// A Japanese interface: the pages' texts and boxes from the Japanese tables.
// Runs in the "ja." CTest entry only.
TEST_F(WizardPagesE2E, AJapaneseRunShowsTheJapanesePagesAndBoxes) {
  if (!JapaneseUi()) GTEST_SKIP() << "runs with a Japanese interface only";
  for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
    SCOPED_TRACE(Narrow(style));
    const std::wstring tag = style[13] == L'0' ? L"classic" : L"new";
    const std::string file = Utf8File(LongReadMe());
    const std::wstring setup =
        Build({style, L"ExplainToConsent=1", L"ExplainAllRead=1", L"AskExtPath=1"}, &file);
    ASSERT_FALSE(setup.empty());
    WizardSession session([](const SeenBox& box) {
      return StartsWith(box.text, Texts().createQuestion) ? IDYES : IDOK;
    });
    ASSERT_TRUE(Start(session, setup));
    HWND page = NextFromWelcome(session, kReadMe);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(WaitButton(session, kBack, true));
    EXPECT_EQ(session.Text(session.frame(), kNext), L"同意する");
    EXPECT_EQ(session.Text(session.frame(), IDCANCEL), L"同意しない");
    EXPECT_EQ(session.Text(page, kNotice), Texts().readAll);
    EXPECT_FALSE(ButtonEnabled(session, kNext));
    Shot(session, L"readme-" + tag);
    ASSERT_TRUE(ScrollReadMeToEnd(session, page));
    session.Press(PSBTN_NEXT);
    page = session.WaitPage(kDestination);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(FolderShown(session, page));
    EXPECT_EQ(session.Text(page, kConfirmOverwrite), L"上書きするときに確認する(&O)");
    EXPECT_EQ(session.Text(page, 4), L"既定のフォルダーを追加(&D)");
    Shot(session, L"destination-" + tag);
    session.SetTextNoWait(page, kDestination, Folder() + L"新しい|フォルダー");
    ASSERT_TRUE(session.WaitBoxes(1));
    EXPECT_EQ(session.Boxes()[0].text, Texts().invalidChars);
    session.Press(PSBTN_NEXT);
    FinishFromReady(session);
    EXPECT_EQ(session.ExitCode(), kFinished) << BoxTexts(session.Boxes());
    ASSERT_EQ(session.Boxes().size(), 2u) << BoxTexts(session.Boxes());
    EXPECT_TRUE(StartsWith(session.Boxes()[1].text, L"フォルダー " + Folder() + L"新しいフォルダー"));
    EXPECT_TRUE(PathExists(Folder() + L"新しいフォルダー\\a.txt"));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
    testsupport::RemoveTree(Folder());
  }
}

}  // namespace
