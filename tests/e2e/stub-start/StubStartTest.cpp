// The stub at the head of real builder output: container check, admission
// checks, single instance and the extension module's first events. A silent
// package that passes every check installs and ends with 0; an interactive
// one shows its wizard, which these tests cancel on its first page (exit
// code 17, nothing installed).
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "StubFixture.h"

namespace {

using stubtest::Bytes;
using stubtest::Save;
using testsupport::DrivenResult;
using testsupport::InstallerPackage;
using testsupport::ScopedEnv;

const DWORD kInstalled = 0;
const DWORD kWizardClosed = 17;  // every check passed; the wizard was cancelled
const int kWizardNext = 12324;   // the wizard frame's Next button
const DWORD kContainerBad = 4;
const DWORD kUntrusted = 7;
const DWORD kAlreadyRunning = 3;
const DWORD kRefused = 0xFFFFFFFF;  // -1

const std::vector<std::wstring> kUltraSilent = {L"NoUI=1", L"UltraSilentInstall=1"};
const testsupport::PackageMembers kReadMe = stubtest::StubTest::ReadMe();

std::vector<std::wstring> With(std::vector<std::wstring> lines, const std::vector<std::wstring>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

bool HasEvent(const std::vector<std::string>& events, const std::string& start) {
  for (const std::string& e : events)
    if (e.compare(0, start.size(), start) == 0) return true;
  return false;
}

std::string EventLine(const std::vector<std::string>& events, const std::string& start) {
  for (const std::string& e : events)
    if (e.compare(0, start.size(), start) == 0) return e;
  return std::string();
}

// Presses Cancel on the wizard's first page once the wizard is there;
// records that it was.
struct WizardCanceller {
  bool* seen;
  void operator()(const testsupport::DrivenProcess& process) const {
    for (HWND frame : process.DialogsWithControl(kWizardNext)) {
      if (!IsWindowVisible(frame)) continue;
      *seen = true;
      PostMessageW(frame, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
  }
};

typedef stubtest::StubTest StubStart;

TEST_F(StubStart, IntactPackagePassesTheCheckAndInstalls) {
  const std::wstring setup = Build(kUltraSilent);
  ASSERT_FALSE(setup.empty());
  DrivenResult run = RunStub(setup);
  EXPECT_EQ(run.exitCode, kInstalled);
  EXPECT_TRUE(run.boxes.empty()) << "an ultra-silent run shows nothing";
  EXPECT_TRUE(TakeInstalledReadMe());

  // One byte more, whatever it is, still passes.
  std::vector<uint8_t> file = Bytes(setup);
  file.push_back(0xA5);
  const std::wstring longer = dir() / L"Longer.exe";
  Save(longer, file);
  EXPECT_EQ(RunStub(longer).exitCode, kInstalled);
  EXPECT_TRUE(TakeInstalledReadMe());
}

TEST_F(StubStart, DamagedPackagesEndWithCodeFourAndExtractNothing) {
  const std::wstring setup = Build(kUltraSilent);
  ASSERT_FALSE(setup.empty());
  const std::vector<uint8_t> good = Bytes(setup);
  const stubtest::Layout layout = stubtest::LayoutOf(good);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"two extra bytes", good});
  cases.back().bytes.push_back(0);
  cases.back().bytes.push_back(0);
  cases.push_back({"flipped archive byte", good});
  cases.back().bytes[layout.headerOffset + layout.archiveOffset + 40] ^= 0x10;
  cases.push_back({"flipped Crc16", good});
  cases.back().bytes[layout.headerOffset + 0x14] ^= 0x01;
  cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.end() - 7)});
  cases.push_back({"flipped stub byte", good});
  cases.back().bytes[400] ^= 0x01;
  // A header claiming a settings block far beyond the file's end.
  cases.push_back({"huge SettingsSize", good});
  const uint32_t huge = 0xFFFFFF00u;
  std::memcpy(&cases.back().bytes[layout.headerOffset + 0x0C], &huge, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring bad = dir() / L"Bad.exe";
    Save(bad, c.bytes);
    EXPECT_EQ(RunStub(bad).exitCode, kContainerBad);
    EXPECT_FALSE(Installed());
  }
}

