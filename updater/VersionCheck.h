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

// Appends one item and gives true, or gives false with status set to the
// number of the step that failed (left alone when the settings name no
// version list): 101 no XML document, 102 settings file unreadable, the
// code of CheckUrlHost for a list outside the download domain, 103 no
// document for the list, 104 list not fetched or not well-formed, 105 no
// Component in the settings, 201-203 its ID, Name or Module empty, 204 the
// module's version unreadable, 205 no Component in the list, 301-310 a
// field of the list's entry empty (in the order VersionMajor, VersionMinor,
// VersionBuild, VersionString, FileURL, FileName, FileMD5, Description,
// Date, ID), 401 no entry for the component's ID.
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
