// The news feed read from the loopback server: which items are kept, their
// order, the icons fetched for their categories, and what a hostile feed
// cannot do.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "MainDialog.h"
#include "NewsFeed.h"
#include "PngBuilder.h"
#include "TestSupport.h"
#include "UpdaterState.h"
#include "UpdaterTestUtil.h"

namespace {

using testsupport::Narrow;
using updatertest::ServerHits;

std::string Item(const std::string& title, const std::string& category, const std::string& domain,
                 const std::string& date, bool description = true, const std::string& extra = "") {
  std::string item = "<item><title>" + title + "</title><link>http://127.0.0.1:1/" + title +
                     "</link><category";
  if (!domain.empty()) item += " domain=\"" + domain + "\"";
  item += ">" + category + "</category>";
  if (!date.empty()) item += "<pubDate>" + date + "</pubDate>";
  if (description) item += "<description>&lt;p&gt;" + title + "&lt;/p&gt;</description>";
  return item + extra + "</item>";
}

std::string Feed(const std::string& items, const std::string& version = "2.0") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"" + version +
         "\" xmlns:yl=\"http://kelvadon.example/rss\"><channel><title>News</title>" + items +
         "</channel></rss>\r\n";
}

class NewsFeed : public ::testing::Test {
 protected:
  void SetUp() override {
    updatertest::ResetUpdaterState();
    // A temporary folder of this test's own, so that the icon files other
    // tests leave there meanwhile are not counted.
    GetEnvironmentVariableW(L"TMP", savedTmp_, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temp_.path().c_str());
    tag_ = std::to_wstring(GetCurrentProcessId()) + L"-" +
           testsupport::Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
    iconBase_ = Narrow(updatertest::ServerBase()) + "/doc/icons-" + Narrow(tag_) + "/";
    CreateDirectoryW((updatertest::ServerFolder() + L"www\\icons-" + tag_).c_str(), nullptr);
  }
  void TearDown() override {
    updatertest::ResetUpdaterState();
    SetEnvironmentVariableW(L"TMP", savedTmp_[0] ? savedTmp_ : nullptr);
  }
  void PublishIcon(const std::string& category, const std::string& content) {
    updatertest::PublishDocument(L"icons-" + tag_ + L"\\" + testsupport::Widen(category) + L".png",
                                 content);
  }
  int IconHits(const std::string& category) {
    return ServerHits(L"/doc/icons-" + tag_ + L"/" + testsupport::Widen(category) + L".png");
  }
  bool Read(const std::string& feed) {
    const std::wstring url = updatertest::PublishDocument(L"feed-" + tag_ + L".xml", feed);
    return ReadNewsFeed(url, g_Updater.News);
  }
  updatertest::ComScope com_;
  testsupport::TempDir temp_{L"news"};
  wchar_t savedTmp_[MAX_PATH] = {};
  std::wstring tag_;
  std::string iconBase_;
};

