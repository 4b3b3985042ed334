// Files mapped into memory for reading and named page-file mappings.
#pragma once
#include <windows.h>

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
