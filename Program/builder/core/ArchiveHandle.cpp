#include "ArchiveHandle.h"

#include <new>

#include "FileSystem.h"
#include "FileMapping.h"
#include "ResultCodes.h"
#include "TextUtil.h"

namespace {

void ReleaseArchive(ArchiveHandle* archive) {
  delete archive->Decoder;
  if (archive->Mapping) UnmapFile(archive->Mapping);
  delete archive;
}

}  // namespace

ArchiveHandle* OpenArchive(const wchar_t* path, int* result) {
  int ignored = 0;
  int& code = result ? *result : ignored;
  if (!FileExists(path)) {
    code = kResultOpenFailed;
    return nullptr;
  }
  ArchiveHandle* archive = new (std::nothrow) ArchiveHandle();
  if (!archive) {
    code = kResultMemoryFailed;
    return nullptr;
  }
  archive->Mapping = MapFileReadOnly(path, &archive->View);
  if (archive->Mapping) {
    archive->Size = GetMappedFileSize(archive->Mapping);
    archive->Decoder = new (std::nothrow) CCabDecoder(false, 0);
  }
  if (!archive->Mapping || !archive->Decoder) {
    ReleaseArchive(archive);
    code = kResultMemoryFailed;
    return nullptr;
  }
  if (!archive->Decoder->Open(path, 0)) {
    ReleaseArchive(archive);
    code = kResultOpenFailed;
    return nullptr;
  }
  code = kResultSuccess;
  return archive;
}

int CloseArchive(ArchiveHandle* archive) {
  if (!archive) return 0;
  ReleaseArchive(archive);
  return 1;
}

int FindFirstArchiveItem(ArchiveHandle* archive, ArchiveItem* item) {
  if (!archive || !archive->View || !archive->Decoder) return 0;
  return archive->Decoder->FindFirst(item);
}

int FindNextArchiveItem(ArchiveHandle* archive, ArchiveItem* item) {
  if (!archive || !archive->View || !archive->Decoder) return 0;
  return archive->Decoder->FindNext(item);
}

int FindArchiveItem(ArchiveHandle* archive, const wchar_t* name) {
  if (!name) return 0;
  ArchiveItem item;
  for (int more = FindFirstArchiveItem(archive, &item); more;
       more = FindNextArchiveItem(archive, &item)) {
    if (EqualsNoCase(item.name, name)) return 1;
  }
  return 0;
}

HGLOBAL ExtractArchiveItemToMemory(const wchar_t* cabinetPath, const wchar_t* itemName) {
  CCabDecoder* decoder = new (std::nothrow) CCabDecoder(false, 0);
  if (!decoder) return nullptr;
  HGLOBAL block = nullptr;
  if (decoder->Open(cabinetPath, 0)) block = decoder->ExtractToMemory(itemName, nullptr);
  delete decoder;
  return block;
}
