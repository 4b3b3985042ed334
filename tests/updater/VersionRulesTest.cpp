// Version comparison and the download-domain rule for hosts.
#include <gtest/gtest.h>

#include "DownloadDomain.h"
#include "VersionCheck.h"

namespace {

bool Newer(DWORD a, DWORD b, DWORD c, DWORD x, DWORD y, DWORD z) {
  const DWORD published[3] = {a, b, c};
  const DWORD installed[3] = {x, y, z};
  return IsNewerVersion(published, installed);
}

TEST(VersionRules, ComparisonMajorFirst) {
  EXPECT_TRUE(Newer(5, 3, 1, 5, 3, 0));
  EXPECT_FALSE(Newer(5, 2, 9, 5, 3, 0));
  EXPECT_FALSE(Newer(5, 3, 0, 5, 3, 0));
  EXPECT_TRUE(Newer(6, 0, 0, 5, 9, 9));
  EXPECT_FALSE(Newer(4, 99, 99, 5, 0, 0));
  EXPECT_TRUE(Newer(5, 4, 0, 5, 3, 99));
  EXPECT_TRUE(Newer(0, 0, 1, 0, 0, 0));
  // Unsigned: a huge published part is greater, never negative.
  EXPECT_TRUE(Newer(0xFFFFFFFF, 0, 0, 1, 0, 0));
  EXPECT_FALSE(Newer(0, 0, 0, 0xFFFFFFFF, 0, 0));
}

TEST(VersionRules, HostMustLieInsideTheDomain) {
  const wchar_t* suffix = L".kelvadon.com";
  EXPECT_EQ(CheckHostSuffix(L"download.kelvadon.com", suffix), 0);
  EXPECT_EQ(CheckHostSuffix(L"a.b.kelvadon.com", suffix), 0);
  EXPECT_EQ(CheckHostSuffix(L"kelvadon.com", suffix), 107) << "the bare domain is not inside it";
  EXPECT_EQ(CheckHostSuffix(L".kelvadon.com", suffix), 0);
  EXPECT_EQ(CheckHostSuffix(L"kelvadon.com.evil.example", suffix), 108);
  EXPECT_EQ(CheckHostSuffix(L"evilkelvadon.com", suffix), 108);
  EXPECT_EQ(CheckHostSuffix(L"download.KELVADON.com", suffix), 108);
  EXPECT_EQ(CheckUrlHost(L"http://download.kelvadon.com:8080/v.xml?x=1", suffix), 0);
  EXPECT_EQ(CheckUrlHost(L"http://kelvadon.com/v.xml", suffix), 107);
  EXPECT_EQ(CheckUrlHost(L"http://kelvadon.com.evil.example/v.xml", suffix), 108);
  EXPECT_EQ(CheckUrlHost(L"http://user:pw@evil.example.org/x.kelvadon.com", suffix), 108);
  EXPECT_EQ(CheckUrlHost(nullptr, suffix), 106);
}

TEST(VersionRules, ThisBuildAdmitsItsTestServer) {
  // The x86-64 tree, in which the tests run, is built for the loopback
  // server; the shipped build keeps the maker's domain.
  EXPECT_EQ(CheckUrlHost(L"http://127.0.0.1:8080/v.xml", kDownloadDomainSuffix), 0);
  EXPECT_NE(CheckUrlHost(L"http://localhost:8080/v.xml", kDownloadDomainSuffix), 0);
}

}  // namespace
