// The builder started with a definition file: it builds without any window
// and ends with the result code.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

using testsupport::TempDir;

const DWORD kNoWaitMs = 60000;  // a batch run never waits for a person

// Runs the builder with the command line's rest in the folder; the result
// is the full exit code.
DWORD RunBuilder(const std::wstring& arguments, const std::wstring& folder) {
  const std::wstring builder = testsupport::BinPath(L"Vesmarin.exe");
  testsupport::ProcessResult result =
      testsupport::RunProcess(L"\"" + builder + L"\" " + arguments, kNoWaitMs, folder);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut) << "the batch run waited";
  return result.exitCode;
}

std::string DefinitionText(const std::string& archive, const std::string& output) {
  return "[Vesmarin]\r\nSrcArchiveFile=" + archive + "\r\nDstExeFile=" + output +
         "\r\nDialogTitleE=Batch\r\n";
}

TEST(BatchStart, MissingDefinitionFileEndsWithOpenFailure) {
  TempDir dir(L"bs");
  EXPECT_EQ(RunBuilder(L"\"" + dir.path() + L"none.ini\"", dir.path()), 5u);
  EXPECT_EQ(RunBuilder(L"sub\\none.ini", dir.path()), 5u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));
}

TEST(BatchStart, MissingArchiveEndsWithReportedFailure) {
  TempDir dir(L"bs");
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"proj.ini", DefinitionText("gone.cab", "out.exe")));
  EXPECT_EQ(RunBuilder(L"proj.ini", dir.path()), 10u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));
  // An option with an empty value changes nothing.
  EXPECT_EQ(RunBuilder(L"proj.ini /ArchiveFile: -OutputFile:", dir.path()), 10u);
}

TEST(BatchStart, OverlongOptionPathsAreRefused) {
  TempDir dir(L"bs");
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"proj.ini", DefinitionText("gone.cab", "out.exe")));
  const std::wstring tooLong = L"C:\\" + std::wstring(257, L'x');  // 260 characters
  EXPECT_EQ(RunBuilder(L"proj.ini \"/ArchiveFile:" + tooLong + L"\"", dir.path()), 10u);
  EXPECT_EQ(RunBuilder(L"proj.ini -outputfile:" + tooLong, dir.path()), 10u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));
}

TEST(BatchStart, RelativeDefinitionPathResolvedBeforeTheFolderChanges) {
  TempDir dir(L"bs");
  ASSERT_TRUE(CreateDirectoryW((dir / L"sub").c_str(), nullptr));
  ASSERT_TRUE(
      testsupport::WriteTextFile(dir / L"sub\\proj.ini", DefinitionText("gone.cab", "out.exe")));
  // Found: the over-long option is refused with 10, where a missing file gives 5.
  const std::wstring tooLong(300, L'y');
  EXPECT_EQ(RunBuilder(L"sub\\proj.ini /OutputFile:" + tooLong, dir.path()), 10u);
  // Loaded, and its relative archive name resolved in its own folder: the
  // archive is found (no 10 for a missing archive) but is no cabinet.
  EXPECT_EQ(RunBuilder(L"sub\\proj.ini", dir.path()), 10u);
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"sub\\gone.cab", "not a cabinet"));
  DWORD code = RunBuilder(L"sub\\proj.ini", dir.path());
  EXPECT_NE(code, 10u);
  EXPECT_NE(code, 0u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"sub\\out.exe"));
}

}  // namespace
