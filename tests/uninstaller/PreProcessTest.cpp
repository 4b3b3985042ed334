// The programs run before the removal and the associated-program command.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "PreProcess.h"
#include "RemovalFixtures.h"
#include "TestSupport.h"

namespace {

TEST_F(ProbeRun, PreProcessProgramsByType) {
  std::wstring exe = dir_ / L"Before Remove.EXE";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstprobe.exe").c_str(), exe.c_str(), FALSE));
  PROCESS_INFORMATION process = {};
  ASSERT_EQ(RunPreProcess(exe.c_str(), L"one two", &process), S_OK);
  ASSERT_NE(process.hProcess, nullptr);
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_NE(ProbeLog().find("args=one two\r\n"), std::string::npos) << ProbeLog();

  // A script runs without its arguments.
  std::wstring script = dir_ / L"before.cmd";
  ASSERT_TRUE(testsupport::WriteTextFile(
      script, "@echo script %1>>\"" + testsupport::Narrow(log_) + "\"\r\n"));
  process = {};
  ASSERT_EQ(RunPreProcess(script.c_str(), L"ignored", &process), S_OK);
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_NE(ProbeLog().find("script \r\n"), std::string::npos) << ProbeLog();

  EXPECT_NE(RunPreProcess((dir_ / L"absent.exe").c_str(), L"", nullptr), S_OK);
  std::wstring tooLong = dir_ / (std::wstring(200, L'a') + L".exe");
  EXPECT_EQ(RunPreProcess(tooLong.c_str(), std::wstring(700, L'b').c_str(), nullptr), E_FAIL);
}

TEST(UninstallerPreProcess, AssociatedCommandReplacesPlaceholders) {
  const std::wstring extension = L".vsmt" + std::to_wstring(GetCurrentProcessId() % 100000);
  const std::wstring progId = L"VesmarinTests.Assoc" + extension;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, extension.c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(progId.c_str()),
                 static_cast<DWORD>((progId.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  const std::wstring command = L"\"C:\\Tools\\viewer.exe\" /open \"%1\" %*";
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (progId + L"\\shell\\open\\command").c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  wchar_t result[kPreProcessCommandCapacity] = {};
  EXPECT_TRUE(GetAssociatedCommand(L"C:\\App\\notes.vsmt", extension.c_str(), result));
  EXPECT_STREQ(result, L"\"C:\\Tools\\viewer.exe\" /open \"C:\\App\\notes.vsmt\" ");
  std::wstring longPath = L"C:\\" + std::wstring(760, L'p');
  EXPECT_FALSE(GetAssociatedCommand(longPath.c_str(), extension.c_str(), result));

  RegDeleteTreeW(HKEY_CLASSES_ROOT, extension.c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, progId.c_str());
}

}  // namespace
