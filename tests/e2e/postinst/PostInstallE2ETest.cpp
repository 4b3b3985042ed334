// A silent installer with the built-in uninstaller, its Uninstall entry and
// its automatic execution, installed for real; then the installed
// uninstaller started the way the system's list of programs starts it, and
// the product folder going with the product.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "ContainerReader.h"
#include "FileIO.h"
#include "InstallerPackage.h"
#include "SfxContainer.h"
#include "Sha256.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::ReadLines;
using testsupport::PackageMembers;

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class PostInstallE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    id_ = std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(reinterpret_cast<uintptr_t>(this) & 0xFFFF);
    key_ = L"VesmarinPostinst-" + id_;
    userKey_ = L"Software\\VesmarinPostinst-" + id_;
    temp_ = package_.dir() / L"tmp\\";
    ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
    members_ = {
        {L"readme.txt", "Read me.\r\n"},
        InstallerPackage::BinMember(L"envprobe.exe", L"bin\\probe.exe"),
        InstallerPackage::BinMember(L"envprobe.exe", L"bin\\probe2.exe"),
        {L"docs\\guide.txt", std::string(5000, 'g')},
    };
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, userKey_.c_str());
  }

  std::vector<std::wstring> Lines() const {
    return {L"NoUI=1",
            L"UltraSilentInstall=1",
            L"UseUnInstall=1",
            L"UseVesmarinUninstaller=1",
            L"UseVesmarinUninstallerFolder=\\",
            L"UnInstallTitle=Postinst Plain",
            L"UnInstallTitleE=Postinst Example",
            L"UnInstallKey=" + key_,
            L"UninstIconFile=bin\\probe.exe,0",
            L"UnInstallPublisher=Plain Publisher",
            L"UnInstallSupportLinkE=https://example.com/support",
            L"UnInstallHelpLink=https://example.com/help",
            L"UnInstallUpdateLinkE=https://example.com/update",
            L"UnInstallSetVersion=1",
            L"UnInstallVersion=2.5.1",
            L"UnInstallAutoSetSize=1",
            L"UninstallReg0=HKEY_CURRENT_USER\\" + userKey_,
            L"UseAutoExecute=1",
            L"CmdLine=bin\\probe.exe",
            L"CmdArgs=--main \"two words\"",
            L"PassRebootSwitch=/afterreboot",
            L"WaitForAutoExecute=1",
            L"AutoExec0_File=bin\\probe2.exe",
            L"AutoExec0_Args=--item",
            L"AutoExec0_NonElevate=1"};
  }

  std::wstring Install() {
    const std::wstring setup = package_.Build(Lines(), members_);
    EXPECT_FALSE(setup.empty()) << testsupport::Narrow(package_.LastError());
    if (setup.empty()) return setup;
    testsupport::DrivenResult run = package_.Run(setup);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty()) << "an ultra-silent run shows nothing";
    return setup;
  }

  InstallerPackage package_{L"postinst"};
  PackageMembers members_;
  std::wstring id_, key_, userKey_, temp_;
};

