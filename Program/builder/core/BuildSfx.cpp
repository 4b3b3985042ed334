// Building the self-extracting output program: stub from the builder's
// resources, version fields, manifest and icons patched, then container
// header, settings block, uninstaller cabinet and archive with a running
// CRC-16.
#include "BuildSfx.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "ArchiveCheck.h"
#include "BuilderResources.h"
#include "BuilderState.h"
#include "CabDecoder.h"
#include "ContainerHeader.h"
#include "Crc16.h"
#include "DiskFile.h"
#include "FileIO.h"
#include "ImagePatch.h"
#include "PathPieces.h"
#include "ResString.h"
#include "OutputGuard.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "SettingsBlock.h"
#include "SfxContainer.h"
#include "SfxSettings.h"
#include "TextUtil.h"
#include "UserUninstaller.h"
#include "Validation.h"
#include "VesmarinResource.h"

namespace {

using vesmarin::ScopedFile;

const uint64_t kLargeArchive32 = 30000000;
const uint64_t kLargeArchive64 = 100000000;
const DWORD kImageReserve = 65536;
const DWORD kMaxManifestSize = 500000;
const uint64_t kMaxOutputSize = 0xFFFFFFFFull;
const DWORD kMinCopyChunk = 1 << 20;

// The stub image: a movable global block that the resource patches may
// replace.
struct StubImage {
  vesmarin::ScopedGlobal block;
  DWORD size = 0;  // bytes of the image at the block's start
};

// Runs a resource patch that, on success, frees the image's block and puts
// a new one in its place.
template <class Patch>
int PatchImage(StubImage& image, Patch patch) {
  HGLOBAL block = image.block.get();
  const int result = patch(block, image.size);
  if (block != image.block.get()) {
    image.block.release();  // already freed by the patch
    image.block.reset(block);
  }
  return result;
}

// The cabinet that carries the uninstaller: the publisher's own, checked,
// or the builder's.
int PrepareUninstallerCab(std::vector<uint8_t>& cab) {
  if (g_SfxSettings.HollmereUserProvide) return PackUserUninstaller(cab);
  DWORD size = 0;
  const void* data = FindBuilderResource(
      MAKEINTRESOURCEW(g_SfxSettings.Use64bitStub ? IDR_UNINSTALLER_CAB64 : IDR_UNINSTALLER_CAB32),
      &size);
  if (!data || size == 0) return kResultAbnormalEnd;
  try {
    cab.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  } catch (const std::bad_alloc&) {
    return kResultMemoryFailed;
  }
  return kResultSuccess;
}

// --- the stub image -------------------------------------------------------

int LoadStubImage(StubImage& image, DWORD cabSize) {
  DWORD stubSize = 0;
  const void* stub = FindBuilderResource(
      MAKEINTRESOURCEW(g_SfxSettings.Use64bitStub ? IDR_STUB64 : IDR_STUB32), &stubSize);
  if (!stub || stubSize == 0) return kResultAbnormalEnd;
  const uint64_t blockSize = static_cast<uint64_t>(stubSize) + kImageReserve + cabSize;
  if (blockSize > 0xFFFFFFFFull) return kResultMemoryFailed;
  image.block.reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(blockSize)));
  if (!image.block.valid()) return kResultMemoryFailed;
  void* bytes = GlobalLock(image.block.get());
  if (!bytes) return kResultMemoryFailed;
  std::memcpy(bytes, stub, stubSize);
  GlobalUnlock(image.block.get());
  image.size = stubSize;
  return kResultSuccess;
}

void PutU16(uint8_t* at, WORD value) { std::memcpy(at, &value, sizeof value); }

// Operating-system and subsystem versions of the optional header.
int PatchPeVersions(StubImage& image) {
  const CSfxSettings& s = g_SfxSettings;
  uint8_t* bytes = static_cast<uint8_t*>(GlobalLock(image.block.get()));
  if (!bytes) return kResultMemoryFailed;
  int result = kResultAbnormalEnd;
  DWORD e = 0;
  if (image.size >= 0x40) {
    std::memcpy(&e, bytes + 0x3C, sizeof e);
    if (e < image.size && image.size - e >= 0x4C) {
      PutU16(bytes + e + 0x40, static_cast<WORD>(s.ModifyOSVersion ? s.SFXOSMajor : 5));
      PutU16(bytes + e + 0x42, static_cast<WORD>(s.ModifyOSVersion ? s.SFXOSMinor : 1));
      PutU16(bytes + e + 0x48, static_cast<WORD>(s.ModifySubSysVersion ? s.SFXSubSysMajor : 5));
      PutU16(bytes + e + 0x4A, static_cast<WORD>(s.ModifySubSysVersion ? s.SFXSubSysMinor : 1));
      result = kResultSuccess;
    }
  }
  GlobalUnlock(image.block.get());
  return result;
}

