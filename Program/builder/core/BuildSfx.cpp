// Building the self-extracting output program: stub from the builder's
// resources, version fields, manifest and icons patched, then container
// header, settings block, uninstaller cabinet and archive with a running
// CRC-16.
#include "BuildSfx.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "CabDecoder.h"
#include "CabEncoder.h"
#include "Crc16.h"
#include "FileIO.h"
#include "FileMapping.h"
#include "PathPieces.h"
#include "ImagePatch.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "SettingsBlock.h"
#include "SfxContainer.h"
#include "SfxSettings.h"
#include "Validation.h"
#include "VersionQueries.h"
#include "VesmarinResource.h"

wchar_t BuildErrorText[kBuildErrorTextSize];

namespace {

using vesmarin::ScopedFile;

const wchar_t kResourceType[] = L"BINARYRES";
const uint64_t kLargeArchive32 = 30000000;
const uint64_t kLargeArchive64 = 100000000;
const DWORD kImageReserve = 65536;
const DWORD kMaxManifestSize = 500000;
const DWORD kMinUserUninstallerSize = 100000;
const DWORD kMinUninstallerCabSize = 100;
const DWORD kMaxUninstallerCabSize = 1000000;
const uint64_t kMaxOutputSize = 0xFFFFFFFFull;
const DWORD kMinCopyChunk = 1 << 20;

HINSTANCE BuilderModule() {
  return UiState.Instance ? UiState.Instance : GetModuleHandleW(nullptr);
}

void StoreBuildError(UINT stringId, const wchar_t* text, const int* number) {
  const std::wstring message = LoadResFormatted(BuilderModule(), stringId, text, number);
  lstrcpynW(BuildErrorText, message.c_str(), kBuildErrorTextSize);
}

bool HasExeExtension(const wchar_t* path) {
  const wchar_t* extension = FindFileExtension(path);
  return extension && lstrcmpiW(extension, L".exe") == 0;
}

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

// A resource of the builder's own module: its bytes and size, or null.
const void* FindBuilderResource(const wchar_t* name, DWORD* size) {
  *size = 0;
  HMODULE module = BuilderModule();
  HRSRC info = FindResourceW(module, name, kResourceType);
  if (!info) return nullptr;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return nullptr;
  const void* data = LockResource(loaded);
  if (!data) return nullptr;
  *size = SizeofResource(module, info);
  return data;
}

// --- the user-supplied uninstaller -------------------------------------

int UninstallerCheckFailed(UINT stringId, const wchar_t* code) {
  SetBuildError(stringId, code);
  return kResultReported;
}

// The PE machine field of a mapped program, or 0 when the headers do not
// fit in the file.
WORD ProgramMachine(const uint8_t* view, DWORD size) {
  if (size < 0x40) return 0;
  DWORD peOffset = 0;
  std::memcpy(&peOffset, view + 0x3C, sizeof peOffset);
  if (peOffset > size || size - peOffset < 6) return 0;
  if (std::memcmp(view + peOffset, "PE\0\0", 4) != 0) return 0;
  WORD machine = 0;
  std::memcpy(&machine, view + peOffset + 4, sizeof machine);
  return machine;
}

// Checks the publisher's own signed uninstaller and packs it into a
// cabinet read into cab. Returns 0, 6 or 10 (reason in BuildErrorText).
int PackUserUninstaller(std::vector<uint8_t>& cab) {
  const CSfxSettings& s = SfxSettings;
  const wchar_t* path = s.HollmereUserProvideFile;
  wchar_t description[260] = L"";
  wchar_t internalName[260] = L"";
  if (!GetFileDescription(path, description, 260))
    return UninstallerCheckFailed(IDS_UNINSTALLER_NOT_GENUINE, L"DESC001");
  if (!GetInternalName(path, internalName, 260))
    return UninstallerCheckFailed(IDS_UNINSTALLER_NOT_GENUINE, L"INTL001");
  if (std::wcscmp(description, L"Vesmarin Uninstaller") != 0 ||
      std::wcscmp(internalName, L"HOLLMERE") != 0)
    return UninstallerCheckFailed(IDS_UNINSTALLER_NOT_GENUINE, L"VER002");

  wchar_t ownPath[MAX_PATH] = L"";
  WORD own[4] = {};
  WORD theirs[4] = {};
  const DWORD ownLength = GetModuleFileNameW(BuilderModule(), ownPath, MAX_PATH);
  if (ownLength == 0 || ownLength >= MAX_PATH ||
      !GetFileVersionNumbers(ownPath, &own[0], &own[1], &own[2], &own[3]))
    return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"FILEVER001");
  if (!GetFileVersionNumbers(path, &theirs[0], &theirs[1], &theirs[2], &theirs[3]))
    return UninstallerCheckFailed(IDS_UNINSTALLER_VERSION, L"VER001");
  if (std::memcmp(own, theirs, sizeof own) != 0)
    return UninstallerCheckFailed(IDS_UNINSTALLER_VERSION, L"VER003");