TEST_F(PostInstallE2E, InstallsTheUninstallerWithItsInformationAndRegistersIt) {
  const std::wstring setup = Install();
  ASSERT_FALSE(setup.empty());
  const std::wstring folder = package_.InstallFolder();
  const std::wstring exe = folder + L"Hollmere64.exe";
  const std::wstring info = folder + L"Hollmere64.$$$";

  // The uninstaller is this build's, byte for byte.
  std::vector<uint8_t> installed, built;
  ASSERT_TRUE(testsupport::ReadFileBytes(exe, installed));
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Hollmere64.exe"), built));
  EXPECT_TRUE(installed == built);

  // The information file: inverted UTF-16LE without a byte-order mark.
  std::vector<uint8_t> stored;
  ASSERT_TRUE(testsupport::ReadFileBytes(info, stored));
  ASSERT_GE(stored.size(), 22u);
  EXPECT_EQ(stored.size() % 2, 0u);
  for (uint8_t& b : stored) b ^= 0xFF;
  const std::wstring text(reinterpret_cast<const wchar_t*>(stored.data()), stored.size() / 2);
  EXPECT_EQ(text.compare(0, 11, L"[Options]\r\n"), 0) << "no byte-order mark, [Options] first";
  const std::vector<std::wstring> lines = testsupport::CrLfLines(text);
  EXPECT_EQ(testsupport::IniSection(lines, L"Options"),
            (std::vector<std::wstring>{L"UninstallRebootable=1", L"DeleteSubFolders=0",
                                       L"UninstallKey=" + key_}));

  // [Files]: numbered from 0, newest first, every installed file once, the
  // uninstaller never.
  const std::vector<std::wstring> files = testsupport::IniSection(lines, L"Files");
  std::vector<std::wstring> paths;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::wstring prefix = std::to_wstring(i) + L"=";
    ASSERT_EQ(files[i].compare(0, prefix.size(), prefix), 0) << testsupport::Narrow(files[i]);
    paths.push_back(files[i].substr(prefix.size()));
  }
  auto index = [&](const std::wstring& path) {
    auto it = std::find_if(paths.begin(), paths.end(), [&](const std::wstring& p) {
      return CompareStringOrdinal(p.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
    return it == paths.end() ? -1 : static_cast<int>(it - paths.begin());
  };
  std::vector<int> fileIndexes;
  for (const auto& member : members_) {
    const int at = index(folder + member.first);
    EXPECT_GE(at, 0) << testsupport::Narrow(member.first) << " is listed";
    fileIndexes.push_back(at);
  }
  // Extracted in archive order, so listed in the reverse order.
  EXPECT_TRUE(std::is_sorted(fileIndexes.rbegin(), fileIndexes.rend()));
  EXPECT_GE(index(folder + L"bin\\"), 0);
  EXPECT_GT(index(folder + L"bin\\"), index(folder + L"bin\\probe.exe"))
      << "a folder comes after what was created in it";
  EXPECT_GT(index(folder + L"docs\\"), index(folder + L"docs\\guide.txt"));
  for (const std::wstring& path : paths) {
    EXPECT_EQ(path.find(L"Hollmere64."), std::wstring::npos) << testsupport::Narrow(path);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), path), 1);
  }
  EXPECT_EQ(testsupport::IniSection(lines, L"Registry_CURRENT_USER"),
            std::vector<std::wstring>{L"0=" + userKey_});
  EXPECT_TRUE(testsupport::IniSection(lines, L"Registry_LOCAL_MACHINE").empty());
  EXPECT_EQ(testsupport::IniSection(lines, L"Group"), std::vector<std::wstring>{L"CommonGroup=1"});

  // The Uninstall entry: exactly these values.
  unsigned long long size = FileSize(exe) + FileSize(info);
  for (const auto& member : members_) size += member.second.size();
  std::wstring location = folder;
  // The digest the uninstaller checks the information file against.
  std::vector<uint8_t> storedInfo;
  ASSERT_EQ(FileReadResult::kRead, ReadWholeFile(info.c_str(), 16 << 20, &storedInfo));
  std::wstring digest;
  ASSERT_TRUE(vesmarin::Sha256Hex(storedInfo.data(), storedInfo.size(), &digest));
  const std::map<std::wstring, std::wstring> expected = {
      {L"DisplayName", L"sz:Postinst Example"},
      {L"UninstallString", L"sz:\"" + exe + L"\" /s"},
      {L"InstallLocation", L"sz:" + location},
      {L"DisplayIcon", L"sz:" + folder + L"bin\\probe.exe,0"},
      {L"Publisher", L"sz:Plain Publisher"},
      {L"URLInfoAbout", L"sz:https://example.com/support"},
      {L"HelpLink", L"sz:https://example.com/help"},
      {L"URLUpdateInfo", L"sz:https://example.com/update"},
      {L"DisplayVersion", L"sz:2.5.1"},
      {L"EstimatedSize", L"dword:" + std::to_wstring(size / 1024)},
      {UNINSTALL_INFO_DIGEST_VALUE, L"sz:" + digest},
  };
  EXPECT_EQ(testsupport::ReadKeyValues(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)),
            expected);
}

