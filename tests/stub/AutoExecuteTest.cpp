// The programs started after the installation: the main command with the
// restart switch, the further items, the not-written list and the three
// environment variables.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AutoExecute.h"
#include "PostInstallTestUtil.h"
#include "ProgramStart.h"
#include "StubState.h"
#include "TestSupport.h"
#include "Waiting.h"

namespace {

using postinsttest::ReadLines;
using postinsttest::ScopedSettings;
using postinsttest::Set;

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
  return length == 0 ? L"(unset)" : std::wstring(buffer, length);
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Waits until the file has a complete record (the items are not waited for).
std::vector<std::string> AwaitRecord(const std::wstring& path, DWORD ms = 10000) {
  const ULONGLONG until = GetTickCount64() + ms;
  std::vector<std::string> lines;
  while (GetTickCount64() < until) {
    lines = ReadLines(path);
    if (!lines.empty() && lines.back() == "end") break;
    Sleep(50);
  }
  return lines;
}

TEST(MainArguments, RestartSwitchFollowsOnlyWithAPendingRestart) {
  wchar_t out[600];
  ASSERT_TRUE(stub::ComposeMainArguments(L"-a", L"/reboot", true, out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"-a /reboot");
  ASSERT_TRUE(stub::ComposeMainArguments(L"-a", L"/reboot", false, out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"-a");
  ASSERT_TRUE(stub::ComposeMainArguments(L"-a", L"", true, out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"-a");
  ASSERT_TRUE(stub::ComposeMainArguments(L"", L"/reboot", true, out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L" /reboot");

  const std::wstring args(259, L'a'), sw(259, L'r');
  ASSERT_TRUE(stub::ComposeMainArguments(args.c_str(), sw.c_str(), true, out, 260 + 260));
  EXPECT_EQ(std::wstring(out), args + L" " + sw);
  EXPECT_FALSE(stub::ComposeMainArguments(args.c_str(), sw.c_str(), true, out, 519));
  EXPECT_STREQ(out, L"");
}

TEST(AutoExecEnvironment, DescribesTheInstallationAndIsRemovedAgain) {
  stub::SetAutoExecEnvironment(L"C:\\Dl\\Setup.exe", L"C:\\Apps\\Example\\", true);
  EXPECT_EQ(Env(stub::kEnvExecutablePath), L"C:\\Dl\\Setup.exe");
  EXPECT_EQ(Env(stub::kEnvExtractPath), L"C:\\Apps\\Example");
  EXPECT_EQ(Env(stub::kEnvNeedReboot), L"1");
  stub::SetAutoExecEnvironment(L"C:\\Dl\\Setup.exe", L"D:\\", false);
  EXPECT_EQ(Env(stub::kEnvExtractPath), L"D:\\") << "a drive root keeps its backslash";
  EXPECT_EQ(Env(stub::kEnvNeedReboot), L"0");
  stub::ClearAutoExecEnvironment();
  EXPECT_EQ(Env(stub::kEnvExecutablePath), L"(unset)");
  EXPECT_EQ(Env(stub::kEnvExtractPath), L"(unset)");
  EXPECT_EQ(Env(stub::kEnvNeedReboot), L"(unset)");
}

class AutoExecuteRun : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path();
    ASSERT_TRUE(CreateDirectoryW((root_ + L"bin").c_str(), nullptr));
    for (const wchar_t* name : {L"bin\\main.exe", L"item.exe", L"in use.exe"})
      ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"envprobe.exe").c_str(), (root_ + name).c_str(),
                            FALSE));
    lstrcpynW(saved_, stub::g_OwnPath, MAX_PATH);
    lstrcpynW(stub::g_OwnPath, L"C:\\Downloads\\Setup.exe", MAX_PATH);
  }
  void TearDown() override { lstrcpynW(stub::g_OwnPath, saved_, MAX_PATH); }

  testsupport::TempDir dir_{L"auto exec"};
  std::wstring root_;
  wchar_t saved_[MAX_PATH];
};

