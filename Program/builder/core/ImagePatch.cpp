// Resource changes in the stub image: the image is written to a temporary
// file, edited there with the resource-update functions and read back into
// a new block. The caller's block changes only when everything succeeded.
#include "ImagePatch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "FileIO.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "VesmarinResource.h"

namespace {

using vesmarin::ScopedFile;
using vesmarin::ScopedGlobal;
using vesmarin::ScopedModule;
using vesmarin::ScopedTempFile;

const WORD kManifestId = 1;
const WORD kManifestLanguage = 1033;
const WORD kIconLanguage = 0;
const size_t kIconFileHeaderSize = 6;
const size_t kIconFileEntrySize = 16;
const size_t kGroupHeaderSize = 6;
const size_t kGroupEntrySize = 14;
// Larger icon files are refused as unusable rather than read into memory.
const uint64_t kMaxIconFileSize = 256u * 1024u * 1024u;

// Writes the caller's image into the (already created) temporary file.
// 0, or the code for a file that cannot be opened or written.
int WriteImage(const wchar_t* path, HGLOBAL image, DWORD imageSize, int openFailure) {
  if (image == nullptr || imageSize == 0 || GlobalSize(image) < imageSize) {
    return kResultWriteFailed;
  }
  ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!file.valid()) return openFailure;
  const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(image));
  if (bytes == nullptr) return kResultWriteFailed;
  const bool written = WriteAll(file.get(), bytes, imageSize);
  GlobalUnlock(image);
  if (!file.Close() || !written) return kResultWriteFailed;
  return kResultSuccess;
}

// Reads the edited file into a new zero-initialised movable block and, on
// success, puts it in place of the caller's block.
int ReadBackImage(const wchar_t* path, int openFailure, HGLOBAL& image, DWORD& imageSize) {
  ScopedFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return openFailure;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return kResultReadFailed;
  if (size.QuadPart <= 0 || size.QuadPart > static_cast<LONGLONG>(MAXDWORD)) {
    return kResultReadFailed;
  }
  DWORD newSize = static_cast<DWORD>(size.QuadPart);
  ScopedGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, newSize));
  if (!block.valid()) return kResultMemoryFailed;
  BYTE* bytes = static_cast<BYTE*>(GlobalLock(block.get()));
  const bool read = bytes != nullptr && ReadExact(file.get(), bytes, newSize);
  if (bytes != nullptr) GlobalUnlock(block.get());
  if (!read) return kResultReadFailed;
  GlobalFree(image);
  image = block.release();
  imageSize = newSize;
  return kResultSuccess;
}