std::wstring ReadRegText(const std::wstring& key, const wchar_t* name) {
  wchar_t value[256] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

int TempIconFiles() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((std::wstring(folder) + L"rsi*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileW(find, &found));
  FindClose(find);
  return count;
}

TEST_F(NewsFeed, KeepsCompleteItemsNewestFirstWithOneIconPerCategory) {
  PublishIcon("release", updatertest::RgbaIcon());
  const std::string truncated = updatertest::RgbaIcon().substr(0, 60);
  PublishIcon("broken", truncated);
  std::vector<std::string> wide(1, std::string(4000 * 4, '\0'));
  PublishIcon("bomb", updatertest::PngFile(4000, 4000, 8, 6, wide));
  PublishIcon("huge", std::string(300 * 1024, 'x'));
  const int tempBefore = TempIconFiles();

  const std::string items =
      Item("old", "release", iconBase_, "Thu, 02 Jan 2020 10:00:00 GMT") +
      Item("nodescription", "release", iconBase_, "Fri, 03 Jan 2020 10:00:00 GMT", false) +
      Item("undated", "broken", iconBase_, "sometime soon") +
      Item("new", "release", iconBase_, "Thu, 06 May 2021 10:00:00 GMT") +
      Item("brokenagain", "broken", iconBase_, "Wed, 01 Jan 2020 10:00:00 GMT") +
      Item("bomb", "bomb", iconBase_, "Wed, 01 Jan 2020 09:00:00 GMT") +
      Item("huge", "huge", iconBase_, "Wed, 01 Jan 2020 08:00:00 GMT") +
      Item("escape", "../escape", iconBase_, "Wed, 01 Jan 2020 07:00:00 GMT") +
      Item("local", "release2", "file:///C:/windows/", "Wed, 01 Jan 2020 06:00:00 GMT") +
      Item("nodomain", "plain", "", "Wed, 01 Jan 2020 05:00:00 GMT") +
      "<item><title>nolink</title><category>x</category><pubDate>Wed, 01 Jan 2020 GMT</pubDate>"
      "<description>d</description></item>";
  ASSERT_TRUE(Read(Feed(items)));

  std::vector<std::string> titles;
  for (const NewsItem& item : g_Updater.News) titles.push_back(Narrow(item.Title));
  const std::vector<std::string> expected = {"new",  "old",    "brokenagain", "bomb", "huge",
                                             "escape", "local", "nodomain",    "undated"};
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(g_Updater.News.back().Date.wYear, 0) << "an unparsable date reads as zero";
  EXPECT_EQ(g_Updater.News.back().PubDate, L"sometime soon");
  EXPECT_EQ(g_Updater.News.front().Description, L"<p>new</p>");
  EXPECT_EQ(g_Updater.News.front().Kind, kNewsItemKind);

  // One download for the working icon, a retry for each failing one.
  EXPECT_EQ(IconHits("release"), 1);
  EXPECT_EQ(IconHits("broken"), 2);
  EXPECT_EQ(IconHits("bomb"), 1);
  EXPECT_EQ(IconHits("huge"), 1);
  ASSERT_EQ(g_Updater.NewsIconCache.size(), 1u);
  EXPECT_NE(g_Updater.NewsIconCache[L"release"].Bitmap, nullptr);
  EXPECT_EQ(TempIconFiles(), tempBefore) << "every temporary icon file is deleted";
  EXPECT_EQ(ServerHits(L"/doc/escape.png"), 0);
}

TEST_F(NewsFeed, FeedAndIconsFollowRedirectsToAnyHostAtMostFiveTimes) {
  PublishIcon("release", updatertest::RgbaIcon());
  const std::string base = Narrow(updatertest::ServerBase());
  // The loopback server under another name, outside the download domain.
  const std::string other = "http://localhost" + base.substr(16);
  const std::string iconsElsewhere = base + "/redirect/1?to=" + other + "/doc/icons-" +
                                     Narrow(tag_) + "/";
  const std::string feed =
      Feed(Item("moved", "release", iconsElsewhere, "Thu, 02 Jan 2020 10:00:00 GMT"));
  const std::wstring published = updatertest::PublishDocument(L"feed-" + tag_ + L".xml", feed);
  const std::wstring path = published.substr(published.find(L"/doc/"));
  const std::wstring otherBase = L"http://localhost" + updatertest::ServerBase().substr(16);

  ASSERT_TRUE(ReadNewsFeed(updatertest::ServerBase() + L"/redirect/4?to=" + otherBase + path,
                           g_Updater.News));
  ASSERT_EQ(g_Updater.News.size(), 1u);
  EXPECT_EQ(g_Updater.News.front().Title, L"moved");
  ASSERT_EQ(g_Updater.NewsIconCache.size(), 1u) << "the icon came through its redirect";
  EXPECT_NE(g_Updater.NewsIconCache[L"release"].Bitmap, nullptr);

  updatertest::ResetUpdaterState();
  EXPECT_FALSE(ReadNewsFeed(updatertest::ServerBase() + L"/redirect/5?to=" + otherBase + path,
                            g_Updater.News))
      << "six hops are too many";
  EXPECT_FALSE(ReadNewsFeed(updatertest::ServerBase() + L"/redirect/0?to=ftp://127.0.0.1" + path,
                            g_Updater.News));
  EXPECT_TRUE(g_Updater.News.empty());
}

TEST_F(NewsFeed, OnlyVersionTwoFeedsCount) {
  const std::string items = Item("a", "c", "", "Thu, 02 Jan 2020 10:00:00 GMT");
  for (const char* version : {"0.92", "2.1", "x", "1e999"}) {
    EXPECT_FALSE(Read(Feed(items, version))) << version;
    EXPECT_TRUE(g_Updater.News.empty()) << version;
  }
  EXPECT_TRUE(Read(Feed(items, "2.05")));
  g_Updater.News.clear();
  EXPECT_FALSE(Read("<rss><channel>" + items + "</channel></rss>")) << "no version";
  EXPECT_FALSE(Read(Feed(""))) << "no items";
  EXPECT_FALSE(Read("<rss version=\"2.0\"><channel>")) << "not well-formed";
  EXPECT_FALSE(ReadNewsFeed(updatertest::ServerBase() + L"/status/404", g_Updater.News));
}

TEST_F(NewsFeed, ProductFilterDropsOtherProductsAndPlatforms) {
  g_Updater.ProductName = L"Vesmarin";
  g_Updater.ProductPlatform = L"x86";
  const std::string date = "Thu, 02 Jan 2020 10:00:00 GMT";
  const std::string items =
      Item("mine", "c", "", date, true,
           "<yl:ProductName>Vesmarin</yl:ProductName><yl:ProductPlatform>x86</yl:ProductPlatform>") +
      Item("other", "c", "", date, true, "<yl:ProductName>Sardok</yl:ProductName>") +
      Item("otherplatform", "c", "", date, true, "<yl:ProductPlatform>arm</yl:ProductPlatform>") +
      Item("everyone", "c", "", date);
  ASSERT_TRUE(Read(Feed(items)));
  std::vector<std::string> titles;
  for (const NewsItem& item : g_Updater.News) titles.push_back(Narrow(item.Title));
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::string>{"everyone", "mine"}));
  g_Updater.News.clear();
  g_Updater.ProductName.clear();
  g_Updater.ProductPlatform.clear();
  ASSERT_TRUE(Read(Feed(items)));
  EXPECT_EQ(g_Updater.News.size(), 4u) << "no configured product keeps everything";
}

