// The removal operations on real files, keys and processes.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "PendingRenames.h"
#include "RemovalFixtures.h"
#include "RemovalOps.h"
#include "TestSupport.h"
#include "UninstallLog.h"
#include "UninstallerApp.h"

namespace {

std::wstring TakeLog() {
  std::wstring text;
  EXPECT_TRUE(TakeUninstallLogText(&text));
  return text;
}

bool Touch(const std::wstring& path) { return testsupport::WriteTextFile(path, "x"); }

TEST_F(RemovalOps, DeletesFilesWithTheirCompanionsAndLogsEach) {
  testsupport::TempDir dir(L"del");
  g_Removal.deleteIniSibling = true;
  for (const wchar_t* name : {L"app.EXE", L"app.ini", L"app.dat", L"app.pif", L"help.HLP",
                              L"help.gid", L"help.fts", L"guide.chm", L"guide.chw"}) {
    ASSERT_TRUE(Touch(dir / name));
  }
  ASSERT_TRUE(OpenUninstallLog());
  EXPECT_TRUE(DeleteFileLogged((dir / L"app.EXE").c_str()));
  EXPECT_TRUE(DeleteFileLogged((dir / L"help.HLP").c_str()));
  EXPECT_TRUE(DeleteFileLogged((dir / L"guide.chm").c_str()));
  EXPECT_TRUE(DeleteFileLogged((dir / L"gone.txt").c_str()));  // already gone: deleted
  std::wstring expected;
  for (const wchar_t* name : {L"app.ini", L"app.pif", L"app.EXE", L"help.gid", L"help.fts",
                              L"help.HLP", L"guide.chw", L"guide.chm", L"gone.txt"}) {
    expected += L" " + (dir / name) + L" - deleted.\r\n";
  }
  EXPECT_EQ(TakeLog(), expected);
  // The ".dat" sibling stays without its option.
  EXPECT_TRUE(testsupport::PathExists(dir / L"app.dat"));
  EXPECT_FALSE(testsupport::PathExists(dir / L"app.ini"));
  EXPECT_FALSE(testsupport::PathExists(dir / L"help.fts"));
}

TEST_F(RemovalOps, FoldersAreNeitherCompanionsNorDeletedFiles) {
  testsupport::TempDir dir(L"del");
  ASSERT_TRUE(Touch(dir / L"tool.exe"));
  ASSERT_TRUE(CreateDirectoryW((dir / L"tool.ini").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((dir / L"data.txt").c_str(), nullptr));
  g_Removal.deleteIniSibling = true;
  ASSERT_TRUE(OpenUninstallLog());
  EXPECT_TRUE(DeleteFileLogged((dir / L"tool.exe").c_str()));
  EXPECT_FALSE(DeleteFileLogged((dir / L"data.txt").c_str()));
  EXPECT_EQ(TakeLog(), L" " + (dir / L"tool.exe") + L" - deleted.\r\n " + (dir / L"data.txt") +
                           L" - failed to delete.\r\n");
  EXPECT_TRUE(testsupport::PathExists(dir / L"tool.ini"));
  EXPECT_TRUE(testsupport::PathExists(dir / L"data.txt"));
}

TEST_F(RemovalOps, ReadOnlyFileIsDeleted) {
  testsupport::TempDir dir(L"del");
  std::wstring path = dir / L"locked.txt";
  ASSERT_TRUE(Touch(path));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  bool scheduled = false;
  EXPECT_TRUE(DeleteInstalledFile(path.c_str(), &scheduled));
  EXPECT_FALSE(scheduled);
  EXPECT_FALSE(testsupport::PathExists(path));
}

TEST_F(RemovalOps, FileHeldOpenIsScheduledForRestartOnlyWhenRebootable) {
  testsupport::TempDir dir(L"held");
  std::wstring path = dir / L"busy.dll";
  ASSERT_TRUE(Touch(path));
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(OpenUninstallLog());

  EXPECT_FALSE(DeleteFileLogged(path.c_str()));
  EXPECT_FALSE(g_Removal.restartNeeded);
  EXPECT_FALSE(testsupport::IsPendingDeletion(path));

  g_Removal.rebootable = true;
  bool scheduled = false;
  EXPECT_TRUE(DeleteInstalledFile(path.c_str(), &scheduled));
  EXPECT_TRUE(scheduled);
  EXPECT_TRUE(g_Removal.restartNeeded);
  EXPECT_TRUE(testsupport::IsPendingDeletion(path));
  EXPECT_TRUE(DeleteFileLogged(path.c_str()));
  EXPECT_EQ(TakeLog(), L" " + path + L" - failed to delete.\r\n " + path +
                           L" - file using, need reboot to delete.\r\n");
  CloseHandle(held);
}

class RegistryTree : public RemovalOps {
 protected:
  void SetUp() override {
    RemovalOps::SetUp();
    base_ = L"Software\\VesmarinTests\\RegistryTree-" + std::to_wstring(GetCurrentProcessId());
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
    RemovalOps::TearDown();
  }
  void Create(const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + path).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD value = 7;
    RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
  bool Exists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (base_ + path).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }
  std::wstring base_;
};

TEST_F(RegistryTree, DeletesAWholeTreeAndReportsAbsentKeys) {
  Create(L"\\Product\\A\\Deep\\Deeper");
  Create(L"\\Product\\B");
  Create(L"\\Product\\C");
  Create(L"\\Sibling");
  EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, (base_ + L"\\Product").c_str()), 0);
  EXPECT_FALSE(Exists(L"\\Product"));
  EXPECT_TRUE(Exists(L"\\Sibling"));
  EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, (base_ + L"\\Product").c_str()), 1);
}