// The manifest bytes chosen by ManifestType, or a result code.
int LoadManifest(std::vector<uint8_t>& manifest, bool* keepOwn) {
  const CSfxSettings& s = g_SfxSettings;
  *keepOwn = false;
  if (s.ManifestType == 1) {
    DWORD size = 0;
    const void* data = FindBuilderResource(
        s.Use64bitStub ? L"ASINVOKER_MANIFEST64" : L"ASINVOKER_MANIFEST32", &size);
    if (!data || size == 0) return kResultFailure12;
    manifest.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return kResultSuccess;
  }
  if (s.ManifestType != 2) {
    *keepOwn = true;
    return kResultSuccess;
  }
  if (!s.ManifestFile[0]) return kResultFailure13;
  const FileReadResult read = ReadWholeFile(s.ManifestFile, kMaxManifestSize, &manifest);
  switch (read) {
    case FileReadResult::kRead: break;
    case FileReadResult::kOpenFailed: return kResultOpenFailed;
    case FileReadResult::kNoMemory: return kResultMemoryFailed;
    case FileReadResult::kReadFailed: return kResultReadFailed;
    case FileReadResult::kTooLarge: return kResultAbnormalEnd;
  }
  if (manifest.empty()) return kResultAbnormalEnd;
  return kResultSuccess;
}

// A failure is shown in a box; a batch build never waits for a person, so
// there the text goes to g_BuildErrorText instead.
int ApplyManifest(StubImage& image, bool batch) {
  std::vector<uint8_t> manifest;
  bool keepOwn = false;
  int result = LoadManifest(manifest, &keepOwn);
  if (result == kResultSuccess && !keepOwn)
    result = PatchImage(image, [&](HGLOBAL& block, DWORD& size) {
      return ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), block, size);
    });
  if (result != kResultSuccess) {
    image.block.reset();
    if (batch) {
      SetBuildError(IDS_MANIFEST_FAILED, result);
    } else {
      const std::wstring text = LoadResFormatted(BuilderModule(), IDS_MANIFEST_FAILED, nullptr, &result);
      MessageBoxW(g_UiState.MainWindow, text.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
    }
  }
  return result;
}

int ApplyIcons(StubImage& image) {
  const CSfxSettings& s = g_SfxSettings;
  if (s.IconType == L"blue") return kResultSuccess;
  const bool builtIn = s.IconType != L"custom";
  const wchar_t* source = builtIn ? s.IconType.c_str() : s.IconFile;
  const int result = PatchImage(image, [&](HGLOBAL& block, DWORD& size) {
    return ReplaceIcons(builtIn, source, block, size);
  });
  if (result != kResultSuccess) image.block.reset();
  return result;
}

// The extractor finds its header by the first marker in its file: the
// patched image must not hold one.
bool ImageHoldsMarker(const StubImage& image) {
  const uint8_t* bytes = static_cast<const uint8_t*>(GlobalLock(image.block.get()));
  if (!bytes) return true;
  bool found = false;
  for (DWORD i = 0; i + 4 <= image.size && !found; ++i) {
    uint32_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    found = word == kSfxContainerMagic;
  }
  GlobalUnlock(image.block.get());
  return found;
}

// --- writing ----------------------------------------------------------------

// The archive is copied in chunks of a whole number of image sizes, at
// least kMinCopyChunk bytes; the CRC does not depend on the chunking.
DWORD CopyChunkSize(DWORD imageSize) {
  if (imageSize >= kMinCopyChunk) return imageSize;
  return (kMinCopyChunk + imageSize - 1) / imageSize * imageSize;
}

