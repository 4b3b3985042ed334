// End to end: the installed uninstaller started as its Uninstall entry's
// command, driven through its windows by uninstdriver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "InstalledPackage.h"
#include "PendingRenames.h"
#include "TestSupport.h"

namespace {

const wchar_t kUninstallParent[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string Utf8File(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  testsupport::ReadFileBytes(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

bool KeyExists(HKEY root, const std::wstring& path) { return DumpKey(root, path) != L"(absent)"; }

// Where path stands among the deletions waiting for the restart; -1 when
// it is not among them.
int PendingDeletionIndex(const std::wstring& path) {
  const auto pending = testsupport::PendingFileRenames();
  for (size_t i = 0; i < pending.size(); ++i) {
    std::wstring source = pending[i].first;
    if (source.compare(0, 4, L"\\??\\") == 0) source = source.substr(4);
    if (pending[i].second.empty() && _wcsicmp(source.c_str(), path.c_str()) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The temporary copies of one launcher run: the worker's image
// "<temp>$$qxunst-<16 hex digits>\$$qxunst<n>.bin" and its information
// copy beside it; entry is what the launcher tells the worker of the
// product's Uninstall entry.
void ExpectTemporaryCopiesHandled(const DriverReport& report, const InstalledPackage& package,
                                  const std::wstring& entry = L"protected") {
  const std::wstring image = report.First("worker-image");
  ASSERT_FALSE(image.empty());
  const std::wstring folderPrefix = package.temp() + L"$$qxunst-";
  ASSERT_EQ(_wcsnicmp(image.c_str(), folderPrefix.c_str(), folderPrefix.size()), 0)
      << testsupport::Narrow(image);
  const size_t slash = image.find(L'\\', folderPrefix.size());
  ASSERT_EQ(slash, folderPrefix.size() + 16) << testsupport::Narrow(image);
  for (size_t i = folderPrefix.size(); i < slash; ++i) EXPECT_TRUE(iswxdigit(image[i]));
  const std::wstring folder = image.substr(0, slash);
  const std::wstring prefix = folder + L"\\$$qxunst";
  ASSERT_EQ(_wcsnicmp(image.c_str(), prefix.c_str(), prefix.size()), 0) << testsupport::Narrow(image);
  ASSERT_GT(image.size(), prefix.size() + 4);
  EXPECT_EQ(image.substr(image.size() - 4), L".bin");
  for (size_t i = prefix.size(); i < image.size() - 4; ++i) EXPECT_TRUE(iswdigit(image[i]));
  EXPECT_EQ(report.First("info-copy-exists"), L"1");
  EXPECT_EQ(report.First("launcher-alive"), L"1");
  // The plain copy: the launcher's header, then the restored text unchanged.
  const std::wstring launcher = report.First("launcher-id");
  const std::wstring number = image.substr(prefix.size(), image.size() - 4 - prefix.size());
  const std::wstring header = L"[General]\r\nUninstFile=" + package.uninstaller() +
                              L"\r\nUninstSrcProcess=" + launcher +
                              L"\r\nUninstSyncEvent=VesmarinUninstallSyncEvent-" + launcher + L"-" +
                              number + L"\r\nUninstEntry=" + entry + L"\r\n";
  EXPECT_EQ(report.infoCopy.substr(0, header.size()), header);
  EXPECT_EQ(report.infoCopy.compare(header.size(), 11, L"[Options]\r\n"), 0);
  EXPECT_NE(launcher.substr(0, 1), L"0");
  // The information copy is gone; the executable copy waits for the restart.
  EXPECT_FALSE(testsupport::PathExists(image.substr(0, image.size() - 4) + L".ini"));
  // The copy first, then its folder.
  EXPECT_GE(PendingDeletionIndex(image), 0);
  EXPECT_GT(PendingDeletionIndex(folder), PendingDeletionIndex(image));
  EXPECT_EQ(FolderNames(folder + L"\\"), std::vector<std::wstring>{image.substr(slash + 1)});
  EXPECT_EQ(report.First("launcher-exit"), L"0");
  EXPECT_EQ(report.First("worker-exit"), L"0");
}

TEST(UninstallE2E, RemovesEverythingListedAndKeepsWhatTheUserAdded) {
  InstalledPackage package;
  package.Install();
  const std::wstring userFile = package.app() + L"my notes.txt";  // added after the installation
  ASSERT_TRUE(testsupport::WriteTextFile(userFile, "mine"));
  const std::wstring comLog = package.root() + L"com.log";
  SetEnvironmentVariableW(L"VESMARIN_COM_LOG", comLog.c_str());

  std::wstring restored;
  ASSERT_TRUE(ReadUninstallInfoText(package.infoFile().c_str(), &restored));

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp(), L"--detail");
  SetEnvironmentVariableW(L"VESMARIN_COM_LOG", nullptr);

  ASSERT_GT(report.infoCopy.size(), restored.size());
  EXPECT_EQ(report.infoCopy.substr(report.infoCopy.size() - restored.size()), restored);

  EXPECT_EQ(report.First("confirm-caption"), package.title());
  EXPECT_EQ(report.First("confirm-text"), L"Do you want to uninstall\n" + package.title() + L"?");
  EXPECT_EQ(report.First("progress-caption"), package.title());
  EXPECT_EQ(report.First("initial-status"), L"Uninstalling application...");
  EXPECT_EQ(report.First("initial-close-visible"), L"0");
  EXPECT_EQ(report.First("status"), L"Uninstallation is now complete.");
  EXPECT_EQ(report.First("close-text"), L"Close");
  EXPECT_EQ(report.First("detail-visible"), L"1");
  EXPECT_FALSE(report.Has("restart-text"));
  EXPECT_FALSE(report.Has("error-text"));
  ExpectTemporaryCopiesHandled(report, package);

  // "Detail" enlarges the dialog so that the log shows, and shrinks it again.
  int before = 0, after = 0, again = 0;
  ASSERT_EQ(swscanf(report.First("detail-height").c_str(), L"%d %d %d", &before, &after, &again), 3);
  EXPECT_GT(after, before);
  EXPECT_EQ(again, before);
  EXPECT_EQ(report.First("log-edit-inside"), L"1");

  // The log lists the server, every deleted file newest first (the ".ini"
  // sibling before its program), the group and the keys.
  const std::wstring& app = package.app();
  std::vector<std::wstring> expected = {
      L" " + app + L"server.dll - unregistered.",
      L" " + package.link() + L" - deleted.",
      L" " + app + L"sub\\data.bin - deleted.",
      L" " + app + L"prog.ini - deleted.",
      L" " + app + L"prog.exe - deleted.",
      L" " + app + L"server.dll - deleted.",
      L" " + app + L"readme.txt - deleted.",
      L" Start menu group \"" + package.group() + L"\" - deleted.",
      L"HKEY_CURRENT_USER \\ " + package.userKey() + L" - deleted.",
      L"HKEY_CLASSES_ROOT \\ " + package.classesKey() + L" - deleted.",
      L"HKEY_LOCAL_MACHINE \\ " + package.machineKey() + L" - deleted.",
  };
  EXPECT_EQ(report.All("log"), expected);
  EXPECT_NE(Utf8File(comLog).size(), 0u);  // DllUnregisterServer ran

  for (const std::wstring& file : package.ListedFilesNewestFirst()) {
    EXPECT_FALSE(testsupport::PathExists(file)) << testsupport::Narrow(file);
  }
  EXPECT_FALSE(testsupport::PathExists(app + L"prog.ini"));
  EXPECT_FALSE(testsupport::PathExists(app + L"sub"));
  EXPECT_FALSE(testsupport::PathExists(package.uninstaller()));
  EXPECT_FALSE(testsupport::PathExists(package.infoFile()));
  EXPECT_FALSE(testsupport::PathExists(package.groupFolder()));
  // The user's file and so its folder stay.
  EXPECT_TRUE(testsupport::PathExists(userFile));
  EXPECT_EQ(FolderNames(app), std::vector<std::wstring>{L"my notes.txt"});

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, package.userKey()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, package.machineKey()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, package.classesKey()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\VesmarinTests"));
  // Nothing of the worker's log is left in the temporary folder.
  for (const std::wstring& name : FolderNames(package.temp())) {
    EXPECT_EQ(name.compare(0, 8, L"$$qxunst"), 0) << testsupport::Narrow(name);
  }
}

TEST(UninstallE2E, AnsweringNoLeavesEverythingAsItWas) {
  InstalledPackage package;
  package.Install();
  const std::wstring registryBefore =
      DumpKey(HKEY_CURRENT_USER, package.userKey()) + DumpKey(HKEY_LOCAL_MACHINE, package.machineKey()) +
      DumpKey(HKEY_CLASSES_ROOT, package.classesKey()) +
      DumpKey(HKEY_LOCAL_MACHINE, package.uninstallKeyPath());
  const std::vector<std::wstring> appBefore = FolderNames(package.app());
  const std::wstring comLog = package.root() + L"com.log";
  SetEnvironmentVariableW(L"VESMARIN_COM_LOG", comLog.c_str());

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp(), L"--confirm no");
  SetEnvironmentVariableW(L"VESMARIN_COM_LOG", nullptr);

  EXPECT_EQ(report.First("confirm-caption"), package.title());
  EXPECT_FALSE(report.Has("progress-caption"));
  EXPECT_FALSE(report.Has("error-text"));
  ExpectTemporaryCopiesHandled(report, package);
  EXPECT_EQ(DumpKey(HKEY_CURRENT_USER, package.userKey()) +
                DumpKey(HKEY_LOCAL_MACHINE, package.machineKey()) +
                DumpKey(HKEY_CLASSES_ROOT, package.classesKey()) +
                DumpKey(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()),
            registryBefore);
  EXPECT_EQ(FolderNames(package.app()), appBefore);
  EXPECT_TRUE(testsupport::PathExists(package.groupFolder()));
  EXPECT_FALSE(testsupport::PathExists(comLog));
}

TEST(UninstallE2E, AWorkerThatDiesReleasesTheLauncher) {
  InstalledPackage package;
  package.Install();
  DriverReport report = RunDriver(package.UninstallCommand(), package.temp(), L"--confirm kill --timeout 20000");
  EXPECT_EQ(report.First("worker-killed"), L"1");
  EXPECT_EQ(report.First("launcher-exit"), L"0");
  EXPECT_EQ(report.First("worker-exit"), L"99");
  // The launcher removed both temporary copies.
  EXPECT_TRUE(FolderNames(package.temp()).empty());
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()));
}

TEST(UninstallE2E, ReadingTheTitleCreatesNoUninstallKey) {
  InstalledPackage package;
  package.Install();
  const std::wstring command = package.UninstallCommand();
  // The entry must stay (it records what the uninstaller trusts); without
  // its title the question has none, and reading changes nothing.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, package.uninstallKeyPath().c_str(), 0, KEY_SET_VALUE,
                          &key),
            ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueW(key, L"DisplayName"), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::wstring entryBefore = DumpKey(HKEY_LOCAL_MACHINE, package.uninstallKeyPath());

  DriverReport report = RunDriver(command, package.temp(), L"--confirm no");

  EXPECT_TRUE(report.Has("confirm-text"));
  EXPECT_EQ(report.First("confirm-caption"), L"");
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()), entryBefore);
}

