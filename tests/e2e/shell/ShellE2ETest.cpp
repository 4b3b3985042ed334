// Silent installations whose packages make shortcuts and register COM
// servers, checked from outside; and their removal by the installed
// uninstaller.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "ShellLinkReader.h"

using testsupport::InstallerPackage;
using testsupport::LinkContents;
using testsupport::ReadLink;
using testsupport::PackageMembers;
using testsupport::PathExists;

namespace {

const int kMessageText = 1045;  // the text control of the stub's progress windows
const wchar_t kRegisteredKey[] = L"Software\\Vesmarin Tests\\ComRegistered";

std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// What a silent run showed besides its boxes: whether the registration
// window ("Registering Components...") appeared, and its caption.
struct ShellRun {
  testsupport::DrivenResult result;
  bool registrationWindow = false;
  std::wstring registrationCaption;
};

// A silent package that installs into the package's folder.
class ShellPackage : public InstallerPackage {
 public:
  ShellPackage() : InstallerPackage(L"shelle2e") {}

  std::wstring Build(const std::vector<std::wstring>& lines, const PackageMembers& members) {
    std::vector<std::wstring> all = {L"NoUI=1", L"AskOverwrite=0"};
    all.insert(all.end(), lines.begin(), lines.end());
    const std::wstring program = InstallerPackage::Build(all, members);
    EXPECT_FALSE(program.empty()) << testsupport::Narrow(LastError());
    return program;
  }

  // Runs it to its end, answering every box with OK.
  ShellRun Run(const std::wstring& program) {
    ShellRun run;
    run.result = InstallerPackage::Run(
        program, L"", nullptr, 120000, [&run](const testsupport::DrivenProcess& process) {
          for (HWND window : process.DialogsWithControl(kMessageText)) {
            if (WindowText(GetDlgItem(window, kMessageText)) == L"Registering Components...") {
              run.registrationWindow = true;
              run.registrationCaption = WindowText(window);
            }
          }
        });
    EXPECT_TRUE(run.result.started);
    EXPECT_FALSE(run.result.timedOut);
    return run;
  }
};

// A shell folder's path (no trailing backslash).
std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr,
                                         SHGFP_TYPE_CURRENT, path)));
  return path;
}

// The value a copy of shellcom.dll registered (its own path first), split at
// '|'; empty when missing.
std::vector<std::wstring> RegisteredServer(const std::wstring& fileName) {
  const std::map<std::wstring, std::wstring> values =
      testsupport::ReadKeyValues(HKEY_CURRENT_USER, kRegisteredKey);
  std::vector<std::wstring> parts;
  const auto value = values.find(fileName);
  if (value == values.end() || value->second.compare(0, 3, L"sz:") != 0) return parts;
  const std::wstring text = value->second.substr(3);
  size_t start = 0;
  for (size_t bar; (bar = text.find(L'|', start)) != std::wstring::npos; start = bar + 1)
    parts.push_back(text.substr(start, bar - start));
  parts.push_back(text.substr(start));
  return parts;
}

void ForgetServer(const std::wstring& fileName) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegisteredKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, fileName.c_str());
    RegCloseKey(key);
  }
}

// Removes what a test made in the shell folders, whatever the outcome.
class Cleanup {
 public:
  ~Cleanup() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    for (const std::wstring& server : servers_) ForgetServer(server);
  }
  void File(const std::wstring& path) { files_.push_back(path); }
  void Folder(const std::wstring& path) { folders_.push_back(path); }
  void Server(const std::wstring& name) { servers_.push_back(name); }

 private:
  std::vector<std::wstring> files_, folders_, servers_;
};

void ExpectLink(const std::wstring& link, const std::wstring& target, const std::wstring& args,
                const std::wstring& comment, const std::wstring& iconFile, int iconIndex) {
  SCOPED_TRACE(testsupport::Narrow(link));
  LinkContents contents = ReadLink(link);
  ASSERT_TRUE(contents.loaded);
  EXPECT_EQ(contents.path, target);
  EXPECT_EQ(contents.arguments, args);
  EXPECT_EQ(contents.description, comment);
  EXPECT_EQ(contents.iconFile, iconFile);
  EXPECT_EQ(contents.iconIndex, iconIndex);
}

const PackageMembers kAppMembers = {{L"bin\\app.exe", "not really a program\r\n"},
                                       {L"readme.txt", "Read me.\r\n"}};