// Writes the output; the caller closes and, on failure, deletes it.
int WriteOutput(HANDLE output, HANDLE archive, uint64_t archiveSize, const StubImage& image,
                std::vector<uint8_t>& staged) {
  const uint8_t* imageBytes = static_cast<const uint8_t*>(GlobalLock(image.block.get()));
  if (!imageBytes) return kResultMemoryFailed;
  const bool imageWritten = WriteAll(output, imageBytes, image.size);
  uint16_t crc = imageWritten ? ComputeCrc16(imageBytes, image.size) : 0;
  GlobalUnlock(image.block.get());
  if (!imageWritten) return kResultWriteFailed;

  crc = UpdateCrc16(staged.data(), static_cast<uint32_t>(staged.size()), crc);
  if (!WriteAll(output, staged.data(), static_cast<DWORD>(staged.size())))
    return kResultWriteFailed;

  std::vector<uint8_t> chunk;
  try {
    chunk.resize(CopyChunkSize(image.size));
  } catch (const std::bad_alloc&) {
    return kResultMemoryFailed;
  }
  uint64_t copied = 0;
  for (;;) {
    DWORD got = 0;
    const DWORD asked = static_cast<DWORD>(chunk.size());
    if (!ReadFile(archive, chunk.data(), asked, &got, nullptr)) return kResultReadFailed;
    crc = UpdateCrc16(chunk.data(), got, crc);
    if (got && !WriteAll(output, chunk.data(), got)) return kResultWriteFailed;
    copied += got;
    if (got < asked) break;
  }
  if (copied != archiveSize) {
    SetBuildError(IDS_ARCHIVE_CHANGED, g_SfxSettings.SrcArchiveFile);
    return kResultReported;
  }

  SfxContainerHeader header;
  std::memcpy(&header, staged.data(), sizeof header);
  header.Crc16 = crc;
  LARGE_INTEGER position{};
  position.QuadPart = image.size;
  if (!SetFilePointerEx(output, position, nullptr, FILE_BEGIN) ||
      !WriteAll(output, &header, sizeof header))
    return kResultWriteFailed;
  return kResultSuccess;
}

// Header, settings block and (when embedded) the uninstaller cabinet, one
// after the other, with the final sizes and offsets and a CRC of 0.
int StageContainer(std::vector<uint8_t>& staged, const std::vector<uint8_t>& uninstallerCab,
                   DWORD imageSize, uint64_t archiveSize) {
  const CSfxSettings& s = g_SfxSettings;
  SfxContainerHeader header;
  std::memset(&header, 0, sizeof header);
  FillContainerHeader(&header);
  try {
    staged.assign(sizeof header, 0);
    header.SettingsSize = static_cast<uint32_t>(WriteSettingsBlock(staged));
    if (s.UseUnInstall && s.UseVesmarinUninstaller) {
      header.UninstCabOffset = static_cast<uint32_t>(staged.size());
      header.UninstCabSize = static_cast<uint32_t>(uninstallerCab.size());
      const size_t at = staged.size();
      staged.insert(staged.end(), uninstallerCab.begin(), uninstallerCab.end());
      for (size_t i = 0; i < 4 && at + i < staged.size(); ++i) staged[at + i] = 0;
    }
  } catch (const std::bad_alloc&) {
    return kResultMemoryFailed;
  }
  const uint64_t total = static_cast<uint64_t>(imageSize) + staged.size() + archiveSize;
  if (total > kMaxOutputSize) {
    SetBuildError(IDS_OUTPUT_TOO_LARGE, std::to_wstring(total).c_str());
    return kResultReported;
  }
  header.ArchiveOffset = static_cast<uint32_t>(staged.size());
  header.TotalSize = static_cast<uint32_t>(total);
  std::memcpy(staged.data(), &header, sizeof header);
  return kResultSuccess;
}

