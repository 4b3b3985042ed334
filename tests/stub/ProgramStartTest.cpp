// Command lines of started programs, the start itself and the wait for its
// end, and the rule for which web links may be opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PostInstallTestUtil.h"
#include "ProgramStart.h"
#include "TestSupport.h"
#include "Waiting.h"

namespace {

using postinsttest::ReadLines;

// A copy of the probe program in a temporary folder; its record goes to
// "<copy>.txt".
struct Probe {
  explicit Probe(const std::wstring& name = L"probe.exe") {
    path = dir / name;
    EXPECT_TRUE(CopyFileW(testsupport::BinPath(L"envprobe.exe").c_str(), path.c_str(), FALSE));
  }
  std::vector<std::string> Record() const { return ReadLines(path + L".txt"); }
  testsupport::TempDir dir{L"probe dir"};
  std::wstring path;
};

TEST(CommandLine, QuotesPathsWithBlanksAndAddsTheArguments) {
  wchar_t out[stub::kCommandLineCapacity];
  ASSERT_TRUE(stub::ComposeCommandLine(L"C:\\App\\run.exe", L"", out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"C:\\App\\run.exe");
  ASSERT_TRUE(stub::ComposeCommandLine(L"C:\\My App\\run.exe", L"-a \"b c\"", out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"\"C:\\My App\\run.exe\" -a \"b c\"");
  ASSERT_TRUE(stub::ComposeCommandLine(L"C:\\App\\run.exe", nullptr, out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"C:\\App\\run.exe");
  EXPECT_FALSE(stub::ComposeCommandLine(L"", L"-a", out, ARRAYSIZE(out)));
}

TEST(CommandLine, TheLongestSettingsFitAndAnythingLongerIsRefusedWhole) {
  // A 259-character path with a blank, arguments of 259 + 1 + 259
  // characters (CmdArgs, blank, PassRebootSwitch).
  const std::wstring path = L"C:\\A B\\" + std::wstring(248, L'p') + L".exe";
  ASSERT_EQ(path.size(), 259u);
  const std::wstring args = std::wstring(259, L'a') + L" " + std::wstring(259, L'r');
  wchar_t out[stub::kCommandLineCapacity];
  ASSERT_TRUE(stub::ComposeCommandLine(path.c_str(), args.c_str(), out, ARRAYSIZE(out)));
  EXPECT_EQ(std::wstring(out), L"\"" + path + L"\" " + args);

  const std::wstring tooMany(stub::kCommandLineCapacity, L'x');
  out[0] = L'?';
  EXPECT_FALSE(stub::ComposeCommandLine(path.c_str(), tooMany.c_str(), out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"") << "never a cut command line";
  wchar_t small[16];
  EXPECT_FALSE(stub::ComposeCommandLine(L"C:\\App\\run.exe", L"-a", small, ARRAYSIZE(small)));
  EXPECT_STREQ(small, L"");
}

TEST(ProgramStart, ExeFilesAreRecognisedByTheirNameOnly) {
  EXPECT_TRUE(stub::IsExeFile(L"C:\\a\\setup.exe"));
  EXPECT_TRUE(stub::IsExeFile(L"SETUP.EXE"));
  EXPECT_FALSE(stub::IsExeFile(L"C:\\a\\readme.txt"));
  EXPECT_FALSE(stub::IsExeFile(L"C:\\a\\setup.exe.txt"));
  EXPECT_FALSE(stub::IsExeFile(L"exe"));
  EXPECT_FALSE(stub::IsExeFile(nullptr));
}

TEST(ProgramStart, StartsTheProgramWithItsArgumentsAndWaitsForItsEnd) {
  Probe probe;
  PROCESS_INFORMATION process;
  ASSERT_GE(stub::StartProgram(false, probe.path.c_str(), L"--sleep=600 \"two words\"", &process), 0);
  ASSERT_NE(process.hProcess, nullptr);
  const ULONGLONG started = GetTickCount64();
  stub::WaitForProgramEnd(process.hProcess);
  EXPECT_GE(GetTickCount64() - started, 400u);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  const std::vector<std::string> record = probe.Record();
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.front(), "start");
  EXPECT_EQ(record.back(), "end");
  EXPECT_NE(std::find(record.begin(), record.end(), "arg=two words"), record.end());
}

TEST(ProgramStart, AProgramEndingWithCode259IsSeenToHaveEnded) {
  Probe probe;
  PROCESS_INFORMATION process;
  ASSERT_GE(stub::StartProgram(false, probe.path.c_str(), L"--exit=259", &process), 0);
  stub::WaitForProgramEnd(process.hProcess);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_EQ(code, 259u);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  stub::WaitForProgramEnd(nullptr);  // nothing to wait for
}

TEST(ProgramStart, NotElevatedStartStillHandsTheEnvironmentOn) {
  Probe probe;
  SetEnvironmentVariableW(L"VESMARIN_NEED_REBOOT", L"1");
  PROCESS_INFORMATION process;
  const int result = stub::StartProgram(true, probe.path.c_str(), L"", &process);
  SetEnvironmentVariableW(L"VESMARIN_NEED_REBOOT", nullptr);
  ASSERT_GE(result, 0);
  ASSERT_NE(process.hProcess, nullptr);
  stub::WaitForProgramEnd(process.hProcess);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  const std::vector<std::string> record = probe.Record();
  EXPECT_NE(std::find(record.begin(), record.end(), "reboot=1"), record.end());
}

TEST(ProgramStart, FailuresAreNegativeAndStartNothing) {
  Probe probe;
  PROCESS_INFORMATION process;
  EXPECT_LT(stub::StartProgram(false, (probe.dir / L"missing.exe").c_str(), L"", &process), 0);
  EXPECT_EQ(process.hProcess, nullptr);
  EXPECT_LT(stub::StartProgram(false, L"", L"", &process), 0);
  const std::wstring tooLong(stub::kCommandLineCapacity, L'x');
  EXPECT_LT(stub::StartProgram(false, probe.path.c_str(), tooLong.c_str(), &process), 0);
  EXPECT_EQ(process.hProcess, nullptr);
  // Started, it would run now or have written its record.
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(probe.path));
  EXPECT_TRUE(probe.Record().empty()) << "a command line that does not fit starts nothing";
}

TEST(WebLink, OnlyHttpHttpsAndMailtoAddressesAreOpened) {
  for (const wchar_t* good : {L"http://example.com/", L"HTTPS://example.com/a?b=c&d=e",
                              L"mailto:someone@example.com", L"https://x"}) {
    SCOPED_TRACE(testsupport::Narrow(good));
    EXPECT_TRUE(stub::IsOpenableWebLink(good));
  }
  for (const wchar_t* bad :
       {L"", L"http://", L"mailto:", L"example.com", L"file:///C:/Windows/system32/calc.exe",
        L"C:\\Windows\\system32\\calc.exe", L"javascript:alert(1)", L"ftp://example.com/",
        L"http://x\" & calc & \"", L"http://x & calc", L"http://x\tcalc", L"http://x\r\nstart calc",
        L" http://example.com/", L"\\\\server\\share\\x.exe", L"shell:startup"}) {
    SCOPED_TRACE(testsupport::Narrow(bad));
    EXPECT_FALSE(stub::IsOpenableWebLink(bad));
  }
  EXPECT_FALSE(stub::IsOpenableWebLink(nullptr));
  EXPECT_TRUE(stub::IsOpenableWebLink((L"http://" + std::wstring(252, L'a')).c_str()));
  EXPECT_FALSE(stub::IsOpenableWebLink((L"http://" + std::wstring(253, L'a')).c_str()));
}

}  // namespace
