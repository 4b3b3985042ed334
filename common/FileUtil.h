// Files, folders, file mappings and path pieces shared by the builder and
// the extractor stub. Paths are at most 259 characters in 260-character
// buffers unless said otherwise; nothing here throws.
#pragma once
#include <windows.h>
#include <cstddef>

// True when the path exists and is not a folder.
bool FileExists(const wchar_t* path);
// True when the path exists and is a folder.
bool DirectoryExists(const wchar_t* path);

// Creates a folder and every missing folder above it. True when the last
// level was created or made current.
bool CreateDirectoryTree(const wchar_t* folder);

// A mapped file or a named page-file mapping.
struct MappedFile {
  HANDLE File;     // INVALID_HANDLE_VALUE for a named page-file mapping
  HANDLE Mapping;
  void* View;
  DWORD Size;      // bytes (the low 32 bits of the file size)
};

// Maps a whole existing file for reading; null on any failure (an empty
// file cannot be mapped). *view receives the view's address.
MappedFile* MapFileReadOnly(const wchar_t* path, const void** view);
// The mapped size in bytes; 0 for null.
DWORD GetMappedFileSize(const MappedFile* file);
// Releases the view, mapping and file and frees the record; false for null.
bool UnmapFile(MappedFile* file);
// Creates or opens a named read/write mapping on the page file.
MappedFile* CreateNamedMapping(const wchar_t* name, DWORD size, void** view);

// Path pieces. The file-name part is the text after the last backslash, or
// the whole text when there is none.
const wchar_t* FindFileNamePart(const wchar_t* path);  // null for null
wchar_t* FindFileNamePart(wchar_t* path);
// The last '.' inside the file-name part; null when there is none.
const wchar_t* FindFileExtension(const wchar_t* path);
wchar_t* FindFileExtension(wchar_t* path);
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
