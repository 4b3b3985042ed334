// One scenario per group of sheet pages: the settings made only through the
// builder's window and sheet, saved by the window, built by the batch
// builder from that file and installed ultra-silently; what was installed
// is checked against what was set, and the saved keys are read back with
// the profile API.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "PendingRenames.h"
#include "SheetBuiltFixture.h"
#include "ShellLinkReader.h"

namespace {

using namespace sheetbuilt;
using sheettest::BuilderString;
using sheettest::SheetRun;
using testsupport::DrivenResult;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::TestCabinet;

const uint16_t kOldDate = testsupport::DosDate(2019, 3, 4);
const uint16_t kNewDate = testsupport::DosDate(2023, 11, 12);
const uint16_t kTime = testsupport::DosTime(10, 20, 30);

const int kAdminRightsInfo = 222, kPowerUsersInfo = 330;

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The UTC time the stub gives a member stored with this DOS time.
FILETIME CabTime(uint16_t date) {
  FILETIME local = {}, utc = {};
  DosDateTimeToFileTime(date, kTime, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

bool MakeFile(const std::wstring& path, const std::string& bytes, uint16_t date) {
  if (!testsupport::WriteTextFile(path, bytes)) return false;
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME time = CabTime(date);
  const bool set = SetFileTime(file, nullptr, nullptr, &time) != FALSE;
  CloseHandle(file);
  return set;
}

void ExpectCleanRun(const DrivenResult& run) {
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(0u, run.exitCode) << Narrow(BoxTexts(run));
  EXPECT_TRUE(run.boxes.empty()) << "an ultra-silent run shows nothing: " << Narrow(BoxTexts(run));
}

// Chooses the built-in uninstaller on the uninstaller page with its
// registry key name and display name; the page asks to require Power Users.
void UseBuiltInUninstaller(Scenario& s, const std::wstring& key, const std::wstring& name) {
  SheetRun& run = s.sheet();
  ASSERT_TRUE(run.Select(kUninstallerPage));
  EXPECT_EQ(BuilderString(kPowerUsersInfo), run.ClickExpectingBox(1201).text);
  run.SetText(1016, key);
  run.SetText(1014, name);
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// Removes what a scenario left outside its own folder, whatever the outcome.
class Cleanup {
 public:
  ~Cleanup() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    for (const auto& key : keys_) RegDeleteTreeW(key.first, key.second.c_str());
    for (const std::wstring& server : servers_) {
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vesmarin Tests\\ComRegistered", 0,
                        KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, server.c_str());
        RegCloseKey(key);
      }
    }
    for (const std::wstring& folder : renames_) testsupport::ForgetPendingRenamesBelow(folder);
  }
  void File(const std::wstring& path) { files_.push_back(path); }
  void Folder(const std::wstring& path) { folders_.push_back(path); }
  void Key(HKEY root, const std::wstring& path) { keys_.emplace_back(root, path); }
  void Server(const std::wstring& name) { servers_.push_back(name); }
  void Renames(const std::wstring& folder) { renames_.push_back(folder); }

 private:
  std::vector<std::wstring> files_, folders_, servers_, renames_;
  std::vector<std::pair<HKEY, std::wstring>> keys_;
};

// The value a copy of the test COM server registered (its own path first).
std::wstring RegisteredServerPath(const std::wstring& fileName) {
  const std::map<std::wstring, std::wstring> values =
      testsupport::ReadKeyValues(HKEY_CURRENT_USER, L"Software\\Vesmarin Tests\\ComRegistered");
  const auto value = values.find(fileName);
  if (value == values.end() || value->second.compare(0, 3, L"sz:") != 0) return L"";
  const std::wstring text = value->second.substr(3);
  return text.substr(0, text.find(L'|'));
}

testsupport::UninstDriverReport Uninstall(Scenario& s, const std::wstring& key) {
  const std::wstring command = testsupport::UninstallCommand(key);
  EXPECT_FALSE(command.empty()) << "no Uninstall entry " << Narrow(key);
  const std::wstring temp = s.dir() / L"tmp\\";
  CreateDirectoryW(temp.c_str(), nullptr);
  testsupport::UninstDriverReport report =
      testsupport::RunUninstDriver(command, temp, L"--confirm yes");
  EXPECT_TRUE(report.driver.started);
  EXPECT_FALSE(report.driver.timedOut);
  EXPECT_EQ(0u, report.driver.exitCode);
  EXPECT_FALSE(report.Has("timeout")) << report.text;
  EXPECT_FALSE(report.Has("error-text")) << report.text;
  return report;
}

// Extract page: the destination, attributes, the newer-file rule, the
// destination kept in the registry, and "Overwrite with restart", which
// asks for administrative rights on the start page. A newer file of the
// user stays, an older one is replaced, and a file in use is written beside
// itself and left to the restart.
TEST(SheetBuilt, ExtractionFolderAndOverwriteMethod) {
  Scenario s(L"sb-extract");
  Cleanup cleanup;
  const std::wstring savedKey = L"Software\\VesmarinSheetBuilt-" + UniqueId();
  cleanup.Key(HKEY_CURRENT_USER, savedKey);
  cleanup.Renames(s.InstallFolder());
  TestCabinet cab;
  cab.Add(L"kept.txt", "package kept", 0x20, kOldDate, kTime)
      .Add(L"replaced.txt", "package replaced", 0x20, kNewDate, kTime)
      .Add(L"busy.txt", "package busy", 0x20, kNewDate, kTime)
      .Add(L"sub\\ro.txt", "read only", 0x01 | 0x20, kNewDate, kTime);
  ASSERT_TRUE(s.Begin(cab));
  SheetRun& run = s.sheet();
  EXPECT_TRUE(run.SetCheck(1012, true));  // no overwrite by an older file
  EXPECT_TRUE(run.SetCheck(1008, true));  // with attributes
  EXPECT_TRUE(run.SetCheck(1149, true));  // destination kept in the registry
  run.Choose(1254, 0);
  run.SetText(1255, savedKey);
  run.SetText(1096, L"InstallPath");
  EXPECT_EQ(BuilderString(kAdminRightsInfo), run.ChooseExpectingBox(1167, 2).text);
  ASSERT_TRUE(s.Finish());

  std::wstring folder = s.InstallFolder();
  folder.pop_back();
  const std::map<std::wstring, std::wstring> expected = {
      {L"AskExtPath", L"0"},      {L"UseExtractFolder", L"1"}, {L"BaseFolder", L"6"},
      {L"ExtractFolder", folder}, {L"AskOverwrite", L"0"},     {L"NoOverwriteNewTimeStamp", L"1"},
      {L"WithAttribute", L"1"},   {L"OverWriteMethod", L"2"},  {L"OnlyAdmin", L"1"},
      {L"UseSavePath", L"1"},     {L"SavePath_RootKey", L"0"}, {L"SavePathKey", savedKey},
      {L"SavePathValue", L"InstallPath"}, {L"AfterDeleteFiles", L"0"}, {L"NoUI", L"1"},
      {L"UltraSilentInstall", L"1"}, {L"64bitSFX", L"1"}, {L"SrcArchiveFile", s.Archive()},
      {L"DstExeFile", s.Output()}};
  for (const auto& key : expected) EXPECT_EQ(key.second, s.Key(key.first.c_str())) << Narrow(key.first);
  ASSERT_TRUE(s.Build());

  // The folder as the user left it: a newer kept.txt, an older
  // replaced.txt and busy.txt, which a program holds open.
  const std::wstring app = s.InstallFolder();
  ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
  ASSERT_TRUE(MakeFile(app + L"kept.txt", "user newer", kNewDate));
  ASSERT_TRUE(MakeFile(app + L"replaced.txt", "user older", kOldDate));
  ASSERT_TRUE(MakeFile(app + L"busy.txt", "user busy", kOldDate));
  HANDLE held = CreateFileW((app + L"busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  const DrivenResult installed = s.Install();
  CloseHandle(held);
  ExpectCleanRun(installed);

  EXPECT_EQ("user newer", Content(app + L"kept.txt"));
  EXPECT_EQ("package replaced", Content(app + L"replaced.txt"));
  EXPECT_EQ("user busy", Content(app + L"busy.txt"));
  EXPECT_EQ("package busy", Content(app + L"busy.txt.writepending"));
  bool scheduled = false;
  for (const auto& rename : testsupport::PendingFileRenames()) {
    std::wstring source = rename.first, target = rename.second;
    if (source.compare(0, 4, L"\\??\\") == 0) source.erase(0, 4);
    if (!target.empty() && target[0] == L'!') target.erase(0, 1);
    if (target.compare(0, 4, L"\\??\\") == 0) target.erase(0, 4);
    scheduled = scheduled || (_wcsicmp(source.c_str(), (app + L"busy.txt.writepending").c_str()) == 0 &&
                              _wcsicmp(target.c_str(), (app + L"busy.txt").c_str()) == 0);
  }
  EXPECT_TRUE(scheduled) << "the replacement waits for the restart";
  EXPECT_EQ("read only", Content(app + L"sub\\ro.txt"));
  EXPECT_NE(0u, GetFileAttributesW((app + L"sub\\ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(L"sz:" + app, testsupport::ReadKeyValues(HKEY_CURRENT_USER, savedKey)[L"InstallPath"]);
  SetFileAttributesW((app + L"sub\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Register-shortcut page with two items made in the item dialog: one in
// the group and on the desktop with arguments, comment and icon, one only
// in the start-up folder.
TEST(SheetBuilt, Shortcuts) {
  Scenario s(L"sb-links");
  Cleanup cleanup;
  const std::wstring id = UniqueId();
  const std::wstring group = L"VsmSheetBuilt " + id;
  const std::wstring title = L"Sheet Run " + id;
  const std::wstring docs = L"Sheet Docs " + id;
  const std::wstring groupFolder = ShellFolder(CSIDL_PROGRAMS) + L"\\" + group;
  const std::wstring groupLink = groupFolder + L"\\" + title + L".lnk";
  const std::wstring desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + title + L".lnk";
  const std::wstring startupLink = ShellFolder(CSIDL_STARTUP) + L"\\" + docs + L".lnk";
  for (const std::wstring& link : {groupLink, desktopLink, startupLink}) cleanup.File(link);
  cleanup.File(groupFolder + L"\\" + docs + L".lnk");
  cleanup.Folder(groupFolder);
  TestCabinet cab;
  cab.Add(L"bin\\app.exe", "not really a program\r\n").Add(L"readme.txt", "Read me.\r\n");
  ASSERT_TRUE(s.Begin(cab));
  SheetRun& run = s.sheet();
  ASSERT_TRUE(run.Select(kShortcutPage));
  EXPECT_TRUE(run.SetCheck(1043, true));
  run.SetText(sheettest::JapaneseInterface() ? 1046 : 1047, group);
  EXPECT_TRUE(run.SetCheck(1161, false));  // this user's folders

  HWND dialog = s.OpenFromPage(1028, 1277);
  ASSERT_NE(nullptr, dialog);
  SetText(dialog, 1033, title);
  SetText(dialog, 1277, L"bin\\app.exe");
  SetText(dialog, 1278, L"--from-sheet \"a b\"");
  SetText(dialog, 1037, L"Runs the app");
  SetText(dialog, 1279, L"bin\\app.exe,1");
  EXPECT_TRUE(SetCheck(dialog, 1156, true));
  EXPECT_TRUE(SetCheck(dialog, 1153, true));
  ASSERT_TRUE(Confirm(dialog));
  dialog = s.OpenFromPage(1028, 1277);
  ASSERT_NE(nullptr, dialog);
  SetText(dialog, 1033, docs);
  SetText(dialog, 1277, L"readme.txt");
  EXPECT_TRUE(SetCheck(dialog, 1154, true));
  EXPECT_TRUE(SetCheck(dialog, 1156, false));
  ASSERT_TRUE(Confirm(dialog));
  ASSERT_TRUE(s.Finish());

  const std::map<std::wstring, std::wstring> expected = {
      {L"UseStartMenu", L"1"}, {L"StartMenuToCommon", L"0"},
      // A Japanese interface shows and stores the first-language group.
      {sheettest::JapaneseInterface() ? L"StartMenuGroup" : L"StartMenuGroupE", group},
      {L"StartMenu0_Title", title}, {L"StartMenu0_File", L"bin\\app.exe"},
      {L"StartMenu0_Args", L"--from-sheet \"a b\""}, {L"StartMenu0_Comment", L"Runs the app"},
      {L"StartMenu0_Icon", L"bin\\app.exe,1"}, {L"StartMenu0_CreateOnDesktop", L"1"},
      {L"StartMenu0_CreateOnStartup", L"0"}, {L"StartMenu0_NoCreateInGroup", L"0"},
      {L"StartMenu1_Title", docs}, {L"StartMenu1_File", L"readme.txt"},
      {L"StartMenu1_CreateOnStartup", L"1"}, {L"StartMenu1_CreateOnDesktop", L"0"},
      {L"StartMenu1_NoCreateInGroup", L"1"}, {L"StartMenu2_Title", L"<none>"}};
  for (const auto& key : expected) EXPECT_EQ(key.second, s.Key(key.first.c_str())) << Narrow(key.first);
  ASSERT_TRUE(s.Build());
  ExpectCleanRun(s.Install());

  const std::wstring app = s.InstallFolder() + L"bin\\app.exe";
  for (const std::wstring& link : {groupLink, desktopLink}) {
    SCOPED_TRACE(Narrow(link));
    const testsupport::LinkContents contents = testsupport::ReadLink(link);
    ASSERT_TRUE(contents.loaded);
    EXPECT_EQ(app, contents.path);
    EXPECT_EQ(L"--from-sheet \"a b\"", contents.arguments);
    EXPECT_EQ(L"Runs the app", contents.description);
    EXPECT_EQ(app, contents.iconFile);
    EXPECT_EQ(1, contents.iconIndex);
  }
  const testsupport::LinkContents startup = testsupport::ReadLink(startupLink);
  ASSERT_TRUE(startup.loaded);
  EXPECT_EQ(s.InstallFolder() + L"readme.txt", startup.path);
  EXPECT_FALSE(PathExists(groupFolder + L"\\" + docs + L".lnk"));
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + docs + L".lnk"));
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_STARTUP) + L"\\" + title + L".lnk"));
}

// Automatic-execution page: the program picked from the archive with its
// arguments, and a further item made in the item dialog; both run after
// the installation and see where it went.
TEST(SheetBuilt, ProgramsToRun) {
  Scenario s(L"sb-run");
  TestCabinet cab;
  auto probe = testsupport::InstallerPackage::BinMember(L"envprobe.exe", L"bin\\probe.exe");
  auto second = testsupport::InstallerPackage::BinMember(L"envprobe.exe", L"bin\\probe2.exe");
  cab.Add(probe.first, probe.second).Add(second.first, second.second).Add(L"readme.txt", "r");
  ASSERT_TRUE(s.Begin(cab));
  SheetRun& run = s.sheet();
  ASSERT_TRUE(run.Select(kAutoExecPage));
  EXPECT_TRUE(run.SetCheck(1047, true));
  ASSERT_TRUE(testsupport::PressButton(run.Page(), 1009));
  ASSERT_TRUE(Pick(run, L"bin\\probe.exe"));
  EXPECT_EQ(L"bin\\probe.exe", run.Text(1003));
  ASSERT_TRUE(run.Enabled(1004)) << "a program takes arguments";
  run.SetText(1004, L"--main \"two words\"");
  HWND dialog = s.OpenFromPage(1112, 1116);
  ASSERT_NE(nullptr, dialog);
  SetText(dialog, 1115, L"bin\\probe2.exe");
  SetText(dialog, 1116, L"--item");
  EXPECT_TRUE(SetCheck(dialog, 1237, true));
  ASSERT_TRUE(Confirm(dialog));
  ASSERT_TRUE(s.Finish());

  const std::map<std::wstring, std::wstring> expected = {
      {L"UseAutoExecute", L"1"}, {L"CmdLine", L"bin\\probe.exe"},
      {L"CmdArgs", L"--main \"two words\""}, {L"CmdNonElevate", L"0"},
      {L"AfterDeleteFiles", L"0"}, {L"AutoExec0_File", L"bin\\probe2.exe"},
      {L"AutoExec0_Args", L"--item"}, {L"AutoExec0_NonElevate", L"1"},
      {L"AutoExec1_File", L"<none>"}};
  for (const auto& key : expected) EXPECT_EQ(key.second, s.Key(key.first.c_str())) << Narrow(key.first);
  ASSERT_TRUE(s.Build());
  ExpectCleanRun(s.Install());

  std::wstring folder = s.InstallFolder();
  folder.pop_back();
  for (const wchar_t* name : {L"bin\\probe.exe.txt", L"bin\\probe2.exe.txt"}) {
    SCOPED_TRACE(Narrow(name));
    const std::wstring record = s.InstallFolder() + name;
    // The programs may still be running when the installer has ended.
    EXPECT_TRUE(builderwindow::WaitFor([&] {
      const std::vector<std::string> lines = testsupport::ReadLines(record);
      return !lines.empty() && lines.back() == "end";
    }, 30000));
    const std::vector<std::string> lines = testsupport::ReadLines(record);
    EXPECT_TRUE(Has(lines, "exe=" + Narrow(s.Output())));
    EXPECT_TRUE(Has(lines, "extract=" + Narrow(folder)));
  }
  const std::vector<std::string> main = testsupport::ReadLines(s.InstallFolder() + L"bin\\probe.exe.txt");
  EXPECT_TRUE(Has(main, "arg=--main"));
  EXPECT_TRUE(Has(main, "arg=two words"));
  EXPECT_TRUE(Has(testsupport::ReadLines(s.InstallFolder() + L"bin\\probe2.exe.txt"), "arg=--item"));
}

// Uninstaller page and both of its dialogs: the built-in uninstaller with
// a registry key to delete, a program to run first (picked from the
// archive) and an extension module; the registration's publisher, version
// and size. The installed uninstaller then removes everything it should.
// Both the program and the module are named as archive items; the
// uninstaller finds them whether it stays in the extract destination or
// has a folder of its own below it.
void UninstallerSettingsScenario(const std::wstring& uninstallerFolder) {
  Scenario s(uninstallerFolder.empty() ? L"sb-uninst" : L"sb-uninst-own");
  Cleanup cleanup;
  const std::wstring id = UniqueId();
  const std::wstring key = L"VsmSheetBuilt-" + id;
  const std::wstring productKey = L"Software\\VsmSheetBuiltProduct-" + id;
  const std::wstring name = L"Sheet Built " + id;
  cleanup.Key(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key));
  cleanup.Key(HKEY_CURRENT_USER, productKey);
  TestCabinet cab;
  auto before = testsupport::InstallerPackage::BinMember(L"uninstprobe.exe", L"bin\\before.exe");
  auto module = testsupport::InstallerPackage::BinMember(L"uninstext.dll", L"uninst.dll");
  cab.Add(before.first, before.second).Add(module.first, module.second);
  cab.Add(L"readme.txt", "Read me.\r\n").Add(L"docs\\guide.txt", std::string(3000, 'g'));
  ASSERT_TRUE(s.Begin(cab));
  UseBuiltInUninstaller(s, key, name);

  HWND settings = s.OpenFromPage(1204, 1105);
  ASSERT_NE(nullptr, settings);
  sheettest::Send(GetDlgItem(settings, 1100), CB_SETCURSEL, 1);  // HKEY_CURRENT_USER
  SetText(settings, 1095, productKey);
  ASSERT_TRUE(testsupport::PressButton(settings, 1102));
  ASSERT_TRUE(builderwindow::WaitFor(
      [&] { return sheettest::Send(GetDlgItem(settings, 1105), LB_GETCOUNT) == 1; }, 5000));
  EXPECT_TRUE(SetCheck(settings, 1289, true));
  ASSERT_TRUE(testsupport::PressButton(settings, 1009));
  ASSERT_TRUE(Pick(s.sheet(), L"bin\\before.exe"));
  EXPECT_EQ(L"bin\\before.exe", testsupport::ControlText(settings, 1003));
  SetText(settings, 1004, L"--before now");
  EXPECT_TRUE(SetCheck(settings, 1209, true));
  SetText(settings, 1210, L"uninst.dll");
  if (!uninstallerFolder.empty()) SetText(settings, 1033, uninstallerFolder);
  ASSERT_TRUE(Confirm(settings));

  HWND options = s.OpenFromPage(1203, 1273);
  ASSERT_NE(nullptr, options);
  SetText(options, 1195, L"Sheet Maker");
  EXPECT_TRUE(SetCheck(options, 1275, true));
  EXPECT_TRUE(testsupport::IsChecked(options, 1274)) << "a constant version";
  SetText(options, 1276, L"3.2.1");
  EXPECT_TRUE(SetCheck(options, 1267, true));
  ASSERT_TRUE(Confirm(options));
  ASSERT_TRUE(s.Finish());

  const std::map<std::wstring, std::wstring> expected = {
      {L"UseUnInstall", L"1"}, {L"UseVesmarinUninstaller", L"1"}, {L"DenyUsers", L"1"},
      {L"UnInstallKey", key}, {L"UnInstallTitle", name},
      {L"UseVesmarinUninstallerFolder", uninstallerFolder.empty() ? L"\\" : uninstallerFolder},
      {L"UninstallReg0", L"HKEY_CURRENT_USER\\" + productKey}, {L"UninstallReg1", L"<none>"},
      {L"UseUninstallerPreProcess", L"1"}, {L"UninstallerPreProcessFile", L"bin\\before.exe"},
      {L"UninstallerPreProcessArg", L"--before now"},
      {L"UseUninstallerExtensionModuleFile", L"1"},
      {L"UninstallerExtensionModuleFile", L"uninst.dll"}, {L"UninstallRebootable", L"1"},
      {L"UnInstallPublisher", L"Sheet Maker"}, {L"UnInstallSetVersion", L"1"},
      {L"UnInstallAutoSetVersion", L"0"}, {L"UnInstallVersion", L"3.2.1"},
      {L"UnInstallAutoSetSize", L"1"}};
  for (const auto& entry : expected)
    EXPECT_EQ(entry.second, s.Key(entry.first.c_str())) << Narrow(entry.first);
  ASSERT_TRUE(s.Build());
  ExpectCleanRun(s.Install());

  const std::wstring app = s.InstallFolder();
  const std::wstring ownFolder =
      uninstallerFolder.empty() ? L"" : uninstallerFolder.substr(1) + L"\\";
  const std::wstring uninstaller = app + ownFolder + L"Hollmere64.exe";
  // The uninstaller's module lies beside it, and only there.
  EXPECT_TRUE(testsupport::PathExists(app + ownFolder + L"uninst.dll"));
  if (!ownFolder.empty()) {
    EXPECT_FALSE(testsupport::PathExists(app + L"uninst.dll"));
  }
  std::vector<uint8_t> installed, embedded;
  ASSERT_TRUE(testsupport::ReadFileBytes(uninstaller, installed));
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Hollmere64.exe"), embedded));
  EXPECT_TRUE(installed == embedded);
  std::map<std::wstring, std::wstring> entry =
      testsupport::ReadKeyValues(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key));
  EXPECT_EQ(L"sz:" + name, entry[L"DisplayName"]);
  EXPECT_EQ(L"sz:\"" + uninstaller + L"\" /s", entry[L"UninstallString"]);
  EXPECT_EQ(L"sz:Sheet Maker", entry[L"Publisher"]);
  EXPECT_EQ(L"sz:3.2.1", entry[L"DisplayVersion"]);
  EXPECT_EQ(0u, entry[L"EstimatedSize"].compare(0, 6, L"dword:"));

  // The product wrote its key; the uninstaller removes it with the files.
  HKEY product = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, productKey.c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &product, nullptr));
  RegSetValueExW(product, L"Setting", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
  RegCloseKey(product);
  const std::wstring probeLog = s.dir() / L"before.log";
  const std::wstring moduleLog = s.dir() / L"module.log";
  testsupport::ScopedEnv probeEnv(L"VESMARIN_PROBE_LOG", probeLog);
  testsupport::ScopedEnv moduleEnv(L"VESMARIN_EXT_LOG", moduleLog);
  const testsupport::UninstDriverReport report = Uninstall(s, key);
  for (const std::wstring& left : testsupport::ListTree(app)) ADD_FAILURE() << "left: " << Narrow(left);
  EXPECT_FALSE(testsupport::KeyExists(HKEY_CURRENT_USER, productKey));
  EXPECT_TRUE(testsupport::UninstallCommand(key).empty());
  const std::vector<std::string> probe = testsupport::ReadLines(probeLog);
  EXPECT_TRUE(Has(probe, "args=--before now")) << report.text;
  const std::string events = Content(moduleLog);
  for (const char* event : {"event=2000 ", "event=2001 ", "event=2002 ", "event=2003 "})
    EXPECT_NE(std::string::npos, events.find(event)) << event << " in " << events;
}

TEST(SheetBuilt, UninstallerSettings) { UninstallerSettingsScenario(L""); }

TEST(SheetBuilt, UninstallerSettingsWithAnUninstallerFolderOfItsOwn) {
  UninstallerSettingsScenario(L"\\Uninst");
}

// Special-process page: a folder of the archive extracted to a place of
// its own and a COM server registered, unregistered again at uninstall,
// both made in their item dialogs.
TEST(SheetBuilt, ExtraCopiesAndComServers) {
  Scenario s(L"sb-special");
  Cleanup cleanup;
  const std::wstring id = UniqueId();
  const std::wstring key = L"VsmSheetBuiltCom-" + id;
  const std::wstring server = L"sheetsrv" + id + L".dll";
  cleanup.Key(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key));
  cleanup.Server(server);
  const std::wstring copies = s.dir() / L"copies";
  TestCabinet cab;
  auto com = testsupport::InstallerPackage::BinMember(L"shellcom.dll", L"com\\" + server);
  auto dep = testsupport::InstallerPackage::BinMember(L"shellcomdeps\\shellcomdep.dll",
                                                      L"com\\shellcomdep.dll");
  cab.Add(com.first, com.second).Add(dep.first, dep.second);
  cab.Add(L"top.txt", "top").Add(L"data\\shared.txt", "shared").Add(L"data\\more\\deep.txt", "deep");
  ASSERT_TRUE(s.Begin(cab));
  SheetRun& run = s.sheet();
  ASSERT_TRUE(run.Select(kSpecialPage));
  HWND copy = s.OpenFromPage(1191, 1069);
  ASSERT_NE(nullptr, copy);
  SetText(copy, 1115, L"data\\");
  Choose(copy, 1069, 6);
  SetText(copy, 1002, copies);
  ASSERT_TRUE(Confirm(copy));
  HWND registration = s.OpenFromPage(1179, 1115);
  ASSERT_NE(nullptr, registration);
  SetText(registration, 1115, L"com\\" + server);
  EXPECT_TRUE(SetCheck(registration, 1049, true));
  ASSERT_TRUE(Confirm(registration));
  UseBuiltInUninstaller(s, key, L"Sheet Built COM " + id);
  HWND settings = s.OpenFromPage(1204, 1105);
  ASSERT_NE(nullptr, settings);
  SetText(settings, 1033, L"\\Uninst");
  ASSERT_TRUE(Confirm(settings));
  ASSERT_TRUE(s.Finish());

