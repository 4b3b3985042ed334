// Build, install silently, then uninstall through the Uninstall entry's
// command with a driver that answers the uninstaller (Yes or No to the
// confirmation, always No to a restart).
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "PendingRenames.h"
#include "TestSupport.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::KeyExists;
using testsupport::ListTree;
using testsupport::PathExists;

std::wstring ProgramsFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

class ChainE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    id_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount() % 100000);
    key_ = L"VesmarinChain-" + id_;
    // Product keys two levels below Software: the uninstaller refuses
    // anything closer to the root.
    userParent_ = L"Software\\VesmarinChainTest";
    userKey_ = userParent_ + L"\\" + id_;
    machineParent_ = L"SOFTWARE\\VesmarinChainTest";
    machineKey_ = machineParent_ + L"\\" + id_;
    group_ = L"Vesmarin Chain " + id_;
    groupFolder_ = ProgramsFolder() + L"\\" + group_;
    temp_ = package_.dir() / L"tmp\\";
    ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, userKey_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, userParent_.c_str());  // only when empty
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, machineKey_.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, machineParent_.c_str());  // only when empty
    testsupport::RemoveTree(groupFolder_);
  }

  // Builds and installs the package (with the further definition lines and
  // members); the product then makes a machine key of its own, which the
  // package lists for removal.
  void Install(const std::vector<std::wstring>& moreLines = {},
               const testsupport::PackageMembers& moreMembers = {}) {
    testsupport::PackageMembers members = {
        {L"readme.txt", "Read me.\r\n"},
        InstallerPackage::BinMember(L"envprobe.exe", L"bin\\app.exe"),
        {L"data\\top.txt", "top"},
        {L"data\\sub\\deep.txt", std::string(3000, 'd')},
    };
    members.insert(members.end(), moreMembers.begin(), moreMembers.end());
    std::vector<std::wstring> lines = {
        L"NoUI=1",
        L"UltraSilentInstall=1",
        L"UseUnInstall=1",
        L"UseVesmarinUninstaller=1",
        L"UseVesmarinUninstallerFolder=\\",
        L"UnInstallTitle=Chain Example",
        L"UnInstallTitleE=Chain Example",
        L"UnInstallKey=" + key_,
        L"UseStartMenu=1",
        L"StartMenuToCommon=0",
        L"StartMenuGroupE=" + group_,
        L"StartMenu0_Title=Chain App",
        L"StartMenu0_TitleE=Chain App",
        L"StartMenu0_File=bin\\app.exe",
        L"StartMenu0_FileE=bin\\app.exe",
        L"UseSavePath=1",
        L"SavePath_RootKey=0",
        L"SavePathKey=" + userKey_,
        L"SavePathValue=InstallPath",
        L"UninstallReg0=HKEY_CURRENT_USER\\" + userKey_,
        L"UninstallReg1=HKEY_LOCAL_MACHINE\\" + machineKey_,
    };
    lines.insert(lines.end(), moreLines.begin(), moreLines.end());
    const std::wstring setup = package_.Build(lines, members);
    ASSERT_FALSE(setup.empty()) << testsupport::Narrow(package_.LastError());
    testsupport::DrivenResult run = package_.Run(setup);
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0u);

    const std::wstring folder = package_.InstallFolder();
    for (const auto& member : members) ASSERT_TRUE(PathExists(folder + member.first));
    ASSERT_TRUE(PathExists(folder + L"Hollmere64.exe"));
    ASSERT_TRUE(PathExists(groupFolder_ + L"\\Chain App.lnk"));
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, userKey_));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (machineKey_ + L"\\Settings").c_str(), 0, nullptr,
                              0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Level", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"3"), 4);
    RegCloseKey(key);

    const std::map<std::wstring, std::wstring> entry =
        testsupport::ReadKeyValues(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_));
    ASSERT_EQ(entry.count(L"UninstallString"), 1u);
    command_ = entry.at(L"UninstallString").substr(3);  // after "sz:"

    // Files the user adds after the installation.
    ASSERT_TRUE(testsupport::WriteTextFile(folder + L"my notes.txt", "mine"));
    ASSERT_TRUE(CreateDirectoryW((folder + L"user").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteTextFile(folder + L"user\\mine.txt", "mine too"));
    ASSERT_TRUE(testsupport::WriteTextFile(folder + L"data\\sub\\added.txt", "added"));
  }

  std::wstring RegistryState() const {
    std::wstring state;
    for (const auto& v : testsupport::ReadKeyValues(HKEY_CURRENT_USER, userKey_))
      state += L"HKCU:" + v.first + L"=" + v.second + L"\n";
    for (const auto& v : testsupport::ReadKeyValues(HKEY_LOCAL_MACHINE, machineKey_ + L"\\Settings"))
      state += L"HKLM:" + v.first + L"=" + v.second + L"\n";
    for (const auto& v :
         testsupport::ReadKeyValues(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)))
      state += L"Entry:" + v.first + L"=" + v.second + L"\n";
    return state;
  }

  InstallerPackage package_{L"chain"};
  std::wstring id_, key_, userParent_, userKey_, machineParent_, machineKey_;
  std::wstring group_, groupFolder_, temp_;
  std::wstring command_;
};

