#include "ArchiveCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "BuilderState.h"
#include "CabDecoder.h"
#include "DiskFile.h"
#include "PathPieces.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "SettingsBlockFormat.h"
#include "SfxSettings.h"
#include "Validation.h"
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

// A cabinet header at this offset of the bytes: the signature, the zero
// field after it and the format version 1.3 that every writer stores.
bool IsCabinetHeader(const uint8_t* at, size_t available) {
  return available >= kHeaderSize && std::memcmp(at, "MSCF", 4) == 0 && Get32(at + 4) == 0 &&
         at[25] == 1 && at[24] == 3;
}

// Where a cabinet header starts when the file does not begin with one: 0
// when none is found in its first bytes.
DWORD CabinetStartInside(HANDLE file, uint64_t fileSize) {
  const DWORD kLooked = 1 << 16;
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(fileSize, kLooked)));
  if (head.size() < kHeaderSize || !ReadAt(file, 0, head.data(), static_cast<DWORD>(head.size())))
    return 0;
  for (size_t at = 1; at + kHeaderSize <= head.size(); ++at)
    if (IsCabinetHeader(head.data() + at, head.size() - at)) return static_cast<DWORD>(at);
  return 0;
}

// The member table holds as many entries as the header counts, each with
// its whole name, inside the file.
bool NameTableWhole(HANDLE file, const uint8_t* header, uint64_t fileSize) {
  const uint32_t tableOffset = Get32(header + 16);
  const uint16_t count = Get16(header + 28);
  if (tableOffset < kHeaderSize || tableOffset >= fileSize) return false;
  const uint64_t most = static_cast<uint64_t>(count) * (kFileEntrySize + 257);
  const DWORD length = static_cast<DWORD>(std::min<uint64_t>(fileSize - tableOffset, most));
  std::vector<uint8_t> table;
  try {
    table.resize(length);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!ReadAt(file, tableOffset, table.data(), length)) return false;
  size_t at = 0;
  for (uint16_t i = 0; i < count; ++i) {
    if (at + kFileEntrySize >= table.size()) return false;
    const char* name = reinterpret_cast<const char*>(table.data() + at + kFileEntrySize);
    const size_t room = table.size() - at - kFileEntrySize;
    const size_t nameLength = strnlen(name, room);
    if (nameLength == room) return false;
    at += kFileEntrySize + nameLength + 1;
  }
  return true;
}

// The header: a cabinet from the file's first byte, with members, folders
// for their data and a whole name table, as long as it says, and not a part
// of a set.
int CheckHeader(const wchar_t* path) {
  vesmarin::ScopedFile file(vesmarin::OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  LARGE_INTEGER size{};
  uint8_t header[kHeaderSize] = {};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size)) return kResultOpenFailed;
  const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
  if (fileSize < kHeaderSize || !ReadAt(file.get(), 0, header, kHeaderSize) ||
      !IsCabinetHeader(header, kHeaderSize)) {
    const DWORD start = CabinetStartInside(file.get(), fileSize);
    if (start) SetBuildError(IDS_ARCHIVE_NOT_AT_START, path, static_cast<int>(start));
    return kResultOpenFailed;
  }
  if (Get16(header + 30) & (kPreviousCabinet | kNextCabinet)) {
    const std::wstring member = ContinuedMember(file.get(), header, fileSize);
    SetBuildError(IDS_ARCHIVE_IN_SET, member.empty() ? path : member.c_str());
    return kResultOpenFailed;
  }
  if (Get16(header + 28) == 0) {
    SetBuildError(IDS_ARCHIVE_NO_FILES, path);
    return kResultOpenFailed;
  }
  if (Get16(header + 26) == 0) {
    SetBuildError(IDS_ARCHIVE_NO_FOLDERS, path);
    return kResultOpenFailed;
  }
  if (!NameTableWhole(file.get(), header, fileSize)) {
    SetBuildError(IDS_ARCHIVE_NAMES_CUT, path);
    return kResultOpenFailed;
  }
  // A cut in the data leaves the member table readable.
  if (fileSize < Get32(header + 8)) return kResultOpenFailed;
  return kResultSuccess;
}

