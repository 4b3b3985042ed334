// What one cabinet cannot hold is named before anything is written: by the
// batch modes on their standard error handle with 302, by the window (here
// its unattended mode) in a message box with 204. CTest runs these once in
// English and once with a Japanese interface.
#include <gtest/gtest.h>

#include "CompressorRun.h"
#include "DialogDriver.h"
#include "InstallerPackage.h"
#include "SardokResource.h"
#include "TestSupport.h"

namespace {

using compressortest::MakeFile;
using compressortest::Quote;
using compressortest::RunSardokReadingErrors;
using compressortest::SardokText;
using testsupport::TempDir;

// A name in the archive of 461 bytes of UTF-8 (a cabinet holds 255) in a
// path well under 260 characters: a folder of 80 characters, a file of 76.
const std::wstring kLongFolder(80, L'\u8cc7');
const std::wstring kLongFile = std::wstring(72, L'\u6599') + L".txt";
const ULONGLONG kDiskImage = 4718592000ULL;  // 4.7 GB, sparse

std::wstring WriteProject(const std::wstring& path, const std::wstring& body) {
  testsupport::WriteTextFile(
      path, testsupport::Narrow(L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                L"<VesmarinCompressorProject>" +
                                body + L"</VesmarinCompressorProject>\n"));
  return path;
}

std::wstring FileElement(const std::wstring& path) { return L"<File>" + path + L"</File>"; }

testsupport::DrivenResult RunAnswering(const std::wstring& arguments) {
  return testsupport::RunAnsweringBoxes(Quote(compressortest::SardokPath()) + L" " + arguments,
                                        nullptr, 60000);
}

TEST(CompressorLimits, TheBatchModesNameWhatACabinetCannotHold) {
  TempDir dir(L"slb");
  const std::wstring a = MakeFile(dir / L"src\\a.txt");
  const std::wstring name = kLongFolder + L"\\" + kLongFile;
  MakeFile(dir / (L"src\\" + name));
  ASSERT_TRUE(CreateDirectoryW((dir / L"out").c_str(), nullptr));
  const std::wstring archive = Quote(dir / L"out\\x.cab");
  std::wstring errors;
  EXPECT_EQ(302u,
            RunSardokReadingErrors(L"/silent " + Quote(dir / L"src") + L" " + archive, errors));
  EXPECT_EQ(SardokText(IDS_NAME_REFUSED, name) + L"\r\n", errors) << testsupport::Narrow(errors);
  // A file name alone can pass it in the file-list mode.
  const std::wstring listed(86, L'\u540d');
  const std::wstring file = MakeFile(dir / (L"list\\" + listed));
  EXPECT_EQ(302u, RunSardokReadingErrors(L"/silent \"/file:" + a + L"\" \"/file:" + file + L"\" " +
                                             archive,
                                         errors));
  EXPECT_EQ(SardokText(IDS_NAME_REFUSED, listed) + L"\r\n", errors) << testsupport::Narrow(errors);

  // A file larger than one member can be, whose size once wrapped at 4 GiB.
  ASSERT_TRUE(CreateDirectoryW((dir / L"big").c_str(), nullptr));
  const std::wstring big = dir / L"big\\disk.img";
  ASSERT_TRUE(testsupport::MakeSparseFile(big, kDiskImage));
  MakeFile(dir / L"big\\readme.txt");
  EXPECT_EQ(302u,
            RunSardokReadingErrors(L"/silent " + Quote(dir / L"big") + L" " + archive, errors));
  EXPECT_EQ(SardokText(IDS_CREATE_FAILED_FILE_TOO_LARGE, big) + L"\r\n", errors)
      << testsupport::Narrow(errors);

  // Empty folders only: nothing to pack.
  ASSERT_TRUE(CreateDirectoryW((dir / L"hollow").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((dir / L"hollow\\inner").c_str(), nullptr));
  EXPECT_EQ(302u,
            RunSardokReadingErrors(L"/silent " + Quote(dir / L"hollow") + L" " + archive, errors));
  EXPECT_EQ(SardokText(IDS_NO_FILES) + L"\r\n", errors) << testsupport::Narrow(errors);
  EXPECT_TRUE(testsupport::ListTree(dir / L"out").empty());
}

TEST(CompressorLimits, TheWindowNamesWhatACabinetCannotHold) {
  TempDir dir(L"slw");
  const std::wstring file = MakeFile(dir / L"src\\a.txt");
  const std::wstring longFile = MakeFile(dir / (L"src\\" + kLongFile));
  ASSERT_TRUE(testsupport::MakeSparseFile(dir / L"src\\disk.img", kDiskImage));
  const std::wstring gone = dir / L"src\\gone.txt";  // the first in the tree's order
  struct Case {
    const wchar_t* project;
    std::wstring body;
    std::wstring text;  // what the message starts with
  } cases[] = {
      {L"long", L"<Folder Name=\"" + kLongFolder + L"\">" + FileElement(longFile) + L"</Folder>",
       SardokText(IDS_CREATE_FAILED_NAME_TOO_LONG, kLongFolder + L"\\" + kLongFile)},
      {L"big", FileElement(file) + FileElement(dir / L"src\\disk.img"),
       SardokText(IDS_CREATE_FAILED_FILE_TOO_LARGE, dir / L"src\\disk.img")},
      {L"gone", FileElement(dir / L"src\\later gone.txt") + FileElement(gone),
       SardokText(IDS_CREATE_FAILED_SOURCE, gone) + L"\n\n"},
      {L"hollow", L"<Folder Name=\"a\"><Folder Name=\"b\"/></Folder>", SardokText(IDS_NO_FILES)},
  };
  for (const Case& c : cases) {
    const std::wstring project = WriteProject(dir / (std::wstring(c.project) + L".qxc"), c.body);
    const testsupport::DrivenResult run = RunAnswering(L"/compress " + Quote(project));
    EXPECT_EQ(204u, run.exitCode) << testsupport::Narrow(c.project);
    ASSERT_EQ(1u, run.boxes.size()) << testsupport::Narrow(c.project);
    EXPECT_EQ(0u, run.boxes[0].text.find(c.text))
        << testsupport::Narrow(c.project) << ": " << testsupport::Narrow(run.boxes[0].text);
    EXPECT_FALSE(testsupport::PathExists(dir / (std::wstring(c.project) + L".cab")));
  }
}

// A full target, here a small drive that the script below makes on a
// size-limited mount: the message about free space, in both modes, and
// nothing left on the drive. Run by limits.sh with VESMARIN_FULL_DRIVE.
TEST(CompressorLimits, DISABLED_AFullTargetIsReportedAsMissingFreeSpace) {
  wchar_t drive[16] = {};
  GetEnvironmentVariableW(L"VESMARIN_FULL_DRIVE", drive, 16);
  ASSERT_NE(0, drive[0]) << "VESMARIN_FULL_DRIVE names the small drive";
  ULARGE_INTEGER free = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(drive, &free, nullptr, nullptr));
  TempDir dir(L"slf");
  // More than the drive holds, in data that does not compress.
  const std::wstring noise = compressortest::MakeBigFile(
      dir / L"src\\noise.bin", static_cast<size_t>(free.QuadPart) + (1 << 20));
  std::wstring errors;
  EXPECT_EQ(302u, RunSardokReadingErrors(L"/silent " + Quote(dir / L"src") + L" " +
                                             Quote(std::wstring(drive) + L"x.cab"),
                                         errors));
  EXPECT_EQ(SardokText(IDS_CREATE_FAILED) + L"\r\n", errors) << testsupport::Narrow(errors);
  EXPECT_TRUE(testsupport::ListTree(drive).empty());

  const std::wstring project = WriteProject(dir / L"p.qxc", FileElement(noise));
  const testsupport::DrivenResult run =
      RunAnswering(L"/compress " + Quote(project) + L" " + Quote(std::wstring(drive) + L"p.cab"));
  EXPECT_EQ(204u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(SardokText(IDS_CREATE_FAILED), run.boxes[0].text);
  EXPECT_TRUE(testsupport::ListTree(drive).empty());
}

}  // namespace