TEST_F(ChainE2E, UninstallRemovesEverythingInstalledAndKeepsWhatTheUserAdded) {
  ASSERT_NO_FATAL_FAILURE(Install());
  const std::wstring folder = package_.InstallFolder();

  testsupport::UninstDriverReport report = testsupport::RunUninstDriver(command_, temp_, L"--confirm yes");
  ASSERT_TRUE(report.driver.started);
  EXPECT_FALSE(report.driver.timedOut);
  EXPECT_EQ(report.driver.exitCode, 0u);
  EXPECT_FALSE(report.Has("timeout")) << report.text;
  EXPECT_EQ(report.First("confirm-text"), L"Do you want to uninstall\nChain Example?");
  EXPECT_EQ(report.First("status"), L"Uninstallation is now complete.");
  EXPECT_FALSE(report.Has("error-text")) << report.text;
  EXPECT_FALSE(report.Has("restart-text")) << "nothing was in use";
  EXPECT_EQ(report.First("launcher-exit"), L"0");
  // The log names every deleted file, newest first, then the group and the
  // keys; the folders and what the user added are not among them.
  const std::vector<std::wstring> log = {
      L" " + groupFolder_ + L"\\Chain App.lnk - deleted.",
      L" " + folder + L"data\\sub\\deep.txt - deleted.",
      L" " + folder + L"data\\top.txt - deleted.",
      L" " + folder + L"bin\\app.exe - deleted.",
      L" " + folder + L"readme.txt - deleted.",
      L" Start menu group \"" + group_ + L"\" - deleted.",
      L"HKEY_CURRENT_USER \\ " + userKey_ + L" - deleted.",
      L"HKEY_LOCAL_MACHINE \\ " + machineKey_ + L" - deleted.",
  };
  EXPECT_EQ(report.All("log"), log) << report.text;

  // What the user added, with its folders, is all that is left.
  EXPECT_EQ(ListTree(folder),
            (std::vector<std::wstring>{L"data\\", L"data\\sub\\", L"data\\sub\\added.txt",
                                       L"my notes.txt", L"user\\", L"user\\mine.txt"}));
  EXPECT_FALSE(PathExists(groupFolder_));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineKey_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)));
}

