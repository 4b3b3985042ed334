// The fixture of the patching tests: a work folder, a private temporary
// folder that must be empty again after every test, and image blocks.
#pragma once
#include <gtest/gtest.h>

#include "ImagePatch.h"
#include "PatchTestUtil.h"

namespace patchtest {

// A stub image in a movable block, freed at the end of the test.
struct ImageBlock {
  HGLOBAL block = nullptr;
  DWORD size = 0;
  ImageBlock() = default;
  ImageBlock(const ImageBlock&) = delete;
  ImageBlock& operator=(const ImageBlock&) = delete;
  ~ImageBlock() {
    if (block) GlobalFree(block);
  }
};

class PatchFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(temp_.Files().empty()) << "a temporary file was left behind";
  }

  // Loads a program file into the block; the file's bytes into *original.
  void Load(const std::wstring& path, ImageBlock* image, Bytes* original = nullptr) {
    Bytes bytes;
    ASSERT_TRUE(testsupport::ReadFileBytes(path, bytes)) << testsupport::Narrow(path);
    ASSERT_FALSE(bytes.empty());
    image->block = MakeBlock(bytes);
    ASSERT_NE(image->block, nullptr);
    image->size = static_cast<DWORD>(bytes.size());
    if (original) *original = bytes;
  }

  // Writes the block's image into the work folder; returns its path.
  std::wstring Save(const ImageBlock& image, const std::wstring& name) {
    std::wstring path = work_ / name;
    Bytes bytes = BlockBytes(image.block, image.size);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
    return path;
  }

  // A copy of a program file in the work folder.
  std::wstring Copy(const std::wstring& path, const std::wstring& name) {
    std::wstring copy = work_ / name;
    EXPECT_TRUE(CopyFileW(path.c_str(), copy.c_str(), FALSE)) << testsupport::Narrow(path);
    return copy;
  }

  // The call failed without touching the caller's block or size.
  void ExpectUntouched(const ImageBlock& image, HGLOBAL before, const Bytes& original) {
    EXPECT_EQ(image.block, before);
    ASSERT_EQ(image.size, original.size());
    EXPECT_TRUE(BlockBytes(image.block, image.size) == original);
  }

  // Runs a saved program; the fixtures exit with 42.
  DWORD Run(const std::wstring& path) {
    testsupport::ProcessResult result = testsupport::RunProcess(L"\"" + path + L"\"", 30000);
    EXPECT_TRUE(result.started);
    return result.exitCode;
  }

  testsupport::TempDir work_{L"patch"};
  PrivateTemp temp_;
};

}  // namespace patchtest
