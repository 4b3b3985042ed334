// Pieces of a path: file name, extension, folder. Paths are at most 259
// characters in 260-character buffers unless said otherwise.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>

// Path pieces. The file-name part is the text after the last backslash, or
// the whole text when there is none.
const wchar_t* FindFileNamePart(const wchar_t* path);  // null for null
wchar_t* FindFileNamePart(wchar_t* path);
// The last '.' inside the file-name part; null when there is none.
const wchar_t* FindFileExtension(const wchar_t* path);
wchar_t* FindFileExtension(wchar_t* path);
// True when the path's extension is extension (with its dot), whatever the
// case.
bool HasFileExtension(const wchar_t* path, const wchar_t* extension);
// Cuts the path at its extension's dot; true when cut.
bool RemoveFileExtension(wchar_t* path);
// Cuts just after the last backslash; false when there is none.
bool RemoveFileNamePart(wchar_t* path);
// Writes name over the file-name part of a 260-character path; false when
// the path has no backslash or the result would not fit.
bool ReplaceFileName(wchar_t* path, const wchar_t* name);
// The folder part with its trailing backslash (empty for a bare name);
// false when the path is empty or the folder part does not fit.
bool GetFolderPart(const wchar_t* path, wchar_t* output, size_t capacity);
// PathCombineW into a 260-character output; unchanged on failure.
bool CombinePath(wchar_t* output, const wchar_t* folder, const wchar_t* file);
// The folder with a trailing backslash (an empty folder stays empty).
std::wstring WithBackslash(const std::wstring& folder);
