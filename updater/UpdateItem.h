// The list-row records of the updater: one per checked component.
#pragma once
#include <windows.h>

#include <string>

const int kUpdateItemKind = 52;
const int kNewsItemKind = 48;

struct UpdateItem {
  int Kind = kUpdateItemKind;
  bool UpdateAvailable = false;
  std::wstring Name;
  std::wstring InstalledVersion;
  std::wstring VersionString;
  std::wstring FileURL;
  std::wstring FileName;
  std::wstring FileMD5;
  std::wstring Description;
  SYSTEMTIME Date = {};
};

// One item of the maker's news feed.
struct NewsItem {
  int Kind = kNewsItemKind;
  std::wstring Category;
  std::wstring Title;
  std::wstring Link;
  std::wstring PubDate;
  std::wstring Description;
  std::wstring ProductName;
  std::wstring ProductPlatform;
  SYSTEMTIME Date = {};  // local time; all zero when PubDate does not parse
  // Date as a FILETIME number, 0 when it does not convert; the sort key.
  unsigned long long SortKey = 0;
};
