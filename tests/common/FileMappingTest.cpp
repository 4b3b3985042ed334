// Read-only mappings of files and named shared mappings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FileMapping.h"
#include "TestSupport.h"

namespace {

TEST(Files, MappingsOfFilesAndNames) {
  testsupport::TempDir dir(L"map");
  const std::wstring file = dir / L"data.bin";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "0123456789"));
  const void* view = nullptr;
  MappedFile* mapped = MapFileReadOnly(file.c_str(), &view);
  ASSERT_NE(mapped, nullptr);
  EXPECT_EQ(GetMappedFileSize(mapped), 10u);
  EXPECT_EQ(0, memcmp(view, "0123456789", 10));
  EXPECT_TRUE(UnmapFile(mapped));
  EXPECT_TRUE(DeleteFileW(file.c_str()));  // every handle was closed

  const std::wstring empty = dir / L"empty.bin";
  ASSERT_TRUE(testsupport::WriteFileBytes(empty, "", 0));
  EXPECT_EQ(MapFileReadOnly(empty.c_str(), &view), nullptr);
  EXPECT_EQ(MapFileReadOnly((dir / L"missing.bin").c_str(), &view), nullptr);
  EXPECT_EQ(GetMappedFileSize(nullptr), 0u);
  EXPECT_FALSE(UnmapFile(nullptr));

  const std::wstring name = L"vesmarin_test_map_" + std::to_wstring(GetCurrentProcessId());
  void* first = nullptr;
  void* second = nullptr;
  MappedFile* a = CreateNamedMapping(name.c_str(), 4, &first);
  MappedFile* b = CreateNamedMapping(name.c_str(), 4, &second);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  *static_cast<volatile DWORD*>(first) = 0x12345678;
  EXPECT_EQ(*static_cast<volatile DWORD*>(second), 0x12345678u);
  EXPECT_TRUE(UnmapFile(a));
  EXPECT_TRUE(UnmapFile(b));
}

}  // namespace
