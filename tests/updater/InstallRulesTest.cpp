// The rules around installing an update and showing rows: which file names
// the server may give, progress arithmetic, icon addresses, news order and
// the texts of the update rows.
#include <gtest/gtest.h>

#include "MainDialog.h"
#include "NewsFeed.h"
#include "TestSupport.h"
#include "UpdateInstaller.h"
#include "UpdaterState.h"
#include "UpdaterTestUtil.h"

namespace {

using testsupport::Narrow;

TEST(UpdateFileName, OnlyBareNamesAreAccepted) {
  for (const wchar_t* good : {L"setup.exe", L"Marqon 5.4 setup.exe", L"a", L"COM10.exe",
                              L"\u66f4\u65b0.exe", L"..exe", L"console.exe"})
    EXPECT_TRUE(IsBareFileName(good)) << Narrow(good);
  for (const wchar_t* bad :
       {L"", L".", L"..", L"..\\x.exe", L"../x.exe", L"sub\\setup.exe", L"C:setup.exe",
        L"setup.exe:stream", L"\\\\server\\share\\x.exe", L"setup.exe.", L"setup.exe ",
        L"CON", L"con.exe", L"Nul.txt", L"aux", L"COM1.exe", L"lpt9", L"CONIN$", L"a*b.exe",
        L"a?.exe", L"a|b", L"a\"b", L"a<b", L"line\nbreak.exe", L"tab\t.exe"})
    EXPECT_FALSE(IsBareFileName(bad)) << Narrow(bad);
}

TEST(UpdateProgress, IsComputedInSixtyFourBits) {
  EXPECT_EQ(ProgressPercent(0, 0), 0u);
  EXPECT_EQ(ProgressPercent(150, 300), 50u);
  // Above 42.9 MB, position x 100 no longer fits 32 bits.
  EXPECT_EQ(ProgressPercent(45000000, 90000000), 50u);
  EXPECT_EQ(ProgressPercent(4000000000ull, 4000000000ull), 100u);
  EXPECT_EQ(ProgressPercent(5000, 1000), 100u) << "never past the end";
}

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

class UpdateRows : public ::testing::Test {
 protected:
  void SetUp() override { updatertest::ResetUpdaterState(); }
  void TearDown() override { updatertest::ResetUpdaterState(); }
};

TEST_F(UpdateRows, DescriptionsFillTheirPlaceholders) {
  Updater.NoUpdateDescription = L"<p>$$APPVERSION$$ and again $$APPVERSION$$</p>";
  Updater.CheckFailDescription = L"<p>Error $$CHECKERRORCODE$$</p>";
  UpdateItem installed;
  installed.InstalledVersion = L"5.3.0";
  Updater.Updates.push_back(installed);
  Updater.CheckFailed = false;
  EXPECT_EQ(UpdateDescriptionHtml(Updater.Updates.front()), L"<p>5.3.0 and again 5.3.0</p>");
  Updater.CheckFailed = true;
  Updater.CheckStatus = 104;
  EXPECT_EQ(UpdateDescriptionHtml(Updater.Updates.front()), L"<p>Error 104</p>");
  UpdateItem newer;
  newer.UpdateAvailable = true;
  newer.Description = L"<b>New</b>";
  Updater.CheckFailed = false;
  EXPECT_EQ(UpdateDescriptionHtml(newer), L"<b>New</b>");
  Updater.CheckFailed = false;
}

}  // namespace
