// The builder's handle-based access to a cabinet file: its listing for the
// pre-build checks and the archive item picker, and single items read into
// memory for previews.
#pragma once
#include <windows.h>

#include "CabDecoder.h"
#include "ScopedHandles.h"

struct MappedFile;

struct ArchiveHandle {
  MappedFile* Mapping;   // read-only mapping of the whole file
  const void* View;
  CCabDecoder* Decoder;  // open at offset 0, no time-zone bias
  DWORD Size;            // file size in bytes
};

// Opens a cabinet file for listing. With result, stores 0 on success, 5
// when the file is missing or not a cabinet, 6 when memory or the mapping
// fails. The builder's last build result is never touched: only a build
// sets the exit code. Null on failure.
ArchiveHandle* OpenArchive(const wchar_t* path, int* result = nullptr);
// Closes and frees the handle; 0 for null, otherwise 1.
int CloseArchive(ArchiveHandle* archive);
// Item walk; 0 when there is no (further) item or no handle.
int FindFirstArchiveItem(ArchiveHandle* archive, ArchiveItem* item);
int FindNextArchiveItem(ArchiveHandle* archive, ArchiveItem* item);
// 1 when an item of that name (ignoring case) is listed, else 0.
int FindArchiveItem(ArchiveHandle* archive, const wchar_t* name);
// The named item of a cabinet file in a movable global block (the caller
// frees it); null when the cabinet cannot be opened or the item is missing
// or empty.
HGLOBAL ExtractArchiveItemToMemory(const wchar_t* cabinetPath, const wchar_t* itemName);

// Holds an open archive and closes it at scope exit.
struct ArchiveHandleTraits {
  typedef ArchiveHandle* Type;
  static ArchiveHandle* Invalid() { return nullptr; }
  static bool IsValid(ArchiveHandle* archive) { return archive != nullptr; }
  static bool Release(ArchiveHandle* archive) { return CloseArchive(archive) != 0; }
};
typedef vesmarin::ScopedResource<ArchiveHandleTraits> ScopedArchive;
