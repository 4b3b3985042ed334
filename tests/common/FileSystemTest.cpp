// Files and folders: existence checks and folder trees.
#include <gtest/gtest.h>

#include <string>

#include "FileSystem.h"
#include "TestSupport.h"

namespace {

TEST(Files, ExistenceChecks) {
  testsupport::TempDir dir(L"fx");
  const std::wstring file = dir / L"f.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "x"));
  EXPECT_TRUE(FileExists(file.c_str()));
  EXPECT_FALSE(DirectoryExists(file.c_str()));
  EXPECT_FALSE(FileExists(dir.path().c_str()));
  EXPECT_TRUE(DirectoryExists(dir.path().c_str()));
  EXPECT_FALSE(FileExists((dir / L"none").c_str()));
  EXPECT_FALSE(DirectoryExists((dir / L"none").c_str()));
  EXPECT_FALSE(FileExists(nullptr));
  EXPECT_FALSE(FileExists(L""));
}

TEST(Files, DirectoryTreeCreatedAndCurrentDirectoryKept) {
  testsupport::TempDir dir(L"tree");
  wchar_t before[MAX_PATH], after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  const std::wstring deep = dir / L"a\\b c\\d";
  EXPECT_TRUE(CreateDirectoryTree(deep.c_str()));
  EXPECT_TRUE(DirectoryExists(deep.c_str()));
  EXPECT_TRUE(CreateDirectoryTree((deep + L"\\").c_str()));  // already there
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(before, after);

  const std::wstring file = dir / L"plain.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "x"));
  EXPECT_FALSE(CreateDirectoryTree((file + L"\\sub").c_str()));
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  EXPECT_FALSE(CreateDirectoryTree(L""));

  // A relative folder is made below the current directory.
  ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
  EXPECT_TRUE(CreateDirectoryTree(L"rel\\one\\two"));
  SetCurrentDirectoryW(before);
  EXPECT_TRUE(DirectoryExists((dir / L"rel\\one\\two").c_str()));
  EXPECT_FALSE(DirectoryExists((dir / L"rel\\one\\rel").c_str()));
}

}  // namespace
