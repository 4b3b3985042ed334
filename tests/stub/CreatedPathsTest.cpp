// The created-paths list: every path once, in the order first recorded,
// however many paths it holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CreatedPaths.h"

namespace {

// The path with the case of every ASCII letter turned.
std::wstring OtherCase(std::wstring path) {
  for (wchar_t& c : path) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - 32);
    else if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c + 32);
  }
  return path;
}

class CreatedPathsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(stub::InitCreatedPathList()); }
  void TearDown() override { stub::FreeCreatedPathList(); }
};

TEST(CreatedPaths, GrowsBeyondItsFirstBlockAndIsInactiveWithoutInit) {
  stub::FreeCreatedPathList();
  EXPECT_FALSE(stub::CreatedPathListActive());
  EXPECT_TRUE(stub::PushFileName(L"C:\\ignored"));
  EXPECT_TRUE(stub::CopyCreatedPaths().empty());
  ASSERT_TRUE(stub::InitCreatedPathList());
  for (int i = 0; i < 200; ++i)
    ASSERT_TRUE(stub::PushFileName((L"C:\\Folder\\file" + std::to_wstring(i) + L".txt").c_str()));
  std::vector<std::wstring> paths = stub::CopyCreatedPaths();
  ASSERT_EQ(paths.size(), 200u);
  EXPECT_EQ(paths[0], L"C:\\Folder\\file0.txt");
  EXPECT_EQ(paths[199], L"C:\\Folder\\file199.txt");
  stub::FreeCreatedPathList();
}

// Folders and files as an extraction records them, each folder again with
// every file of it and every seventh file again in another case: the list
// holds each once, where it came first.
TEST_F(CreatedPathsTest, ThousandsOfPathsKeepTheirOrderAndComeOnceEach) {
  std::vector<std::wstring> expected;
  for (int i = 0; i < 6000; ++i) {
    const std::wstring folder = L"C:\\App\\Dir" + std::to_wstring(i % 60) + L"\\";
    const std::wstring file = folder + L"File" + std::to_wstring(i) + L".txt";
    if (i < 60) expected.push_back(folder);
    expected.push_back(file);
    ASSERT_TRUE(stub::PushFileName(folder.c_str()));
    ASSERT_TRUE(stub::PushFileName(file.c_str()));
    if (i % 7 == 0) {
      ASSERT_TRUE(stub::PushFileName(OtherCase(file).c_str()));
    }
  }
  ASSERT_TRUE(stub::PushFileName(L"C:\\App\\\x00C4pfel.txt"));
  ASSERT_TRUE(stub::PushFileName(L"c:\\app\\\x00E4PFEL.TXT"));
  expected.push_back(L"C:\\App\\\x00C4pfel.txt");
  EXPECT_EQ(stub::CopyCreatedPaths(), expected);
}

// These two names share the hash by which the list finds a path among
// those it holds: both are recorded, and each only once.
TEST_F(CreatedPathsTest, PathsOfTheSameHashAreTwoPaths) {
  ASSERT_TRUE(stub::PushFileName(L"C:\\App\\f462789.txt"));
  ASSERT_TRUE(stub::PushFileName(L"C:\\App\\f679192.txt"));
  ASSERT_TRUE(stub::PushFileName(L"c:\\app\\F679192.TXT"));
  ASSERT_TRUE(stub::PushFileName(L"C:\\APP\\F462789.TXT"));
  EXPECT_EQ(stub::CopyCreatedPaths(),
            (std::vector<std::wstring>{L"C:\\App\\f462789.txt", L"C:\\App\\f679192.txt"}));
}

}  // namespace