  const void* view = nullptr;
  MappedFile* mapped = MapFileReadOnly(path, &view);
  if (!mapped) return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"FILEMAP001");
  const DWORD fileSize = GetMappedFileSize(mapped);
  const WORD machine =
      fileSize >= kMinUserUninstallerSize ? ProgramMachine(static_cast<const uint8_t*>(view), fileSize) : 0;
  UnmapFile(mapped);
  if (fileSize < kMinUserUninstallerSize)
    return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"FILEMAP002");
  const WORD wanted = s.Use64bitStub ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
  if (machine != wanted) return UninstallerCheckFailed(IDS_UNINSTALLER_BITNESS, L"BIT001");

  bool verified = false;
  VerifyFileSignature(UiState.MainWindow, path, &verified);
  if (!verified) return UninstallerCheckFailed(IDS_UNINSTALLER_UNSIGNED, L"SIGN001");

  vesmarin::ScopedTempFile tempCab;
  if (!tempCab.Make(L"mft")) return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"TEMP001");

  CCabEncoder encoder;
  encoder.AddFile(path, s.Use64bitStub ? L"Hollmere64.exe" : L"Hollmere.exe");
  if (!encoder.CreateCabinet(tempCab.path(), nullptr, nullptr)) {
    const ERF error = encoder.GetLastError();
    wchar_t code[40];
    swprintf(code, 40, L"CAB%d-%d", error.erfOper, error.erfType);
    return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, code);
  }

  const FileReadResult read = ReadWholeFile(tempCab.path(), kMaxUninstallerCabSize, &cab);
  if (read == FileReadResult::kNoMemory) return kResultMemoryFailed;
  if (read == FileReadResult::kOpenFailed) return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"TEMP002");
  if (read == FileReadResult::kTooLarge || (read == FileReadResult::kRead && cab.size() < kMinUninstallerCabSize)) {
    cab.clear();
    return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"TEMP003");
  }
  if (read != FileReadResult::kRead) return UninstallerCheckFailed(IDS_UNINSTALLER_ERROR, L"TEMP004");
  return kResultSuccess;
}

// The cabinet that carries the uninstaller: the publisher's own, checked,
// or the builder's.
int PrepareUninstallerCab(std::vector<uint8_t>& cab) {
  if (SfxSettings.HollmereUserProvide) return PackUserUninstaller(cab);
  DWORD size = 0;
  const void* data = FindBuilderResource(
      MAKEINTRESOURCEW(SfxSettings.Use64bitStub ? IDR_UNINSTALLER_CAB64 : IDR_UNINSTALLER_CAB32),
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
      MAKEINTRESOURCEW(SfxSettings.Use64bitStub ? IDR_STUB64 : IDR_STUB32), &stubSize);
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
  const CSfxSettings& s = SfxSettings;
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
  const CSfxSettings& s = SfxSettings;
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
// there the text goes to BuildErrorText instead.
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
      MessageBoxW(UiState.MainWindow, text.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
    }
  }
  return result;
}

int ApplyIcons(StubImage& image) {
  const CSfxSettings& s = SfxSettings;
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
    SetBuildError(IDS_ARCHIVE_CHANGED, SfxSettings.SrcArchiveFile);
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
  const CSfxSettings& s = SfxSettings;
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
  const CSfxSettings& s = SfxSettings;
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
  if (!output.valid()) return kResultCreateFailed;
  result = WriteOutput(output.get(), archive.get(), static_cast<uint64_t>(archiveSize.QuadPart),
                       image, staged);
  const bool archiveClosed = archive.Close();
  const bool outputClosed = output.Close();
  if (result == kResultSuccess && (!archiveClosed || !outputClosed)) result = kResultCloseFailed;
  if (result != kResultSuccess) DeleteFileW(s.DstExeFile);
  return result;
}

}  // namespace

