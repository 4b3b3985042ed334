#include <gtest/gtest.h>

#include <cstring>

#include "TextUtil.h"

namespace {

TEST(TextUtil, Utf8RoundTripsEveryPlane) {
  // ASCII, Japanese, a letter with a diacritic and a character outside the
  // basic plane (a surrogate pair in UTF-16).
  const wchar_t text[] = L"Setup \u30BB\u30C3\u30C8\u30A2\u30C3\u30D7 \u00E9 \U0001F600";
  char utf8[64];
  ASSERT_TRUE(WideToUtf8(text, utf8, sizeof utf8));
  EXPECT_STREQ(utf8,
               "Setup \xE3\x82\xBB\xE3\x83\x83\xE3\x83\x88\xE3\x82\xA2\xE3\x83\x83\xE3\x83\x97 "
               "\xC3\xA9 \xF0\x9F\x98\x80");
  wchar_t back[64];
  ASSERT_TRUE(Utf8ToWide(utf8, back, 64));
  EXPECT_STREQ(back, text);
}

TEST(TextUtil, ConversionThatDoesNotFitLeavesAnEmptyText) {
  char small[4];
  std::memset(small, 'x', sizeof small);
  EXPECT_FALSE(WideToUtf8(L"\u30BB\u30C3", small, sizeof small));  // six bytes and a NUL
  EXPECT_EQ(small[0], '\0');
  wchar_t narrow[3] = {L'x', L'x', L'x'};
  EXPECT_FALSE(Utf8ToWide("abc", narrow, 3));
  EXPECT_EQ(narrow[0], L'\0');
  EXPECT_FALSE(Utf8ToWide(nullptr, narrow, 3));
}

TEST(TextUtil, EqualsNoCaseIsOrdinal) {
  EXPECT_TRUE(EqualsNoCase(L"Hollmere64.EXE", L"hollmere64.exe"));
  EXPECT_TRUE(EqualsNoCase(L"\u00C9T\u00C9", L"\u00E9t\u00E9"));
  EXPECT_FALSE(EqualsNoCase(L"e", L"\u00E9"));  // no folding of accents
  EXPECT_FALSE(EqualsNoCase(L"abc", L"abcd"));
  EXPECT_TRUE(EqualsNoCase(L"HTTP://host", 7, L"http://", 7));
  EXPECT_FALSE(EqualsNoCase(nullptr, L""));
  EXPECT_TRUE(EqualsNoCase(nullptr, nullptr));
}

}  // namespace
