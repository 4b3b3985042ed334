// The stub at the head of real builder output: container check, admission
// checks, single instance and the extension module's first events. The
// installation itself is not part of this stub yet: a package that passes
// every check stops with exit code 1 and the "unknown error" message, and
// never creates its extraction folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "StubPackage.h"

namespace {

using stubtest::ScopedEnv;
using stubtest::StubPackages;
using testsupport::DrivenResult;

const DWORD kStopped = 1;        // every check passed; nothing installed
const DWORD kContainerBad = 4;
const DWORD kUntrusted = 7;
const DWORD kAlreadyRunning = 3;
const DWORD kRefused = 0xFFFFFFFF;  // -1

const std::vector<std::wstring> kUltraSilent = {L"NoUI=1", L"UltraSilentInstall=1"};

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

class StubStart : public ::testing::Test, public StubPackages {};

TEST_F(StubStart, IntactPackagePassesTheCheckAndStopsBeforeInstalling) {
  const std::wstring setup = Build(kUltraSilent);
  ASSERT_FALSE(setup.empty());
  DrivenResult run = RunStub(setup);
  EXPECT_EQ(run.exitCode, kStopped);
  EXPECT_TRUE(run.boxes.empty()) << "an ultra-silent run shows nothing";
  EXPECT_FALSE(Installed());

  // One byte more, whatever it is, still passes.
  std::vector<uint8_t> file = Bytes(setup);
  file.push_back(0xA5);
  const std::wstring longer = dir() / L"Longer.exe";
  Save(longer, file);
  EXPECT_EQ(RunStub(longer).exitCode, kStopped);
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
  EXPECT_EQ(RunStub(longer).exitCode, kStopped);
  const uint32_t huge = 0x7FFFFFF0u;
  std::memcpy(&file[layout.headerOffset + 0x0C], &huge, 4);
  Save(longer, file);
  EXPECT_EQ(RunStub(longer).exitCode, kContainerBad);
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
  EXPECT_EQ(RunStub(setup).exitCode, kStopped);
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
  EXPECT_EQ(no.boxes[0].caption, L"Stub Test");
  // Yes goes on to the end of what this stub does.
  DrivenResult yes = RunStub(interactive, L"", [](const testsupport::SeenBox& box) {
    return box.text.find(L"proceed") != std::wstring::npos ? IDYES : IDOK;
  });
  EXPECT_EQ(yes.exitCode, kStopped);
  ASSERT_EQ(yes.boxes.size(), 2u);
  EXPECT_NE(yes.boxes[1].text.find(L"An error occured while installation."), std::wstring::npos);
  EXPECT_NE(yes.boxes[1].text.find(L"Unknown error has been detected."), std::wstring::npos);
}

TEST_F(StubStart, BootableOsThatExcludesThisWindowsTerminatesWithMinusOne) {
  // Wine's kernel32.dll carries the version of Windows 10 (before 11).
  const std::wstring refused =
      Build(With(kUltraSilent, {L"BootOSCheck=1", L"BootableOS=131072"}), {{L"a", "a"}}, L"R.exe");
  ASSERT_FALSE(refused.empty());
  EXPECT_EQ(RunStub(refused).exitCode, kRefused);
  const std::wstring admitted =
      Build(With(kUltraSilent, {L"BootOSCheck=1", L"BootableOS=65536"}), {{L"a", "a"}}, L"A.exe");
  ASSERT_FALSE(admitted.empty());
  EXPECT_EQ(RunStub(admitted).exitCode, kStopped);
  // The package's own message replaces the standard one.
  const std::wstring message = Build({L"BootOSCheck=1", L"BootableOS=131072",
                                      L"OSCheckErrorMsg=Needs Windows 11."},
                                     {{L"a", "a"}}, L"M.exe");
  ASSERT_FALSE(message.empty());
  DrivenResult run = RunStub(message);
  EXPECT_EQ(run.exitCode, kRefused);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, L"Needs Windows 11.");
}

