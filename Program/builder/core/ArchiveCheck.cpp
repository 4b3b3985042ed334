#include "ArchiveCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "BuilderState.h"
#include "CabDecoder.h"
#include "DiskFile.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "VesmarinResource.h"

namespace {

// The fixed part of the cabinet header and the fields read from it.
const DWORD kHeaderSize = 36;
const uint16_t kPreviousCabinet = 0x1;
const uint16_t kNextCabinet = 0x2;
// A member's folder index for data that begins or ends in another cabinet.
const uint16_t kFirstContinuedFolder = 0xFFFD;
const size_t kFileEntrySize = 16;
const uint16_t kNameIsUtf8 = 0x80;

uint16_t Get16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
uint32_t Get32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD count) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD got = 0;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) &&
         ReadFile(file, buffer, count, &got, nullptr) && got == count;
}

// The first member of the file table whose data lies partly in another
// cabinet; empty when none does or the table cannot be read.
std::wstring ContinuedMember(HANDLE file, const uint8_t* header, uint64_t fileSize) {
  const uint32_t tableOffset = Get32(header + 16);
  const uint16_t count = Get16(header + 28);
  if (tableOffset >= fileSize) return std::wstring();
  // Each entry: 16 bytes, then a name of at most 256 bytes with its NUL.
  const uint64_t most = static_cast<uint64_t>(count) * (kFileEntrySize + 257);
  const DWORD length = static_cast<DWORD>(std::min<uint64_t>(fileSize - tableOffset, most));
  std::vector<uint8_t> table;
  try {
    table.resize(length);
  } catch (const std::bad_alloc&) {
    return std::wstring();
  }
  if (!ReadAt(file, tableOffset, table.data(), length)) return std::wstring();
  size_t at = 0;
  for (uint16_t i = 0; i < count && at + kFileEntrySize < table.size(); ++i) {
    const uint8_t* entry = table.data() + at;
    const char* name = reinterpret_cast<const char*>(entry + kFileEntrySize);
    const size_t room = table.size() - at - kFileEntrySize;
    const size_t nameLength = strnlen(name, room);
    if (nameLength == room) break;
    if (Get16(entry + 8) >= kFirstContinuedFolder) {
      const UINT codePage = (Get16(entry + 14) & kNameIsUtf8) ? CP_UTF8 : CP_ACP;
      wchar_t wide[MAX_PATH] = {};
      MultiByteToWideChar(codePage, 0, name, static_cast<int>(nameLength), wide, MAX_PATH - 1);
      return wide;
    }
    at += kFileEntrySize + nameLength + 1;
  }
  return std::wstring();
}

// The header: a cabinet, as long as it says, and not a part of a set.
int CheckHeader(const wchar_t* path) {
  vesmarin::ScopedFile file(vesmarin::OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  LARGE_INTEGER size{};
  uint8_t header[kHeaderSize] = {};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || !ReadAt(file.get(), 0, header, kHeaderSize) ||
      std::memcmp(header, "MSCF", 4) != 0)
    return kResultOpenFailed;
  // A cut in the data leaves the member table readable.
  const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
  if (fileSize < Get32(header + 8)) return kResultOpenFailed;
  if (Get16(header + 30) & (kPreviousCabinet | kNextCabinet)) {
    const std::wstring member = ContinuedMember(file.get(), header, fileSize);
    SetBuildError(IDS_ARCHIVE_IN_SET, member.empty() ? path : member.c_str());
    return kResultOpenFailed;
  }
  return kResultSuccess;
}

}  // namespace

int CheckArchiveShape(const wchar_t* path) {
  const int result = CheckHeader(path);
  if (result != kResultSuccess) return result;
  CCabDecoder reader(false, 0);
  if (!reader.Open(path, 0)) return kResultOpenFailed;
  // Every installation places every member below its folder first, and the
  // shortest folder it can have is a drive's root.
  ArchiveItem item;
  for (int more = reader.FindFirst(&item); more; more = reader.FindNext(&item)) {
    switch (PlaceArchiveItem(kShortestExtractFolder, item.name, nullptr)) {
      case ArchiveItemPlace::kInside:
        break;
      case ArchiveItemPlace::kTooLong:
        SetBuildError(IDS_ARCHIVE_ITEM_TOO_LONG, item.name);
        return kResultOpenFailed;
      case ArchiveItemPlace::kUnsafe:
        SetBuildError(IDS_ARCHIVE_ITEM_UNSAFE, item.name);
        return kResultOpenFailed;
    }
  }
  return kResultSuccess;
}

int CheckArchiveData(const wchar_t* path) {
  CCabDecoder reader(false, 0);
  if (!reader.Open(path, 0)) return kResultOpenFailed;
  ArchiveItem failed;
  if (reader.DecodeAll(&failed)) return kResultSuccess;
  SetBuildError(IDS_ARCHIVE_ITEM_DAMAGED, failed.name[0] ? failed.name : path);
  return kResultOpenFailed;
}