TEST_F(RemovalOps, StartMenuGroupsAndTheProtectedStartupFolder) {
  wchar_t programs[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr,
                                         SHGFP_TYPE_CURRENT, programs)));
  const std::wstring group = L"VesmarinTests-Group-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring folder = std::wstring(programs) + L"\\" + group;
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\Startup").c_str(), nullptr));

  // "Startup" is reported as removed and stays.
  EXPECT_TRUE(RemoveStartMenuGroup(false, (group + L"\\Startup").c_str()));
  EXPECT_TRUE(testsupport::PathExists(folder + L"\\Startup"));
  RemoveDirectoryW((folder + L"\\Startup").c_str());

  // A group that still holds a file stays, after a retry.
  ASSERT_TRUE(Touch(folder + L"\\user.lnk"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(RemoveStartMenuGroup(false, group.c_str()));
  EXPECT_GE(GetTickCount() - start, 450u);
  EXPECT_TRUE(testsupport::PathExists(folder));

  DeleteFileW((folder + L"\\user.lnk").c_str());
  EXPECT_TRUE(RemoveStartMenuGroup(false, group.c_str()));
  EXPECT_FALSE(testsupport::PathExists(folder));
}

TEST_F(RemovalOps, ComServerFilesThatAreNoServers) {
  testsupport::TempDir dir(L"com");
  EXPECT_EQ(UnregisterComServer((dir / L"absent.dll").c_str()),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"text.dll", std::string(200, 'x')));
  EXPECT_EQ(UnregisterComServer((dir / L"text.dll").c_str()), E_UNEXPECTED);
  // A PE file of another machine (ARM64).
  std::vector<uint8_t> image;
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"comprobe.dll"), image));
  uint32_t pe = 0;
  memcpy(&pe, &image[60], 4);
  WORD machine = 0;
  ASSERT_EQ(ReadPeMachine(testsupport::BinPath(L"comprobe.dll").c_str(), &machine), S_OK);
  EXPECT_EQ(machine, 0x8664);
  image[pe + 4] = 0x64;
  image[pe + 5] = 0xAA;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir / L"arm.dll", image));
  EXPECT_EQ(UnregisterComServer((dir / L"arm.dll").c_str()), E_UNEXPECTED);
  // A truncated header.
  image.resize(pe + 10);
  ASSERT_TRUE(testsupport::WriteFileBytes(dir / L"short.dll", image));
  EXPECT_EQ(UnregisterComServer((dir / L"short.dll").c_str()), E_UNEXPECTED);
}

TEST_F(RemovalOps, NativeServerIsUnregisteredInProcess) {
  testsupport::TempDir dir(L"com");
  std::wstring server = dir / L"server.dll";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"comprobe.dll").c_str(), server.c_str(), FALSE));
  std::wstring log = dir / L"com.log";
  SetEnvironmentVariableW(L"VESMARIN_COM_LOG", log.c_str());
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);

  EXPECT_EQ(UnregisterComServer(server.c_str()), S_OK);
  SetEnvironmentVariableW(L"VESMARIN_COM_RESULT", L"80040201");
  EXPECT_EQ(UnregisterComServer(server.c_str()), static_cast<HRESULT>(0x80040201));
  SetEnvironmentVariableW(L"VESMARIN_COM_RESULT", nullptr);
  SetEnvironmentVariableW(L"VESMARIN_COM_CRASH", L"1");
  EXPECT_EQ(UnregisterComServer(server.c_str()), E_UNEXPECTED);
  SetEnvironmentVariableW(L"VESMARIN_COM_CRASH", nullptr);
  SetEnvironmentVariableW(L"VESMARIN_COM_LOG", nullptr);

  wchar_t after[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(log, bytes));
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  // The server's folder is current only while it loads.
  std::wstring line = std::wstring(L"unregistered cwd=") + before + L"\r\n";
  EXPECT_EQ(text, line + line + line);
  // The server was unloaded again each time.
  EXPECT_EQ(GetModuleHandleW(server.c_str()), nullptr);
  EXPECT_TRUE(DeleteFileW(server.c_str()));

  // A library without the entry.
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstext.dll").c_str(),
                        (dir / L"noentry.dll").c_str(), FALSE));
  EXPECT_EQ(UnregisterComServer((dir / L"noentry.dll").c_str()), E_UNEXPECTED);
}

TEST_F(ProbeRun, RegistrationToolRunsWithTheTemplateAndItsExitCodeIsReturned) {
  std::wstring tool = dir_ / L"tool dir\\fake regsvr.exe";
  ASSERT_TRUE(CreateDirectoryW((dir_ / L"tool dir").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstprobe.exe").c_str(), tool.c_str(), FALSE));
  SetEnvironmentVariableW(L"VESMARIN_PROBE_EXIT", L"5");
  SetEnvironmentVariableW(L"VESMARIN_PROBE_SLEEP", L"300");
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunAndWait(tool.c_str(), L"C:\\Some Dir\\srv.dll", dir_.path().c_str()), 5u);
  EXPECT_GE(GetTickCount() - start, 290u);
  std::string log = ProbeLog();
  EXPECT_NE(log.find("args=/u /s \"C:\\Some Dir\\srv.dll\"\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("cwd=" + testsupport::Narrow(dir_.path().substr(0, dir_.path().size() - 1))),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("done"), std::string::npos);
  EXPECT_EQ(RunAndWait((dir_ / L"missing.exe").c_str(), L"C:\\srv.dll", nullptr), 21u);
}

TEST(UninstallerPrivilege, ShutdownPrivilegeCanBeSwitched) {
  EXPECT_TRUE(SetShutdownPrivilege(true));
  EXPECT_TRUE(SetShutdownPrivilege(false));
}

}  // namespace
