// The clean-up after the run: what the created-paths list holds goes again,
// newest first, except what the run kept.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "AfterRunCleanUp.h"
#include "CreatedPaths.h"
#include "Extraction.h"
#include "Folders.h"
#include "StubState.h"
#include "TestSupport.h"

namespace {

class AfterRunCleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stub::g_Settings = nullptr;
    ASSERT_TRUE(stub::InitCreatedPathList());
  }
  void TearDown() override { stub::FreeCreatedPathList(); }
  testsupport::TempDir dir_{L"clean"};
};

TEST_F(AfterRunCleanUpTest, RemovalTakesNewestFirstAndKeepsFoldersThatAreNotEmpty) {
  std::wstring base = dir_.path();
  ASSERT_TRUE(stub::InCreateDirectory((base + L"A\\B").c_str(), base.c_str()));
  std::wstring file = base + L"A\\B\\f.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "x"));
  ASSERT_TRUE(stub::PushFileName(file.c_str()));
  std::wstring foreign = base + L"A\\keep.txt";  // not recorded
  ASSERT_TRUE(testsupport::WriteTextFile(foreign, "y"));
  stub::RemoveWrittenPaths();
  EXPECT_FALSE(PathFileExistsW(file.c_str()));
  EXPECT_FALSE(PathFileExistsW((base + L"A\\B").c_str()));
  EXPECT_TRUE(PathFileExistsW(foreign.c_str()));
  EXPECT_TRUE(PathFileExistsW((base + L"A").c_str()));
}

// A file the run recorded but left as it was (kept by the newer-file rule
// or Skip, or registered by an extension module) is the user's: it stays,
// and so does its folder.
TEST_F(AfterRunCleanUpTest, RecordedFilesTheRunKeptStay) {
  std::wstring base = dir_.path();
  ASSERT_TRUE(stub::InCreateDirectory((base + L"Data").c_str(), base.c_str()));
  const std::wstring written = base + L"Data\\new.txt";
  const std::wstring kept = base + L"Data\\Kept.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(written, "x"));
  ASSERT_TRUE(testsupport::WriteTextFile(kept, "y"));
  ASSERT_TRUE(stub::PushFileName(written.c_str()));
  ASSERT_TRUE(stub::PushFileName(kept.c_str()));
  stub::KeepFromCleanUp((base + L"DATA\\kept.TXT").c_str());
  stub::RemoveWrittenPaths();
  EXPECT_FALSE(PathFileExistsW(written.c_str()));
  EXPECT_TRUE(PathFileExistsW(kept.c_str()));
  EXPECT_TRUE(PathFileExistsW((base + L"Data").c_str()));
}

}  // namespace
