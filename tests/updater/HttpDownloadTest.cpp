// Downloads from the loopback server: chunks, lengths, status codes,
// redirects, stalls, ports and queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HttpDownload.h"
#include "UpdaterTestUtil.h"

namespace {

struct Received {
  std::vector<DWORD> chunks;
  std::vector<DWORD> totals;
  std::string body;
  size_t stopAfter = 0;  // 0: never stop
};

int Collect(const BYTE* data, DWORD length, DWORD total, void* context) {
  Received* received = static_cast<Received*>(context);
  received->chunks.push_back(length);
  received->totals.push_back(total);
  received->body.append(reinterpret_cast<const char*>(data), length);
  return received->stopAfter == 0 || received->chunks.size() < received->stopAfter;
}

std::string Pattern(size_t n) {
  std::string bytes;
  for (size_t i = 0; i < n; ++i) bytes += static_cast<char>((i * 7 + 3) & 0xff);
  return bytes;
}

bool Fetch(const std::wstring& path, Received* received, const wchar_t* user = nullptr,
           const wchar_t* password = nullptr) {
  const std::wstring url = !path.empty() && path[0] == L'/' ? updatertest::ServerBase() + path : path;
  return DownloadUrl(L"Mozilla/6.0(compatible; Marqon Update 5)", url.c_str(), user, password,
                     Collect, kDownloadChunk, received);
}

int Hits(const std::wstring& path) {
  Received received;
  if (!Fetch(L"/hits?path=" + path, &received)) return -1;
  return std::stoi(received.body);
}

TEST(Download, ChunksOfThreeHundredWithTheAnnouncedTotal) {
  Received received;
  ASSERT_TRUE(Fetch(L"/bytes/1000", &received));
  EXPECT_EQ(received.chunks, (std::vector<DWORD>{300, 300, 300, 100}));
  EXPECT_EQ(received.totals, (std::vector<DWORD>{1000, 1000, 1000, 1000}));
  EXPECT_EQ(received.body, Pattern(1000));
  Received empty;
  EXPECT_TRUE(Fetch(L"/bytes/0", &empty));
  EXPECT_TRUE(empty.chunks.empty());
}

TEST(Download, ErrorStatusesGiveFalseAndNoChunk) {
  for (const wchar_t* path : {L"/status/404", L"/status/500", L"/status/304", L"/xml404",
                              L"/doc/no-such-file.xml"}) {
    Received received;
    EXPECT_FALSE(Fetch(path, &received)) << path;
    EXPECT_TRUE(received.chunks.empty()) << path;
  }
}

TEST(Download, BodiesAreTakenAtTheirAnnouncedLength) {
  Received shorter;
  EXPECT_FALSE(Fetch(L"/short/1000", &shorter)) << "a body shorter than announced is a failure";
  Received longer;
  ASSERT_TRUE(Fetch(L"/long/700", &longer));
  EXPECT_EQ(longer.body, Pattern(700)) << "a longer body is cut at the announced length";
  EXPECT_EQ(longer.chunks, (std::vector<DWORD>{300, 300, 100}));
}

TEST(Download, WithoutALengthTheOneAnswerIsReadToItsEnd) {
  Received received;
  ASSERT_TRUE(Fetch(L"/nolength/650", &received));
  EXPECT_EQ(received.body, Pattern(650));
  EXPECT_EQ(received.totals, (std::vector<DWORD>{0, 0, 0}));
  EXPECT_EQ(Hits(L"/nolength/650"), 1) << "the address is requested once";
}

TEST(Download, CallbackStopsTheTransfer) {
  Received received;
  received.stopAfter = 1;
  EXPECT_TRUE(Fetch(L"/bytes/1000", &received));
  EXPECT_EQ(received.chunks, (std::vector<DWORD>{300}));
}

TEST(Download, PortAndQueryOfTheUrlAreUsed) {
  Received received;
  ASSERT_TRUE(Fetch(L"/echo?product=vesmarin&n=2", &received));
  EXPECT_EQ(received.body, "/echo?product=vesmarin&n=2");
}

TEST(Download, RedirectsOnlyInsideTheDomainAndAtMostFive) {
  const std::wstring base = updatertest::ServerBase();
  Received inside;
  ASSERT_TRUE(Fetch(L"/redirect/4?to=" + base + L"/bytes/10", &inside)) << "five hops";
  EXPECT_EQ(inside.body, Pattern(10));
  Received relative;
  ASSERT_TRUE(Fetch(L"/redirect/0?to=/bytes/20", &relative));
  EXPECT_EQ(relative.body, Pattern(20));
  Received tooMany;
  EXPECT_FALSE(Fetch(L"/redirect/5?to=" + base + L"/bytes/10", &tooMany)) << "six hops";
  EXPECT_TRUE(tooMany.chunks.empty());
  // The other host is refused before it is contacted.
  Received elsewhere;
  EXPECT_FALSE(Fetch(L"/redirect/0?to=http://elsewhere.invalid/bytes/10", &elsewhere));
  EXPECT_FALSE(Fetch(L"/redirect/1?to=http://localhost:1/bytes/10", &elsewhere));
  EXPECT_FALSE(Fetch(L"/redirect/0?to=ftp://127.0.0.1/x", &elsewhere));
  EXPECT_TRUE(elsewhere.chunks.empty());
  Received toError;
  EXPECT_FALSE(Fetch(L"/redirect/1?to=/status/404", &toError));
  EXPECT_TRUE(toError.chunks.empty());
}

TEST(Download, UnusableAddressesFail) {
  Received received;
  EXPECT_FALSE(Fetch(L"ftp://127.0.0.1/file", &received));
  EXPECT_FALSE(Fetch(L"file:///C:/windows/win.ini", &received));
  EXPECT_FALSE(Fetch(L"not a url", &received));
  EXPECT_FALSE(Fetch(L"http://127.0.0.1:1/refused", &received));
  const std::wstring longPath = updatertest::ServerBase() + L"/bytes/1?" + std::wstring(1200, L'a');
  EXPECT_FALSE(Fetch(longPath, &received));
  EXPECT_FALSE(Fetch(L"/bytes/1", &received, std::wstring(1200, L'u').c_str()));
  EXPECT_TRUE(received.chunks.empty());
  EXPECT_FALSE(DownloadUrl(L"agent", nullptr, nullptr, nullptr, Collect, 300, &received));
}

TEST(Download, CredentialsGoWithTheRequest) {
  Received received;
  EXPECT_TRUE(Fetch(L"/bytes/5", &received, L"user", L"secret"));
  EXPECT_EQ(received.body, Pattern(5));
}

TEST(Download, AStalledServerEndsInFailureWithinTheTimeout) {
  Received received;
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(Fetch(L"/slow/1000", &received));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_LT(took, kRequestTimeoutMs + 10000) << took;
  EXPECT_GE(took, kRequestTimeoutMs - 1000) << took;
}

}  // namespace