TEST_F(StubStart, NoCrcCheckSkipsTheSizeRuleButNotTheBounds) {
  const std::wstring setup = Build(With(kUltraSilent, {L"NoCRCCheck=1"}));
  ASSERT_FALSE(setup.empty());
  std::vector<uint8_t> file = Bytes(setup);
  const stubtest::Layout layout = stubtest::LayoutOf(file);
  file.push_back(1);
  file.push_back(2);
  file.push_back(3);
  const std::wstring longer = dir() / L"Longer.exe";
  Save(longer, file);
  EXPECT_EQ(RunStub(longer).exitCode, kInstalled);
  EXPECT_TRUE(TakeInstalledReadMe());
  const uint32_t huge = 0x7FFFFFF0u;
  std::memcpy(&file[layout.headerOffset + 0x0C], &huge, 4);
  Save(longer, file);
  EXPECT_EQ(RunStub(longer).exitCode, kContainerBad);
  EXPECT_FALSE(Installed());
}

TEST_F(StubStart, DamagedInteractivePackageShowsTheCrcMessage) {
  const std::wstring setup = Build({}, {{L"readme.txt", "x"}}, L"MySetup.exe");
  ASSERT_FALSE(setup.empty());
  std::vector<uint8_t> file = Bytes(setup);
  file[file.size() - 3] ^= 0xFF;
  Save(setup, file);
  DrivenResult run = RunStub(setup);
  EXPECT_EQ(run.exitCode, kContainerBad);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, L"MySetup.exe - program execution error");
  EXPECT_NE(run.boxes[0].text.find(L"(CRC error)"), std::wstring::npos);
}

TEST_F(StubStart, Deny64bitModeDoesNotRefuseTheSixtyFourBitStub) {
  // The refusal (exit code 6) is for a 32-bit stub under Wow64, which this
  // machine cannot run; the 64-bit stub is never refused by it.
  const std::wstring setup = Build(With(kUltraSilent, {L"Deny64bitMode=1"}));
  ASSERT_FALSE(setup.empty());
  EXPECT_EQ(RunStub(setup).exitCode, kInstalled);
  EXPECT_TRUE(TakeInstalledReadMe());
}

TEST_F(StubStart, CheckTrustOnAnUnsignedPackage) {
  const std::wstring silent = Build(With(kUltraSilent, {L"CheckTrust=1"}), {{L"a.txt", "a"}}, L"S.exe");
  ASSERT_FALSE(silent.empty());
  EXPECT_EQ(RunStub(silent).exitCode, kUntrusted);

  const std::wstring interactive = Build({L"CheckTrust=1"}, {{L"a.txt", "a"}}, L"I.exe");
  ASSERT_FALSE(interactive.empty());
  DrivenResult no = RunStub(interactive, L"", [](const testsupport::SeenBox&) { return IDNO; });
  EXPECT_EQ(no.exitCode, kUntrusted);
  ASSERT_EQ(no.boxes.size(), 1u);
  EXPECT_NE(no.boxes[0].text.find(L"Are you sure you want to proceed?"), std::wstring::npos);
  EXPECT_EQ(no.boxes[0].caption, InstallerPackage::Title());
  // Yes goes on to the wizard.
  bool wizard = false;
  DrivenResult yes = RunStub(
      interactive, L"",
      [](const testsupport::SeenBox& box) {
        return box.text.find(L"proceed") != std::wstring::npos ? IDYES : IDOK;
      },
      WizardCanceller{&wizard});
  EXPECT_TRUE(wizard);
  EXPECT_EQ(yes.exitCode, kWizardClosed);
  EXPECT_EQ(yes.boxes.size(), 1u);
}

TEST_F(StubStart, BootableOsThatExcludesThisWindowsTerminatesWithMinusOne) {
  // Wine's kernel32.dll carries the version of Windows 10 (before 11).
  const std::wstring refused =
      Build(With(kUltraSilent, {L"BootOSCheck=1", L"BootableOS=131072"}), kReadMe, L"R.exe");
  ASSERT_FALSE(refused.empty());
  EXPECT_EQ(RunStub(refused).exitCode, kRefused);
  EXPECT_FALSE(Installed());
  const std::wstring admitted =
      Build(With(kUltraSilent, {L"BootOSCheck=1", L"BootableOS=65536"}), kReadMe, L"A.exe");
  ASSERT_FALSE(admitted.empty());
  EXPECT_EQ(RunStub(admitted).exitCode, kInstalled);
  EXPECT_TRUE(TakeInstalledReadMe());
  // The package's own message replaces the standard one.
  const std::wstring message = Build({L"BootOSCheck=1", L"BootableOS=131072",
                                      L"OSCheckErrorMsg=Needs Windows 11."},
                                     kReadMe, L"M.exe");
  ASSERT_FALSE(message.empty());
  DrivenResult run = RunStub(message);
  EXPECT_EQ(run.exitCode, kRefused);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, L"Needs Windows 11.");
  EXPECT_FALSE(Installed());
}