TEST(UninstallE2E, FileHeldOpenIsDeletedAtRestartAndTheRestartIsAsked) {
  InstalledPackage package;
  package.Install();
  package.info().UninstallRebootable = true;
  package.info().HideLogButton = true;
  ASSERT_TRUE(package.WriteInfo());
  const std::wstring busy = package.app() + L"readme.txt";
  HANDLE held = CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  CloseHandle(held);
  EXPECT_EQ(report.First("detail-visible"), L"0");

  std::vector<std::wstring> log = report.All("log");
  EXPECT_NE(std::find(log.begin(), log.end(),
                      L" " + busy + L" - file using, need reboot to delete."),
            log.end());
  EXPECT_EQ(report.First("restart-text"),
            L"You have to restart Windows to finish deleting files.\n"
            L"Do You want to restart Windows now?");
  EXPECT_TRUE(testsupport::IsPendingDeletion(busy));
  // The folder still holds the busy file: it stays until the restart.
  EXPECT_TRUE(testsupport::PathExists(package.app()));
  EXPECT_FALSE(testsupport::PathExists(package.app() + L"prog.exe"));
  ExpectTemporaryCopiesHandled(report, package);
}

TEST(UninstallE2E, ExtensionModuleSeesItsFourEventsInOrder) {
  InstalledPackage package;
  package.Install();
  const std::wstring module = package.app() + L"ext.dll";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstext.dll").c_str(), module.c_str(), FALSE));
  package.info().ExtModuleFile = L"ext.dll";
  ASSERT_TRUE(package.WriteInfo());
  const std::wstring extLog = package.root() + L"ext.log";
  SetEnvironmentVariableW(L"VESMARIN_EXT_LOG", extLog.c_str());
  SetEnvironmentVariableW(L"VESMARIN_EXT_RESULT_2002", L"4");  // asks for the restart question

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  SetEnvironmentVariableW(L"VESMARIN_EXT_LOG", nullptr);
  SetEnvironmentVariableW(L"VESMARIN_EXT_RESULT_2002", nullptr);

  const std::string tail = " title=" + testsupport::Narrow(package.title()) +
                           " path=" + testsupport::Narrow(package.uninstaller()) + " data=null\r\n";
  EXPECT_EQ(Utf8File(extLog), "event=2000 size=96 param1=0" + tail +
                                  "event=2003 size=96 param1=0" + tail +
                                  "event=2002 size=96 param1=0" + tail +
                                  "event=2001 size=96 param1=0" + tail);
  EXPECT_TRUE(report.Has("restart-text"));  // answer 4, though nothing waits for a restart
  EXPECT_FALSE(testsupport::PathExists(module));
  EXPECT_FALSE(testsupport::PathExists(package.uninstaller()));
  ExpectTemporaryCopiesHandled(report, package);
}

