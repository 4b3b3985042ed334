#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ReadMeText.h"

namespace {

std::wstring Decode(const std::string& bytes) {
  std::wstring text;
  EXPECT_TRUE(
      stub::DecodeReadMeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &text));
  return text;
}

TEST(DeleteList, ListTextDecodingByByteOrderMark) {
  const std::wstring expected = L"a\u00e9\r\nb";
  EXPECT_EQ(Decode(std::string("\xFF\xFE" "a\0\xE9\0\r\0\n\0b\0\x01", 13)), expected);
  EXPECT_EQ(Decode(std::string("\xEF\xBB\xBF" "a\xC3\xA9\r\nb\0tail", 12)), expected);
  EXPECT_EQ(Decode(std::string("\0abc", 4)), L"");
  EXPECT_EQ(Decode("plain\r\ntext"), L"plain\r\ntext");
}

}  // namespace
