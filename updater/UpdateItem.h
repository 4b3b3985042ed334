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

struct NewsItem {
  int Kind = kNewsItemKind;
  std::wstring Title;
  std::wstring Link;
  std::wstring Description;
  std::wstring Category;
  SYSTEMTIME Date = {};
};