TEST(UninstallE2E, ExtensionThatRefusesAtStartStopsBeforeAnyRemoval) {
  InstalledPackage package;
  package.Install();
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstext.dll").c_str(),
                        (package.app() + L"ext.dll").c_str(), FALSE));
  package.info().ExtModuleFile = L"ext.dll";
  ASSERT_TRUE(package.WriteInfo());
  SetEnvironmentVariableW(L"VESMARIN_EXT_RESULT_2000", L"1");
  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  SetEnvironmentVariableW(L"VESMARIN_EXT_RESULT_2000", nullptr);

  EXPECT_TRUE(report.Has("confirm-text"));
  EXPECT_FALSE(report.Has("progress-caption"));
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"ext.dll"));
  EXPECT_TRUE(testsupport::PathExists(package.uninstaller()));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()));
  EXPECT_EQ(report.First("worker-exit"), L"0");
  // The information copy is gone all the same.
  const std::wstring image = report.First("worker-image");
  ASSERT_GT(image.size(), 4u);
  EXPECT_FALSE(testsupport::PathExists(image.substr(0, image.size() - 4) + L".ini"));
}

TEST(UninstallE2E, MissingExtensionModuleIsReportedAndNothingRemoved) {
  InstalledPackage package;
  package.Install();
  package.info().ExtModuleFile = L"absent.dll";
  ASSERT_TRUE(package.WriteInfo());
  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  EXPECT_EQ(report.First("error-text"), L"Could not load extension module.");
  EXPECT_FALSE(report.Has("confirm-text"));
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, package.userKey()));
  EXPECT_EQ(report.First("launcher-exit"), L"0");
}

