#include <gtest/gtest.h>

#include "ResString.h"

namespace {

const UINT kGreeting = 61000;  // common_test_strings.rc
const UINT kMissing = 61999;

TEST(ResString, PlaceholdersAreFilledInOrderOnce) {
  const int number = -12;
  EXPECT_EQ(FillPlaceholders(L"Open %s (%d)", L"a.cab", &number), L"Open a.cab (-12)");
  EXPECT_EQ(FillPlaceholders(L"%s and %s", L"x", nullptr), L"x and %s");
  EXPECT_EQ(FillPlaceholders(L"100%% of %s", L"%d", &number), L"100% of %d");
  EXPECT_EQ(FillPlaceholders(L"%s%", nullptr, nullptr), L"%s%");
  EXPECT_EQ(FillPlaceholders(nullptr, L"x", nullptr), L"");
}

TEST(ResString, LoadsCutsAndReportsMissingTextsAsEmpty) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
  wchar_t text[64] = L"left over";
  EXPECT_STREQ(LoadResText(self, kGreeting, text, 64), L"Remove %s now?");
  EXPECT_STREQ(LoadResText(self, kGreeting, text, 7), L"Remove");
  wcscpy(text, L"left over");
  EXPECT_STREQ(LoadResText(self, kMissing, text, 64), L"");
  EXPECT_STREQ(LoadResText(self, kGreeting, nullptr, 64), L"");
  EXPECT_EQ(LoadResFormatted(self, kGreeting, L"Tool", nullptr), L"Remove Tool now?");
}

}  // namespace
