// Downloads from the loopback server: chunks, lengths, status codes,
// redirects, stalls, ports and queries; and transfers run on a worker
// thread, ended by their limits or from the waiting thread.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "BackgroundTransfer.h"
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

std::wstring UrlOf(const std::wstring& path) {
  return !path.empty() && path[0] == L'/' ? updatertest::ServerBase() + path : path;
}

bool Fetch(const std::wstring& path, Received* received, const wchar_t* user = nullptr,
           const wchar_t* password = nullptr) {
  return DownloadUrl(L"Mozilla/6.0(compatible; Marqon Update 5)", UrlOf(path).c_str(), user,
                     password, Collect, kDownloadChunk, received);
}

bool FetchWith(const std::wstring& path, Received* received, const DownloadOptions& options) {
  return DownloadUrl(L"tests", UrlOf(path).c_str(), nullptr, nullptr, Collect, kDownloadChunk,
                     received, options);
}

// The same address under another name of the loopback host, outside the
// download domain of the test build.
std::wstring OtherHostBase() { return L"http://localhost" + updatertest::ServerBase().substr(16); }

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

TEST(Download, RedirectsToAnyHostWhenAllowedButStillAtMostFiveAndOnlyHttp) {
  const std::wstring other = OtherHostBase();
  DownloadOptions anyHost;
  anyHost.redirects = RedirectRule::kAnyHost;
  Received away;
  ASSERT_TRUE(FetchWith(L"/redirect/1?to=" + other + L"/bytes/30", &away, anyHost));
  EXPECT_EQ(away.body, Pattern(30));
  Received fiveAway;
  EXPECT_TRUE(FetchWith(L"/redirect/4?to=" + other + L"/bytes/10", &fiveAway, anyHost));
  Received tooMany;
  EXPECT_FALSE(FetchWith(L"/redirect/5?to=" + other + L"/bytes/10", &tooMany, anyHost));
  Received otherScheme;
  EXPECT_FALSE(FetchWith(L"/redirect/0?to=ftp://127.0.0.1/x", &otherScheme, anyHost));
  EXPECT_FALSE(FetchWith(L"/redirect/0?to=file:///C:/windows/win.ini", &otherScheme, anyHost));
  EXPECT_TRUE(tooMany.chunks.empty());
  EXPECT_TRUE(otherScheme.chunks.empty());

  // The same place under the domain rule, and what the caller learns.
  bool leftDomain = false;
  DownloadOptions domainOnly;
  domainOnly.leftDomain = &leftDomain;
  Received refused;
  EXPECT_FALSE(FetchWith(L"/redirect/1?to=" + other + L"/bytes/30", &refused, domainOnly));
  EXPECT_TRUE(leftDomain);
  EXPECT_TRUE(refused.chunks.empty());
  EXPECT_TRUE(FetchWith(L"/redirect/0?to=/bytes/30", &refused, domainOnly));
  EXPECT_FALSE(leftDomain);
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

// A window of this thread that counts the messages posted to it.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TransferTestCounter";
    RegisterClassW(&windowClass);
    window_ = CreateWindowW(L"TransferTestCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~CountingWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }
  static int count;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
      ++count;
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_;
};
int CountingWindow::count = 0;

DWORD WINAPI PostLater(void* window) {
  Sleep(1000);
  PostMessageW(static_cast<HWND>(window), WM_APP, 0, 0);
  return 0;
}

DWORD WINAPI StopLater(void* flag) {
  Sleep(2000);
  static_cast<std::atomic<bool>*>(flag)->store(true);
  return 0;
}

struct TransferRun {
  bool result = false;
  TransferEnd end = TransferEnd::kFinished;
  ULONGLONG tookMs = 0;
  Received received;
};

TransferRun Transfer(const std::wstring& path, const TransferLimits& limits,
                     const std::atomic<bool>* stop = nullptr) {
  TransferRun run;
  const std::wstring url = UrlOf(path);
  const ULONGLONG start = GetTickCount64();
  run.result = RunTransfer(
      [&](DownloadControl& control) {
        DownloadOptions options;
        options.control = &control;
        return DownloadUrl(L"tests", url.c_str(), nullptr, nullptr, Collect, kDownloadChunk,
                           &run.received, options);
      },
      nullptr, limits, stop, &run.end);
  run.tookMs = GetTickCount64() - start;
  return run;
}

TEST(Transfer, ADeadlineEndsADripThatNeverStallsAndMessagesFlowMeanwhile) {
  CountingWindow counter;
  ASSERT_NE(counter.get(), nullptr);
  CountingWindow::count = 0;
  // A message that arrives while the transfer runs, from another thread.
  const HWND target = counter.get();
  HANDLE poster = CreateThread(nullptr, 0, PostLater, target, 0, nullptr);
  ASSERT_NE(poster, nullptr);
  TransferLimits limits;
  limits.deadlineMs = 5000;
  limits.stallMs = kRequestTimeoutMs;
  const TransferRun run = Transfer(L"/drip/100", limits);
  WaitForSingleObject(poster, INFINITE);
  CloseHandle(poster);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.end, TransferEnd::kDeadline);
  EXPECT_GE(run.tookMs, 4900u);
  EXPECT_LT(run.tookMs, 7000u) << "the blocked read ends when the deadline passes";
  EXPECT_EQ(CountingWindow::count, 1) << "the waiting thread dispatched the message";
}

TEST(Transfer, StallsEndTransfersButEveryByteCountsAsProgress) {
  TransferLimits limits;
  limits.stallMs = 3000;
  const TransferRun stalled = Transfer(L"/slow/1000", limits);
  EXPECT_FALSE(stalled.result);
  EXPECT_EQ(stalled.end, TransferEnd::kStalled);
  EXPECT_LT(stalled.tookMs, 6000u);

  // One byte every two seconds never stalls for three: the body arrives
  // whole, later than any one stall limit.
  const TransferRun dripping = Transfer(L"/drip/3", limits);
  EXPECT_TRUE(dripping.result);
  EXPECT_EQ(dripping.end, TransferEnd::kFinished);
  EXPECT_EQ(dripping.received.body, Pattern(3));
  EXPECT_GE(dripping.tookMs, 5000u);

  const TransferRun quick = Transfer(L"/bytes/1000", limits);
  EXPECT_TRUE(quick.result);
  EXPECT_EQ(quick.received.body, Pattern(1000));
}

TEST(Transfer, TheCallerStopsATransferWithinASecond) {
  std::atomic<bool> stop(false);
  HANDLE setter = CreateThread(nullptr, 0, StopLater, &stop, 0, nullptr);
  ASSERT_NE(setter, nullptr);
  const TransferRun run = Transfer(L"/drip/100", TransferLimits(), &stop);
  WaitForSingleObject(setter, INFINITE);
  CloseHandle(setter);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.end, TransferEnd::kCancelled);
  EXPECT_LT(run.tookMs, 3000u);

  // A control cancelled before the transfer starts sends nothing.
  DownloadControl cancelled;
  cancelled.Cancel();
  DownloadOptions options;
  options.control = &cancelled;
  Received nothing;
  EXPECT_FALSE(FetchWith(L"/bytes/10", &nothing, options));
  EXPECT_TRUE(nothing.chunks.empty());
}

}  // namespace
