// The Windows version table against the versions it names.
#include <gtest/gtest.h>

#include <string>

#include "WindowsVersion.h"

namespace {

struct Named {
  const char* what;
  stub::OsVersion version;
  const wchar_t* firstRow;  // the first row (in table order) that matches
};

const Named kVersions[] = {
    {"XP", {5, 1, 2600, false}, L"WinXP"},
    {"XP x64", {5, 2, 3790, false}, L"WinXP"},
    {"Server 2003", {5, 2, 3790, true}, L"Win2003"},
    {"Vista", {6, 0, 6002, false}, L"WinVista"},
    {"Server 2008", {6, 0, 6003, true}, L"Win2008R1"},
    {"Server 2008 R2", {6, 1, 7601, true}, L"Win2008R2"},
    {"7", {6, 1, 7601, false}, L"Win7"},
    {"8", {6, 2, 9200, false}, L"Win8"},
    {"8.1", {6, 3, 9600, false}, L"Win8.1"},
    {"Server 2012", {6, 2, 9200, true}, L"Win2012R1"},
    {"Server 2012 R2", {6, 3, 9600, true}, L"Win2012R2"},
    {"10 1507", {10, 0, 10240, false}, L"Win10"},
    {"10 22H2", {10, 0, 19045, false}, L"Win10"},
    {"11 21H2", {10, 0, 22000, false}, L"Win10-11"},
    {"11 24H2", {10, 0, 26100, false}, L"Win10-11"},
    {"Server 2016", {10, 0, 14393, true}, L"Win2016"},
    {"Server 2019", {10, 0, 17763, true}, L"Win2019"},
    {"Server 2022", {10, 0, 20348, true}, L"Win2022"},
    {"Server 2025", {10, 0, 26100, true}, L"Newer Server"},
    {"client 11.0", {11, 0, 30000, false}, L"Newer Client"},
};

const wchar_t* FirstMatch(const stub::OsVersion& v) {
  for (size_t i = 0; i < stub::kOsTableSize; ++i)
    if (stub::kOsTable[i].matches(v)) return stub::kOsTable[i].name;
  return nullptr;
}

uint32_t Bit(const wchar_t* name) {
  for (size_t i = 0; i < stub::kOsTableSize; ++i)
    if (std::wstring(stub::kOsTable[i].name) == name) return stub::kOsTable[i].bit;
  ADD_FAILURE() << "no row";
  return 0;
}

TEST(WindowsVersionTable, EachVersionMatchesItsRow) {
  for (const Named& n : kVersions) {
    SCOPED_TRACE(n.what);
    const wchar_t* row = FirstMatch(n.version);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row, n.firstRow);
    EXPECT_TRUE(stub::IsOsAdmitted(static_cast<int32_t>(Bit(n.firstRow)), n.version));
  }
}

TEST(WindowsVersionTable, TableOrderAndBits) {
  const wchar_t* names[] = {L"WinXP", L"Win2003", L"WinVista", L"Win2008R1", L"Win2008R2", L"Win7",
                            L"Win8", L"Win8.1", L"Win2012R1", L"Win2012R2", L"Win10", L"Win10-11",
                            L"Win11", L"Win2016", L"Win2019", L"Win2022", L"Newer Client",
                            L"Newer Server"};
  const uint32_t bits[] = {0x20, 0x40, 0x80, 0x100, 0x1000, 0x200, 0x800, 0x2000, 0x400,
                           0x4000, 0x10000, 0x8000, 0x20000, 0x1, 0x2, 0x4, 0x10000000,
                           0x20000000};
  ASSERT_EQ(stub::kOsTableSize, 18u);
  for (size_t i = 0; i < 18; ++i) {
    EXPECT_STREQ(stub::kOsTable[i].name, names[i]);
    EXPECT_EQ(stub::kOsTable[i].bit, bits[i]);
  }
}

TEST(WindowsVersionTable, Windows10AndElevenMasks) {
  const stub::OsVersion ten = {10, 0, 19045, false};
  const stub::OsVersion eleven = {10, 0, 22631, false};
  // Only "Win10": admits 10, refuses 11.
  EXPECT_TRUE(stub::IsOsAdmitted(0x10000, ten));
  EXPECT_FALSE(stub::IsOsAdmitted(0x10000, eleven));
  // Only "Win11": the other way round.
  EXPECT_FALSE(stub::IsOsAdmitted(0x20000, ten));
  EXPECT_TRUE(stub::IsOsAdmitted(0x20000, eleven));
  // "Win10-11" admits both; a server build of 10.0 is not a client.
  EXPECT_TRUE(stub::IsOsAdmitted(0x8000, ten));
  EXPECT_TRUE(stub::IsOsAdmitted(0x8000, eleven));
  EXPECT_FALSE(stub::IsOsAdmitted(0x8000, {10, 0, 17763, true}));
  // The boundary of Windows 11.
  EXPECT_TRUE(stub::IsOsAdmitted(0x10000, {10, 0, 21999, false}));
  EXPECT_FALSE(stub::IsOsAdmitted(0x10000, {10, 0, 22000, false}));
}

TEST(WindowsVersionTable, MinusOneAdmitsEverythingAndZeroNothing) {
  for (const Named& n : kVersions) {
    EXPECT_TRUE(stub::IsOsAdmitted(-1, n.version)) << n.what;
    EXPECT_FALSE(stub::IsOsAdmitted(0, n.version)) << n.what;
  }
  const wchar_t* row = L"unset";
  EXPECT_TRUE(stub::IsOsAdmitted(0x200 | 0x8000, {10, 0, 19045, false}, &row));
  EXPECT_STREQ(row, L"Win10-11");
  EXPECT_FALSE(stub::IsOsAdmitted(0x200 | 0x4000, {10, 0, 19045, false}, &row));
  EXPECT_EQ(row, nullptr);
}

TEST(WindowsVersionTable, OldestSupportedIsVista) {
  EXPECT_FALSE(stub::IsSupportedOsVersion({5, 2, 3790, false}));
  EXPECT_TRUE(stub::IsSupportedOsVersion({6, 0, 6002, false}));
  EXPECT_TRUE(stub::IsSupportedOsVersion({10, 0, 19045, false}));
}

TEST(WindowsVersionTable, RunningVersionComesFromKernel32) {
  stub::OsVersion running = {};
  ASSERT_TRUE(stub::GetRunningOsVersion(&running));
  EXPECT_GE(running.major, 6u);
  EXPECT_TRUE(stub::IsSupportedOsVersion(running));
  EXPECT_NE(FirstMatch(running), nullptr);
}

}  // namespace
