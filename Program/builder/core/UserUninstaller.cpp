#include "UserUninstaller.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "BuilderResources.h"
#include "BuilderState.h"
#include "CabEncoder.h"
#include "FileIO.h"
#include "FileMapping.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "SfxSettings.h"
#include "VersionQueries.h"
#include "VesmarinResource.h"

namespace {

const DWORD kMinUserUninstallerSize = 100000;
const DWORD kMinUninstallerCabSize = 100;
const DWORD kMaxUninstallerCabSize = 1000000;

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

}  // namespace

int PackUserUninstaller(std::vector<uint8_t>& cab) {
  const CSfxSettings& s = g_SfxSettings;
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
  VerifyFileSignature(g_UiState.MainWindow, path, &verified);
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
