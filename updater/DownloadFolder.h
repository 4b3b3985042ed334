// Where an update is downloaded: the DownloadPath setting names a folder
// below the user's local application data (the download area), and
// whatever links lie on the way there, nothing is made, written or started
// outside that area.
#pragma once
#include <windows.h>

#include <string>

// True for a name the server may give the update file, and for each part of
// the DownloadPath setting: a bare name (no slash, backslash or colon, not
// "." or "..", no characters Windows refuses in names, no trailing dot or
// space, no device name such as CON or LPT1).
bool IsBareFileName(const std::wstring& name);

// True for a relative folder path of bare names joined by single
// backslashes ("Kelvadon\Updates"): no drive, root, share or "\\?\" prefix,
// no "." or ".." part, no stream or device name.
bool IsPlainRelativePath(const std::wstring& path);

// True when the file or folder open as handle lies in the folder area, or
// is that folder, with every link on both ways resolved.
bool LiesInside(HANDLE handle, const std::wstring& area);
// The same for the file or folder at path; false when it cannot be opened.
bool PathLiesInside(const std::wstring& path, const std::wstring& area);

// Makes area\relative (a plain relative path) one folder at a time, each
// found to lie inside area before anything is made in it, and gives its
// path. False when a part lies outside area, is no folder or cannot be
// made, or the path does not fit in 260 characters.
bool MakeFolderInside(const std::wstring& area, const std::wstring& relative,
                      std::wstring* folder);