TEST_F(PostInstallE2E, StartedProgramsLearnAboutTheInstallation) {
  const std::wstring setup = Install();
  ASSERT_FALSE(setup.empty());
  const std::wstring folder = package_.InstallFolder();
  // The main command was waited for: its record is complete now.
  const std::vector<std::string> main = ReadLines(folder + L"bin\\probe.exe.txt");
  ASSERT_FALSE(main.empty());
  EXPECT_EQ(main.back(), "end");
  EXPECT_TRUE(Has(main, "exe=" + testsupport::Narrow(setup)));
  EXPECT_TRUE(Has(main, "extract=" + testsupport::Narrow(folder.substr(0, folder.size() - 1))));
  EXPECT_TRUE(Has(main, "reboot=0"));
  EXPECT_TRUE(Has(main, "cmdline=--main \"two words\"")) << "no restart, no restart switch";
  EXPECT_TRUE(Has(main, "arg=two words"));

  // The item is not waited for: its record is whole once it has ended.
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(folder + L"bin\\probe2.exe"));
  const std::vector<std::string> item = ReadLines(folder + L"bin\\probe2.exe.txt");
  ASSERT_FALSE(item.empty());
  EXPECT_EQ(item.back(), "end");
  EXPECT_TRUE(Has(item, "cmdline=--item"));
  EXPECT_TRUE(Has(item, "reboot=0"));
  EXPECT_TRUE(Has(item, "exe=" + testsupport::Narrow(setup)));
}

TEST_F(PostInstallE2E, TheInstalledUninstallerRelaunchesFromItsTemporaryCopies) {
  ASSERT_FALSE(Install().empty());
  const std::wstring folder = package_.InstallFolder();
  const std::map<std::wstring, std::wstring> entry =
      testsupport::ReadKeyValues(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_));
  ASSERT_EQ(entry.count(L"UninstallString"), 1u);
  const std::wstring command = entry.at(L"UninstallString").substr(3);
  ASSERT_EQ(command.substr(command.size() - 3), L" /s");
  // The item started last writes its record on its own time: it has once
  // it has ended.
  EXPECT_TRUE(testsupport::WaitForNoProcessOf(folder + L"bin\\probe2.exe"));
  EXPECT_FALSE(ReadLines(folder + L"bin\\probe2.exe.txt").empty());
  const std::vector<std::wstring> before = testsupport::ListTree(folder);

  testsupport::UninstDriverReport report =
      testsupport::RunUninstDriver(command, temp_, L"--confirm no");
  ASSERT_TRUE(report.driver.started);
  EXPECT_FALSE(report.driver.timedOut);
  EXPECT_FALSE(report.Has("timeout")) << report.text;

  // The worker runs from "<temp>$$qxunst-<random>\$$qxunst<tick>.bin" with
  // "/u" and the information copy "$$qxunst<tick>.ini" beside it.
  const std::wstring image = report.First("worker-image");
  const std::wstring folderPrefix = temp_ + L"$$qxunst-";
  ASSERT_EQ(_wcsnicmp(image.c_str(), folderPrefix.c_str(), folderPrefix.size()), 0) << report.text;
  const std::wstring prefix = image.substr(0, folderPrefix.size() + 16) + L"\\$$qxunst";
  ASSERT_EQ(_wcsnicmp(image.c_str(), prefix.c_str(), prefix.size()), 0) << report.text;
  ASSERT_GT(image.size(), prefix.size() + 4);
  EXPECT_EQ(image.substr(image.size() - 4), L".bin");
  for (size_t i = prefix.size(); i < image.size() - 4; ++i) EXPECT_TRUE(iswdigit(image[i]));
  EXPECT_EQ(report.First("info-copy-exists"), L"1");
  const std::wstring launcher = report.First("launcher-id");
  const std::wstring header =
      L"[General]\r\nUninstFile=" + folder + L"Hollmere64.exe\r\nUninstSrcProcess=" + launcher + L"\r\n";
  EXPECT_EQ(report.infoCopy.substr(0, header.size()), header);
  EXPECT_NE(report.infoCopy.find(L"\r\n[Options]\r\n"), std::wstring::npos);
  EXPECT_NE(report.infoCopy.find(L"UninstallKey=" + key_ + L"\r\n"), std::wstring::npos);
  EXPECT_EQ(report.First("confirm-caption"), L"Postinst Example");

  // Answered No: nothing is removed.
  EXPECT_FALSE(report.Has("progress-caption"));
  EXPECT_EQ(testsupport::ListTree(folder), before);
  EXPECT_TRUE(testsupport::KeyExists(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)));
}

