#include "ArchiveOpen.h"

#include <shlwapi.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <new>

#include "CabDecoder.h"
#include "CheckingWindow.h"
#include "CreatedPaths.h"
#include "Crc16.h"
#include "FaultGuard.h"
#include "FileSystem.h"
#include "Folders.h"
#include "KCommandLine.h"
#include "LastError.h"
#include "PackageSwitch.h"
#include "PathPieces.h"
#include "SfxContainer.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"

namespace stub {

namespace {


void* Allocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
void Free(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

// The container marker, built at run time: the stub finds its header by the
// first occurrence of these four bytes in its own file, so its code must
// never hold them (as a literal or as an instruction's immediate). The
// volatile read keeps the compiler from folding the value back.
volatile uint32_t g_markerKey = kSfxContainerMagic ^ 0xA5C3E10Fu;

uint32_t ContainerMarker() { return g_markerKey ^ 0xA5C3E10Fu; }

// Marker search over the mapped file.
struct MarkerSearch {
  const uint8_t* view;
  uint64_t size;
  uint64_t found;  // UINT64_MAX: none
};

void SearchMarker(void* context) {
  MarkerSearch* search = static_cast<MarkerSearch*>(context);
  search->found = UINT64_MAX;
  if (search->size < 5) return;
  const uint32_t marker = ContainerMarker();
  const uint8_t first = static_cast<uint8_t>(marker & 0xFF);
  const uint64_t last = search->size - 5;  // the last offset searched
  const uint8_t* p = search->view;
  uint64_t offset = 0;
  while (offset <= last) {
    const void* hit = memchr(p + offset, first, static_cast<size_t>(last - offset + 1));
    if (!hit) return;
    offset = static_cast<const uint8_t*>(hit) - p;
    uint32_t word;
    memcpy(&word, p + offset, 4);
    if (word == marker) {
      search->found = offset;
      return;
    }
    ++offset;
  }
}

// The CRC check reads the file in chunks of kCrcChunk bytes into one buffer
// and pumps messages after a full chunk, so that the checking window stays
// responsive; at most every kPumpIntervalMs, because each pump costs a round
// trip to the window system. Reading beats walking the mapping here: the
// page faults of a mapping cost more than the copies. The chunk is small
// because every fresh page of the buffer costs a fault too, and it stays in
// the processor's second-level cache for the CRC to read back.
const uint64_t kCrcChunk = 256 * 1024;
const DWORD kPumpIntervalMs = 30;

// CRC of `count` bytes of the file from its current position; false when a
// read comes up short.
bool CrcOfFileRange(HANDLE file, uint8_t* buffer, uint64_t chunk, uint64_t count, uint16_t* crc) {
  DWORD pumped = GetTickCount();
  while (count > 0) {
    const DWORD part = static_cast<DWORD>(count < chunk ? count : chunk);
    DWORD read = 0;
    if (!ReadFile(file, buffer, part, &read, nullptr) || read != part) return false;
    *crc = UpdateCrc16(buffer, part, *crc);
    count -= part;
    if (part == chunk && GetTickCount() - pumped >= kPumpIntervalMs) {
      PumpMessages();
      pumped = GetTickCount();
    }
  }
  return true;
}

// The container CRC as the builder computes it: the stub image, the header
// with its Crc16 field zero (given), then the rest up to `end`.
bool ContainerCrc(const wchar_t* path, uint64_t headerOffset, const SfxContainerHeader& zeroed,
                  uint64_t end, uint16_t* crc) {
  const uint64_t chunk = kCrcChunk;
  uint8_t* buffer = static_cast<uint8_t*>(Allocate(static_cast<size_t>(chunk)));
  if (!buffer) return false;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  *crc = 0;
  if (ok) ok = CrcOfFileRange(file, buffer, chunk, headerOffset, crc);
  if (ok) {
    *crc = UpdateCrc16(&zeroed, kSfxContainerHeaderSize, *crc);
    LARGE_INTEGER rest;
    rest.QuadPart = static_cast<LONGLONG>(headerOffset + kSfxContainerHeaderSize);
    ok = SetFilePointerEx(file, rest, nullptr, FILE_BEGIN) != FALSE;
    const uint64_t restStart = headerOffset + kSfxContainerHeaderSize;
    if (ok && end > restStart) ok = CrcOfFileRange(file, buffer, chunk, end - restStart, crc);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  Free(buffer);
  return ok;
}

OpenArchive* Fail(OpenArchive* archive, StubSettings* settings, int code, const wchar_t* phase) {
  SetLastErrorCode(code);
  StubLog(L"ArchiveSfxOpen() Error Exit, code %d, phase %ls\n", code, phase);
  if (archive) {
    archive->Settings = settings;
    CloseOpenArchive(archive);
  } else {
    delete settings;
  }
  return nullptr;
}

bool AppendBackslash(wchar_t* path) {
  size_t length = wcslen(path);
  if (length > 0 && path[length - 1] == L'\\') return length < MAX_PATH;
  if (length + 1 >= MAX_PATH) return false;
  path[length] = L'\\';
  path[length + 1] = 0;
  return true;
}

}  // namespace

namespace {

// Whether the run may show any window is known from the header's flag
// words, which are read here as far as the file holds them, before any
// check of the header can fail: an ultra-silent package that is cut short
// or whose sizes point past its end ends without a box.
void NoteUltraSilent(const uint8_t* header, uint64_t available, const wchar_t* arguments) {
  SfxContainerHeader copy;
  std::memset(&copy, 0, sizeof copy);
  const size_t bytes = static_cast<size_t>(available < kSfxContainerHeaderSize ? available
                                                                               : kSfxContainerHeaderSize);
  if (bytes < offsetof(SfxContainerHeader, FlagsB) + sizeof copy.FlagsB ||
      !vesmarin::GuardedCopy(&copy, header, bytes))
    return;
  copy.SilentizeSwitch[kSilentizeSwitchLength - 1] = 0;
  uint32_t flagsA = copy.FlagsA;
  uint32_t flagsB = copy.FlagsB;
  if (copy.SilentizeSwitch[0] && HasPackageSwitch(arguments, copy.SilentizeSwitch))
    FlipSilentMode(&flagsA, &flagsB);
  const uint32_t ultraBits = SfxFlagsB::NoUI | SfxFlagsB::UltraSilentInstall;
  g_UltraSilent = (flagsB & ultraBits) == ultraBits;
}

// Where a step of the open failed: the last error code and the phase that
// the log names.
struct OpenFailure {
  int code;
  const wchar_t* phase;
};

bool Failed(OpenFailure* failure, int code, const wchar_t* phase) {
  failure->code = code;
  failure->phase = phase;
  return false;
}

// The header's flag words as the package switch leaves them.
struct OpenFlags {
  uint32_t A;
  uint32_t B;
};

// 2. The own path must name an existing file.
bool TakeOwnPath(OpenArchive* archive, const wchar_t* path, OpenFailure* failure) {
  if (!path || !*path || wcslen(path) >= MAX_PATH) return Failed(failure, kErrorPath, L"003");
  lstrcpynW(archive->Path, path, MAX_PATH);
  // The opened file is the running output program for everything after.
  lstrcpynW(g_OwnPath, path, MAX_PATH);
  if (archive->Path[0] == L'\\') ConnectShare(archive->Path);
  if (!FileExists(archive->Path)) return Failed(failure, kErrorPath, L"004");
  return true;
}

// 3. Map it.
bool MapOwnFile(OpenArchive* archive, OpenFailure* failure) {
  const void* view = nullptr;
  archive->Map = MapFileReadOnly(archive->Path, &view);
  if (!archive->Map) return Failed(failure, kErrorNoMemory, L"005");
  archive->View = static_cast<const uint8_t*>(view);
  LARGE_INTEGER fileSize;
  if (!GetFileSizeEx(archive->Map->File, &fileSize) || fileSize.QuadPart <= 0)
    return Failed(failure, kErrorNoMemory, L"005");
  archive->FileSize = static_cast<uint64_t>(fileSize.QuadPart);
#ifndef _WIN64
  // A 32-bit view covers at most 4 GiB - 1; such a file is no container.
  if (archive->FileSize > 0xFFFFFFFFu) return Failed(failure, kErrorExeHeader, L"006");
#endif
  return true;
}

// 4. File title: the file name without its extension.
void TakeFileTitle(const OpenArchive& archive, StubSettings* settings) {
  lstrcpynW(settings->FileTitle, FindFileNamePart(archive.Path), MAX_PATH);
  RemoveFileExtension(settings->FileTitle);
}

// 5. The first marker; one at offset 0 does not count.
bool FindContainerHeader(OpenArchive* archive, const wchar_t* arguments, OpenFailure* failure) {
  MarkerSearch search = {archive->View, archive->FileSize, UINT64_MAX};
  if (!vesmarin::RunGuarded(&SearchMarker, &search) || search.found == UINT64_MAX ||
      search.found == 0)
    return Failed(failure, kErrorExeHeader, L"006");
  archive->HeaderOffset = search.found;
  NoteUltraSilent(archive->View + search.found, archive->FileSize - search.found, arguments);
  return true;
}

// 6. The header, and the blocks it describes, must lie inside the file.
bool ReadContainerHeader(const OpenArchive& archive, SfxContainerHeader* header,
                         OpenFailure* failure) {
  const uint64_t h = archive.HeaderOffset;
  if (archive.FileSize - h < kSfxContainerHeaderSize ||
      !vesmarin::GuardedCopy(header, archive.View + h, kSfxContainerHeaderSize) ||
      header->Magic != ContainerMarker())
    return Failed(failure, kErrorExeHeader, L"007");
  const uint64_t settingsEnd = h + kSfxContainerHeaderSize + header->SettingsSize;
  const uint64_t uninstEnd = settingsEnd + header->UninstCabSize;
  if (settingsEnd > archive.FileSize || uninstEnd > archive.FileSize ||
      h + header->ArchiveOffset > archive.FileSize)
    return Failed(failure, kErrorExeHeader, L"007");
  header->SilentizeSwitch[kSilentizeSwitchLength - 1] = 0;
  return true;
}

// 7. The package switch flips silent and wizard. 8. Ultra-silent: no window
// at all.
OpenFlags ApplyPackageSwitch(const SfxContainerHeader& header, const wchar_t* arguments) {
  OpenFlags flags = {header.FlagsA, header.FlagsB};
  if (header.SilentizeSwitch[0] && HasPackageSwitch(arguments, header.SilentizeSwitch))
    FlipSilentMode(&flags.A, &flags.B);
  const uint32_t ultraBits = SfxFlagsB::NoUI | SfxFlagsB::UltraSilentInstall;
  g_UltraSilent = (flags.B & ultraBits) == ultraBits;
  return flags;
}

// 9. The checking window when the check takes noticeable time.
void ShowCheckingWindowWhenSlow(const OpenArchive& archive, const OpenFlags& flags) {
  const bool silent = (flags.B & SfxFlagsB::NoUI) != 0;
  bool sizeKnown = false;
  ULONGLONG size = 0;
  UINT driveType = DRIVE_UNKNOWN;
  if (!silent && !g_UltraSilent) {
    driveType = PathDriveType(archive.Path);
    HANDLE file = CreateFileW(archive.Path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      LARGE_INTEGER opened;
      if (GetFileSizeEx(file, &opened)) {
        sizeKnown = true;
        size = static_cast<ULONGLONG>(opened.QuadPart);
      }
      CloseHandle(file);
    }
  }
  if (NeedCheckingWindow(silent, g_UltraSilent, driveType, sizeKnown, size))
    CreateCheckingWindow();
}

// 10. Size and CRC.
bool CheckSizeAndCrc(const OpenArchive& archive, const SfxContainerHeader& header,
                     const OpenFlags& flags, OpenFailure* failure) {
  if (flags.A & SfxFlagsA::NoCRCCheck) return true;
  const uint64_t h = archive.HeaderOffset;
  const uint64_t total = header.TotalSize;
  if (archive.FileSize != total && archive.FileSize != total + 1)
    return Failed(failure, kErrorCrc, L"008");
  // The header exactly as stored (the copy above had its switch text
  // terminated), with its Crc16 field zero.
  SfxContainerHeader zeroed;
  if (!vesmarin::GuardedCopy(&zeroed, archive.View + h, kSfxContainerHeaderSize))
    return Failed(failure, kErrorCrc, L"009");
  zeroed.Crc16 = 0;
  uint16_t crc = 0;
  if (!ContainerCrc(archive.Path, h, zeroed, total, &crc) || crc != header.Crc16)
    return Failed(failure, kErrorCrc, L"009");
  return true;
}

// 12. The uninstaller cabinet, expected right after the settings block.
bool CopyUninstallerCab(const OpenArchive& archive, StubSettings* settings,
                        OpenFailure* failure) {
  const SfxContainerHeader& header = settings->Header;
  if (header.UninstCabSize == 0) return true;
  const uint64_t settingsEnd = archive.HeaderOffset + kSfxContainerHeaderSize + header.SettingsSize;
  settings->UninstCab = static_cast<uint8_t*>(Allocate(header.UninstCabSize));
  if (!settings->UninstCab ||
      !vesmarin::GuardedCopy(settings->UninstCab, archive.View + settingsEnd,
                             header.UninstCabSize))
    return Failed(failure, kErrorNoMemory, L"011");
  settings->UninstCabSize = header.UninstCabSize;
  return true;
}

// 11. The settings block, 12. the uninstaller cabinet, 13. the block parsed;
// the header words kept.
bool ReadSettings(const OpenArchive& archive, StubSettings* settings, const OpenFlags& flags,
                  OpenFailure* failure) {
  const SfxContainerHeader& header = settings->Header;
  uint8_t* block = static_cast<uint8_t*>(Allocate(header.SettingsSize));
  if (!block) return Failed(failure, kErrorNoMemory, L"010");
  if (!vesmarin::GuardedCopy(block, archive.View + archive.HeaderOffset + kSfxContainerHeaderSize,
                             header.SettingsSize)) {
    Free(block);
    return Failed(failure, kErrorNoMemory, L"010");
  }
  if (!CopyUninstallerCab(archive, settings, failure)) {
    Free(block);
    return false;
  }
  const bool parsed = ParseSettingsBlock(*settings, block, header.SettingsSize, g_JapaneseUi);
  Free(block);
  if (!parsed) return Failed(failure, kErrorExeHeader, L"012");
  settings->FlagsA = flags.A;
  settings->FlagsB = flags.B;
  settings->BackScreenColor = header.BackScreenColor;
  settings->SavePathRootKey = header.SavePathRootKey;
  settings->SaveExplainShowFlagRootKey = header.SaveExplainShowFlagRootKey;
  settings->OverWriteMethod = header.OverWriteMethod;
  StubLog(L"szUserDefinedExtractSubPath = %ls, phase 013\n", settings->ExtractFolder);
  return true;
}

// 14. The extraction folder.
bool ResolveExtractionFolder(StubSettings* settings, const OpenFlags& flags,
                             OpenFailure* failure) {
  wchar_t folder[MAX_PATH];
  if (!ResolveFolder(folder, MAX_PATH, settings->BaseFolder, nullptr, 0, settings->ExtractFolder,
                     (flags.A & SfxFlagsA::AfterDeleteExe) != 0))
    return Failed(failure, kErrorPath, L"014");
  if (wcslen(folder) >= MAX_PATH - 1 || !AppendBackslash(folder))
    return Failed(failure, kErrorPath, L"014-1(path too long)");
  if (flags.A & SfxFlagsA::AddFileTitle) {
    wchar_t combined[MAX_PATH];
    if (wcslen(folder) + wcslen(settings->FileTitle) >= MAX_PATH ||
        !PathCombineW(combined, folder, settings->FileTitle))
      return Failed(failure, kErrorPath, L"014-2(path too long)");
    lstrcpynW(folder, combined, MAX_PATH);
    if (!AppendBackslash(folder)) return Failed(failure, kErrorPath, L"014-3(path too long)");
  }
  lstrcpynW(settings->ExtractPath, folder, MAX_PATH);
  lstrcpynW(settings->ExtractPathInitial, folder, MAX_PATH);
  return true;
}

// 15. The list of created paths, for the uninstaller or the clean-up.
bool StartCreatedPathList(const SfxContainerHeader& header, const OpenFlags& flags,
                          OpenFailure* failure) {
  if ((header.UninstCabSize != 0 || (flags.A & SfxFlagsA::AfterDeleteExe)) &&
      !InitCreatedPathList())
    return Failed(failure, kErrorNoMemory, L"015");
  return true;
}

// 16. The archive cabinet inside the own file.
bool OpenArchiveCabinet(OpenArchive* archive, const SfxContainerHeader& header,
                        OpenFailure* failure) {
  archive->ArchiveOffset = archive->HeaderOffset + header.ArchiveOffset;
  archive->Decoder = new (std::nothrow)
      CCabDecoder(CabTimeZoneInUse(header.CabTimeZone), CabTimeZoneBias(header.CabTimeZone));
  if (!archive->Decoder) return Failed(failure, kErrorNoMemory, L"016");
  if (!archive->Decoder->Open(archive->Path, archive->ArchiveOffset))
    return Failed(failure, kErrorArchiveHeader, L"017");
  return true;
}

}  // namespace

OpenArchive* ArchiveSfxOpenFile(const wchar_t* path, const wchar_t* arguments) {
  // 1. State and settings record.
  SetLastErrorCode(kErrorUnknown);
  OpenArchive* archive = new (std::nothrow) OpenArchive();
  if (!archive) return Fail(nullptr, nullptr, kErrorNoMemory, L"001");
  StubSettings* settings = new (std::nothrow) StubSettings();
  if (!settings) return Fail(archive, nullptr, kErrorNoMemory, L"002");

  OpenFailure failure = {kErrorUnknown, L""};
  if (!TakeOwnPath(archive, path, &failure) || !MapOwnFile(archive, &failure))
    return Fail(archive, settings, failure.code, failure.phase);
  TakeFileTitle(*archive, settings);
  if (!FindContainerHeader(archive, arguments, &failure) ||
      !ReadContainerHeader(*archive, &settings->Header, &failure))
    return Fail(archive, settings, failure.code, failure.phase);
  const SfxContainerHeader& header = settings->Header;
  const OpenFlags flags = ApplyPackageSwitch(header, arguments);
  ShowCheckingWindowWhenSlow(*archive, flags);
  if (!CheckSizeAndCrc(*archive, header, flags, &failure) ||
      !ReadSettings(*archive, settings, flags, &failure) ||
      !ResolveExtractionFolder(settings, flags, &failure) ||
      !StartCreatedPathList(header, flags, &failure) ||
      !OpenArchiveCabinet(archive, header, &failure))
    return Fail(archive, settings, failure.code, failure.phase);

  archive->Settings = settings;
  g_Settings = settings;
  g_Archive = archive;
  SetLastErrorCode(kErrorNone);
  return archive;
}

OpenArchive* ArchiveSfxOpen() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Fail(nullptr, nullptr, kErrorPath, L"003");
  return ArchiveSfxOpenFile(path, KCommandLineW::SkipProgramName(GetCommandLineW()));
}

void CloseOpenArchive(OpenArchive* archive) {
  if (!archive) return;
  if (archive->Decoder) delete archive->Decoder;
  if (archive->Map) UnmapFile(archive->Map);
  if (g_Settings == archive->Settings) g_Settings = nullptr;
  delete archive->Settings;
  if (g_Archive == archive) g_Archive = nullptr;
  delete archive;
  FreeCreatedPathList();
}

}  // namespace stub