TEST_F(StubStart, RightsChecksPassForWinesAdministrator) {
  const std::wstring setup = Build(With(kUltraSilent, {L"DenyUsers=1", L"OnlyAdmin=1"}));
  ASSERT_FALSE(setup.empty());
  EXPECT_EQ(RunStub(setup).exitCode, kStopped);
}

TEST_F(StubStart, SecondInteractiveStartEndsWithThree) {
  const std::wstring setup = Build({});
  ASSERT_FALSE(setup.empty());
  testsupport::StubRunLock lock;
  testsupport::DrivenProcess first;
  ASSERT_TRUE(first.Start(Line(setup)));
  // The first run holds the mutex while its message box is open.
  std::vector<HWND> boxes;
  for (int i = 0; i < 300 && boxes.empty(); ++i) {
    Sleep(50);
    boxes = first.DialogsWithControl(0xFFFF);
  }
  ASSERT_FALSE(boxes.empty()) << "the first run shows its outcome";
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"vesmarin_class");
  EXPECT_NE(mutex, nullptr);
  if (mutex) CloseHandle(mutex);

  DrivenResult second = RunStub(setup);
  EXPECT_EQ(second.exitCode, kAlreadyRunning);
  ASSERT_EQ(second.boxes.size(), 1u);
  EXPECT_EQ(second.boxes[0].text,
            L"Other setup created by Vesmarin is still running. Please finish it and try again.");

  // A silent start does not ask for the other instance.
  const std::wstring silent = Build(kUltraSilent, {{L"b", "b"}}, L"Silent.exe");
  ASSERT_FALSE(silent.empty());
  EXPECT_EQ(RunStub(silent).exitCode, kStopped);

  ASSERT_TRUE(first.WaitAnswering(nullptr, 30000));
  EXPECT_EQ(first.ExitCode(), kStopped);
}

class ExtensionModule : public StubStart {
 protected:
  std::wstring BuildWithModule(const std::vector<std::wstring>& lines,
                               const std::wstring& dll = L"stubext_both.dll") {
    return Build(With({L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll",
                       L"ExtensionModuleDatFile=ext\\module.dat"},
                      lines),
                 {BinMember(dll, L"ext\\module.dll"), {L"ext\\module.dat", "data for the module"},
                  {L"readme.txt", "Read me."}});
  }
  ScopedEnv suppress_{L"VESMARIN_TESTEXT_SUPPRESS", L"1"};
};

