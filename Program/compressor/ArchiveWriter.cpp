#include "ArchiveWriter.h"

#include <shlobj.h>
#include <shlwapi.h>

bool MakeTemporarySibling(const wchar_t* target, wchar_t* temporary) {
  temporary[0] = 0;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(target, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  const DWORD attributes = GetFileAttributesW(full);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  if (!PathRemoveFileSpecW(full) || !*full) return false;
  // GetTempFileNameW needs room for the folder, a backslash and 12 more.
  if (wcslen(full) > MAX_PATH - 15) return false;
  return GetTempFileNameW(full, L"sdk", 0, temporary) != 0;
}

bool ReplaceWithTemporary(const wchar_t* temporary, const wchar_t* target) {
  if (MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary);
  return false;
}

bool WriteArchive(const ArchiveEntryList& entries, const wchar_t* target,
                  CabProgressProc progress, void* user) {
  if (!target || !*target || entries.size() == 0) return false;
  wchar_t temporary[MAX_PATH];
  if (!MakeTemporarySibling(target, temporary)) return false;
  CCabEncoder encoder;
  for (size_t i = 0; i < entries.size(); ++i)
    encoder.AddFile(entries.sources()[i].c_str(), entries.names()[i].c_str());
  if (!encoder.CreateCabinet(temporary, progress, user)) {
    DeleteFileW(temporary);
    return false;
  }
  if (!ReplaceWithTemporary(temporary, target)) return false;
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, target, nullptr);
  return true;
}
