// Internet dates: every accepted form, the zones, two-digit years, and texts
// that must be refused (hostile ones included).
#include <gtest/gtest.h>

#include <string>

#include "InternetDate.h"

namespace {

std::string Show(const SYSTEMTIME& t) {
  char text[64];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond);
  return text;
}

std::string Parse(const wchar_t* text) {
  SYSTEMTIME result = {};
  result.wYear = 1111;
  if (!ParseInternetDate(text, &result)) {
    EXPECT_EQ(result.wYear, 1111) << "a failed parse left the result changed";
    return "fail";
  }
  return Show(result);
}

TEST(InternetDate, EveryAcceptedForm) {
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 GMT"), "1994-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sunday, 06-Nov-94 08:49:37 GMT"), "1994-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49 GMT"), "1994-11-06 08:49:00");
  EXPECT_EQ(Parse(L"Sun 06 Nov 1994 08:49:37 GMT"), "1994-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun Nov  6 08:49:37 1994 GMT"), "1994-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 nov 1994 08:49:37 gmt"), "1994-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun,   06   Nov 1994 08:49:37 UT trailing words"), "1994-11-06 08:49:37");
  SYSTEMTIME weekday = {};
  ASSERT_TRUE(ParseInternetDate(L"Mon, 06 Nov 1994 08:49:37 GMT", &weekday));
  EXPECT_EQ(weekday.wDayOfWeek, 0) << "the weekday comes from the date, not the text";
  EXPECT_EQ(weekday.wMilliseconds, 0);
}

TEST(InternetDate, ZonesMoveTheTimeToUtc) {
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 +0900"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 19:00:00 EST"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 20:00:00 EDT"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 18:00:00 CST"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 19:00:00 CDT"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 17:00:00 MST"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 18:00:00 MDT"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 16:00:00 PST"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 17:00:00 PDT"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 JST"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Mon, 07 Dec 2026 18:30:00 -0530"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Tue, 01 Jan 2026 00:30:00 +0100"), "2025-12-31 23:30:00");
}

TEST(InternetDate, NumericZonesAreHoursAndMinutes) {
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 +0900"), "1994-11-05 23:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 +09:00"), "1994-11-05 23:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 -05:30"), "1994-11-06 14:19:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49 +09:00"), "1994-11-05 23:49:00");
  EXPECT_EQ(Parse(L"Tue Dec  8 09:00:00 2026 +09:00"), "2026-12-08 00:00:00");
  // Three digits are one of hours and two of minutes; one or two digits
  // are hours alone.
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 +900"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 -130"), "2026-12-08 10:30:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 +9"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 +09"), "2026-12-08 00:00:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 +9:30"), "2026-12-07 23:30:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 +2359"), "2026-12-07 09:01:00");
  EXPECT_EQ(Parse(L"Tue, 08 Dec 2026 09:00:00 -0000"), "2026-12-08 09:00:00");
}

TEST(InternetDate, NumericZonesOutOfRangeOrMisspeltAreRefused) {
  for (const wchar_t* zone : {L"+9999", L"+2400", L"-2400", L"+0960", L"+0099", L"+24:00",
                              L"+09:60", L"++0900", L"+-0500", L"-+0500", L"+", L"-", L"+:",
                              L"+09:", L"+:00", L"+09:0", L"+090:00", L"+09::00", L"+09:00:00",
                              L"+10000", L"+09x0", L"+0900GMT", L"+09-00"}) {
    const std::wstring text = L"Tue, 08 Dec 2026 09:00:00 " + std::wstring(zone);
    EXPECT_EQ(Parse(text.c_str()), "fail") << testing::PrintToString(std::wstring(zone));
  }
}

TEST(InternetDate, TwoDigitYears) {
  EXPECT_EQ(Parse(L"Sun, 06 Nov 69 08:49:37 GMT"), "2069-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 70 08:49:37 GMT"), "2070-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 71 08:49:37 GMT"), "1971-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 00 08:49:37 GMT"), "2000-11-06 08:49:37");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 99 08:49:37 GMT"), "1999-11-06 08:49:37");
}

TEST(InternetDate, FourDigitYearsStandAsWritten) {
  EXPECT_EQ(Parse(L"Mon, 01 Jan 1601 00:00:00 GMT"), "1601-01-01 00:00:00");
  EXPECT_EQ(Parse(L"Sun, 31 Dec 1899 12:00:00 GMT"), "1899-12-31 12:00:00");
  EXPECT_EQ(Parse(L"Mon, 01 Jan 1900 00:00:00 GMT"), "1900-01-01 00:00:00");
  // Before the first day a FILETIME can hold: no date at all, never 3500.
  EXPECT_EQ(Parse(L"Sat, 01 Jan 1600 00:00:00 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 0069 08:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 994 08:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1601 08:49:37 GMT"), "1601-11-06 08:49:37");
}

TEST(InternetDate, RefusedTexts) {
  EXPECT_EQ(Parse(L"Sun, 06 November 1994 08:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 CET"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37"), "fail");
  EXPECT_EQ(Parse(L"Sun Nov  6 08:49:37 1994"), "fail");
  EXPECT_EQ(Parse(L"Sun, 00 Nov 1994 08:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 25:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L""), "fail");
  EXPECT_EQ(Parse(L"yesterday"), "fail");
  SYSTEMTIME month = {};
  EXPECT_FALSE(MatchDatePattern("d.M.y h:n:s t", "06.0.1994 08:49:37 GMT", &month));
  ASSERT_TRUE(MatchDatePattern("d.M.y h:n:s t", "06.11.1994 08:49:37 GMT", &month));
  EXPECT_EQ(Show(month), "1994-11-06 08:49:37");
  EXPECT_TRUE(MatchDatePattern("*, d m y h:n:s t", "Date: Sun, 06 Nov 1994 08:49:37 GMT", &month));
}

TEST(InternetDate, HostileTextsAreRefusedNotWrapped) {
  // 65537 would wrap to 1 in a 16-bit field.
  EXPECT_EQ(Parse(L"Sun, 65537 Nov 1994 08:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 67530 08:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 65544:49:37 GMT"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:000000037 GMT"), "fail");
  // A long numeric zone is refused rather than wrapped.
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 +2147483648"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 -99999999999999"), "fail");
  // A zone that moves the time before 1601 is no date.
  EXPECT_EQ(Parse(L"Mon, 01 Jan 1601 00:30:00 +0100"), "fail");
  EXPECT_EQ(Parse(L"Sun, 06 Nov 1994 08:49:37 GMTGMTGMTGMTGMTGMT"), "fail");
  // A text longer than the conversion buffer is no date, even when it
  // starts like one.
  std::wstring longText = L"Sun, 06 Nov 1994 08:49:37 GMT " + std::wstring(400, L'x');
  EXPECT_EQ(Parse(longText.c_str()), "fail");
  EXPECT_FALSE(ParseInternetDate(nullptr, nullptr));
}

}  // namespace