void SetBuildError(UINT stringId) { StoreBuildError(stringId, nullptr, nullptr); }
void SetBuildError(UINT stringId, const wchar_t* text) { StoreBuildError(stringId, text, nullptr); }
void SetBuildError(UINT stringId, int number) { StoreBuildError(stringId, nullptr, &number); }
void SetBuildError(UINT stringId, const wchar_t* text, int number) {
  StoreBuildError(stringId, text, &number);
}

void FillContainerHeader(SfxContainerHeader* header) {
  const CSfxSettings& s = SfxSettings;
  using namespace SfxFlagsA;
  const bool explain = s.UseExplain && (s.ExplainFile[0] || s.ExplainFileE[0]);
  const bool logo = s.UseBackScreenLogoBmp && s.BackScreenLogoBmp[0];
  const bool savePath = s.UseSavePath && s.SavePathKey[0];
  const bool panel = s.UsePanelBitmap && s.PanelBitmap[0];
  const bool wiz97 = s.UseNewWizard && s.UseWiz97PanelBitmap && s.Wiz97PanelBitmap[0];
  uint32_t a = 0;
  if (s.AskExtPath) a |= AskExtPath;
  if (s.AskOverwrite) a |= AskOverwrite;
  if (s.AddFileTitle) a |= AddFileTitle;
  if (s.UseAutoExecute && s.AfterDeleteFiles && HasExeExtension(s.CmdLine)) a |= AfterDeleteExe;
  if (explain && s.NoExtractExplainFile) a |= NoExtractExplainFile;
  if (explain && s.ExplainToConsent) a |= ExplainToConsent;
  if (s.NoExtractBannerFile) a |= NoExtractBannerFile;
  if (explain && s.ExplainAllRead) a |= ExplainAllRead;
  if (s.UseVesmarinUninstaller) a |= UseVesmarinUninstaller;
  if (s.UseBackScreen) a |= UseBackScreen;
  if (logo) a |= BackScreenLogo;
  if (logo && !s.ExtractScreenLogo) a |= NoExtractBackScreenLogo;
  if (savePath) a |= UseSavePath;
  if (panel) a |= UsePanelBitmap;
  if (panel && s.NoExtractPanelBitmap) a |= NoExtractPanelBitmap;
  if (s.WithAttribute) a |= WithAttribute;
  if (s.UseExtensionModuleFile) a |= UseExtensionModuleFile;
  if (s.StartMenuToCommon) a |= StartMenuToCommon;
  if (s.OnlyAdmin) a |= OnlyAdmin;
  if (s.NoCRCCheck) a |= NoCRCCheck;
  if (s.FailIfPathRegNotExist) a |= FailIfPathRegNotExist;
  if (s.DenyUsers) a |= DenyUsers;
  if (s.UninstallRebootable) a |= UninstallRebootable;
  if (s.NoSaveInstallPath) a |= NoSaveInstallPath;
  if (s.Deny64bitMode) a |= Deny64bitMode;
  if (s.CheckTrust) a |= CheckTrust;
  if (s.UseNewWizard) a |= UseNewWizard;
  if (wiz97) a |= UseWiz97PanelBitmap;
  if (wiz97 && s.NoExtractWiz97PanelBitmap) a |= NoExtractWiz97PanelBitmap;

  const bool explainFlag = s.UseSaveExplainShowFlag && s.SaveExplainShowFlagKey[0];
  uint32_t b = 0;
  if (s.AutoUninstIni) b |= SfxFlagsB::AutoUninstIni;
  if (s.AutoDeleteDat) b |= SfxFlagsB::AutoDeleteDat;
  if (s.NoUI) b |= SfxFlagsB::NoUI;
  if (s.NoUI && s.UltraSilentInstall) b |= SfxFlagsB::UltraSilentInstall;
  if (s.HollmereHideLogButton) b |= SfxFlagsB::HollmereHideLogButton;
  if (s.UnInstallSetVersion) b |= SfxFlagsB::UnInstallSetVersion;
  if (s.UnInstallAutoSetVersion) b |= SfxFlagsB::UnInstallAutoSetVersion;
  if (s.NoOverwriteNewTimeStamp) b |= SfxFlagsB::NoOverwriteNewTimeStamp;
  if (s.HideAskOverWrite) b |= SfxFlagsB::HideAskOverWrite;
  if (s.NoAskMakeDir) b |= SfxFlagsB::NoAskMakeDir;
  if (s.ForceUninstallDir) b |= SfxFlagsB::ForceUninstallDir;
  if (s.NoOpenFolderOnEnd) b |= SfxFlagsB::NoOpenFolderOnEnd;
  if (explainFlag) b |= SfxFlagsB::UseSaveExplainShowFlag;
  if (s.WaitForAutoExecute) b |= SfxFlagsB::WaitForAutoExecute;
  if (s.UseAutoExecute && s.SkipInstallCompletePageOnAutoExec)
    b |= SfxFlagsB::SkipInstallCompletePageOnAutoExec;
  if (s.UnInstallAutoSetSize) b |= SfxFlagsB::UnInstallAutoSetSize;
  if (s.StartMenuDSQDefaultOn) b |= SfxFlagsB::StartMenuDSQDefaultOn;
  if (s.StartMenuDSQNoConfirm) b |= SfxFlagsB::StartMenuDSQNoConfirm;
  if (s.DontShowQXLogoOnWiz) b |= SfxFlagsB::DontShowQXLogoOnWiz;
  if (s.ShowForceOverwrite) b |= SfxFlagsB::ShowForceOverwrite;
  if (explainFlag && s.ExplainNoSkipTextChanged) b |= SfxFlagsB::ExplainNoSkipTextChanged;

  header->Magic = kSfxContainerMagic;
  header->FlagsA = a;
  header->FlagsB = b;
  header->BackScreenColor = s.UseBackScreen ? s.BackScreenColor : 0;
  header->SavePathRootKey = savePath ? static_cast<uint16_t>(s.SavePath_RootKey & 0xFFFF) : 0;
  header->SaveExplainShowFlagRootKey =
      explainFlag ? static_cast<uint16_t>(s.SaveExplainShowFlag_RootKey & 0xFFFF) : 0;
  header->OverWriteMethod = static_cast<uint16_t>(s.OverWriteMethod & 0xFFFF);
  header->BootableOS = s.BootOSCheck ? s.BootableOS : kBootableOsNoCheck;
  header->CabTimeZone = MakeCabTimeZone(s.UseCabTimeZoneBias, s.CabTimeZoneBias);
  std::memset(header->SilentizeSwitch, 0, sizeof header->SilentizeSwitch);
  const size_t length = wcsnlen(s.SilentizeSwitch, kSilentizeSwitchLength - 1);
  std::memcpy(header->SilentizeSwitch, s.SilentizeSwitch, length * sizeof(wchar_t));
}