TEST_F(StubStart, RightsChecksPassForWinesAdministrator) {
  const std::wstring setup = Build(With(kUltraSilent, {L"DenyUsers=1", L"OnlyAdmin=1"}));
  ASSERT_FALSE(setup.empty());
  EXPECT_EQ(RunStub(setup).exitCode, kInstalled);
  EXPECT_TRUE(TakeInstalledReadMe());
}

TEST_F(StubStart, SecondInteractiveStartEndsWithThree) {
  const std::wstring setup = Build({});
  ASSERT_FALSE(setup.empty());
  testsupport::StubRunLock lock;
  testsupport::DrivenProcess first;
  ASSERT_TRUE(first.Start(InstallerPackage::CommandLine(setup)));
  // The first run holds the mutex while its wizard is open.
  std::vector<HWND> wizards;
  for (int i = 0; i < 300 && wizards.empty(); ++i) {
    Sleep(50);
    wizards = first.DialogsWithControl(kWizardNext);
  }
  ASSERT_FALSE(wizards.empty()) << "the first run shows its wizard";
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"vesmarin_class");
  EXPECT_NE(mutex, nullptr);
  if (mutex) CloseHandle(mutex);

  DrivenResult second = RunStub(setup);
  EXPECT_EQ(second.exitCode, kAlreadyRunning);
  ASSERT_EQ(second.boxes.size(), 1u);
  EXPECT_EQ(second.boxes[0].text,
            L"Other setup created by Vesmarin is still running. Please finish it and try again.");

  // A silent start does not ask for the other instance.
  const std::wstring silent = Build(kUltraSilent, kReadMe, L"Silent.exe");
  ASSERT_FALSE(silent.empty());
  EXPECT_EQ(RunStub(silent).exitCode, kInstalled);
  EXPECT_TRUE(TakeInstalledReadMe());

  PostMessageW(wizards[0], PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  ASSERT_TRUE(first.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(first.ExitCode(), kWizardClosed);
  EXPECT_FALSE(Installed());
}

class ExtensionModule : public StubStart {
 protected:
  std::wstring BuildWithModule(const std::vector<std::wstring>& lines,
                               const std::wstring& dll = L"stubext_both.dll",
                               const std::wstring& name = L"Setup.exe") {
    return Build(With({L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll",
                       L"ExtensionModuleDatFile=ext\\module.dat"},
                      lines),
                 {InstallerPackage::BinMember(dll, L"ext\\module.dll"),
                  {L"ext\\module.dat", "data for the module"},
                  kReadMe[0]},
                 name);
  }
  // The run went the silent way: the folder event, then the installation.
  bool RanSilently() {
    const bool folderEvent = HasEvent(Events(), "event=1006 ");
    ForgetEvents();
    return TakeInstalledReadMe() && folderEvent;
  }
  // Runs, cancelling the wizard when one appears.
  DrivenResult RunCancellingWizard(const std::wstring& program, const std::wstring& arguments = L"") {
    sawWizard_ = false;
    return RunStub(program, arguments, nullptr, WizardCanceller{&sawWizard_});
  }
  // The run went the wizard's way: the wizard appeared, was cancelled on its
  // first page, and nothing was installed or reported as an error.
  bool RanTheWizard() {
    const std::vector<std::string> events = Events();
    ForgetEvents();
    return sawWizard_ && !HasEvent(events, "event=1007 ") && !Installed();
  }
  bool sawWizard_ = false;
  ScopedEnv suppress_{L"VESMARIN_TESTEXT_SUPPRESS", L"1"};
};

TEST_F(ExtensionModule, SeesEventOneThousandWithTheWholeRecord) {
  // Held through the look into the temporary folder below, so no other run
  // has its module's copies there at the time.
  testsupport::StubRunLock lock;
  const std::wstring setup = BuildWithModule(kUltraSilent);
  ASSERT_FALSE(setup.empty());
  ScopedEnv extract(L"VESMARIN_TESTEXT_EXTRACT", L"readme.txt");
  DrivenResult run = RunStub(setup);
  EXPECT_EQ(run.exitCode, kInstalled);
  const std::vector<std::string> events = Events();
  ASSERT_FALSE(events.empty());
  const std::string init = events[0];
  ASSERT_EQ(init.compare(0, 11, "event=1000 "), 0) << "the first event: " << init;
  EXPECT_NE(init.find(" size=96 wide=1 "), std::string::npos) << init;
  EXPECT_NE(init.find(" title=" + testsupport::Narrow(InstallerPackage::Title()) + " "),
            std::string::npos)
      << init;
  EXPECT_NE(init.find(" path=" + testsupport::Narrow(setup) + " "), std::string::npos) << init;
  EXPECT_NE(init.find(" data=data for the module "), std::string::npos) << init;
  EXPECT_NE(init.find(" services=1"), std::string::npos) << init;
  // hostExtractFile works at any time; hostRegisterUninstallPath only while
  // the install work begins.
  EXPECT_NE(init.find(" extracted=" + kReadMe[0].second + " register=0"), std::string::npos)
      << init;
  // A silent run sends the folder next, and installs without an error.
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[1], "event=1006 size=96 wide=1 folder=" +
                           testsupport::Narrow(InstallFolder()));
  EXPECT_FALSE(HasEvent(events, "event=1007 ")) << EventLine(events, "event=1007 ");
  EXPECT_TRUE(TakeInstalledReadMe());
  // The module's temporary copies are gone.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  WIN32_FIND_DATAW found;
  for (const wchar_t* pattern : {L"qxe*.tmp", L"qxi*.tmp"}) {
    HANDLE search = FindFirstFileW((std::wstring(temp) + pattern).c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << testsupport::Narrow(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
  }
}

TEST_F(ExtensionModule, AnswerSixTurnsAWizardIntoASilentRunAndBack) {
  const std::wstring wizard = BuildWithModule({});
  ASSERT_FALSE(wizard.empty());
  // Without the answer: the wizard path.
  DrivenResult plain = RunCancellingWizard(wizard);
  EXPECT_EQ(plain.exitCode, kWizardClosed);
  EXPECT_TRUE(plain.boxes.empty());
  EXPECT_TRUE(RanTheWizard());
  {
    ScopedEnv flip(L"VESMARIN_TESTEXT_ANSWER_1000", L"6");
    EXPECT_EQ(RunCancellingWizard(wizard).exitCode, kInstalled);
    EXPECT_TRUE(RanSilently()) << "silent now";
  }
  const std::wstring silent = BuildWithModule({L"NoUI=1"}, L"stubext_both.dll", L"Silent.exe");
  ASSERT_FALSE(silent.empty());
  ScopedEnv flip(L"VESMARIN_TESTEXT_ANSWER_1000", L"6");
  EXPECT_EQ(RunCancellingWizard(silent).exitCode, kWizardClosed);
  EXPECT_TRUE(RanTheWizard()) << "a wizard now";
}

TEST_F(ExtensionModule, OtherAnswersStopTheRun) {
  const std::wstring setup = BuildWithModule(kUltraSilent);
  ASSERT_FALSE(setup.empty());
  {
    ScopedEnv stop(L"VESMARIN_TESTEXT_ANSWER_1000", L"2");
    EXPECT_EQ(RunStub(setup).exitCode, 13u);
  }
  {
    ScopedEnv refuse(L"VESMARIN_TESTEXT_ANSWER_1006", L"1");
    EXPECT_EQ(RunStub(setup).exitCode, 13u);
  }
  {
    // A module that faults counts as answering 1.
    ScopedEnv fault(L"VESMARIN_TESTEXT_FAULT_1000", L"1");
    EXPECT_EQ(RunStub(setup).exitCode, 13u);
  }
  EXPECT_FALSE(Installed());
}

TEST_F(ExtensionModule, AnsiModuleGetsTheAnsiRecord) {
  const std::wstring setup = BuildWithModule(kUltraSilent, L"stubext_ansi.dll");
  ASSERT_FALSE(setup.empty());
  EXPECT_EQ(RunStub(setup).exitCode, kInstalled);
  const std::vector<std::string> events = Events();
  const std::string init = EventLine(events, "event=1000 ");
  EXPECT_NE(init.find(" size=96 wide=0 title=" + testsupport::Narrow(InstallerPackage::Title()) +
                      " "),
            std::string::npos)
      << init;
  EXPECT_NE(init.find(" data=data for the module "), std::string::npos) << init;
  EXPECT_EQ(EventLine(events, "event=1006 "),
            "event=1006 size=96 wide=0 folder=" + testsupport::Narrow(InstallFolder()));
  EXPECT_TRUE(TakeInstalledReadMe());
}

TEST_F(ExtensionModule, MissingModuleEndsWithTwelve) {
  const std::wstring setup = Build(With(kUltraSilent, {L"UseExtensionModuleFile=1",
                                                       L"ExtensionModuleFile=readme.txt"}));
  ASSERT_FALSE(setup.empty());
  // The member exists but is no library.
  EXPECT_EQ(RunStub(setup).exitCode, 12u);
  EXPECT_FALSE(Installed());
}

TEST_F(ExtensionModule, PackageSwitchFlipsTheRunAsAWholeToken) {
  // A wizard package turns silent...
  const std::wstring wizard = BuildWithModule({L"SilentizeSwitch=quiet"});
  ASSERT_FALSE(wizard.empty());
  EXPECT_EQ(RunCancellingWizard(wizard, L"/QUIET").exitCode, kInstalled);
  EXPECT_TRUE(RanSilently()) << "silent by the switch";
  // ...and a silent one into a wizard, with "-" as well; an abbreviation or
  // a longer word is no switch.
  const std::wstring silent =
      BuildWithModule(With(kUltraSilent, {L"SilentizeSwitch=quiet"}), L"stubext_both.dll",
                      L"Silent.exe");
  ASSERT_FALSE(silent.empty());
  EXPECT_EQ(RunCancellingWizard(silent, L"-quiet").exitCode, kWizardClosed);
  EXPECT_TRUE(RanTheWizard()) << "a wizard by the switch";
  EXPECT_EQ(RunCancellingWizard(silent, L"/qui /quieter").exitCode, kInstalled);
  EXPECT_TRUE(RanSilently()) << "no abbreviation, no longer word";
}

TEST_F(ExtensionModule, SavedInstallPathFromTheRegistry) {
  const std::wstring key = L"Software\\VesmarinStubE2E\\" + std::to_wstring(GetCurrentProcessId());
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  const std::wstring setup = BuildWithModule(With(
      kUltraSilent, {L"UseSavePath=1", L"SavePath_RootKey=0", L"SavePathKey=" + key,
                     L"SavePathValue=InstallDir", L"FailIfPathRegNotExist=1"}));
  ASSERT_FALSE(setup.empty());
  // Missing and required: 15.
  EXPECT_EQ(RunStub(setup).exitCode, 15u);
  // Present: it becomes the folder.
  const std::wstring saved = dir() / L"saved place";
  RegSetValueExW(handle, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                 static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
  ForgetEvents();
  EXPECT_EQ(RunStub(setup).exitCode, kInstalled);
  EXPECT_EQ(EventLine(Events(), "event=1006 "),
            "event=1006 size=96 wide=1 folder=" + testsupport::Narrow(saved) + "\\");
  std::vector<uint8_t> installed;
  EXPECT_TRUE(testsupport::ReadFileBytes(saved + L"\\readme.txt", installed));
  // Too long or malformed: treated as missing.
  for (const std::wstring& bad : {L"C:\\" + std::wstring(300, L'x'), std::wstring(L"C:\\a|b")}) {
    RegSetValueExW(handle, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(bad.c_str()),
                   static_cast<DWORD>((bad.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(RunStub(setup).exitCode, 15u);
  }
  RegCloseKey(handle);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  EXPECT_FALSE(Installed());
}

TEST_F(ExtensionModule, SilentRunShowsTheProgressWindowForAtLeastASecond) {
  const std::wstring setup = BuildWithModule({L"NoUI=1"});
  ASSERT_FALSE(setup.empty());
  const int kText = 1045;
  std::vector<std::wstring> texts;  // the window's texts in the order seen
  const DWORD start = GetTickCount();
  DrivenResult run = RunStub(setup, L"", nullptr, [&](const testsupport::DrivenProcess& process) {
    for (HWND window : process.DialogsWithControl(kText)) {
      wchar_t text[256] = L"";
      GetDlgItemTextW(window, kText, text, 256);
      if (texts.empty() || texts.back() != text) texts.push_back(text);
    }
  });
  EXPECT_GE(GetTickCount() - start, 1000u);
  EXPECT_EQ(run.exitCode, kInstalled);
  EXPECT_TRUE(run.boxes.empty());
  // The checking window stays on as the progress window.
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0], L"Checking files...");
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"Extracting files..."), texts.end());
  EXPECT_TRUE(RanSilently());
}

}  // namespace