TEST_F(NewsFeed, IconDownloadsAreLimitedPerRun) {
  std::string items;
  for (int i = 0; i < 40; ++i)
    items += Item("n" + std::to_string(i), "c" + std::to_string(i), iconBase_,
                  "Thu, 02 Jan 2020 10:00:00 GMT");
  ASSERT_TRUE(Read(Feed(items)));
  EXPECT_EQ(g_Updater.News.size(), 40u);
  int hits = 0;
  for (int i = 0; i < 40; ++i) hits += IconHits("c" + std::to_string(i));
  EXPECT_EQ(hits, kMaxNewsIconFetches);
}

TEST_F(NewsFeed, StampIsRecordedOnce) {
  g_Updater.CommonRegKey = L"Software\\VesmarinTests\\NemdriftNews\\" + tag_;
  RegDeleteTreeW(HKEY_CURRENT_USER, g_Updater.CommonRegKey.c_str());
  ASSERT_TRUE(Read(Feed(Item("a", "c", "", "Thu, 02 Jan 2020 10:00:00 GMT"))));
  EXPECT_TRUE(HasNewNews());
  EXPECT_EQ(ReadRegText(g_Updater.CommonRegKey, L"LastRSSItemDate"),
            NewsStamp(g_Updater.News));
  EXPECT_FALSE(HasNewNews()) << "the same news is not new twice";
  RegDeleteTreeW(HKEY_CURRENT_USER, g_Updater.CommonRegKey.c_str());
}

// Icon addresses and the order of the news, without the server.
TEST(NewsIcons, AddressesStayInsideTheDomainsFolder) {
  EXPECT_EQ(NewsIconUrl(L"http://news.example/icons/", L"release"),
            L"http://news.example/icons/release.png");
  EXPECT_EQ(NewsIconUrl(L"HTTPS://news.example/", L"r"), L"HTTPS://news.example/r.png");
  for (const wchar_t* domain : {L"file:///C:/icons/", L"ftp://news.example/", L"\\\\server\\icons\\",
                                L"C:\\icons\\", L"http://", L"javascript:"})
    EXPECT_EQ(NewsIconUrl(domain, L"release"), L"") << Narrow(domain);
  for (const wchar_t* category : {L"", L"../secret", L"a/b", L"a\\b", L"a?x=1", L"a#b", L"%2e%2e",
                                  L"x..y"})
    EXPECT_EQ(NewsIconUrl(L"http://news.example/", category), L"") << Narrow(category);
}

NewsItem Dated(const wchar_t* title, WORD year, WORD month, WORD day) {
  NewsItem item;
  item.Title = title;
  item.Date.wYear = year;
  item.Date.wMonth = month;
  item.Date.wDay = day;
  FILETIME key;
  if (SystemTimeToFileTime(&item.Date, &key))
    item.SortKey = (static_cast<unsigned long long>(key.dwHighDateTime) << 32) | key.dwLowDateTime;
  return item;
}

TEST(NewsOrder, NewestFirstAndUndatedLast) {
  std::deque<NewsItem> news = {Dated(L"old", 2020, 1, 2), Dated(L"undated", 0, 0, 0),
                               Dated(L"new", 2021, 5, 6), Dated(L"bad", 2021, 13, 40),
                               Dated(L"mid", 2020, 12, 31)};
  SortNewsNewestFirst(news);
  ASSERT_EQ(news.size(), 5u);
  EXPECT_EQ(news[0].Title, L"new");
  EXPECT_EQ(news[1].Title, L"mid");
  EXPECT_EQ(news[2].Title, L"old");
  EXPECT_EQ(news[3].SortKey, 0u);
  EXPECT_EQ(news[4].SortKey, 0u);
  EXPECT_EQ(NewsRowText(news[0]), L"[2021/05/06] new");
  EXPECT_EQ(NewsStamp(news), L"2021/05/06 00:00:00");
}

}  // namespace