TEST_F(ExtensionModule, SeesEventOneThousandWithTheWholeRecord) {
  const std::wstring setup = BuildWithModule(kUltraSilent);
  ASSERT_FALSE(setup.empty());
  ScopedEnv extract(L"VESMARIN_TESTEXT_EXTRACT", L"readme.txt");
  DrivenResult run = RunStub(setup);
  EXPECT_EQ(run.exitCode, kStopped);
  const std::vector<std::string> events = Events();
  const std::string init = EventLine(events, "event=1000 ");
  ASSERT_FALSE(init.empty());
  EXPECT_NE(init.find(" size=96 wide=1 "), std::string::npos) << init;
  EXPECT_NE(init.find(" title=Stub Test "), std::string::npos) << init;
  EXPECT_NE(init.find(" path=" + testsupport::Narrow(setup) + " "), std::string::npos) << init;
  EXPECT_NE(init.find(" data=data for the module "), std::string::npos) << init;
  EXPECT_NE(init.find(" services=1"), std::string::npos) << init;
  // hostExtractFile works at any time; hostRegisterUninstallPath only while
  // the install work begins.
  EXPECT_NE(init.find(" extracted=Read me. register=0"), std::string::npos) << init;
  // A silent run sends the folder, then the error it stops with.
  const std::string folder = EventLine(events, "event=1006 ");
  EXPECT_NE(folder.find("folder=" + testsupport::Narrow(InstallFolder()) + "\\"), std::string::npos)
      << folder;
  const std::string error = EventLine(events, "event=1007 ");
  EXPECT_NE(error.find("code=10 "), std::string::npos) << error;
  EXPECT_NE(error.find("Unknown error has been detected."), std::string::npos) << error;
  EXPECT_FALSE(Installed());
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
  // Without the answer: the wizard path, no folder event, and thanks to the
  // suppressing module no message box either.
  DrivenResult plain = RunStub(wizard);
  EXPECT_EQ(plain.exitCode, kStopped);
  EXPECT_TRUE(plain.boxes.empty());
  EXPECT_FALSE(HasEvent(Events(), "event=1006 "));
  DeleteFileW(EventLog().c_str());
  {
    ScopedEnv flip(L"VESMARIN_TESTEXT_ANSWER_1000", L"6");
    EXPECT_EQ(RunStub(wizard).exitCode, kStopped);
    EXPECT_TRUE(HasEvent(Events(), "event=1006 ")) << "silent now";
  }
  DeleteFileW(EventLog().c_str());
  const std::wstring silent = BuildWithModule({L"NoUI=1"});
  ASSERT_FALSE(silent.empty());
  ScopedEnv flip(L"VESMARIN_TESTEXT_ANSWER_1000", L"6");
  EXPECT_EQ(RunStub(silent).exitCode, kStopped);
  EXPECT_TRUE(HasEvent(Events(), "event=1000 "));
  EXPECT_FALSE(HasEvent(Events(), "event=1006 ")) << "a wizard now";
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
  EXPECT_EQ(RunStub(setup).exitCode, kStopped);
  const std::string init = EventLine(Events(), "event=1000 ");
  EXPECT_NE(init.find(" size=96 wide=0 title=Stub Test "), std::string::npos) << init;
  EXPECT_NE(init.find(" data=data for the module "), std::string::npos) << init;
  EXPECT_TRUE(HasEvent(Events(), "event=1006 size=96 wide=0 folder="));
}

TEST_F(ExtensionModule, MissingModuleEndsWithTwelve) {
  const std::wstring setup = Build(With(kUltraSilent, {L"UseExtensionModuleFile=1",
                                                       L"ExtensionModuleFile=readme.txt"}));
  ASSERT_FALSE(setup.empty());
  // The member exists but is no library.
  EXPECT_EQ(RunStub(setup).exitCode, 12u);
}

TEST_F(ExtensionModule, PackageSwitchFlipsTheRunAsAWholeToken) {
  const std::wstring setup = BuildWithModule({L"SilentizeSwitch=quiet"});
  ASSERT_FALSE(setup.empty());
  EXPECT_EQ(RunStub(setup, L"/QUIET").exitCode, kStopped);
  EXPECT_TRUE(HasEvent(Events(), "event=1006 ")) << "silent by the switch";
  DeleteFileW(EventLog().c_str());
  EXPECT_EQ(RunStub(setup, L"-quiet").exitCode, kStopped);
  EXPECT_TRUE(HasEvent(Events(), "event=1006 "));
  DeleteFileW(EventLog().c_str());
  EXPECT_EQ(RunStub(setup, L"/qui /quieter").exitCode, kStopped);
  EXPECT_FALSE(HasEvent(Events(), "event=1006 ")) << "no abbreviation, no longer word";
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
  DeleteFileW(EventLog().c_str());
  EXPECT_EQ(RunStub(setup).exitCode, kStopped);
  EXPECT_TRUE(HasEvent(Events(), "event=1006 size=96 wide=1 folder=" + testsupport::Narrow(saved) + "\\"));
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
  testsupport::StubRunLock lock;
  testsupport::DrivenProcess run;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(run.Start(Line(setup)));
  bool seen = false;
  while (run.Running() && GetTickCount() - start < 30000) {
    if (!run.DialogsWithControl(1045).empty()) seen = true;
    Sleep(20);
  }
  EXPECT_FALSE(run.Running());
  EXPECT_TRUE(seen);
  EXPECT_GE(GetTickCount() - start, 1000u);
  EXPECT_EQ(run.ExitCode(), kStopped);
}

}  // namespace