TEST(UninstallE2E, PreUninstallProgramRunsBeforeAnyDeletionAndIsWaitedFor) {
  InstalledPackage package;
  package.Install();
  package.AddFile(L"before.exe", testsupport::BinPath(L"uninstprobe.exe"));
  package.info().PreProcessFile = L"before.exe";
  package.info().PreProcessArg = L"--flag value";
  ASSERT_TRUE(package.WriteInfo());
  const std::wstring readme = package.app() + L"readme.txt";
  const std::wstring probeLog = package.root() + L"probe.log";
  SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", probeLog.c_str());
  SetEnvironmentVariableW(L"VESMARIN_PROBE_CHECK", (readme + L"|" + package.link()).c_str());
  SetEnvironmentVariableW(L"VESMARIN_PROBE_SLEEP", L"1500");

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  for (const wchar_t* name : {L"VESMARIN_PROBE_LOG", L"VESMARIN_PROBE_CHECK", L"VESMARIN_PROBE_SLEEP"}) {
    SetEnvironmentVariableW(name, nullptr);
  }

  const std::string r = testsupport::Narrow(readme), l = testsupport::Narrow(package.link());
  std::string log = Utf8File(probeLog);
  EXPECT_EQ(log.find("args=--flag value\r\n"), 0u) << log;
  EXPECT_NE(log.find("exists=1 " + r + "\r\nexists=1 " + l + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("later-exists=1 " + r + "\r\nlater-exists=1 " + l + "\r\ndone\r\n"),
            std::string::npos)
      << log;
  EXPECT_FALSE(testsupport::PathExists(readme));
  EXPECT_FALSE(testsupport::PathExists(package.app() + L"before.exe"));
  std::vector<std::wstring> lines = report.All("log");
  EXPECT_NE(std::find(lines.begin(), lines.end(), L" " + package.app() + L"before.exe - deleted."),
            lines.end());
  ExpectTemporaryCopiesHandled(report, package);
}

TEST(UninstallE2E, UnsafeEntriesAreSkippedAndLogged) {
  InstalledPackage package;
  package.Install();
  const std::wstring outside = package.root() + L"outside.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(outside, "not ours"));
  const std::wstring sharedMachineKey = L"SOFTWARE\\Policies";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, sharedMachineKey.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  UninstallInfoContent& info = package.info();
  info.ExtModuleFile = L"..\\ext.dll";
  info.CreatedPaths.push_back(package.app() + L"..\\outside.txt");
  info.CreatedPaths.push_back(L"C:\\");
  info.CreatedPaths.push_back(L"relative.txt");
  info.RegistryRecords = {L"00=CLSID", L"10=Software", L"11=" + package.userKey(),
                          L"20=" + sharedMachineKey};
  ASSERT_TRUE(package.WriteInfo());

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());

  std::vector<std::wstring> log = report.All("log");
  ASSERT_GE(log.size(), 8u);
  EXPECT_EQ(log[0], L" ..\\ext.dll - skipped: not allowed to remove.");
  EXPECT_EQ(log[2], L" relative.txt - skipped: not allowed to remove.");
  EXPECT_EQ(log[3], L" C:\\ - skipped: not allowed to remove.");
  EXPECT_EQ(log[4], L" " + package.app() + L"..\\outside.txt - skipped: not allowed to remove.");
  EXPECT_EQ(log[log.size() - 3], L"HKEY_CURRENT_USER \\ " + package.userKey() + L" - deleted.");
  EXPECT_EQ(log[log.size() - 2], L"HKEY_CLASSES_ROOT \\ CLSID - skipped: not allowed to remove.");
  EXPECT_EQ(log[log.size() - 1],
            L"HKEY_LOCAL_MACHINE \\ " + sharedMachineKey + L" - skipped: not allowed to remove.");
  EXPECT_TRUE(testsupport::PathExists(outside));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, sharedMachineKey));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
  EXPECT_FALSE(testsupport::PathExists(package.app() + L"readme.txt"));
}