// An uninstaller that cannot be installed fails the run, silent or not: the
// extension module hears of it with the code, the user sees the message
// unless the run is ultra-silent, no Uninstall entry names the missing
// uninstaller, the exit code is that of a failed installation, and the
// files of the run go again.
TEST_F(PostInstallE2E, UninstallerThatCannotBeInstalledFailsTheRun) {
  struct Case {
    bool ultraSilent;       // NoUI alone shows boxes
    const wchar_t* folder;  // the uninstaller's folder below the installation
    const char* code;       // what event 1007 carries
  };
  const Case cases[] = {{false, L"\\", "7"},         // its file is held open
                        {true, L"\\uninst", "9"}};  // a file stands in for its folder
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    InstallerPackage package(L"postfail");
    const std::wstring folder = package.InstallFolder();
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    HANDLE held = INVALID_HANDLE_VALUE;
    if (!c.ultraSilent) {
      held = CreateFileW((folder + L"Hollmere64.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_NEW, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    } else {
      ASSERT_TRUE(testsupport::WriteTextFile(folder + L"uninst", "in the way"));
    }
    const std::wstring events = package.dir() / L"events.log";
    SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", events.c_str());
    PackageMembers members = {{L"readme.txt", "Read me.\r\n"},
                              InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll")};
    const std::wstring setup = package.Build(
        {L"NoUI=1", c.ultraSilent ? L"UltraSilentInstall=1" : L"UltraSilentInstall=0",
         L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll",
         L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
         std::wstring(L"UseVesmarinUninstallerFolder=") + c.folder,
         L"UnInstallTitle=Postinst Failure", L"UnInstallKey=" + key_},
        members);
    testsupport::DrivenResult run;
    if (!setup.empty()) run = package.Run(setup);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", nullptr);
    ASSERT_FALSE(setup.empty()) << testsupport::Narrow(package.LastError());

    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 9u);
    if (c.ultraSilent) {
      EXPECT_TRUE(run.boxes.empty());
    } else {
      ASSERT_EQ(run.boxes.size(), 1u);
      // The box names the file that could not be put in place, and why.
      EXPECT_EQ(run.boxes[0].text.find(L"Could not register uninstall information.\n\n" +
                                       folder + L"Hollmere64.exe\n"),
                0u)
          << testsupport::Narrow(run.boxes[0].text);
    }
    const std::vector<std::string> seen = ReadLines(events);
    std::vector<std::string> errors;
    for (const std::string& line : seen)
      if (line.compare(0, 11, "event=1007 ") == 0) errors.push_back(line);
    ASSERT_EQ(errors.size(), 1u) << seen.size() << " events seen";
    EXPECT_NE(errors[0].find(std::string(" code=") + c.code +
                             " text=Could not register uninstall information."),
              std::string::npos)
        << errors[0];
    // Without its uninstaller nothing could remove the installation: what
    // the run brought goes again.
    EXPECT_FALSE(testsupport::PathExists(folder + L"readme.txt"));
    EXPECT_FALSE(testsupport::PathExists(folder + L"Hollmere64.$$$"));
    EXPECT_FALSE(testsupport::KeyExists(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)));
  }
}

