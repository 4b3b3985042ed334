// The maker's news: the RSS 2.0 feed read into the news list, each
// category's icon fetched once, and whether the news is new.
#pragma once
#include <windows.h>

#include <deque>
#include <string>

#include "UpdateItem.h"

// Icons: each at most this many bytes, and at most this many downloads in
// one run.
const DWORD kMaxNewsIconBytes = 256 * 1024;
const int kMaxNewsIconFetches = 32;
// The longest one icon, and all icons of the feed together, may take.
const DWORD kIconDeadlineMs = 10000;
const DWORD kIconSetDeadlineMs = 30000;

// Appends the usable items of the feed at url to news (items for another
// product or platform are left out), fetches the icons of their categories
// into the icon cache, and sorts the list newest first. True when the list
// holds at least one item. The feed and the icons are downloaded on a worker
// thread while this thread dispatches its messages; redirects may lead to
// any http or https address.
bool ReadNewsFeed(const std::wstring& url, std::deque<NewsItem>& news);

// Sorts newest first by each item's SortKey; undated items go last.
void SortNewsNewestFirst(std::deque<NewsItem>& news);

// The address of a category's icon (domain + category + ".png"), or empty
// when the domain is not an http or https address or the category could
// leave the domain's folder (a slash, backslash, '?', '#', '%' or "..").
std::wstring NewsIconUrl(const std::wstring& domain, const std::wstring& category);

// The stamp of the newest item ("%04d/%02d/%02d %02d:%02d:%02d"); empty when
// there is no news.
std::wstring NewsStamp(const std::deque<NewsItem>& news);

// Records the newest item's stamp as LastRSSItemDate under the common key.
void StoreNewsStamp();

// True when the newest item differs from the one recorded as seen under the
// common registry key; records it then.
bool HasNewNews();