TEST(ShellE2E, ShortcutsInTheGroupOnTheDesktopAndInStartupPointAtTheInstalledFile) {
  ShellPackage package;
  const std::wstring group = L"VsmE2E Group " + Pid();
  const std::wstring title = L"Run " + Pid();
  const std::wstring program = package.Build(
      {L"UseStartMenu=1", L"StartMenuToCommon=0", L"StartMenuGroupE=" + group,
       L"StartMenu0_Title=Tools\\" + title, L"StartMenu0_File=bin\\app.exe",
       L"StartMenu0_Args=--from-group \"a b\"", L"StartMenu0_Comment=Runs the app",
       L"StartMenu0_Icon=bin\\app.exe,2",
       L"StartMenu1_Title=" + title, L"StartMenu1_File=bin\\app.exe",
       L"StartMenu1_Args=--from-desktop", L"StartMenu1_Comment=Also runs it",
       L"StartMenu1_Icon=readme.txt", L"StartMenu1_NoCreateInGroup=1",
       L"StartMenu1_CreateOnDesktop=1", L"StartMenu1_CreateOnStartup=1"},
      kAppMembers);
  ASSERT_FALSE(program.empty());

  const std::wstring groupFolder = ShellFolder(CSIDL_PROGRAMS) + L"\\" + group;
  const std::wstring groupLink = groupFolder + L"\\Tools\\" + title + L".lnk";
  const std::wstring desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + title + L".lnk";
  const std::wstring startupLink = ShellFolder(CSIDL_STARTUP) + L"\\" + title + L".lnk";
  Cleanup cleanup;
  for (const std::wstring& link : {groupLink, desktopLink, startupLink}) cleanup.File(link);
  cleanup.Folder(groupFolder);
  cleanup.Folder(groupFolder + L"\\Tools");

  ShellRun run = package.Run(program);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.result.boxes.empty()) << testsupport::Narrow(run.result.boxes[0].text);
  const std::wstring app = package.InstallFolder() + L"bin\\app.exe";
  ExpectLink(groupLink, app, L"--from-group \"a b\"", L"Runs the app", app, 2);
  ExpectLink(desktopLink, app, L"--from-desktop", L"Also runs it",
             package.InstallFolder() + L"readme.txt", 0);
  ExpectLink(startupLink, app, L"--from-desktop", L"Also runs it",
             package.InstallFolder() + L"readme.txt", 0);
  // The second item is in no group.
  EXPECT_FALSE(PathExists(groupFolder + L"\\" + title + L".lnk"));
}

TEST(ShellE2E, StartMenuToCommonPutsTheShortcutsIntoTheAllUsersFolders) {
  ShellPackage package;
  const std::wstring group = L"VsmE2E Common " + Pid();
  const std::wstring title = L"Common Run " + Pid();
  const std::wstring program = package.Build(
      {L"UseStartMenu=1", L"StartMenuToCommon=1", L"StartMenuGroupE=" + group,
       L"StartMenu0_Title=" + title, L"StartMenu0_File=bin\\app.exe",
       L"StartMenu0_Args=-c", L"StartMenu0_Icon=bin\\app.exe,1",
       L"StartMenu0_CreateOnDesktop=1", L"StartMenu0_CreateOnStartup=1"},
      kAppMembers);
  ASSERT_FALSE(program.empty());

  const std::wstring groupFolder = ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + group;
  const std::vector<std::wstring> links = {
      groupFolder + L"\\" + title + L".lnk",
      ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\" + title + L".lnk",
      ShellFolder(CSIDL_COMMON_STARTUP) + L"\\" + title + L".lnk"};
  Cleanup cleanup;
  for (const std::wstring& link : links) cleanup.File(link);
  cleanup.Folder(groupFolder);

  ShellRun run = package.Run(program);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.result.boxes.empty());
  const std::wstring app = package.InstallFolder() + L"bin\\app.exe";
  for (const std::wstring& link : links) ExpectLink(link, app, L"-c", L"", app, 1);
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_PROGRAMS) + L"\\" + group));
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + title + L".lnk"));
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_STARTUP) + L"\\" + title + L".lnk"));
}

