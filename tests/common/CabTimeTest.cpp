// Member times: DOS date and time to UTC, with and without the bias.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CabDecoder.h"
#include "TestCabinet.h"
#include "TestSupport.h"

using testsupport::DosDate;
using testsupport::DosTime;
using testsupport::TempDir;

namespace {

SYSTEMTIME Utc(const FILETIME& time) {
  SYSTEMTIME out = {};
  FileTimeToSystemTime(&time, &out);
  return out;
}

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The stored wall-clock time as if it were UTC.
ULONGLONG StoredTicks(WORD date, WORD time) {
  FILETIME stored;
  DosDateTimeToFileTime(date, time, &stored);
  return Ticks(stored);
}

const ULONGLONG kHour = 3600ULL * 10000000ULL;

}  // namespace

TEST(CabTime, BiasShiftsTheStoredTimeToUtc) {
  FILETIME utc;
  ASSERT_TRUE(CabTimeToFileTime(DosDate(2021, 3, 4), DosTime(12, 0, 0), true, 9, &utc));
  SYSTEMTIME st = Utc(utc);
  EXPECT_EQ(2021, st.wYear);
  EXPECT_EQ(3, st.wMonth);
  EXPECT_EQ(4, st.wDay);
  EXPECT_EQ(3, st.wHour);
  EXPECT_EQ(0, st.wMinute);

  ASSERT_TRUE(CabTimeToFileTime(DosDate(2021, 12, 31), DosTime(22, 30, 10), true, -5, &utc));
  st = Utc(utc);
  EXPECT_EQ(2022, st.wYear);
  EXPECT_EQ(1, st.wMonth);
  EXPECT_EQ(1, st.wDay);
  EXPECT_EQ(3, st.wHour);
  EXPECT_EQ(30, st.wMinute);
  EXPECT_EQ(10, st.wSecond);

  ASSERT_TRUE(CabTimeToFileTime(DosDate(2021, 7, 1), DosTime(8, 0, 0), true, 0, &utc));
  EXPECT_EQ(StoredTicks(DosDate(2021, 7, 1), DosTime(8, 0, 0)), Ticks(utc));
}

TEST(CabTime, WithoutBiasTheStoredTimeIsLocalTime) {
  const WORD date = DosDate(2019, 1, 20);
  const WORD time = DosTime(6, 15, 0);
  FILETIME utc;
  ASSERT_TRUE(CabTimeToFileTime(date, time, false, 9, &utc));
  FILETIME local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(StoredTicks(date, time), Ticks(local));
}

TEST(CabTime, DecoderAppliesItsBiasOnlyWhenSwitchedOn) {
  TempDir dir(L"time");
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"noon.txt", "n", 0x20, DosDate(2022, 8, 1), DosTime(12, 0, 0));
  const std::wstring path = dir / L"time.cab";
  ASSERT_TRUE(cabinet.WriteTo(path));

  CCabDecoder biased(true, 9);
  ASSERT_TRUE(biased.Open(path.c_str(), 0));
  ArchiveItem item;
  ASSERT_EQ(1, biased.FindFirst(&item));
  EXPECT_EQ(StoredTicks(DosDate(2022, 8, 1), DosTime(12, 0, 0)) - 9 * kHour, Ticks(item.time));
  // The written file carries the item's time.
  ASSERT_TRUE(biased.ExtractFile(L"noon.txt", (dir / L"noon.txt").c_str()));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW((dir / L"noon.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(Ticks(item.time), Ticks(data.ftLastWriteTime));

  // Switched off, the bias given is ignored.
  CCabDecoder plain(false, 9);
  ASSERT_TRUE(plain.Open(path.c_str(), 0));
  ASSERT_EQ(1, plain.FindFirst(&item));
  FILETIME expected;
  CabTimeToFileTime(DosDate(2022, 8, 1), DosTime(12, 0, 0), false, 0, &expected);
  EXPECT_EQ(Ticks(expected), Ticks(item.time));
}

// The biased conversion gives the same exact shift in winter and in summer,
// whatever the reading machine's zone and season. CTest runs this test a
// second time in a zone with daylight saving (see CMakeLists.txt), where
// VESMARIN_EXPECT_ZONE_DST asks to confirm that zone is in effect.
TEST(CabTime, BiasIgnoresTheReadersDaylightSaving) {
  if (_wgetenv(L"VESMARIN_EXPECT_ZONE_DST")) {
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    // Central European Time: one hour east of UTC, two in summer.
    ASSERT_EQ(-60, zone.Bias) << "the zone asked for is not in effect";
    ASSERT_EQ(-60, zone.DaylightBias);
  }
  for (WORD month : {1, 7}) {
    const WORD date = DosDate(2023, month, 15);
    const WORD time = DosTime(12, 0, 0);
    FILETIME utc;
    ASSERT_TRUE(CabTimeToFileTime(date, time, true, 9, &utc));
    EXPECT_EQ(StoredTicks(date, time) - 9 * kHour, Ticks(utc)) << "month " << month;
    ASSERT_TRUE(CabTimeToFileTime(date, time, true, -3, &utc));
    EXPECT_EQ(StoredTicks(date, time) + 3 * kHour, Ticks(utc)) << "month " << month;
  }
}
