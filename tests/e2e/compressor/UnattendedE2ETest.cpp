// Sardok's unattended mode ("/compress" with a project): the archive is
// written with the main window hidden, and every failure that leaves no
// archive ends with its own code.
#include <gtest/gtest.h>

#include "CompressorRun.h"
#include "DialogDriver.h"
#include "InstallerPackage.h"
#include "TestSupport.h"

namespace {

using compressortest::CabinetNames;
using compressortest::HeaderFlags;
using compressortest::MakeFile;
using compressortest::Quote;
using compressortest::RunSardok;
using testsupport::TempDir;
typedef std::set<std::wstring> Names;

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<VesmarinCompressorProject>\n";
const char kTail[] = "</VesmarinCompressorProject>\n";

std::string FileElement(const std::wstring& path) {
  return "<File>" + testsupport::Narrow(path) + "</File>";
}

std::wstring WriteProject(const std::wstring& path, const std::string& body) {
  testsupport::WriteTextFile(path, kHead + body + kTail);
  return path;
}

testsupport::DrivenResult RunAnswering(const std::wstring& arguments) {
  return testsupport::RunAnsweringBoxes(Quote(compressortest::SardokPath()) + L" " + arguments,
                                        nullptr, 60000);
}

TEST(CompressorUnattended, WritesTheArchiveBesideTheProjectOrWhereTheArgumentSays) {
  TempDir dir(L"sua");
  const std::wstring a = MakeFile(dir / L"src\\a.txt", "alpha");
  const std::wstring b = MakeFile(dir / L"src\\\u00fcber\\b.txt", "beta");
  const std::wstring c = MakeFile(dir / L"other\\B.TXT", "second b");
  const std::wstring project = WriteProject(
      dir / L"p.qxc", FileElement(a) + "<Folder Name=\"\xC3\xBC" "ber\">" + FileElement(b) +
                          "</Folder><Folder Name=\"\xC3\x9C" "BER\">" + FileElement(c) +
                          "</Folder>");
  EXPECT_EQ(0u, RunSardok(L"/compress /silent p.qxc", dir.path()));
  // Folders that differ in case are two folders of the archive.
  const Names expected = {L"a.txt", L"\u00fcber\\b.txt", L"\u00dcBER\\B.TXT"};
  EXPECT_EQ(expected, CabinetNames(dir / L"p.cab"));
  EXPECT_EQ(0u, HeaderFlags(dir / L"p.cab"));

  EXPECT_EQ(0u, RunSardok(L"/compress " + Quote(project) + L" " + Quote(dir / L"given.cab")));
  EXPECT_EQ(expected, CabinetNames(dir / L"given.cab"));
}

// A project laid out with indents, its archive written beside it, which the
// project also names: the older archive is not packed into the new one.
TEST(CompressorUnattended, AnIndentedProjectIsReadAndTheArchiveLeavesItselfOut) {
  TempDir dir(L"sui");
  const std::wstring a = MakeFile(dir / L"src\\a.txt", "alpha");
  MakeFile(dir / L"p.cab", "older archive");
  WriteProject(dir / L"p.qxc", "  <Folder Name=\"docs\">\n    <File>\n      " +
                                   testsupport::Narrow(a) + "\n    </File>\n  </Folder>\n  <File> " +
                                   testsupport::Narrow(dir / L"p.cab") + " </File>\n");
  EXPECT_EQ(0u, RunSardok(L"/compress /silent p.qxc", dir.path()));
  EXPECT_EQ((Names{L"docs\\a.txt"}), CabinetNames(dir / L"p.cab"));
  EXPECT_EQ("alpha", compressortest::CabinetMember(dir / L"p.cab", L"docs\\a.txt"));
}

TEST(CompressorUnattended, ExitCodesOfTheFailures) {
  TempDir dir(L"suc");
  const std::wstring a = MakeFile(dir / L"src\\a.txt");
  EXPECT_EQ(101u, RunSardok(L"/compress /silent", dir.path()));
  EXPECT_EQ(101u, RunSardok(L"/compress /silent out.cab", dir.path()));
  EXPECT_EQ(103u, RunSardok(L"/compress /silent missing.qxc", dir.path()));
  testsupport::WriteTextFile(dir / L"broken.qxc", "<VesmarinCompressorProject><File>");
  EXPECT_EQ(103u, RunSardok(L"/compress /silent broken.qxc", dir.path()));
  WriteProject(dir / L"empty.qxc", "");
  EXPECT_EQ(104u, RunSardok(L"/compress /silent empty.qxc", dir.path()));
  // Only folders without files: no archive, so no success.
  WriteProject(dir / L"folders.qxc", "<Folder Name=\"a\"><Folder Name=\"b\"/></Folder>");
  EXPECT_EQ(204u, RunSardok(L"/compress /silent folders.qxc", dir.path()));
  // Every listed file is missing.
  WriteProject(dir / L"gone.qxc", FileElement(dir / L"gone.txt"));
  EXPECT_EQ(204u, RunSardok(L"/compress /silent gone.qxc", dir.path()));
  // A target that cannot be written.
  WriteProject(dir / L"good.qxc", FileElement(a));
  EXPECT_EQ(204u, RunSardok(L"/compress /silent good.qxc " + Quote(dir / L"no\\such\\x.cab"),
                            dir.path()));
  EXPECT_EQ((std::vector<std::wstring>{L"broken.qxc", L"empty.qxc", L"folders.qxc", L"gone.qxc",
                                       L"good.qxc", L"src\\", L"src\\a.txt"}),
            testsupport::ListTree(dir.path()));
}

TEST(CompressorUnattended, HostileProjectsNeverPutAClimbingNameIntoACabinet) {
  TempDir dir(L"suh");
  const std::wstring a = MakeFile(dir / L"src\\x.dll");
  const std::string file = FileElement(a);
  const std::string bodies[] = {
      "<Folder Name=\"..\">" + file + "</Folder>",
      "<Folder Name=\"\">" + file + "</Folder>",
      "<Folder Name=\"C:\">" + file + "</Folder>",
      "<Folder Name=\"..\\..\\Windows\">" + file + "</Folder>",
      "<File>" + testsupport::Narrow(dir / L"src\\") + "<File>..\\..\\x.dll</File></File>",
  };
  int index = 0;
  for (const std::string& body : bodies) {
    const std::wstring name = L"h" + std::to_wstring(index++);
    WriteProject(dir / (name + L".qxc"), body);
    EXPECT_EQ(103u, RunSardok(L"/compress /silent " + name + L".qxc", dir.path())) << body;
    EXPECT_FALSE(testsupport::PathExists(dir / (name + L".cab"))) << body;
  }
}

TEST(CompressorUnattended, MessagesShowUnlessSilent) {
  TempDir dir(L"sum");
  const std::wstring a = MakeFile(dir / L"src\\a.txt");
  WriteProject(dir / L"empty.qxc", "");
  testsupport::DrivenResult empty = RunAnswering(Quote(dir / L"empty.qxc") + L" /compress");
  EXPECT_EQ(104u, empty.exitCode);
  ASSERT_EQ(1u, empty.boxes.size());
  EXPECT_EQ(L"Vesmarin Compressor", empty.boxes[0].caption);
  EXPECT_EQ(L"Contains no files.", empty.boxes[0].text);

  WriteProject(dir / L"good.qxc", FileElement(a));
  testsupport::DrivenResult failed =
      RunAnswering(L"/compress " + Quote(dir / L"good.qxc") + L" " + Quote(dir / L"no\\x.cab"));
  EXPECT_EQ(204u, failed.exitCode);
  ASSERT_EQ(1u, failed.boxes.size());
  // The message names the folder that is missing, not free space.
  EXPECT_EQ(L"Failed to create archive file: this folder does not exist.\n\n" + (dir / L"no"),
            failed.boxes[0].text)
      << testsupport::Narrow(failed.boxes[0].text);
  EXPECT_EQ(std::wstring::npos, failed.boxes[0].text.find(L"free space"));

  // A file to pack that another program holds open without sharing.
  const std::wstring held = MakeFile(dir / L"src\\held.txt", "held");
  WriteProject(dir / L"held.qxc", FileElement(a) + FileElement(held));
  HANDLE exclusive = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
  testsupport::DrivenResult unreadable = RunAnswering(L"/compress " + Quote(dir / L"held.qxc"));
  CloseHandle(exclusive);
  EXPECT_EQ(204u, unreadable.exitCode);
  ASSERT_EQ(1u, unreadable.boxes.size());
  EXPECT_EQ(0u, unreadable.boxes[0].text.find(
                    L"Failed to create archive file: this file could not be read.\n\n" + held))
      << testsupport::Narrow(unreadable.boxes[0].text);
  EXPECT_NE(std::wstring::npos, unreadable.boxes[0].text.find(L"CAB1-"));
  EXPECT_FALSE(testsupport::PathExists(dir / L"held.cab"));

  // Loading failures and a missing project show nothing.
  testsupport::DrivenResult missing = RunAnswering(L"/compress " + Quote(dir / L"absent.qxc"));
  EXPECT_EQ(103u, missing.exitCode);
  EXPECT_TRUE(missing.boxes.empty());
}

TEST(CompressorUnattended, TheMainWindowStaysHiddenWhileTheProgressShowsAndCancelKeepsTheOldArchive) {
  TempDir dir(L"sup");
  std::string body;
  for (int i = 0; i < 6; ++i)
    body += FileElement(
        compressortest::MakeBigFile(dir / (L"src\\big" + std::to_wstring(i) + L".bin"), 8 << 20));
  WriteProject(dir / L"p.qxc", body);
  MakeFile(dir / L"p.cab", "older archive");

  testsupport::DrivenProcess process;
  ASSERT_TRUE(process.Start(Quote(compressortest::SardokPath()) + L" /compress " +
                            Quote(dir / L"p.qxc")));
  // The dialog of the archive's creation (loading the project shows one
  // too, briefly).
  HWND dialog = nullptr;
  for (int i = 0; i < 1000 && !dialog && process.Running(); ++i) {
    for (HWND candidate : process.DialogsWithControl(1007)) {
      wchar_t line[100] = {};
      SendMessageTimeoutW(GetDlgItem(candidate, 1007), WM_GETTEXT, 100,
                          reinterpret_cast<LPARAM>(line), SMTO_ABORTIFHUNG, 1000, nullptr);
      if (IsWindowVisible(candidate) && wcscmp(line, L"Creating archive file ...") == 0)
        dialog = candidate;
    }
    if (!dialog) Sleep(5);
  }
  ASSERT_NE(nullptr, dialog) << "no progress dialog";
  const std::vector<HWND> mains = compressortest::WindowsOf(process.Id(), L"sardok_class");
  ASSERT_EQ(1u, mains.size());
  EXPECT_FALSE(IsWindowVisible(mains[0]));
  EXPECT_FALSE(IsWindowEnabled(mains[0]));

  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(process.WaitAnswering([](const testsupport::SeenBox&) { return IDOK; }, 60000));
  EXPECT_EQ(203u, process.ExitCode());
  ASSERT_EQ(1u, process.Boxes().size());
  EXPECT_EQ(L"The process was aborted.", process.Boxes()[0].text);
  EXPECT_EQ("older archive", compressortest::ReadAll(dir / L"p.cab"));
  EXPECT_EQ(9u, testsupport::ListTree(dir.path()).size());  // p.qxc, p.cab, src\ and six files
}

TEST(CompressorUnattended, AProjectCabinetIsPackedByTheBuilderAndInstalledByTheStub) {
  testsupport::InstallerPackage package(L"sui");
  const std::wstring a = MakeFile(package.dir() / L"src\\app.exe.txt", "app");
  const std::wstring b = MakeFile(package.dir() / L"src\\help.txt", "help");
  const std::wstring project = WriteProject(
      package.dir() / L"p.qxc",
      FileElement(a) + "<Folder Name=\"docs\"><Folder Name=\"en\">" + FileElement(b) +
          "</Folder></Folder>");
  ASSERT_EQ(0u, RunSardok(L"/compress /silent " + Quote(project)));
  const std::wstring installer = package.BuildFromArchive({L"NoUI=1"}, package.dir() / L"p.cab");
  ASSERT_FALSE(installer.empty()) << testsupport::Narrow(package.LastError());
  const testsupport::DrivenResult run = package.Run(installer);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ((std::vector<std::wstring>{L"app.exe.txt", L"docs\\", L"docs\\en\\",
                                       L"docs\\en\\help.txt"}),
            testsupport::ListTree(package.InstallFolder()));
}

}  // namespace