bool HasResource(const wchar_t* path, const wchar_t* type, WORD id, WORD language) {
  ScopedModule module(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (module.get() == nullptr) return false;
  return FindResourceExW(module.get(), type, MAKEINTRESOURCEW(id), language) != nullptr;
}

uint16_t ReadU16(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const BYTE* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void WriteU16(BYTE* p, uint16_t v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
void WriteU32(BYTE* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// One image of the new icon group: its directory fields and its data.
struct NewIcon {
  BYTE width = 0;
  BYTE height = 0;
  BYTE colorCount = 0;
  BYTE reserved = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t bytesInRes = 0;
  WORD id = 0;
  std::vector<BYTE> data;
};

// What the stub image holds: icon groups and images.
struct StubIcons {
  std::vector<WORD> groups;  // ascending
  std::vector<WORD> images;  // ascending
  std::vector<WORD> groupImages;  // the images that group groups[0] lists
  // Languages under which group groups[0] and each of its images exist.
  std::vector<WORD> groupLanguages;
  std::vector<std::vector<WORD>> imageLanguages;
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  if (IS_INTRESOURCE(name)) {
    auto* ids = reinterpret_cast<std::vector<WORD>*>(param);
    try {
      ids->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  auto* languages = reinterpret_cast<std::vector<WORD>*>(param);
  try {
    languages->push_back(language);
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

std::vector<WORD> ResourceLanguages(HMODULE module, const wchar_t* type, WORD id) {
  std::vector<WORD> languages;
  EnumResourceLanguagesW(module, type, MAKEINTRESOURCEW(id), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

// Raw bytes of a resource of a loaded module; false when it is missing or
// cannot be loaded.
bool LoadResourceBytes(HMODULE module, const wchar_t* type, WORD id, const BYTE** data,
                       DWORD* size) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return false;
  *data = static_cast<const BYTE*>(LockResource(loaded));
  *size = SizeofResource(module, found);
  return *data != nullptr;
}

// Scans the stub image in the temporary file. 0 or 2.
int ScanStubIcons(const wchar_t* path, StubIcons& icons) {
  ScopedModule module(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (module.get() == nullptr) return kResultReadFailed;
  try {
    EnumResourceNamesW(module.get(), RT_GROUP_ICON, CollectName,
                       reinterpret_cast<LONG_PTR>(&icons.groups));
    EnumResourceNamesW(module.get(), RT_ICON, CollectName,
                       reinterpret_cast<LONG_PTR>(&icons.images));
    std::sort(icons.groups.begin(), icons.groups.end());
    std::sort(icons.images.begin(), icons.images.end());
    if (icons.groups.empty() || icons.images.empty()) return kResultReadFailed;

    const BYTE* group = nullptr;
    DWORD groupSize = 0;
    if (!LoadResourceBytes(module.get(), RT_GROUP_ICON, icons.groups.front(), &group,
                           &groupSize) ||
        groupSize < kGroupHeaderSize) {
      return kResultReadFailed;
    }
    size_t count = ReadU16(group + 4);
    if (kGroupHeaderSize + count * kGroupEntrySize > groupSize) return kResultReadFailed;
    for (size_t i = 0; i < count; ++i) {
      icons.groupImages.push_back(ReadU16(group + kGroupHeaderSize + i * kGroupEntrySize + 12));
    }
    icons.groupLanguages = ResourceLanguages(module.get(), RT_GROUP_ICON, icons.groups.front());
    for (WORD id : icons.groupImages) {
      icons.imageLanguages.push_back(ResourceLanguages(module.get(), RT_ICON, id));
    }
  } catch (const std::bad_alloc&) {
    return kResultMemoryFailed;
  }
  return kResultSuccess;
}

// The images of one of the builder's own icon sets. 0 or 7.
int CollectBuiltInIcons(const wchar_t* name, std::vector<NewIcon>& icons) {
  WORD groupId = 0;
  if (wcscmp(name, L"green") == 0) {
    groupId = IDI_SET_GREEN;
  } else if (wcscmp(name, L"yellow") == 0) {
    groupId = IDI_SET_YELLOW;
  } else if (wcscmp(name, L"red") == 0) {
    groupId = IDI_SET_RED;
  } else {
    return kResultIconOpenFailed;
  }
  HMODULE self = GetModuleHandleW(nullptr);
  const BYTE* group = nullptr;
  DWORD groupSize = 0;
  if (!LoadResourceBytes(self, RT_GROUP_ICON, groupId, &group, &groupSize) ||
      groupSize < kGroupHeaderSize) {
    return kResultIconOpenFailed;
  }
  size_t count = ReadU16(group + 4);
  if (count == 0 || kGroupHeaderSize + count * kGroupEntrySize > groupSize) {
    return kResultIconOpenFailed;
  }
  try {
    icons.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const BYTE* entry = group + kGroupHeaderSize + i * kGroupEntrySize;
      NewIcon& icon = icons[i];
      icon.width = entry[0];
      icon.height = entry[1];
      icon.colorCount = entry[2];
      icon.reserved = entry[3];
      icon.planes = ReadU16(entry + 4);
      icon.bitCount = ReadU16(entry + 6);
      icon.bytesInRes = ReadU32(entry + 8);
      const BYTE* data = nullptr;
      DWORD size = 0;
      if (!LoadResourceBytes(self, RT_ICON, ReadU16(entry + 12), &data, &size) || size == 0) {
        return kResultIconOpenFailed;
      }
      icon.data.assign(data, data + size);
    }
  } catch (const std::bad_alloc&) {
    return kResultIconOpenFailed;  // an image that cannot be copied
  }
  return kResultSuccess;
}

// The images of a user's .ico file, every count, offset and size checked
// against the file. 0, 6 (no memory for the images: nothing is
// written, so no group can list an image that was not copied) or 7.
int CollectIconFile(const wchar_t* path, std::vector<NewIcon>& icons, uint16_t* fileReserved,
                    uint16_t* fileType) {
  std::vector<uint8_t> bytes;
  const FileReadResult read = ReadWholeFile(path, kMaxIconFileSize, &bytes);
  if (read == FileReadResult::kNoMemory) return kResultMemoryFailed;
  if (read != FileReadResult::kRead) return kResultIconOpenFailed;
  const size_t fileSize = bytes.size();
  if (fileSize < kIconFileHeaderSize) return kResultIconOpenFailed;

  const BYTE* p = bytes.data();
  const uint16_t reserved = ReadU16(p);
  const uint16_t type = ReadU16(p + 2);
  const size_t count = ReadU16(p + 4);
  if (reserved != 0 || (type != 1 && type != 2) || count == 0) return kResultIconOpenFailed;
  if (kIconFileHeaderSize + count * kIconFileEntrySize > fileSize) return kResultIconOpenFailed;
  try {
    icons.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const BYTE* entry = p + kIconFileHeaderSize + i * kIconFileEntrySize;
      const uint64_t bytesInRes = ReadU32(entry + 8);
      const uint64_t offset = ReadU32(entry + 12);
      // The smallest image that can be told apart: a PNG signature, or a
      // bitmap header up to its planes and bit-count words.
      if (bytesInRes < 4 || offset + bytesInRes > fileSize) return kResultIconOpenFailed;
      const BYTE* image = p + offset;
      NewIcon& icon = icons[i];
      icon.width = entry[0];
      icon.height = entry[1];
      icon.colorCount = entry[2];
      icon.reserved = entry[3];
      const bool png = image[0] == 0x89 && image[1] == 'P' && image[2] == 'N' && image[3] == 'G';
      if (png) {
        icon.planes = 0;
        icon.bitCount = 0;
      } else {
        if (bytesInRes < 16) return kResultIconOpenFailed;
        icon.planes = ReadU16(image + 12);
        icon.bitCount = ReadU16(image + 14);
      }
      icon.bytesInRes = static_cast<uint32_t>(bytesInRes);
      icon.data.assign(image, image + bytesInRes);
    }
  } catch (const std::bad_alloc&) {
    return kResultMemoryFailed;
  }
  *fileReserved = reserved;
  *fileType = type;
  return kResultSuccess;
}

// Header and 14-byte entries of the new group.
std::vector<BYTE> BuildGroup(uint16_t reserved, uint16_t type, const std::vector<NewIcon>& icons) {
  std::vector<BYTE> group(kGroupHeaderSize + icons.size() * kGroupEntrySize, 0);
  WriteU16(&group[0], reserved);
  WriteU16(&group[2], type);
  WriteU16(&group[4], static_cast<uint16_t>(icons.size()));
  for (size_t i = 0; i < icons.size(); ++i) {
    BYTE* entry = &group[kGroupHeaderSize + i * kGroupEntrySize];
    const NewIcon& icon = icons[i];
    entry[0] = icon.width;
    entry[1] = icon.height;
    entry[2] = icon.colorCount;
    entry[3] = icon.reserved;
    WriteU16(entry + 4, icon.planes);
    WriteU16(entry + 6, icon.bitCount);
    WriteU32(entry + 8, icon.bytesInRes);
    WriteU16(entry + 12, icon.id);
  }
  return group;
}

// Deletes one resource in every language it was found under (language 0
// when it was not found at all).
bool DeleteResource(HANDLE update, const wchar_t* type, WORD id, WORD language,
                    const std::vector<WORD>& foundLanguages) {
  if (foundLanguages.empty()) {
    return UpdateResourceW(update, type, MAKEINTRESOURCEW(id), language, nullptr, 0) != FALSE;
  }
  for (WORD found : foundLanguages) {
    if (!UpdateResourceW(update, type, MAKEINTRESOURCEW(id), found, nullptr, 0)) return false;
  }
  return true;
}

// Replaces group G and its images in the temporary file. Anything short of
// a successful commit discards every change: 8.
int UpdateIconResources(const wchar_t* path, const StubIcons& stub, const std::vector<BYTE>& group,
                        const std::vector<NewIcon>& icons) {
  HANDLE update = BeginUpdateResourceW(path, FALSE);
  if (update == nullptr) return kResultIconInvalid;
  bool ok = true;
  for (size_t i = 0; ok && i < stub.groupImages.size(); ++i) {
    ok = DeleteResource(update, RT_ICON, stub.groupImages[i], kIconLanguage,
                        stub.imageLanguages[i]);
  }
  const WORD groupId = stub.groups.front();
  ok = ok && DeleteResource(update, RT_GROUP_ICON, groupId, kIconLanguage, stub.groupLanguages);
  ok = ok && UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(groupId), kIconLanguage,
                             const_cast<BYTE*>(group.data()), static_cast<DWORD>(group.size()));
  for (size_t i = 0; ok && i < icons.size(); ++i) {
    ok = UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(icons[i].id), kIconLanguage,
                         const_cast<BYTE*>(icons[i].data.data()),
                         static_cast<DWORD>(icons[i].data.size())) != FALSE;
  }
  if (!ok) {
    EndUpdateResourceW(update, TRUE);
    return kResultIconInvalid;
  }
  return EndUpdateResourceW(update, FALSE) ? kResultSuccess : kResultIconInvalid;
}

}  // namespace

int ReplaceManifest(const void* manifest, DWORD manifestSize, HGLOBAL& image, DWORD& imageSize) {
  ScopedTempFile temp;
  if (!temp.Make(L"mft")) return kResultWriteFailed;
  int result = WriteImage(temp.path(), image, imageSize, kResultWriteFailed);
  if (result != kResultSuccess) return result;

  // Only an image that already carries manifest 1 in US English takes a new
  // one (deleting an absent resource is not refused everywhere).
  if (manifest == nullptr || manifestSize == 0 ||
      !HasResource(temp.path(), RT_MANIFEST, kManifestId, kManifestLanguage)) {
    return kResultAbnormalEnd;
  }
  HANDLE update = BeginUpdateResourceW(temp.path(), FALSE);
  if (update == nullptr) return kResultAbnormalEnd;
  bool ok = UpdateResourceW(update, RT_MANIFEST, MAKEINTRESOURCEW(kManifestId), kManifestLanguage,
                            nullptr, 0) &&
            UpdateResourceW(update, RT_MANIFEST, MAKEINTRESOURCEW(kManifestId), kManifestLanguage,
                            const_cast<void*>(manifest), manifestSize);
  if (!ok) {
    EndUpdateResourceW(update, TRUE);
    return kResultAbnormalEnd;
  }
  if (!EndUpdateResourceW(update, FALSE)) return kResultAbnormalEnd;
  return ReadBackImage(temp.path(), kResultOpenFailed, image, imageSize);
}

int ReplaceIcons(bool builtIn, const wchar_t* source, HGLOBAL& image, DWORD& imageSize) {
  ScopedTempFile temp;
  if (!temp.Make(L"icn")) return kResultAbnormalEnd;
  int result = WriteImage(temp.path(), image, imageSize, kResultOpenFailed);
  if (result != kResultSuccess) return result;

  StubIcons stub;
  result = ScanStubIcons(temp.path(), stub);
  if (result != kResultSuccess) return result;

  std::vector<NewIcon> icons;
  uint16_t reserved = 0;
  uint16_t type = 1;
  if (source == nullptr) return kResultIconOpenFailed;
  result = builtIn ? CollectBuiltInIcons(source, icons)
                   : CollectIconFile(source, icons, &reserved, &type);
  if (result != kResultSuccess) return result;

  // New images follow the highest image id already present.
  const uint32_t firstId = static_cast<uint32_t>(stub.images.back()) + 1;
  if (firstId + icons.size() - 1 > 0xFFFF) return kResultIconInvalid;
  for (size_t i = 0; i < icons.size(); ++i) icons[i].id = static_cast<WORD>(firstId + i);

  std::vector<BYTE> group;
  try {
    group = BuildGroup(reserved, type, icons);
  } catch (const std::bad_alloc&) {
    return kResultMemoryFailed;
  }
  result = UpdateIconResources(temp.path(), stub, group, icons);
  if (result != kResultSuccess) return result;
  return ReadBackImage(temp.path(), kResultWriteFailed, image, imageSize);
}
