#include "NewsFeed.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "BackgroundTransfer.h"
#include "HttpDownload.h"
#include "InternetDate.h"
#include "NemdriftResource.h"
#include "PngDib.h"
#include "UpdaterRegistry.h"
#include "UpdaterState.h"
#include "UpdaterStrings.h"
#include "VersionCheck.h"
#include "ZqXml.h"

namespace {

struct IconFile {
  FILE* file;
  DWORD written;
  bool failed;
};

// Writes one chunk of an icon; stops (and marks the fetch failed) past the
// size limit or on a short write.
int WriteChunkToFile(const BYTE* data, DWORD length, DWORD total, void* context) {
  IconFile* icon = static_cast<IconFile*>(context);
  if (total > kMaxNewsIconBytes || length > kMaxNewsIconBytes - icon->written ||
      fwrite(data, 1, length, icon->file) != length) {
    icon->failed = true;
    return 0;
  }
  icon->written += length;
  return 1;
}

// Downloads and decodes one icon within deadlineMs; null when any step
// fails. The temporary file is removed on every path.
HBITMAP FetchIcon(const std::wstring& url, DWORD deadlineMs) {
  wchar_t folder[MAX_PATH] = {};
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  if (!GetTempFileNameW(folder, L"rsi", 0, path)) return nullptr;
  HBITMAP bitmap = nullptr;
  IconFile icon = {_wfopen(path, L"wb"), 0, false};
  if (icon.file) {
    const std::wstring agent = LoadStringResource(IDS_USER_AGENT);
    TransferLimits limits;
    limits.deadlineMs = deadlineMs;
    limits.stallMs = kRequestTimeoutMs;
    const bool fetched = RunTransfer(
        [&](DownloadControl& control) {
          DownloadOptions options;
          options.redirects = RedirectRule::kAnyHost;
          options.control = &control;
          return DownloadUrl(agent.c_str(), url.c_str(), nullptr, nullptr, WriteChunkToFile,
                             kDownloadChunk, &icon, options);
        },
        nullptr, limits, nullptr, nullptr);
    const bool closed = fclose(icon.file) == 0;
    if (fetched && closed && !icon.failed && icon.written > 0) {
      HGLOBAL dib = nullptr;
      if (LoadPngAsDib(path, &dib) == kPngOk && dib) {
        bitmap = CreateBitmapFromDib(dib);
        GlobalFree(dib);
      }
    }
  }
  DeleteFileW(path);
  return bitmap;
}

std::wstring FormatStamp(const SYSTEMTIME& date) {
  wchar_t stamp[40] = {};
  swprintf(stamp, 40, L"%04d/%02d/%02d %02d:%02d:%02d", date.wYear, date.wMonth, date.wDay,
           date.wHour, date.wMinute, date.wSecond);
  return stamp;
}

}  // namespace

std::wstring NewsIconUrl(const std::wstring& domain, const std::wstring& category) {
  if (!HasHttpScheme(domain)) return L"";
  if (category.empty() || category.find_first_of(L"/\\?#%") != std::wstring::npos ||
      category.find(L"..") != std::wstring::npos)
    return L"";
  return domain + category + L".png";
}

void SortNewsNewestFirst(std::deque<NewsItem>& news) {
  std::stable_sort(news.begin(), news.end(), [](const NewsItem& a, const NewsItem& b) {
    return a.SortKey > b.SortKey;
  });
}