// The uninstaller takes the product folder with the product, and the folder
// above it that the installation made too; a file that the user left in the
// product folder stays, and the folders it lies in with it.
TEST_F(PostInstallE2E, RemovalTakesTheProductFolderUnlessTheUserLeftAFileInIt) {
  const std::wstring made = package_.dir() / L"vendor";
  const std::wstring folder = made + L"\\app\\";
  for (bool userFile : {false, true}) {
    SCOPED_TRACE(userFile ? "with a file of the user" : "alone");
    const std::wstring setup = package_.Build(
        {L"NoUI=1", L"UltraSilentInstall=1", L"ExtractFolder=" + made + L"\\app",
         L"UseUnInstall=1", L"UseVesmarinUninstaller=1", L"UseVesmarinUninstallerFolder=\\",
         L"UnInstallTitle=Postinst Folder", L"UnInstallKey=" + key_},
        {{L"readme.txt", "Read me."}, {L"docs\\guide.txt", "guide"}});
    ASSERT_FALSE(setup.empty()) << testsupport::Narrow(package_.LastError());
    ASSERT_FALSE(testsupport::PathExists(made));
    const testsupport::DrivenResult run = package_.Run(setup);
    ASSERT_EQ(run.exitCode, 0u);
    ASSERT_TRUE(testsupport::PathExists(folder + L"docs\\guide.txt"));
    if (userFile) {
      ASSERT_TRUE(testsupport::WriteTextFile(folder + L"mine.txt", "mine"));
    }
    const testsupport::UninstDriverReport report =
        testsupport::RunUninstDriver(testsupport::UninstallCommand(key_), temp_, L"--confirm yes");
    EXPECT_FALSE(report.driver.timedOut);
    EXPECT_FALSE(report.Has("error-text")) << report.text;
    if (userFile) {
      EXPECT_EQ(testsupport::ListTree(made), (std::vector<std::wstring>{L"app\\", L"app\\mine.txt"}));
      testsupport::RemoveTree(made);
    } else {
      EXPECT_FALSE(testsupport::PathExists(made)) << testsupport::ListTree(made).size() << " left";
    }
  }
}

// A container whose built-in uninstaller flag was cleared while it names an
// Uninstall key: the entry cannot name an uninstaller, which is reported
// (except in an ultra-silent run), and the run does not end as finished.
TEST_F(PostInstallE2E, AnUninstallEntryThatCannotBeMadeFailsTheRun) {
  for (bool ultraSilent : {false, true}) {
    SCOPED_TRACE(ultraSilent ? "ultra-silent" : "silent");
    const std::wstring setup = package_.Build(
        {L"NoUI=1", ultraSilent ? L"UltraSilentInstall=1" : L"UltraSilentInstall=0",
         L"NoCRCCheck=1", L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
         L"UseVesmarinUninstallerFolder=\\", L"UnInstallTitle=Postinst Entry",
         L"UnInstallKey=" + key_},
        {{L"readme.txt", "Read me."}});
    ASSERT_FALSE(setup.empty()) << testsupport::Narrow(package_.LastError());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(testsupport::ReadFileBytes(setup, bytes));
    const size_t header = containerreader::FindMarker(bytes);
    ASSERT_LT(header + containerreader::kHeaderSize, bytes.size());
    uint32_t flags = 0;
    memcpy(&flags, &bytes[header + offsetof(SfxContainerHeader, FlagsA)], sizeof(flags));
    ASSERT_NE(flags & SfxFlagsA::UseVesmarinUninstaller, 0u);
    flags &= ~SfxFlagsA::UseVesmarinUninstaller;
    memcpy(&bytes[header + offsetof(SfxContainerHeader, FlagsA)], &flags, sizeof(flags));
    ASSERT_TRUE(testsupport::WriteFileBytes(setup, bytes));

    const testsupport::DrivenResult run = package_.Run(setup);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 9u);
    if (ultraSilent) {
      EXPECT_TRUE(run.boxes.empty());
    } else {
      ASSERT_EQ(run.boxes.size(), 1u);
      EXPECT_EQ(run.boxes[0].text, L"Could not register uninstall information.");
    }
    EXPECT_TRUE(testsupport::PathExists(package_.InstallFolder() + L"readme.txt"));
    EXPECT_FALSE(testsupport::KeyExists(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_)));
    testsupport::RemoveTree(package_.InstallFolder());
  }
}

}  // namespace
