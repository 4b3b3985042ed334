#include "UninstallerInstall.h"

#include <shlwapi.h>
#include <strsafe.h>

#include <cstring>
#include <cwchar>
#include <set>

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
#include "Sha256.h"
#include "UninstallEntry.h"

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

namespace {

// A file is written under a temporary name beside its place and put there
// whole: a write that fails leaves what stood there (an earlier version's
// uninstaller or information file) as it was.
class FileBeside {
 public:
  explicit FileBeside(const wchar_t* place) : place_(place) {
    existed_ = GetFileAttributesW(place) != INVALID_FILE_ATTRIBUTES;
    wchar_t folder[MAX_PATH];
    lstrcpynW(folder, place, MAX_PATH);
    if (wchar_t* name = FindFileNamePart(folder)) *name = 0;
    if (!GetTempFileNameW(folder, L"qxn", 0, temporary_)) {
      error_ = GetLastError();
      temporary_[0] = 0;
    }
  }
  ~FileBeside() {
    if (temporary_[0]) DeleteFileW(temporary_);
  }
  FileBeside(const FileBeside&) = delete;
  FileBeside& operator=(const FileBeside&) = delete;

  // The temporary name, or null when none could be made (error() says why).
  const wchar_t* temporary() const { return temporary_[0] ? temporary_ : nullptr; }
  DWORD error() const { return error_; }

  // Moves the written file into its place; a new file enters what the run
  // brought, so an early end takes it back.
  bool PutInPlace() {
    if (!MoveFileExW(temporary_, place_, MOVEFILE_REPLACE_EXISTING)) {
      error_ = GetLastError();
      return false;
    }
    temporary_[0] = 0;
    if (!existed_) NoteNewPath(place_);
    return true;
  }

 private:
  const wchar_t* place_;
  bool existed_ = false;
  DWORD error_ = 0;
  wchar_t temporary_[MAX_PATH] = {};
};

bool WriteImage(const wchar_t* path, const std::vector<uint8_t>& image, DWORD* error) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  SetLastError(0);
  bool written = WriteAll(file, image.data(), image.size());
  // A short write leaves no error of its own: the disk took no more.
  if (!written) *error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
  if (!CloseHandle(file) && written) {
    *error = GetLastError();
    written = false;
  }
  return written;
}

