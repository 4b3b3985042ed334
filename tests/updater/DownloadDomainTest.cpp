// The download-domain rule for hosts.
#include <gtest/gtest.h>

#include "DownloadDomain.h"

namespace {

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