TEST_F(ChainE2E, AnsweringNoRemovesNothing) {
  ASSERT_NO_FATAL_FAILURE(Install());
  const std::wstring folder = package_.InstallFolder();
  const std::vector<std::wstring> tree = ListTree(folder);
  const std::vector<std::wstring> group = ListTree(groupFolder_);
  const std::wstring registry = RegistryState();
  ASSERT_FALSE(group.empty());

  testsupport::UninstDriverReport report = testsupport::RunUninstDriver(command_, temp_, L"--confirm no");
  ASSERT_TRUE(report.driver.started);
  EXPECT_FALSE(report.driver.timedOut);
  EXPECT_FALSE(report.Has("timeout")) << report.text;
  EXPECT_EQ(report.First("confirm-caption"), L"Chain Example");
  EXPECT_FALSE(report.Has("progress-caption"));

  EXPECT_EQ(ListTree(folder), tree);
  EXPECT_EQ(ListTree(groupFolder_), group);
  EXPECT_EQ(RegistryState(), registry);
}

// The uninstaller's own options travel from the package through the
// installation: its extension module sees its four events in order, the
// pre-uninstall program runs before anything is deleted, and a file held
// open is left for the restart, which is asked for (and answered No).
TEST_F(ChainE2E, UninstallerOptionsOfThePackageTakeEffect) {
  ASSERT_NO_FATAL_FAILURE(Install(
      {L"UseUninstallerExtensionModuleFile=1", L"UninstallerExtensionModuleFile=uninstext.dll",
       L"UseUninstallerPreProcess=1", L"UninstallerPreProcessFile=bin\\before.exe",
       L"UninstallerPreProcessArg=--flag value"},
      {InstallerPackage::BinMember(L"uninstext.dll", L"uninstext.dll"),
       InstallerPackage::BinMember(L"uninstprobe.exe", L"bin\\before.exe")}));
  const std::wstring folder = package_.InstallFolder();
  const std::wstring readme = folder + L"readme.txt";
  const std::wstring extLog = package_.dir() / L"ext.log";
  const std::wstring probeLog = package_.dir() / L"probe.log";
  SetEnvironmentVariableW(L"VESMARIN_EXT_LOG", extLog.c_str());
  SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", probeLog.c_str());
  SetEnvironmentVariableW(L"VESMARIN_PROBE_CHECK", readme.c_str());
  HANDLE held = CreateFileW(readme.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  testsupport::UninstDriverReport report =
      testsupport::RunUninstDriver(command_, temp_, L"--confirm yes");
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  for (const wchar_t* name : {L"VESMARIN_EXT_LOG", L"VESMARIN_PROBE_LOG", L"VESMARIN_PROBE_CHECK"})
    SetEnvironmentVariableW(name, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(report.Has("timeout")) << report.text;
  EXPECT_FALSE(report.Has("error-text")) << report.text;

  std::vector<uint8_t> bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(extLog, bytes));
  std::string events(bytes.begin(), bytes.end()), order;
  for (size_t at = 0; (at = events.find("event=", at)) != std::string::npos; ++at)
    order += events.substr(at, 20) + "|";
  EXPECT_EQ(order,
            "event=2000 size=96 p|event=2003 size=96 p|event=2002 size=96 p|event=2001 size=96 p|")
      << events;
  bytes.clear();
  ASSERT_TRUE(testsupport::ReadFileBytes(probeLog, bytes));
  const std::string probe(bytes.begin(), bytes.end());
  EXPECT_EQ(probe.find("args=--flag value\r\nexists=1 " + testsupport::Narrow(readme) + "\r\n"), 0u)
      << probe;

  const std::vector<std::wstring> log = report.All("log");
  const std::wstring busy = L" " + readme + L" - file using, need reboot to delete.";
  EXPECT_NE(std::find(log.begin(), log.end(), busy), log.end()) << report.text;
  EXPECT_EQ(report.First("restart-text"),
            L"You have to restart Windows to finish deleting files.\n"
            L"Do You want to restart Windows now?");
  EXPECT_TRUE(testsupport::IsPendingDeletion(readme));
  EXPECT_FALSE(PathExists(folder + L"bin\\app.exe"));
  EXPECT_FALSE(PathExists(folder + L"bin\\before.exe"));
  EXPECT_FALSE(PathExists(folder + L"uninstext.dll"));
  EXPECT_FALSE(PathExists(folder + L"Hollmere64.exe"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)));
}

}  // namespace