// The digest that the product's Uninstall entry records for its
// information file; empty when there is none.
std::wstring RecordedInfoDigest(const wchar_t* uninstallKey) {
  if (!*uninstallKey) return std::wstring();
  const std::wstring path = std::wstring(kUninstallKeyPath) + uninstallKey;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::wstring();
  wchar_t digest[80] = {};
  DWORD size = sizeof(digest) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG read = RegQueryValueExW(key, UNINSTALL_INFO_DIGEST_VALUE, nullptr, &type,
                                     reinterpret_cast<BYTE*>(digest), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return std::wstring();
  return digest;
}

std::wstring FoldedPath(const std::wstring& path) {
  std::wstring folded = path;
  if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

bool EntryExists(const std::wstring& entry) {
  const DWORD attributes = GetFileAttributesW(entry.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const bool folder = entry.back() == L'\\';
  return folder == ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

}  // namespace

std::vector<std::wstring> EarlierVersionEntries(const wchar_t* infoPath,
                                                const wchar_t* uninstallKey,
                                                const wchar_t* extractPath,
                                                const std::vector<std::wstring>& listed) {
  std::vector<std::wstring> kept;
  std::vector<uint8_t> stored;
  if (ReadWholeFile(infoPath, 16 * 1024 * 1024, &stored) != FileReadResult::kRead ||
      stored.empty() || stored.size() % 2 != 0)
    return kept;
  // The entry vouches for the file when it records the digest of exactly
  // these bytes; otherwise only what lies inside this installation's folder
  // is taken over.
  std::wstring digest;
  const std::wstring recorded = RecordedInfoDigest(uninstallKey);
  const bool vouched = !recorded.empty() && vesmarin::Sha256Hex(stored.data(), stored.size(), &digest) &&
                       _wcsicmp(digest.c_str(), recorded.c_str()) == 0;
  InvertUninstallInfoBytes(stored.data(), stored.size());
  const std::wstring text(reinterpret_cast<const wchar_t*>(stored.data()), stored.size() / 2);
  const UninstallInfoFiles earlier = ParseUninstallInfoFiles(text);
  if (_wcsicmp(earlier.UninstallKey.c_str(), uninstallKey) != 0) return kept;
  std::set<std::wstring> known;
  for (const std::wstring& path : listed) known.insert(FoldedPath(path));
  // The file lists its entries newest first; the list here runs oldest first.
  for (auto it = earlier.Files.rbegin(); it != earlier.Files.rend(); ++it) {
    const std::wstring& entry = *it;
    if (entry.size() >= MAX_PATH || !EntryExists(entry)) continue;
    if (!vouched && !IsPathInsideFolder(extractPath, entry.c_str())) continue;
    if (!known.insert(FoldedPath(entry)).second) continue;
    kept.push_back(entry);
  }
  return kept;
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
  wchar_t infoPath[MAX_PATH];
  if (!MakeUninstallInfoPath(place.path, infoPath, ARRAYSIZE(infoPath))) {
    SetLastErrorCode(kErrorCreateFile);
    return false;
  }
  FileBeside uninstaller(place.path);
  FileBeside info(infoPath);
  DWORD error = uninstaller.error() ? uninstaller.error() : info.error();
  if (error || !WriteImage(uninstaller.temporary(), image, &error)) {
    StubLog(L"Uninstaller not written (%lu): %ls\n", static_cast<unsigned long>(error),
            place.path);
    SetWriteFailure(place.path, error);
    return false;
  }
  *writtenBytes += image.size();
  if (!BringBesideUninstaller(s.ExtractPath, place.folder, s.UninstallerExtensionModuleFile, true) ||
      !BringBesideUninstaller(s.ExtractPath, place.folder, s.UninstallerPreProcessFile, false)) {
    SetLastErrorCode(kErrorNoMemory);
    return false;
  }

  std::vector<std::wstring> paths = CopyCreatedPaths();
  // An earlier version of the product installed here: what its list holds,
  // still exists and this run did not list goes into the new list too, so
  // that one removal takes every version away.
  std::vector<std::wstring> earlier = EarlierVersionEntries(infoPath, s.UnInstallKey, s.ExtractPath, paths);
  if (!earlier.empty()) {
    StubLog(L"Earlier version's entries kept in the list: %u\n",
            static_cast<unsigned>(earlier.size()));
    paths.insert(paths.begin(), earlier.begin(), earlier.end());
  }
  UninstallInfoContent content = ComposeUninstallInfo(s, paths);
  unsigned long long infoBytes = 0;
  std::wstring digest;
  const UninstallInfoResult result =
      WriteUninstallInfoFile(info.temporary(), content, &infoBytes, &digest, &error);
  *writtenBytes += infoBytes;
  if (result != kUninstallInfoOk) {
    StubLog(L"Uninstall information not written (%d, %lu): %ls\n", static_cast<int>(result),
            static_cast<unsigned long>(error), infoPath);
    if (error)
      SetWriteFailure(infoPath, error);
    else
      SetLastErrorCode(UninstallInfoErrorCode(result));
    return false;
  }
  // What stands there cannot be replaced (a running program, a folder).
  if (!uninstaller.PutInPlace()) {
    SetWriteFailure(place.path, uninstaller.error(), kErrorCreateFile);
    return false;
  }
  if (!info.PutInPlace()) {
    SetWriteFailure(infoPath, info.error(), kErrorCreateFile);
    return false;
  }
  g_UninstallInfoDigest = digest;
  return true;
}

}  // namespace stub
