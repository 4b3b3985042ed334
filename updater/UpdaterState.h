// The updater's one process-wide state record.
#pragma once
#include <windows.h>

#include <deque>
#include <map>
#include <string>

#include "UpdateItem.h"

// A news category's icon: its bitmap and, once the main dialog has added it
// to its image list, its index there.
struct NewsIcon {
  int Index = 0;
  HBITMAP Bitmap = nullptr;
};

struct UpdaterState {
  HINSTANCE Instance = nullptr;
  wchar_t Caption[200] = {};
  std::wstring RegKey;
  std::wstring CommonRegKey;
  bool IntegrateMode = false;
  DWORD ShowOption = 1;
  HWND NotifyWindow = nullptr;
  bool AutoCheckUpdate = true;
  bool ShowOnNewInformation = true;
  std::wstring DownloadPath;
  bool CheckFailed = false;
  int CheckStatus = 0;
  std::wstring RSSURL;
  std::wstring NoUpdateMessage;
  std::wstring CheckFailMessage;
  std::wstring NoUpdateDescription;
  std::wstring CheckFailDescription;
  std::deque<NewsItem> News;
  std::deque<UpdateItem> Updates;
  std::map<std::wstring, NewsIcon> NewsIconCache;
  std::wstring UpdaterLoginUser;
  std::wstring UpdaterLoginPass;
  std::wstring ProductName;
  std::wstring ProductPlatform;

  UpdaterState();
  UpdaterState(const UpdaterState&) = delete;
  UpdaterState& operator=(const UpdaterState&) = delete;
};

extern const wchar_t kDefaultCommonRegKey[];

extern UpdaterState g_Updater;