TEST(UninstallE2E, LauncherWithoutInformationFileShowsItsMessage) {
  InstalledPackage package;
  package.Install();
  ASSERT_TRUE(DeleteFileW(package.infoFile().c_str()));
  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  EXPECT_EQ(report.First("error-text"), L"Could not read uninstall information.");
  EXPECT_TRUE(FolderNames(package.temp()).empty());
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
}

TEST(UninstallE2E, LauncherThatCannotWriteItsCopiesShowsItsMessage) {
  InstalledPackage package;
  package.Install();
  const std::wstring missing = package.root() + L"no such folder\\";
  DriverReport report = RunDriver(package.UninstallCommand(), missing);
  EXPECT_EQ(report.First("error-text"), L"An error occured while reading uninstall information.");
  EXPECT_FALSE(report.Has("confirm-text"));
  EXPECT_FALSE(testsupport::PathExists(missing));
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
}

TEST(UninstallE2E, LauncherRefusesACommandLineThatWouldNotFit) {
  InstalledPackage package;
  package.Install();
  // A temporary folder so deep that the worker's command line reaches 260 characters.
  std::wstring deep = package.temp();
  while (deep.size() < 130) {
    deep += L"deeper\\";
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  DriverReport report = RunDriver(package.UninstallCommand(), deep);
  EXPECT_EQ(report.First("error-text"), L"Failed to run uninstaller.");
  EXPECT_FALSE(report.Has("confirm-text"));
  EXPECT_TRUE(FolderNames(deep).empty());  // both copies were removed again
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
}

TEST(UninstallE2E, HandTypedWorkerCommandDeletesNothing) {
  InstalledPackage package;
  package.Install();
  // A well-formed information copy, but not one of a launcher run.
  std::wstring text;
  ASSERT_TRUE(ReadUninstallInfoText(package.infoFile().c_str(), &text));
  text = L"[General]\r\nUninstFile=" + package.uninstaller() + L"\r\nUninstSrcProcess=" +
         std::to_wstring(GetCurrentProcessId()) + L"\r\n" + text;
  const std::wstring copy = package.root() + L"typed.ini";
  ASSERT_TRUE(testsupport::WriteFileBytes(copy, text.data(), text.size() * sizeof(wchar_t)));
  // Also under the launcher's names, but outside the temporary folder.
  const std::wstring named = package.root() + L"$$qxunst7.ini";
  const std::wstring namedProgram = package.root() + L"$$qxunst7.bin";
  ASSERT_TRUE(CopyFileW(copy.c_str(), named.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(package.uninstaller().c_str(), namedProgram.c_str(), FALSE));

  for (const std::wstring& command :
       {L"\"" + package.uninstaller() + L"\" /u" + copy,
        L"\"" + namedProgram + L"\" /u" + named}) {
    DriverReport report = RunDriver(command, package.temp());
    EXPECT_EQ(report.First("error-text"), L"Failed to initialize.");
    EXPECT_FALSE(report.Has("confirm-text"));
  }
  EXPECT_TRUE(testsupport::PathExists(copy));
  EXPECT_TRUE(testsupport::PathExists(named));
  EXPECT_TRUE(testsupport::PathExists(package.uninstaller()));
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, package.userKey()));
  EXPECT_FALSE(testsupport::IsPendingDeletion(package.uninstaller()));
  EXPECT_FALSE(testsupport::IsPendingDeletion(namedProgram));
}

}  // namespace

