#include "NewsFeed.h"

#include <cwchar>

#include "UpdaterRegistry.h"
#include "UpdaterState.h"

bool ReadNewsFeed(const std::wstring&, std::deque<NewsItem>& news) {
  news.clear();
  return false;
}

bool HasNewNews() {
  if (Updater.News.empty()) return false;
  const SYSTEMTIME& date = Updater.News.front().Date;
  wchar_t stamp[40] = {};
  swprintf(stamp, 40, L"%04d/%02d/%02d %02d:%02d:%02d", date.wYear, date.wMonth, date.wDay,
           date.wHour, date.wMinute, date.wSecond);
  wchar_t stored[kRegStringCapacity] = {};
  ReadRegString(Updater.CommonRegKey.c_str(), L"LastRSSItemDate", stored);
  if (wcscmp(stored, stamp) == 0) return false;
  WriteRegString(Updater.CommonRegKey.c_str(), L"LastRSSItemDate", stamp);
  return true;
}
