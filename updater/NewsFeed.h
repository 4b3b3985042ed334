// The maker's news: the list shown on the news tab and whether it is new.
#pragma once
#include <deque>
#include <string>

#include "UpdateItem.h"

// Fills news from the feed at url, newest first; false when nothing could
// be read. The feed reader is not part of this build yet: the list stays
// empty.
bool ReadNewsFeed(const std::wstring& url, std::deque<NewsItem>& news);

// True when the newest item differs from the one recorded as seen under the
// common registry key; records it then.
bool HasNewNews();