namespace {

bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What the information file asks for beyond the installation itself: a
// program outside the uninstaller's folder, a COM server it did not
// install, the shell's own classes, files reached through a link.
TEST(UninstallE2E, WhatReachesBeyondTheProductIsRefused) {
  InstalledPackage package;
  package.Install();
  const std::wstring elsewhere = package.root() + L"elsewhere";
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  const std::wstring victim = elsewhere + L"\\victim.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(victim, "not the product's"));
  const std::wstring link = package.app() + L"link";
  ASSERT_TRUE(testsupport::MakeFolderLink(link, elsewhere));
  const std::wstring probe = package.root() + L"probe.exe";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstprobe.exe").c_str(), probe.c_str(), FALSE));
  const std::wstring foreignServer = package.root() + L"foreign.dll";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"comprobe.dll").c_str(), foreignServer.c_str(), FALSE));
  const std::wstring vendorKey = L"Software\\VesmarinVendor" + std::to_wstring(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, vendorKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  const std::wstring exefileBefore = DumpKey(HKEY_CLASSES_ROOT, L"exefile");

  UninstallInfoContent& info = package.info();
  info.CreatedPaths.push_back(link + L"\\");
  info.CreatedPaths.push_back(link + L"\\victim.txt");
  info.PreProcessFile = L"..\\probe.exe";
  info.RegServers.push_back(foreignServer);
  info.RegistryRecords = {L"00=exefile", L"01=http", L"02=SystemFileAssociations\\.txt",
                          L"10=" + vendorKey};
  ASSERT_TRUE(package.WriteInfo());
  const std::wstring probeLog = package.root() + L"probe.log";
  SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", probeLog.c_str());

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", nullptr);

  const std::vector<std::wstring> log = report.All("log");
  const std::wstring skipped = L" - skipped: not allowed to remove.";
  EXPECT_FALSE(testsupport::PathExists(probeLog)) << "the program outside the folder ran";
  EXPECT_TRUE(HasLine(log, L" ..\\probe.exe" + skipped));
  EXPECT_TRUE(HasLine(log, L" " + foreignServer + skipped));
  EXPECT_TRUE(testsupport::PathExists(victim)) << "deleted through a link";
  EXPECT_TRUE(HasLine(log, L" " + link + L"\\victim.txt - failed to delete."));
  EXPECT_TRUE(HasLine(log, L"HKEY_CLASSES_ROOT \\ exefile" + skipped));
  EXPECT_TRUE(HasLine(log, L"HKEY_CLASSES_ROOT \\ http" + skipped));
  EXPECT_TRUE(HasLine(log, L"HKEY_CLASSES_ROOT \\ SystemFileAssociations\\.txt" + skipped));
  EXPECT_EQ(DumpKey(HKEY_CLASSES_ROOT, L"exefile"), exefileBefore);
  // A publisher's own key one level below Software goes.
  EXPECT_TRUE(HasLine(log, L"HKEY_CURRENT_USER \\ " + vendorKey + L" - deleted."));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, vendorKey));
  // The product's own files are gone as always.
  EXPECT_FALSE(testsupport::PathExists(package.app() + L"readme.txt"));
}

// The worker runs from the temporary folder, where anybody may put a
// program named like a system one: a batch file still runs through the
// system's command interpreter.
TEST(UninstallE2E, PlantedCommandInterpreterDoesNotRun) {
  InstalledPackage package;
  package.Install();
  const std::wstring marker = package.root() + L"batch-ran.txt";
  const std::wstring script = package.AddFile(L"before.cmd");
  ASSERT_TRUE(testsupport::WriteTextFile(
      script, "@echo off\r\necho ran> \"" + testsupport::Narrow(marker) + "\"\r\n"));
  package.info().PreProcessFile = L"before.cmd";
  ASSERT_TRUE(package.WriteInfo());
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstprobe.exe").c_str(),
                        (package.temp() + L"cmd.exe").c_str(), FALSE));
  const std::wstring probeLog = package.root() + L"probe.log";
  SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", probeLog.c_str());

  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", nullptr);

  EXPECT_FALSE(testsupport::PathExists(probeLog)) << "the planted cmd.exe ran";
  EXPECT_TRUE(testsupport::PathExists(marker)) << "the system's interpreter did not run the script";
  EXPECT_FALSE(testsupport::PathExists(script));
}

}  // namespace