  const std::map<std::wstring, std::wstring> expected = {
      {L"ExtraCopy0_FileName", L"data\\"}, {L"ExtraCopy0_BaseFolder", L"6"},
      {L"ExtraCopy0_ExtractFolder", copies}, {L"ExtraCopy0_NoCopyOriginal", L"0"},
      {L"ExtraCopy1_FileName", L"<none>"}, {L"RegComSvr0_FileName", L"com\\" + server},
      {L"RegComSvr0_Uninstall", L"1"}, {L"RegComSvr1_FileName", L"<none>"},
      {L"UseVesmarinUninstallerFolder", L"\\Uninst"}};
  for (const auto& entry : expected)
    EXPECT_EQ(entry.second, s.Key(entry.first.c_str())) << Narrow(entry.first);
  ASSERT_TRUE(s.Build());
  ExpectCleanRun(s.Install());

  const std::wstring app = s.InstallFolder();
  EXPECT_EQ("shared", Content(copies + L"\\data\\shared.txt"));
  EXPECT_EQ("deep", Content(copies + L"\\data\\more\\deep.txt"));
  EXPECT_FALSE(PathExists(app + L"data"));
  EXPECT_EQ("top", Content(app + L"top.txt"));
  EXPECT_EQ(app + L"com\\" + server, RegisteredServerPath(server));
  EXPECT_EQ(L"\"" + app + L"Uninst\\Hollmere64.exe\" /s", testsupport::UninstallCommand(key));