std::wstring UpperCase(const std::wstring& text) {
  std::wstring upper(text);
  if (!upper.empty()) CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  return upper;
}

// A member that is a file where another member needs a folder of that
// name: the file (first) and the member below it, or false.
bool FindFileAndFolder(const std::vector<std::wstring>& names, std::wstring* file,
                       std::wstring* below) {
  std::map<std::wstring, const std::wstring*> files;
  for (const std::wstring& name : names) files.emplace(UpperCase(name), &name);
  for (const std::wstring& name : names) {
    const std::wstring upper = UpperCase(name);
    for (size_t slash = upper.find(L'\\'); slash != std::wstring::npos;
         slash = upper.find(L'\\', slash + 1)) {
      auto found = files.find(upper.substr(0, slash));
      if (found != files.end()) {
        *file = *found->second;
        *below = name;
        return true;
      }
    }
  }
  return false;
}

// The folder every installation of the package extracts into when nothing
// can change it: an absolute path, with no destination page, saved folder,
// module, program name or temporary folder to move it. With a trailing
// backslash.
bool FixedInstallFolder(const CSfxSettings& s, std::wstring* folder) {
  if (!s.UseExtractFolder || s.BaseFolder != kBaseAbsolute || s.ExtractFolder[0] == L'%' ||
      !IsAbsoluteFolderForm(s.ExtractFolder))
    return false;
  const bool destinationPage = s.AskExtPath && !s.NoUI;
  const bool temporary = s.UseAutoExecute && s.AfterDeleteFiles && HasFileExtension(s.CmdLine, L".exe");
  if (destinationPage || temporary || s.UseSavePath || s.UseExtensionModuleFile || s.AddFileTitle)
    return false;
  *folder = s.ExtractFolder;
  if (folder->back() != L'\\') *folder += L'\\';
  return true;
}

}  // namespace

int CheckArchiveShape(const wchar_t* path) {
  const int result = CheckHeader(path);
  if (result != kResultSuccess) return result;
  CCabDecoder reader(false, 0);
  if (!reader.Open(path, 0)) return kResultOpenFailed;
  // Every installation places every member below its folder first, and the
  // shortest folder it can have is a drive's root.
  std::vector<std::wstring> names;
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
    names.emplace_back(item.name);
  }
  if (names.empty()) {
    SetBuildError(IDS_ARCHIVE_NO_FILES, path);
    return kResultOpenFailed;
  }
  std::wstring file, below;
  if (FindFileAndFolder(names, &file, &below)) {
    SetBuildError(IDS_ARCHIVE_FILE_AND_FOLDER, (file + L"\n" + below).c_str());
    return kResultOpenFailed;
  }
  return kResultSuccess;
}

bool CheckMembersFitFolder(const wchar_t* path) {
  std::wstring folder;
  if (!FixedInstallFolder(g_SfxSettings, &folder)) return true;
  CCabDecoder reader(false, 0);
  if (!reader.Open(path, 0)) return true;
  ArchiveItem item;
  for (int more = reader.FindFirst(&item); more; more = reader.FindNext(&item)) {
    if (PlaceArchiveItem(folder.c_str(), item.name, nullptr) == ArchiveItemPlace::kTooLong) {
      SetBuildError(IDS_ARCHIVE_ITEM_NO_ROOM, item.name, kMaxInstalledPath);
      return false;
    }
  }
  return true;
}

int CheckArchiveData(const wchar_t* path) {
  CCabDecoder reader(false, 0);
  if (!reader.Open(path, 0)) return kResultOpenFailed;
  ArchiveItem failed;
  if (reader.DecodeAll(&failed)) return kResultSuccess;
  SetBuildError(IDS_ARCHIVE_ITEM_DAMAGED, failed.name[0] ? failed.name : path);
  return kResultOpenFailed;
}