int CreateSfxFile(bool batch) {
  CSfxSettings& s = SfxSettings;

  WIN32_FIND_DATAW found;
  vesmarin::ScopedFind search(FindFirstFileW(s.SrcArchiveFile, &found));
  if (!search.valid() || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetBuildError(IDS_ARCHIVE_NOT_FOUND, s.SrcArchiveFile);
    return kResultReported;
  }
  search.Close();
  const uint64_t archiveSize =
      (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;

  if (!batch) {
    const uint64_t limit = s.Use64bitStub ? kLargeArchive64 : kLargeArchive32;
    if (archiveSize > limit) {
      const wchar_t* question =
          LoadResString(s.Use64bitStub ? IDS_LARGE_ARCHIVE_64 : IDS_LARGE_ARCHIVE_32);
      if (MessageBoxW(UiState.MainWindow, question, kBuilderCaption,
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        BuildErrorText[0] = L'\0';
        return kResultReported;
      }
    }
  }

  if (!ValidateSettings() || !ValidateArchiveReferences()) return kResultReported;

  vesmarin::ScopedWaitCursor waitCursor;

  // Arguments only reach a program; a document or script started by the
  // shell gets none.
  if (!HasExeExtension(s.CmdLine)) s.CmdArgs[0] = L'\0';

  std::vector<uint8_t> uninstallerCab;
  int result = PrepareUninstallerCab(uninstallerCab);
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
