#include "UninstallerInstall.h"

#include <shlwapi.h>
#include <strsafe.h>

#include <cstring>
#include <cwchar>

#include "CabDecoder.h"
#include "CreatedPaths.h"
#include "FileIO.h"
#include "PathPieces.h"
#include "ScopedHandles.h"
#include "Folders.h"
#include "InstalledLocation.h"
#include "LastError.h"
#include "SfxContainer.h"
#include "Shortcuts.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"

namespace stub {

#ifdef _WIN64
const wchar_t kUninstallerFileName[] = L"Hollmere64.exe";
#else
const wchar_t kUninstallerFileName[] = L"Hollmere.exe";
#endif

namespace {

const uint8_t kCabSignature[4] = {'M', 'S', 'C', 'F'};

int UninstallInfoErrorCode(UninstallInfoResult result) {
  switch (result) {
    case kUninstallInfoCreateFailed: return kErrorCreateFile;
    case kUninstallInfoNoMemory: return kErrorNoMemory;
    default: return kErrorWriteFile;
  }
}

bool ComposePlaceIn(const StubSettings& s, const wchar_t* extractPath, UninstallerPlace* place) {
  ZeroMemory(place, sizeof(*place));
  place->builtIn = (s.FlagsA & SfxFlagsA::UseVesmarinUninstaller) != 0;
  std::wstring folder = extractPath;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  std::wstring file;
  if (place->builtIn) {
    const wchar_t* sub = s.UseVesmarinUninstallerFolder;
    while (*sub == L'\\') ++sub;
    folder += sub;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    file = folder + kUninstallerFileName;
    if (FAILED(StringCchCopyW(place->args, ARRAYSIZE(place->args), L"/s"))) return false;
  } else {
    if (!*s.UnInstallFile) return false;
    file = folder + s.UnInstallFile;
    if (FAILED(StringCchCopyW(place->args, ARRAYSIZE(place->args), s.UnInstallArgs))) return false;
  }
  if (file.size() >= MAX_PATH) return false;
  // "." and ".." resolved; the built-in uninstaller, which is written here,
  // stays inside the extraction folder.
  const DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH, place->path, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    place->path[0] = 0;
    return false;
  }
  if (place->builtIn && !IsPathInsideFolder(extractPath, place->path)) {
    place->path[0] = 0;
    return false;
  }
  StringCchCopyW(place->folder, ARRAYSIZE(place->folder), place->path);
  wchar_t* name = FindFileNamePart(place->folder);
  if (name) *name = 0;
  return true;
}

// The uninstaller finds its extension module and the program it runs first
// beside itself. In a folder of its own it needs them there: the module
// moves from the extraction folder (the uninstaller deletes it itself), the
// program is copied (the product may use it too) and the copy recorded for
// removal. A name that reaches outside either folder, or a module name with
// a folder part, is left where it is. False only when memory runs out.
bool BringBesideUninstaller(const wchar_t* extractPath, const wchar_t* uninstallerFolder,
                            const wchar_t* name, bool move) {
  if (!*name || (move && wcschr(name, L'\\'))) return true;
  std::wstring root = extractPath;
  if (!root.empty() && root.back() != L'\\') root += L'\\';
  wchar_t source[MAX_PATH] = {};
  wchar_t target[MAX_PATH] = {};
  const std::wstring sourceText = root + name;
  const std::wstring targetText = std::wstring(uninstallerFolder) + name;
  const DWORD sourceLength = GetFullPathNameW(sourceText.c_str(), MAX_PATH, source, nullptr);
  const DWORD targetLength = GetFullPathNameW(targetText.c_str(), MAX_PATH, target, nullptr);
  if (sourceLength == 0 || sourceLength >= MAX_PATH || targetLength == 0 ||
      targetLength >= MAX_PATH || !IsPathInsideFolder(root.c_str(), source) ||
      !IsPathInsideFolder(uninstallerFolder, target) || _wcsicmp(source, target) == 0)
    return true;
  const DWORD attributes = GetFileAttributesW(source);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  wchar_t targetFolder[MAX_PATH];
  StringCchCopyW(targetFolder, ARRAYSIZE(targetFolder), target);
  if (wchar_t* fileName = FindFileNamePart(targetFolder)) *fileName = 0;
  if (!InCreateDirectory(targetFolder, extractPath)) {
    StubLog(L"Folder for the uninstaller's file not created: %ls\n", targetFolder);
    return true;
  }
  if (move) {
    if (!MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
      StubLog(L"Uninstaller's module not moved (%lu): %ls\n",
              static_cast<unsigned long>(GetLastError()), source);
    return true;
  }
  if (!CopyFileW(source, target, FALSE)) {
    StubLog(L"Uninstaller's program not copied (%lu): %ls\n",
            static_cast<unsigned long>(GetLastError()), source);
    return true;
  }
  return PushFileName(target);
}

}  // namespace

bool ComposeUninstallerPlace(const StubSettings& settings, UninstallerPlace* place) {
  return ComposePlaceIn(settings, settings.ExtractPath, place);
}

bool UninstallerPathFits(const StubSettings& settings, const wchar_t* folder) {
  if (!(settings.FlagsA & SfxFlagsA::UseVesmarinUninstaller)) return true;
  UninstallerPlace place;
  return ComposePlaceIn(settings, folder, &place);
}

UninstallInfoContent ComposeUninstallInfo(const StubSettings& s,
                                          const std::vector<std::wstring>& createdPaths) {
  UninstallInfoContent content;
  content.AutoUninstIni = (s.FlagsB & SfxFlagsB::AutoUninstIni) != 0;
  content.AutoUninstDat = (s.FlagsB & SfxFlagsB::AutoDeleteDat) != 0;
  content.HideLogButton = (s.FlagsB & SfxFlagsB::HollmereHideLogButton) != 0;
  content.ExtModuleFile = s.UninstallerExtensionModuleFile;
  content.PreProcessFile = s.UninstallerPreProcessFile;
  content.PreProcessArg = s.UninstallerPreProcessArg;
  content.UninstallRebootable = (s.FlagsA & SfxFlagsA::UninstallRebootable) != 0;
  content.UninstallKey = s.UnInstallKey;
  content.CreatedPaths = createdPaths;
  const int regCount = s.UninstallRegCount < 0 ? 0
                       : s.UninstallRegCount > kMaxUninstallRegs ? kMaxUninstallRegs
                                                                 : s.UninstallRegCount;
  for (int i = 0; i < regCount; ++i) content.RegistryRecords.push_back(s.UninstallReg[i]);
  content.HasRegServerList = !s.RegComSvr.empty();
  for (const RegComSvrItem& server : s.RegComSvr) {
    if (!server.Uninstall) continue;
    wchar_t installed[MAX_PATH];
    if (GetInstalledLocation(server.FileName, installed)) content.RegServers.push_back(installed);
  }
  content.CommonGroup = (s.FlagsA & SfxFlagsA::StartMenuToCommon) != 0;
  content.GroupName = ChooseShortcutText(s.StartMenuGroup, s.StartMenuGroupE);
  return content;
}

bool ExtractUninstallerImage(const uint8_t* storedCab, size_t size, const wchar_t* memberName,
                             std::vector<uint8_t>* image) {
  image->clear();
  if (!storedCab || size <= sizeof(kCabSignature) || size > 0x7FFFFFFF) return false;
  vesmarin::ScopedTempFile cab;
  if (!cab.Make(L"qxu")) return false;
  vesmarin::ScopedFile file(CreateFileW(cab.path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!file.valid()) return false;
  const bool written = WriteAll(file.get(), kCabSignature, sizeof(kCabSignature)) &&
                       WriteAll(file.get(), storedCab + sizeof(kCabSignature), size - sizeof(kCabSignature));
  if (!file.Close() || !written) return false;

  CCabDecoder decoder(false, 0);
  if (!decoder.Open(cab.path(), 0)) return false;
  DWORD memberSize = 0;
  HGLOBAL block = decoder.ExtractToMemory(memberName, &memberSize);
  decoder.Close();
  if (!block) return false;
  bool ok = false;
  if (const uint8_t* data = static_cast<const uint8_t*>(GlobalLock(block))) {
    image->assign(data, data + memberSize);
    GlobalUnlock(block);
    ok = memberSize > 0;
  }
  GlobalFree(block);
  return ok;
}

bool InstallUninstaller(const UninstallerPlace& place, unsigned long long* writtenBytes) {
  *writtenBytes = 0;
  const StubSettings& s = *g_Settings;
  if (!s.UninstCab || s.UninstCabSize == 0 || !place.builtIn) return true;
  if (GetLastErrorCode() != kErrorNone) return false;

  if (!InCreateDirectory(place.folder, s.ExtractPath)) {
    StubLog(L"Uninstaller folder not created: %ls\n", place.folder);
    SetLastErrorCode(kErrorCreateFolder);
    return false;
  }

  std::vector<uint8_t> image;
  if (!ExtractUninstallerImage(s.UninstCab, s.UninstCabSize, kUninstallerFileName, &image)) {
    StubLog(L"Uninstaller not found in its cabinet\n");
    SetLastErrorCode(kErrorCreateFile);
    return false;
  }
  HANDLE file = CreateFileW(place.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    StubLog(L"Uninstaller not created (%lu): %ls\n", static_cast<unsigned long>(GetLastError()),
            place.path);
    SetLastErrorCode(kErrorCreateFile);
    return false;
  }
  const bool written = WriteAll(file, image.data(), image.size());
  if (!CloseHandle(file) || !written) {
    SetLastErrorCode(kErrorWriteFile);
    return false;
  }
  *writtenBytes += image.size();
  if (!BringBesideUninstaller(s.ExtractPath, place.folder, s.UninstallerExtensionModuleFile, true) ||
      !BringBesideUninstaller(s.ExtractPath, place.folder, s.UninstallerPreProcessFile, false)) {
    SetLastErrorCode(kErrorNoMemory);
    return false;
  }

  wchar_t infoPath[MAX_PATH];
  if (!MakeUninstallInfoPath(place.path, infoPath, ARRAYSIZE(infoPath))) {
    SetLastErrorCode(kErrorCreateFile);
    return false;
  }
  UninstallInfoContent content = ComposeUninstallInfo(s, CopyCreatedPaths());
  unsigned long long infoBytes = 0;
  const UninstallInfoResult result =
      WriteUninstallInfoFile(infoPath, content, &infoBytes, &g_UninstallInfoDigest);
  *writtenBytes += infoBytes;
  if (result != kUninstallInfoOk) {
    StubLog(L"Uninstall information not written (%d): %ls\n", static_cast<int>(result), infoPath);
    SetLastErrorCode(UninstallInfoErrorCode(result));
    return false;
  }
  return true;
}

}  // namespace stub