bool ReadNewsFeed(const std::wstring& url, std::deque<NewsItem>& news) {
  zq_xml::KXMLDocument feed;
  if (!feed.Create()) return false;
  feed.SetAsync(false);
  std::string body;
  if (url.empty() || !feed.SetUntrustedInput() ||
      !FetchVersionList(url.c_str(), &body, RedirectRule::kAnyHost) ||
      !feed.LoadBytes(body.data(), body.size()) || feed.HasDocumentType())
    return false;

  const std::wstring version = feed.SelectSingleNode(L"/rss").Attributes().GetNamedItemText(L"version");
  const double number = wcstod(version.c_str(), nullptr);
  if (!(number * 10 >= 20 && number * 10 < 21)) return false;
  zq_xml::KXMLNodeList items = feed.SelectNodes(L"/rss/channel/item");
  if (!items.IsValid() || items.Length() == 0) return false;

  int fetches = 0;
  ULONGLONG iconsStarted = 0;  // when the first icon download began
  for (zq_xml::KXMLNodeListIterator entry = items.Begin(); entry != items.End(); ++entry) {
    NewsItem item;
    const zq_xml::KXMLNode title = entry->SelectSingleNode(L"./title");
    if (!title.IsValid()) continue;
    item.Title = title.Text();
    const zq_xml::KXMLNode link = entry->SelectSingleNode(L"./link");
    if (!link.IsValid()) continue;
    item.Link = link.Text();
    const zq_xml::KXMLNode category = entry->SelectSingleNode(L"./category");
    if (!category.IsValid()) continue;
    item.Category = category.Text();
    const std::wstring domain = category.Attributes().GetNamedItemText(L"domain");
    const ULONGLONG iconTime = iconsStarted ? GetTickCount64() - iconsStarted : 0;
    if (!domain.empty() && !item.Category.empty() &&
        g_Updater.NewsIconCache.find(item.Category) == g_Updater.NewsIconCache.end() &&
        fetches < kMaxNewsIconFetches && iconTime < kIconSetDeadlineMs) {
      const std::wstring iconUrl = NewsIconUrl(domain, item.Category);
      if (!iconUrl.empty()) {
        ++fetches;
        if (!iconsStarted) iconsStarted = GetTickCount64();
        const DWORD left = static_cast<DWORD>(kIconSetDeadlineMs - iconTime);
        if (HBITMAP bitmap = FetchIcon(iconUrl, left < kIconDeadlineMs ? left : kIconDeadlineMs)) {
          NewsIcon icon;
          icon.Bitmap = bitmap;
          g_Updater.NewsIconCache[item.Category] = icon;
        }
      }
    }
    const zq_xml::KXMLNode pubDate = entry->SelectSingleNode(L"./pubDate");
    if (!pubDate.IsValid()) continue;
    item.PubDate = pubDate.Text();
    SYSTEMTIME utc;
    if (ParseInternetDate(item.PubDate.c_str(), &utc) &&
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &item.Date))
      item.Date = SYSTEMTIME();
    FILETIME key;
    if (item.Date.wYear != 0 && SystemTimeToFileTime(&item.Date, &key))
      item.SortKey = (static_cast<unsigned long long>(key.dwHighDateTime) << 32) | key.dwLowDateTime;
    const zq_xml::KXMLNode description = entry->SelectSingleNode(L"./description");
    if (!description.IsValid()) continue;
    item.Description = description.Text();
    const zq_xml::KXMLNode productName = entry->SelectSingleNode(L"./*[name()='yl:ProductName']");
    if (productName.IsValid()) item.ProductName = productName.Text();
    const zq_xml::KXMLNode productPlatform = entry->SelectSingleNode(L"./*[name()='yl:ProductPlatform']");
    if (productPlatform.IsValid()) item.ProductPlatform = productPlatform.Text();
    if (!g_Updater.ProductName.empty() && !item.ProductName.empty() &&
        g_Updater.ProductName != item.ProductName)
      continue;
    if (!g_Updater.ProductPlatform.empty() && !item.ProductPlatform.empty() &&
        g_Updater.ProductPlatform != item.ProductPlatform)
      continue;
    news.push_back(item);
  }
  SortNewsNewestFirst(news);
  return !news.empty();
}

std::wstring NewsStamp(const std::deque<NewsItem>& news) {
  return news.empty() ? std::wstring() : FormatStamp(news.front().Date);
}

void StoreNewsStamp() {
  if (g_Updater.News.empty()) return;
  WriteRegString(g_Updater.CommonRegKey.c_str(), L"LastRSSItemDate", NewsStamp(g_Updater.News).c_str());
}

bool HasNewNews() {
  if (g_Updater.News.empty()) return false;
  const std::wstring stamp = NewsStamp(g_Updater.News);
  wchar_t stored[kRegStringCapacity] = {};
  ReadRegString(g_Updater.CommonRegKey.c_str(), L"LastRSSItemDate", stored);
  if (stamp == stored) return false;
  WriteRegString(g_Updater.CommonRegKey.c_str(), L"LastRSSItemDate", stamp.c_str());
  return true;
}
