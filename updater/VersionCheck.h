// Whether the maker publishes a newer build of the product than the one
// installed.
#pragma once
#include <windows.h>

#include <cstddef>
#include <deque>
#include <string>

#include "HttpDownload.h"
#include "UpdateItem.h"

// The largest version list taken from the server.
const DWORD kMaxVersionListBytes = 1024 * 1024;
// The longest a version list (or a news feed) may take to arrive.
const DWORD kDocumentDeadlineMs = 30000;

// Appends one item and gives true, or gives false with status set to a
// VersionCheckStatus code (left alone when the settings name no version
// list).
bool CheckForUpdates(std::deque<UpdateItem>& updates, int* status);
// The same with the settings file at settingsPath and module paths relative
// to folder (no trailing backslash).
bool CheckForUpdatesWith(const wchar_t* settingsPath, const wchar_t* folder,
                         std::deque<UpdateItem>& updates, int* status);

// Major, minor and build of a file's fixed version block; 1 on success.
int GetModuleVersion(const wchar_t* path, DWORD* major, DWORD* minor, DWORD* build);

// True when published is greater than installed, major first.
bool IsNewerVersion(const DWORD published[3], const DWORD installed[3]);

// The version list's bytes as the server sent them; false when the download
// fails, takes longer than kDocumentDeadlineMs or the body is longer than
// kMaxVersionListBytes. The download runs on a worker thread while this
// thread dispatches its messages. redirects says where redirects may lead
// (the version list stays inside the download domain, the news feed not).
bool FetchVersionList(const wchar_t* url, std::string* body,
                      RedirectRule redirects = RedirectRule::kDownloadDomain);
