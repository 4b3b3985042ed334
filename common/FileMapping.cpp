#include "FileMapping.h"

#include <new>

#include "FaultGuard.h"

namespace {

// Maps the whole of a mapping object and wraps it; on failure closes what it
// was given (the file may be INVALID_HANDLE_VALUE for a named mapping).
MappedFile* WrapMapping(HANDLE file, HANDLE mapping, DWORD access, DWORD size, void** view) {
  void* address = MapViewOfFile(mapping, access, 0, 0, 0);
  MappedFile* mapped = address ? new (std::nothrow) MappedFile : nullptr;
  if (!mapped) {
    if (address) UnmapViewOfFile(address);
    CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return nullptr;
  }
  mapped->File = file;
  mapped->Mapping = mapping;
  mapped->View = address;
  mapped->Size = size;
  if (view) *view = address;
  return mapped;
}

}  // namespace

MappedFile* MapFileReadOnly(const wchar_t* path, const void** view) {
  if (!path) return nullptr;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  // A view's size is kept in 32 bits: a larger file is not mapped at all.
  HANDLE mapping = high == 0 && low != INVALID_FILE_SIZE
                       ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)
                       : nullptr;
  if (!mapping) {
    CloseHandle(file);
    return nullptr;
  }
  void* address = nullptr;
  MappedFile* mapped = WrapMapping(file, mapping, FILE_MAP_READ, low, &address);
  if (view) *view = address;
  return mapped;
}

DWORD GetMappedFileSize(const MappedFile* file) { return file ? file->Size : 0; }

namespace {

void UnmapViewStep(void* context) { UnmapViewOfFile(static_cast<MappedFile*>(context)->View); }
void CloseMappingStep(void* context) { CloseHandle(static_cast<MappedFile*>(context)->Mapping); }
void CloseFileStep(void* context) { CloseHandle(static_cast<MappedFile*>(context)->File); }

}  // namespace

bool UnmapFile(MappedFile* file) {
  if (!file) return false;
  if (file->View) vesmarin::RunGuarded(UnmapViewStep, file);
  if (file->Mapping) vesmarin::RunGuarded(CloseMappingStep, file);
  if (file->File && file->File != INVALID_HANDLE_VALUE) vesmarin::RunGuarded(CloseFileStep, file);
  delete file;
  return true;
}

MappedFile* CreateNamedMapping(const wchar_t* name, DWORD size, void** view) {
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
  if (!mapping) return nullptr;
  return WrapMapping(INVALID_HANDLE_VALUE, mapping, FILE_MAP_READ | FILE_MAP_WRITE, size, view);
}
