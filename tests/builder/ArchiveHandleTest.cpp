// The builder's handle wrappers around the cabinet reader.
#include <gtest/gtest.h>

#include "ArchiveHandle.h"
#include "BuilderState.h"
#include "CabTestHelpers.h"
#include "ResultCodes.h"
#include "TestCabinet.h"
#include "TestSupport.h"

using testsupport::TempDir;

TEST(ArchiveHandle, OpenReportsItsResultAndLeavesTheLastBuildResult) {
  int result = 77;
  TempDir dir(L"handle");
  UiState.LastResult = 77;
  EXPECT_EQ(nullptr, OpenArchive((dir / L"missing.cab").c_str(), &result));
  EXPECT_EQ(kResultOpenFailed, result);
  EXPECT_EQ(77, UiState.LastResult);
  EXPECT_EQ(nullptr, OpenArchive((dir / L"missing.cab").c_str()));

  const std::wstring text = cabtest::PutFile(dir, L"text.cab", "this is not a cabinet");
  EXPECT_EQ(nullptr, OpenArchive(text.c_str(), &result));
  EXPECT_EQ(kResultOpenFailed, result);

  const std::wstring empty = cabtest::PutFile(dir, L"empty.cab", "");
  EXPECT_EQ(nullptr, OpenArchive(empty.c_str(), &result));
  EXPECT_EQ(kResultMemoryFailed, result);  // an empty file cannot be mapped

  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "read").Add(L"bin\\tool.exe", "MZ");
  const std::wstring path = dir / L"good.cab";
  ASSERT_TRUE(cabinet.WriteTo(path));
  ArchiveHandle* archive = OpenArchive(path.c_str(), &result);
  ASSERT_NE(nullptr, archive);
  EXPECT_EQ(kResultSuccess, result);
  EXPECT_EQ(77, UiState.LastResult);
  EXPECT_EQ(cabinet.Build().size(), archive->Size);
  EXPECT_EQ(1, CloseArchive(archive));
  EXPECT_EQ(0, CloseArchive(nullptr));
}

TEST(ArchiveHandle, WalkAndFindIgnoringCase) {
  TempDir dir(L"walk");
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "read").Add(L"bin\\tool.exe", "MZ");
  const std::wstring path = dir / L"walk.cab";
  ASSERT_TRUE(cabinet.WriteTo(path));
  ArchiveHandle* archive = OpenArchive(path.c_str());
  ASSERT_NE(nullptr, archive);
  ArchiveItem item;
  ASSERT_EQ(1, FindFirstArchiveItem(archive, &item));
  EXPECT_STREQ(L"readme.txt", item.name);
  ASSERT_EQ(1, FindNextArchiveItem(archive, &item));
  EXPECT_STREQ(L"bin\\tool.exe", item.name);
  EXPECT_EQ(0, FindNextArchiveItem(archive, &item));
  EXPECT_EQ(1, FindArchiveItem(archive, L"README.TXT"));
  EXPECT_EQ(1, FindArchiveItem(archive, L"BIN\\Tool.exe"));
  EXPECT_EQ(0, FindArchiveItem(archive, L"tool.exe"));
  EXPECT_EQ(0, FindFirstArchiveItem(nullptr, &item));
  EXPECT_EQ(0, FindArchiveItem(nullptr, L"readme.txt"));
  CloseArchive(archive);
}

TEST(ArchiveHandle, ItemToMemory) {
  TempDir dir(L"tomem");
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"logo.bmp", "BM-bitmap-bytes").Add(L"empty.txt", "");
  const std::wstring path = dir / L"mem.cab";
  ASSERT_TRUE(cabinet.WriteTo(path));
  HGLOBAL block = ExtractArchiveItemToMemory(path.c_str(), L"LOGO.BMP");
  ASSERT_NE(nullptr, block);
  ASSERT_EQ(15u, GlobalSize(block));
  EXPECT_EQ("BM-bitmap-bytes", std::string(static_cast<const char*>(GlobalLock(block)), 15));
  GlobalUnlock(block);
  GlobalFree(block);
  EXPECT_EQ(nullptr, ExtractArchiveItemToMemory(path.c_str(), L"empty.txt"));
  EXPECT_EQ(nullptr, ExtractArchiveItemToMemory(path.c_str(), L"absent.txt"));
  EXPECT_EQ(nullptr, ExtractArchiveItemToMemory((dir / L"none.cab").c_str(), L"logo.bmp"));
}