TEST_F(AutoExecuteRun, StartsTheMainCommandAndTheItemsThatWereWritten) {
  ScopedSettings s(root_);
  Set(s->CmdLine, L"bin\\main.exe");
  Set(s->CmdArgs, L"one \"two three\"");
  Set(s->PassRebootSwitch, L"/afterreboot");
  s->AutoExecCount = 3;
  Set(s->AutoExec[0].File, L"item.exe");
  Set(s->AutoExec[0].Args, L"--item");
  s->AutoExec[0].NonElevate = true;
  Set(s->AutoExec[1].Args, L"arguments only");  // names nothing to start
  Set(s->AutoExec[2].File, L"in use.exe");
  stub::AutoExecInputs inputs;
  inputs.restartPending = true;
  inputs.notWritten.push_back(root_ + L"IN USE.EXE");

  PROCESS_INFORMATION main;
  ASSERT_TRUE(stub::RunAutoExecute(inputs, &main));
  ASSERT_NE(main.hProcess, nullptr) << "the main command's process comes back";
  stub::WaitForProgramEnd(main.hProcess);
  CloseHandle(main.hProcess);
  CloseHandle(main.hThread);
  EXPECT_EQ(Env(stub::kEnvNeedReboot), L"(unset)") << "the variables are removed afterwards";

  const std::vector<std::string> record = ReadLines(root_ + L"bin\\main.exe.txt");
  std::wstring folder = root_;
  folder.pop_back();
  EXPECT_TRUE(Has(record, "exe=C:\\Downloads\\Setup.exe"));
  EXPECT_TRUE(Has(record, "extract=" + testsupport::Narrow(folder)));
  EXPECT_TRUE(Has(record, "reboot=1"));
  EXPECT_TRUE(Has(record, "cmdline=one \"two three\" /afterreboot"));
  EXPECT_TRUE(Has(record, "arg=two three"));
  EXPECT_TRUE(Has(record, "arg=/afterreboot"));

  const std::vector<std::string> item = AwaitRecord(root_ + L"item.exe.txt");
  EXPECT_TRUE(Has(item, "cmdline=--item"));
  EXPECT_TRUE(Has(item, "reboot=1"));
  // Started, it would run now or have written its record.
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(root_ + L"in use.exe"));
  EXPECT_FALSE(testsupport::PathExists(root_ + L"in use.exe.txt"))
      << "a file found in use is not started";
}

TEST_F(AutoExecuteRun, WithoutARestartTheSwitchStaysAwayAndAFailedStartIsReported) {
  ScopedSettings s(root_);
  Set(s->CmdLine, L"bin\\main.exe");
  Set(s->CmdArgs, L"-x");
  Set(s->PassRebootSwitch, L"/afterreboot");
  s->AutoExecCount = 1;
  Set(s->AutoExec[0].File, L"missing.exe");
  stub::AutoExecInputs inputs;
  PROCESS_INFORMATION main;
  EXPECT_FALSE(stub::RunAutoExecute(inputs, &main)) << "the missing item fails the run";
  ASSERT_NE(main.hProcess, nullptr);
  stub::WaitForProgramEnd(main.hProcess);
  CloseHandle(main.hProcess);
  CloseHandle(main.hThread);
  const std::vector<std::string> record = ReadLines(root_ + L"bin\\main.exe.txt");
  EXPECT_TRUE(Has(record, "cmdline=-x"));
  EXPECT_TRUE(Has(record, "reboot=0"));

  // A main command found in use is not started, which is no failure.
  DeleteFileW((root_ + L"bin\\main.exe.txt").c_str());
  s->AutoExecCount = 0;
  inputs.notWritten.push_back(root_ + L"bin\\main.exe");
  EXPECT_TRUE(stub::RunAutoExecute(inputs, &main));
  EXPECT_EQ(main.hProcess, nullptr);
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(root_ + L"bin\\main.exe"));
  EXPECT_FALSE(testsupport::PathExists(root_ + L"bin\\main.exe.txt"));
}

}  // namespace