namespace {

// The information file beside the uninstaller may be writable by the user:
// only the file whose digest the installer recorded in the product's
// Uninstall entry, and only an entry that starts this uninstaller, count.
TEST(UninstallE2E, EditedInformationFileIsRefused) {
  InstalledPackage package;
  package.Install();
  const std::wstring outside = package.root() + L"outside.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(outside, "not the product's"));
  const std::wstring recorded = DumpKey(HKEY_LOCAL_MACHINE, package.uninstallKeyPath());
  // The file rewritten with what an attacker wants, the digest left alone.
  package.info().CreatedPaths.push_back(outside);
  UninstallInfoContent edited = package.info();
  ASSERT_EQ(WriteUninstallInfoFile(package.infoFile().c_str(), edited), kUninstallInfoOk);
  DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
  EXPECT_EQ(report.First("error-text"), L"Could not read uninstall information.");
  EXPECT_TRUE(FolderNames(package.temp()).empty());
  EXPECT_TRUE(testsupport::PathExists(outside));
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()), recorded);

  // A consistent file and digest, but naming an entry whose command is
  // another program (another product's entry).
  ASSERT_TRUE(package.WriteInfo());
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, package.uninstallKeyPath().c_str(), 0, KEY_SET_VALUE,
                          &key),
            ERROR_SUCCESS);
  const std::wstring other = L"\"" + package.app() + L"prog.exe\" /s";
  RegSetValueExW(key, L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                 static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  report = RunDriver(L"\"" + package.uninstaller() + L"\" /s", package.temp());
  EXPECT_EQ(report.First("error-text"), L"Could not read uninstall information.");
  EXPECT_TRUE(testsupport::PathExists(package.app() + L"readme.txt"));
}

}  // namespace

namespace {

bool Logged(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Where the product's Uninstall entry is one the user can write (a
// per-user installation below HKEY_CURRENT_USER), or where there is none,
// the information file may say anything: the worker removes only what lies
// in the installation's folder, its Start-menu group and the user's own
// registry, and runs none of the product's code.
TEST(UninstallE2E, WithoutAProtectedEntryTheWorkerStaysInsideTheInstallation) {
  for (HKEY entryRoot : {HKEY_CURRENT_USER, static_cast<HKEY>(nullptr)}) {
    SCOPED_TRACE(entryRoot ? "entry below HKEY_CURRENT_USER" : "no entry");
    InstalledPackage package;
    package.Install();
    const std::wstring outside = package.root() + L"outside.txt";
    ASSERT_TRUE(testsupport::WriteTextFile(outside, "not the product's"));
    package.info().CreatedPaths.push_back(outside);
    ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"uninstext.dll").c_str(),
                          (package.app() + L"ext.dll").c_str(), FALSE));
    package.info().ExtModuleFile = L"ext.dll";
    package.AddFile(L"before.exe", testsupport::BinPath(L"uninstprobe.exe"));
    package.info().PreProcessFile = L"before.exe";
    package.MoveEntryTo(entryRoot);
    ASSERT_TRUE(package.WriteInfo());
    const std::wstring comLog = package.root() + L"com.log";
    const std::wstring extLog = package.root() + L"ext.log";
    const std::wstring probeLog = package.root() + L"probe.log";
    SetEnvironmentVariableW(L"VESMARIN_COM_LOG", comLog.c_str());
    SetEnvironmentVariableW(L"VESMARIN_EXT_LOG", extLog.c_str());
    SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", probeLog.c_str());

    DriverReport report = RunDriver(package.UninstallCommand(), package.temp());
    for (const wchar_t* name : {L"VESMARIN_COM_LOG", L"VESMARIN_EXT_LOG", L"VESMARIN_PROBE_LOG"}) {
      SetEnvironmentVariableW(name, nullptr);
    }