  Uninstall(s, key);
  EXPECT_TRUE(RegisteredServerPath(server).empty()) << "unregistered at uninstall";
  EXPECT_FALSE(PathExists(app + L"top.txt"));
  EXPECT_FALSE(PathExists(copies + L"\\data\\shared.txt"));
  EXPECT_FALSE(PathExists(app + L"Uninst\\Hollmere64.exe"));
  EXPECT_TRUE(testsupport::UninstallCommand(key).empty());
}

// Extension-module page: module and information file picked from the
// archive; the installer calls the module at its events with the file's
// content and installs neither file.
TEST(SheetBuilt, ExtensionModule) {
  Scenario s(L"sb-module");
  TestCabinet cab;
  auto module = testsupport::InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll");
  cab.Add(module.first, module.second).Add(L"ext\\module.dat", "module data");
  cab.Add(L"a.txt", "a").Add(L"docs\\b.txt", "b");
  ASSERT_TRUE(s.Begin(cab));
  SheetRun& run = s.sheet();
  ASSERT_TRUE(run.Select(kExtensionPage));
  EXPECT_TRUE(run.SetCheck(1209, true));
  ASSERT_TRUE(testsupport::PressButton(run.Page(), 1211));
  ASSERT_TRUE(Pick(run, L"ext\\module.dll"));
  ASSERT_TRUE(testsupport::PressButton(run.Page(), 1220));
  ASSERT_TRUE(Pick(run, L"ext\\module.dat"));
  ASSERT_TRUE(s.Finish());

  EXPECT_EQ(L"1", s.Key(L"UseExtensionModuleFile"));
  EXPECT_EQ(L"ext\\module.dll", s.Key(L"ExtensionModuleFile"));
  EXPECT_EQ(L"ext\\module.dat", s.Key(L"ExtensionModuleDatFile"));
  ASSERT_TRUE(s.Build());
  const std::wstring log = s.dir() / L"events.log";
  DrivenResult installed;
  {
    testsupport::ScopedEnv logEnv(L"VESMARIN_TESTEXT_LOG", log);
    installed = s.Install();
  }
  ExpectCleanRun(installed);

  const std::wstring app = s.InstallFolder();
  std::wstring folder = app;
  folder.pop_back();
  const std::string events = Content(log);
  EXPECT_NE(std::string::npos, events.find("event=1000 ")) << events;
  EXPECT_NE(std::string::npos, events.find(" data=module data ")) << events;
  EXPECT_NE(std::string::npos, events.find("event=1004 ")) << events;
  size_t files = 0;
  for (size_t at = events.find("event=1003 "); at != std::string::npos;
       at = events.find("event=1003 ", at + 1))
    ++files;
  EXPECT_EQ(2u, files) << "once after each installed file: " << events;
  EXPECT_EQ("a", Content(app + L"a.txt"));
  EXPECT_EQ("b", Content(app + L"docs\\b.txt"));
  for (const std::wstring& name : testsupport::ListTree(app))
    EXPECT_EQ(std::wstring::npos, name.find(L"module")) << "installed: " << Narrow(name);
}

}  // namespace