TEST(ShellE2E, ComServerIsRegisteredAndBrokenServersAreReportedWithTheirCodes) {
  ShellPackage package;
  const std::wstring ok = L"slowok" + Pid() + L".dll";
  const std::wstring throwing = L"throw" + Pid() + L".dll";
  Cleanup cleanup;
  cleanup.Server(ok);
  cleanup.Server(throwing);
  PackageMembers members = kAppMembers;
  members.push_back(InstallerPackage::BinMember(L"shellcom.dll", L"com\\" + ok));
  members.push_back(InstallerPackage::BinMember(L"shellcom.dll", L"com\\" + throwing));
  members.push_back(
      InstallerPackage::BinMember(L"shellcomdeps\\shellcomdep.dll", L"com\\shellcomdep.dll"));
  const std::wstring program = package.Build(
      {L"RegComSvr0_FileName=readme.txt", L"RegComSvr1_FileName=com\\" + throwing,
       L"RegComSvr2_FileName=com\\" + ok},
      members);
  ASSERT_FALSE(program.empty());

  ShellRun run = package.Run(program);
  EXPECT_EQ(run.result.exitCode, 0u);  // the installation goes on
  EXPECT_TRUE(run.registrationWindow);
  EXPECT_EQ(run.registrationCaption, InstallerPackage::Title());
  ASSERT_EQ(run.result.boxes.size(), 2u);
  EXPECT_EQ(run.result.boxes[0].caption, InstallerPackage::Title());
  EXPECT_EQ(run.result.boxes[0].text, L"Could not register server \"" + package.InstallFolder() +
                                   L"readme.txt\". (Error code: 202)");
  EXPECT_EQ(run.result.boxes[1].text, L"Could not register server \"" + package.InstallFolder() +
                                   L"com\\" + throwing + L"\". (Error code: 301)");

  // The stub searches only the system folder for its own libraries; the
  // server's dependency beside it was found all the same.
  std::vector<std::wstring> value = RegisteredServer(ok);
  ASSERT_EQ(value.size(), 4u);
  EXPECT_EQ(value[0], package.InstallFolder() + L"com\\" + ok);
  EXPECT_EQ(value[2], L"dep");
  EXPECT_TRUE(RegisteredServer(throwing).empty());
}

TEST(ShellE2E, UninstallerRemovesTheShortcutsAndUnregistersTheServer) {
  ShellPackage package;
  const std::wstring key = L"VsmShellE2E" + Pid();
  const std::wstring group = L"VsmE2E Removed " + Pid();
  const std::wstring title = L"Removed Run " + Pid();
  const std::wstring server = L"removed" + Pid() + L".dll";
  Cleanup cleanup;
  cleanup.Server(server);
  PackageMembers members = kAppMembers;
  members.push_back(InstallerPackage::BinMember(L"shellcom.dll", L"com\\" + server));
  members.push_back(
      InstallerPackage::BinMember(L"shellcomdeps\\shellcomdep.dll", L"com\\shellcomdep.dll"));
  const std::wstring program = package.Build(
      {L"UseStartMenu=1", L"StartMenuToCommon=0", L"StartMenuGroupE=" + group,
       L"StartMenu0_Title=Sub\\" + title, L"StartMenu0_File=bin\\app.exe",
       L"StartMenu0_CreateOnDesktop=1", L"RegComSvr0_FileName=com\\" + server,
       L"RegComSvr0_Uninstall=1", L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
       L"UseVesmarinUninstallerFolder=\\", L"UnInstallTitle=Shell E2E " + Pid(),
       L"UnInstallTitleE=Shell E2E " + Pid(), L"UnInstallKey=" + key},
      members);
  ASSERT_FALSE(program.empty());

  const std::wstring groupFolder = ShellFolder(CSIDL_PROGRAMS) + L"\\" + group;
  const std::wstring groupLink = groupFolder + L"\\Sub\\" + title + L".lnk";
  const std::wstring desktopFolder = ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Sub";
  const std::wstring desktopLink = desktopFolder + L"\\" + title + L".lnk";
  cleanup.File(groupLink);
  cleanup.File(desktopLink);
  cleanup.Folder(groupFolder);
  cleanup.Folder(groupFolder + L"\\Sub");
  cleanup.Folder(desktopFolder);

  ShellRun run = package.Run(program);
  ASSERT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.result.boxes.empty());
  ASSERT_TRUE(PathExists(groupLink));
  ASSERT_TRUE(PathExists(desktopLink));
  ASSERT_EQ(RegisteredServer(server).size(), 4u);

  const std::wstring command = testsupport::UninstallCommand(key);
  ASSERT_FALSE(command.empty());
  const std::wstring temp = package.dir() / L"tmp\\";
  ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
  testsupport::UninstDriverReport report =
      testsupport::RunUninstDriver(command, temp, L"--confirm yes");
  EXPECT_TRUE(report.driver.started);
  EXPECT_FALSE(report.driver.timedOut);
  EXPECT_EQ(report.driver.exitCode, 0u);
  EXPECT_FALSE(report.Has("timeout")) << report.text;
  EXPECT_FALSE(report.Has("error-text")) << report.text;

  EXPECT_FALSE(PathExists(groupLink));
  EXPECT_FALSE(PathExists(groupFolder));
  EXPECT_FALSE(PathExists(desktopLink));
  EXPECT_FALSE(PathExists(desktopFolder));
  EXPECT_TRUE(RegisteredServer(server).empty());
  EXPECT_TRUE(testsupport::UninstallCommand(key).empty());
}

}  // namespace