    EXPECT_FALSE(report.Has("error-text"));
    EXPECT_EQ(report.First("confirm-caption"), entryRoot ? package.title() : L"");
    const std::vector<std::wstring> log = report.All("log");
    const std::wstring skipped = L" - skipped: not allowed to remove.";
    // Refused, and logged as not removed.
    EXPECT_TRUE(Logged(log, L" ext.dll" + skipped));
    EXPECT_TRUE(Logged(log, L" before.exe" + skipped));
    EXPECT_TRUE(Logged(log, L" " + package.app() + L"server.dll" + skipped));
    EXPECT_TRUE(Logged(log, L" " + outside + skipped));
    EXPECT_TRUE(Logged(log, L"HKEY_LOCAL_MACHINE \\ " + package.machineKey() + skipped));
    EXPECT_TRUE(Logged(log, L"HKEY_CLASSES_ROOT \\ " + package.classesKey() + skipped));
    EXPECT_FALSE(testsupport::PathExists(extLog)) << "the extension module was loaded";
    EXPECT_FALSE(testsupport::PathExists(probeLog)) << "the pre-uninstall program ran";
    EXPECT_FALSE(testsupport::PathExists(comLog)) << "the COM server was loaded";
    EXPECT_TRUE(testsupport::PathExists(outside));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, package.machineKey()));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, package.classesKey()));
    // What lies inside goes as always.
    EXPECT_TRUE(Logged(log, L" " + package.app() + L"readme.txt - deleted."));
    EXPECT_TRUE(Logged(log, L" " + package.link() + L" - deleted."));
    EXPECT_TRUE(Logged(log, L" Start menu group \"" + package.group() + L"\" - deleted."));
    EXPECT_TRUE(Logged(log, L"HKEY_CURRENT_USER \\ " + package.userKey() + L" - deleted."));
    EXPECT_FALSE(testsupport::PathExists(package.app() + L"readme.txt"));
    EXPECT_FALSE(testsupport::PathExists(package.app() + L"server.dll"));
    EXPECT_FALSE(testsupport::PathExists(package.app() + L"ext.dll"));
    EXPECT_FALSE(testsupport::PathExists(package.uninstaller()));
    EXPECT_FALSE(testsupport::PathExists(package.groupFolder()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, package.userKey()));
    // The user's own entry goes with the product.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, package.uninstallKeyPath()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, package.uninstallKeyPath()));
    ExpectTemporaryCopiesHandled(report, package, entryRoot ? L"user" : L"none");
  }
}

// What the worker asks about and what it removes is what it read before
// the question: a rewrite of its information copy while the question waits
// is refused, or, where the system allows it (Wine lets every program of
// the user write there), changes nothing.
TEST(UninstallE2E, RewritingTheCopyWhileTheQuestionWaitsChangesNothing) {
  InstalledPackage package;
  package.Install();
  const std::wstring victim = package.root() + L"victim.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(victim, "not the product's"));
  const std::wstring victimKey = L"SOFTWARE\\VesmarinTests\\Victim-" + std::to_wstring(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, victimKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  // The hostile body: another file and key to delete, none of the product's.
  UninstallInfoContent hostile = package.info();
  hostile.CreatedPaths = {victim};
  hostile.RegistryRecords = {L"20=" + victimKey};
  hostile.RegServers.clear();
  const std::wstring hostileFile = package.root() + L"hostile.$$$";
  ASSERT_EQ(WriteUninstallInfoFile(hostileFile.c_str(), hostile), kUninstallInfoOk);
  std::wstring body;
  ASSERT_TRUE(ReadUninstallInfoText(hostileFile.c_str(), &body));
  const std::wstring bodyFile = package.root() + L"hostile-body.txt";
  ASSERT_TRUE(testsupport::WriteFileBytes(bodyFile, body.data(), body.size() * sizeof(wchar_t)));

  DriverReport report =
      RunDriver(package.UninstallCommand(), package.temp(), L"--rewrite \"" + bodyFile + L"\"");

  const std::wstring rewrite = report.First("rewrite");
  EXPECT_TRUE(rewrite == L"written" || rewrite.compare(0, 8, L"refused ") == 0)
      << testsupport::Narrow(rewrite);
  EXPECT_TRUE(testsupport::PathExists(victim)) << "the worker read its copy again";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, victimKey.c_str());
  const std::vector<std::wstring> log = report.All("log");
  EXPECT_FALSE(Logged(log, L" " + victim + L" - deleted."));
  EXPECT_FALSE(Logged(log, L"HKEY_LOCAL_MACHINE \\ " + victimKey + L" - deleted."));
  // What was read before the question was removed.
  EXPECT_TRUE(Logged(log, L" " + package.app() + L"readme.txt - deleted."));
  EXPECT_TRUE(Logged(log, L"HKEY_LOCAL_MACHINE \\ " + package.machineKey() + L" - deleted."));
  EXPECT_FALSE(testsupport::PathExists(package.app() + L"readme.txt"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, package.machineKey()));
}

}  // namespace