int WriteSfxFile(const StubImage& image, const std::vector<uint8_t>& uninstallerCab) {
  const CSfxSettings& s = g_SfxSettings;
  {
    CCabDecoder probe(false, 0);
    if (!probe.IsArchive(s.SrcArchiveFile)) return kResultOpenFailed;
  }
  ScopedFile archive(CreateFileW(s.SrcArchiveFile, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!archive.valid()) return kResultOpenFailed;
  LARGE_INTEGER archiveSize{};
  if (!GetFileSizeEx(archive.get(), &archiveSize)) return kResultReadFailed;

  std::vector<uint8_t> staged;
  int result = StageContainer(staged, uninstallerCab, image.size,
                              static_cast<uint64_t>(archiveSize.QuadPart));
  if (result != kResultSuccess) return result;

  ScopedFile output(CreateFileW(s.DstExeFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output.valid()) {
    // The full path and the system's reason, shown below the result's
    // message.
    const DWORD error = GetLastError();
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(s.DstExeFile, MAX_PATH, full, nullptr);
    const std::wstring reason = std::wstring(length && length < MAX_PATH ? full : s.DstExeFile) +
                                L"\n" + SystemErrorText(error);
    lstrcpynW(g_BuildErrorText, reason.c_str(), kBuildErrorTextSize);
    return kResultCreateFailed;
  }
  result = WriteOutput(output.get(), archive.get(), static_cast<uint64_t>(archiveSize.QuadPart),
                       image, staged);
  const bool archiveClosed = archive.Close();
  const bool outputClosed = output.Close();
  if (result == kResultSuccess && (!archiveClosed || !outputClosed)) result = kResultCloseFailed;
  if (result != kResultSuccess) DeleteFileW(s.DstExeFile);
  return result;
}

}  // namespace

int CreateSfxFile(bool batch) {
  CSfxSettings& s = g_SfxSettings;

  if (!s.SrcArchiveFile[0]) {
    SetBuildError(IDS_ARCHIVE_NOT_NAMED);
    return kResultReported;
  }
  if (!vesmarin::MayNameDiskFile(s.SrcArchiveFile))
    return kResultOpenFailed;
  if (OutputReplacesInput(s.DstExeFile, nullptr, s.SrcArchiveFile)) return kResultReported;
  WIN32_FIND_DATAW found;
  vesmarin::ScopedFind search(FindFirstFileW(s.SrcArchiveFile, &found));
  if (!search.valid() || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetBuildError(IDS_ARCHIVE_NOT_FOUND, s.SrcArchiveFile);
    return kResultReported;
  }
  search.Close();
  const uint64_t archiveSize =
      (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  // A part of a set, a cut cabinet and names no installation can write end
  // the build before anything is asked.
  int result = CheckArchiveShape(s.SrcArchiveFile);
  if (result != kResultSuccess) return result;

  if (!batch) {
    const uint64_t limit = s.Use64bitStub ? kLargeArchive64 : kLargeArchive32;
    if (archiveSize > limit) {
      const wchar_t* question =
          LoadResString(s.Use64bitStub ? IDS_LARGE_ARCHIVE_64 : IDS_LARGE_ARCHIVE_32);
      if (MessageBoxW(g_UiState.MainWindow, question, kBuilderCaption,
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        g_BuildErrorText[0] = L'\0';
        return kResultReported;
      }
    }
  }

  if (!ValidateSettings()) return kResultReported;
  StoreRelativeFolders();
  if (!ValidateArchiveReferences()) return kResultReported;
  if (!CheckMembersFitFolder(s.SrcArchiveFile)) return kResultReported;

  // The window's wait cursor; a batch build has no window, and loading a
  // cursor would start the desktop and the visual styles for nothing.
  std::optional<vesmarin::ScopedWaitCursor> waitCursor;
  if (!batch) waitCursor.emplace();
  // Every member decoded once, so that an archive the installer would stop
  // on is never packed.
  result = CheckArchiveData(s.SrcArchiveFile);
  if (result != kResultSuccess) return result;

  // Arguments only reach a program; a document or script started by the
  // shell gets none.
  if (!HasFileExtension(s.CmdLine, L".exe")) s.CmdArgs[0] = L'\0';

  std::vector<uint8_t> uninstallerCab;
  result = PrepareUninstallerCab(uninstallerCab);
  if (result != kResultSuccess) return result;

  StubImage image;
  result = LoadStubImage(image, static_cast<DWORD>(uninstallerCab.size()));
  if (result != kResultSuccess) return result;
  result = PatchPeVersions(image);
  if (result != kResultSuccess) return result;
  result = ApplyManifest(image, batch);
  if (result != kResultSuccess) return result;
  result = ApplyIcons(image);
  if (result != kResultSuccess) return result;
  if (ImageHoldsMarker(image)) return kResultAbnormalEnd;

  return WriteSfxFile(image, uninstallerCab);
}
