#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileIO.h"
#include "FileSystem.h"
#include "TestSupport.h"

namespace {

TEST(FileIO, EmptyMissingAndTooLargeFiles) {
  testsupport::TempDir dir(L"fileio");
  std::vector<uint8_t> bytes = {1, 2, 3};

  const std::wstring empty = dir / L"empty.bin";
  ASSERT_TRUE(WriteWholeFile(empty.c_str(), nullptr, 0));
  EXPECT_EQ(ReadWholeFile(empty.c_str(), 100, &bytes), FileReadResult::kRead);
  EXPECT_TRUE(bytes.empty());

  bytes = {1, 2, 3};
  EXPECT_EQ(ReadWholeFile((dir / L"missing.bin").c_str(), 100, &bytes),
            FileReadResult::kOpenFailed);
  EXPECT_TRUE(bytes.empty());

  const std::wstring ten = dir / L"ten.bin";
  ASSERT_TRUE(testsupport::WriteTextFile(ten, "0123456789"));
  EXPECT_EQ(ReadWholeFile(ten.c_str(), 9, &bytes), FileReadResult::kTooLarge);
  EXPECT_TRUE(bytes.empty());
  ASSERT_EQ(ReadWholeFile(ten.c_str(), 10, &bytes), FileReadResult::kRead);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
}

TEST(FileIO, WholeFileRoundTripReplacesTheOldContent) {
  testsupport::TempDir dir(L"fileio");
  const std::wstring path = dir / L"data.bin";
  std::vector<uint8_t> big(3 * 1024 * 1024 + 17);  // more than one write piece
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(WriteWholeFile(path.c_str(), big.data(), big.size()));
  const uint8_t shorter[] = {9, 8, 7};
  ASSERT_TRUE(WriteWholeFile(path.c_str(), shorter, sizeof shorter));
  std::vector<uint8_t> read;
  ASSERT_EQ(ReadWholeFile(path.c_str(), big.size(), &read), FileReadResult::kRead);
  EXPECT_EQ(read, std::vector<uint8_t>(shorter, shorter + 3));

  ASSERT_TRUE(WriteWholeFile(path.c_str(), big.data(), big.size()));
  ASSERT_EQ(ReadWholeFile(path.c_str(), big.size(), &read), FileReadResult::kRead);
  EXPECT_EQ(read, big);

  EXPECT_FALSE(WriteWholeFile((dir / L"no-folder\\data.bin").c_str(), shorter, sizeof shorter));
}

TEST(FileIO, ReadExactFailsWhenTheFileEndsFirst) {
  testsupport::TempDir dir(L"fileio");
  const std::wstring path = dir / L"four.bin";
  ASSERT_TRUE(testsupport::WriteTextFile(path, "abcd"));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[8] = {};
  EXPECT_TRUE(ReadExact(file, buffer, 3));
  EXPECT_FALSE(ReadExact(file, buffer, 2));  // one byte left
  CloseHandle(file);
}

}  // namespace
