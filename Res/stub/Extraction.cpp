#include "Extraction.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <cwchar>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "ArchiveOpen.h"
#include "CheckingWindow.h"
#include "MessagePump.h"
#include "CreatedPaths.h"
#include "DiskFile.h"
#include "ExtensionRecord.h"
#include "ExtractResource.h"
#include "PathPieces.h"
#include "Folders.h"
#include "InstalledLocation.h"
#include "LastError.h"
#include "OverwriteDialogs.h"
#include "ReparsePoints.h"
#include "SfxContainer.h"
#include "SharedAccess.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"
#include "TextUtil.h"
#include "VersionInfo.h"

namespace stub {

const wchar_t kSkipMarkerName[] = L"$qxskip$.$$$";
const wchar_t kDeleteMarkerName[] = L"$qxdelete$.$$$";
const wchar_t kWritePendingSuffix[] = L".writepending";

namespace {

const DWORD kItemAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::vector<std::wstring> g_notWritten;
// Upper-cased paths of existing files recorded but not written by this run.
std::set<std::wstring> g_keptExisting;
// Folders the item check has made or found (each with its base, as
// RememberedFolder spells them): an item of a folder already known needs no
// second walk, in whatever order the archive's members come.
std::unordered_set<std::wstring> g_readyFolders;
// Folders of destinations found free of links.
std::unordered_set<std::wstring> g_linkFreeFolders;
// Folders this run created, upper-cased and without a trailing backslash,
// each with the upper-cased names this run has put into it since. A name
// not among them is nothing there yet, so the destination needs no look.
std::unordered_map<std::wstring, std::unordered_set<std::wstring>> g_newFolders;

std::wstring FoldCase(const wchar_t* path) {
  std::wstring folded(path ? path : L"");
  if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

bool SameSetting(const wchar_t* itemName, const wchar_t* setting) {
  return *setting && EqualsNoCase(itemName, setting);
}

void MarkKept(const wchar_t* path) { g_keptExisting.insert(FoldCase(path)); }
void UnmarkKept(const wchar_t* path) {
  if (!g_keptExisting.empty()) g_keptExisting.erase(FoldCase(path));
}

// The text after the last backslash of a destination (all of it when it
// has none), found without a call for every character.
const wchar_t* DestinationName(const wchar_t* path) {
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

// A path that names its place one way only: no forward slash, no short-name
// tilde, no element ending in a dot or a blank (which the file system drops).
bool SpelledOneWay(const wchar_t* path) {
  for (const wchar_t* c = path; *c; ++c) {
    if (*c == L'/' || *c == L'~') return false;
    if ((*c == L'.' || *c == L' ') && (c[1] == 0 || c[1] == L'\\')) return false;
  }
  return true;
}

// The folder part of a path (before its last backslash) and its file name,
// both upper-cased; false when the path has no backslash or is not spelled
// one way.
bool SplitFolded(const wchar_t* path, std::wstring* folder, std::wstring* name) {
  const wchar_t* slash = wcsrchr(path, L'\\');
  if (!slash || !SpelledOneWay(path)) return false;
  folder->assign(path, slash);
  name->assign(slash + 1);
  if (!folder->empty()) CharUpperBuffW(&(*folder)[0], static_cast<DWORD>(folder->size()));
  if (!name->empty()) CharUpperBuffW(&(*name)[0], static_cast<DWORD>(name->size()));
  return true;
}

// Notes that the folder was created by this run, and its name in every
// folder above it that this run created. A folder that may be spelled
// otherwise may be any of them: from then on every path is looked at.
void NoteNewFolder(const std::wstring& folder) {
  const std::wstring key = FoldCase(folder.c_str());
  if (!SpelledOneWay(key.c_str())) {
    g_newFolders.clear();
    return;
  }
  g_newFolders[key];
  for (size_t slash = key.rfind(L'\\'); slash != std::wstring::npos && slash > 0;
       slash = key.rfind(L'\\', slash - 1)) {
    auto parent = g_newFolders.find(key.substr(0, slash));
    if (parent == g_newFolders.end()) continue;
    const size_t end = key.find(L'\\', slash + 1);
    parent->second.insert(key.substr(slash + 1, end == std::wstring::npos ? end : end - slash - 1));
  }
}

// True when nothing can be at the path yet: its folder was created by this
// run and nothing of that name was put there since. An extension module
// may put files anywhere, so with one every path is looked at.
bool NothingThereYet(const wchar_t* path) {
  if (g_newFolders.empty() || ExtensionActive()) return false;
  std::wstring folder, name;
  if (!SplitFolded(path, &folder, &name)) return false;
  auto entry = g_newFolders.find(folder);
  return entry != g_newFolders.end() && entry->second.count(name) == 0;
}

// The path is about to be written (or something else put there). A path
// outside the new folders, or one that may name its place another way, may
// be one of them spelled otherwise: from then on every path is looked at.
void NotePutThere(const wchar_t* path) {
  if (g_newFolders.empty()) return;
  std::wstring folder, name;
  auto entry = g_newFolders.end();
  if (SplitFolded(path, &folder, &name)) entry = g_newFolders.find(folder);
  if (entry == g_newFolders.end()) {
    g_newFolders.clear();
    return;
  }
  entry->second.insert(name);
}

// The key of a folder below a base in the sets above.
std::wstring RememberedFolder(const std::wstring& folder, const wchar_t* base) {
  return folder + L'|' + base;
}

// Adds a folder to one of the sets. An extension module may remove or
// replace folders between two items: with one, only the last folder is
// remembered.
void Remember(std::unordered_set<std::wstring>& folders, std::wstring key) {
  if (ExtensionActive()) folders.clear();
  folders.insert(std::move(key));
}

void AddNotWritten(const wchar_t* path) {
  if (!IsNotWrittenPath(path)) g_notWritten.emplace_back(path);
}

// The existing file at a path (not a folder), with its data.
bool ExistingFile(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, data)) return false;
  return !(data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The cause of a failure that stops the extraction: shown once, by whoever
// reports the outcome, in place of the code's message.
void ErrorBox(const ExtractionContext* context, const std::wstring& text) {
  (void)context;
  StubLog(L"Extraction stopped: %ls\n", text.c_str());
  SetFailureText(text.c_str());
}

std::wstring StubString(UINT id) {
  wchar_t text[1024];
  return LoadStubString(id, text, ARRAYSIZE(text));
}

void NoteFailingItem(const wchar_t* name) { lstrcpynW(g_FailingItem, name, MAX_PATH); }

// Marks every folder of the path below base that exists now (as the
// created-path list names folders: with a trailing backslash).
void MarkExistingFolders(const std::wstring& folder, const wchar_t* base) {
  size_t start = wcslen(base);
  while (start > 0 && base[start - 1] == L'\\') --start;
  if (folder.size() <= start) return;
  for (size_t end = folder.find(L'\\', start + 1);; end = folder.find(L'\\', end + 1)) {
    const std::wstring prefix = folder.substr(0, end);
    const DWORD attributes = GetFileAttributesW(prefix.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    MarkKept((prefix + L"\\").c_str());
    if (end == std::wstring::npos) return;
  }
}

// Creates the folder part of a destination (the text before its last
// backslash) below base; new folders enter the created-path list.
bool CreateItemFolder(const wchar_t* destination, const wchar_t* base, bool grantShared,
                      const ExtractionContext* context) {
  std::wstring folder(destination);
  const size_t slash = folder.find_last_of(L'\\');
  if (slash == std::wstring::npos) return true;
  folder.resize(slash);
  std::wstring key = RememberedFolder(folder, base);
  if (g_readyFolders.count(key)) return true;
  // With ForceUninstallDir folders that were already there enter the
  // created-path list too; the delete-after-run clean-up must know them.
  if (g_Settings->FlagsB & SfxFlagsB::ForceUninstallDir) MarkExistingFolders(folder, base);
  bool absent = false;
  if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  if (!InCreateDirectory(folder.c_str(), base)) {
    ErrorBox(context, folder + L"\n\n" + StubString(IDS_ERROR_CREATE_FOLDER));
    return false;
  }
  if (absent) NoteNewFolder(folder);
  if (grantShared) GrantSharedAccess(folder.c_str());
  Remember(g_readyFolders, std::move(key));
  return true;
}

// Whether no folder of the destination below root is a link; the answer
// is kept for each folder found free of them.
bool FolderIsFreeOfLinks(const wchar_t* root, const wchar_t* destination) {
  const wchar_t* name = DestinationName(destination);
  std::wstring key = RememberedFolder(std::wstring(destination, name), root);
  if (g_linkFreeFolders.count(key)) return true;
  if (vesmarin::PassesThroughReparsePoint(root, destination)) return false;
  Remember(g_linkFreeFolders, std::move(key));
  return true;
}

// Events 1002 and 1003: the destination path and the item's name in
// 260-character buffers (ANSI copies for the ANSI entry). The module sees
// copies: what is written, recorded and counted stays the stub's own path.
LONG SendFileEvent(uint32_t event, const wchar_t* destination, const wchar_t* itemName) {
  if (!ExtensionActive()) return 0;
  if (ExtensionUsesWideEntry()) {
    wchar_t path[MAX_PATH];
    wchar_t name[MAX_PATH];
    lstrcpynW(path, destination, MAX_PATH);
    lstrcpynW(name, itemName, MAX_PATH);
    return SendExtensionEvent(event, reinterpret_cast<INT_PTR>(path),
                              reinterpret_cast<INT_PTR>(name));
  }
  char path[MAX_PATH] = {};
  char name[MAX_PATH] = {};
  ToThreadAnsi(destination, path, MAX_PATH);
  ToThreadAnsi(itemName, name, MAX_PATH);
  return SendExtensionEvent(event, reinterpret_cast<INT_PTR>(path),
                            reinterpret_cast<INT_PTR>(name));
}

// The item is kept back when it is one of the package's own files.
bool IsOwnPackageFile(const StubSettings& s, const wchar_t* itemName) {
  if (ExtensionActive()) {
    if (SameSetting(itemName, s.ExtensionModuleFile) &&
        !SameSetting(itemName, s.UninstallerExtensionModuleFile))
      return true;
    if (SameSetting(itemName, s.ExtensionModuleDatFile)) return true;
  }
  if ((s.FlagsA & SfxFlagsA::NoExtractExplainFile) &&
      (SameSetting(itemName, s.ExplainFile) || SameSetting(itemName, s.ExplainFileE)))
    return true;
  if ((s.FlagsA & SfxFlagsA::NoExtractBannerFile) && SameSetting(itemName, s.BannerFile))
    return true;
  if ((s.FlagsA & SfxFlagsA::NoExtractBackScreenLogo) &&
      SameSetting(itemName, s.BackScreenLogoBmp))
    return true;
  if ((s.FlagsA & SfxFlagsA::NoExtractPanelBitmap) && SameSetting(itemName, s.PanelBitmap))
    return true;
  if ((s.FlagsA & SfxFlagsA::NoExtractWiz97PanelBitmap) &&
      SameSetting(itemName, s.Wiz97PanelBitmap))
    return true;
  return false;
}

void ShowCurrentFile(ExtractionContext* context, const wchar_t* path) {
  HWND control = GetDlgItem(context->progressWindow, IDC_PROGRESS_FILE);
  if (!control) return;
  wchar_t shown[MAX_PATH + 8];
  lstrcpynW(shown, path, MAX_PATH);
  if (context->nameDc) {
    RECT bounds = {0, 0, context->nameRect.right - context->nameRect.left,
                   context->nameRect.bottom - context->nameRect.top};
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? SelectObject(context->nameDc, font) : nullptr;
    DrawTextExW(context->nameDc, shown, -1, &bounds,
                DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX,
                nullptr);
    if (previous) SelectObject(context->nameDc, previous);
  }
  SetWindowTextW(control, shown);
}

void ShowProgress(ExtractionContext* context) {
  g_ProgressPercent = ProgressPercentOf(context->itemNumber, context->itemTotal);
  if (g_TaskbarList && g_TaskbarWindow) {
    if (context->itemNumber == 1) g_TaskbarList->SetProgressState(g_TaskbarWindow, TBPF_NORMAL);
    g_TaskbarList->SetProgressValue(g_TaskbarWindow, g_ProgressPercent, 100);
  }
  if (context->progressWindow) {
    HWND bar = GetDlgItem(context->progressWindow, IDC_PROGRESS_BAR);
    if (g_Settings->FlagsA & SfxFlagsA::UseNewWizard) {
      SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(g_ProgressPercent), 0);
    } else if (bar) {
      InvalidateRect(bar, nullptr, TRUE);
      UpdateWindow(bar);
    }
    PumpWaitingMessages(context->progressWindow);
  }
  ++context->itemNumber;
}

// A file that cannot be opened exclusively is written beside it and put in
// place at the next restart. False stops the extraction.
bool ScheduleReplacement(const ArchiveItem* item, const wchar_t* destination,
                         ExtractionContext* context) {
  const StubSettings& s = *g_Settings;
  std::wstring pending = std::wstring(destination) + kWritePendingSuffix;
  if (pending.size() >= MAX_PATH) {
    ErrorBox(context, pending + L"\n\n" + StubString(IDS_EXTRACT_PATH_TOO_LONG));
    return false;
  }
  // A pending file of an earlier run is never taken for this one.
  if (GetFileAttributesW(pending.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesW(pending.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(pending.c_str())) {
      StubLog(L"Stale pending file cannot be removed: %ls\n", pending.c_str());
      return false;
    }
  }
  NotePutThere(pending.c_str());
  bool extracted = false;
  {
    std::unique_ptr<CCabDecoder> second(new CCabDecoder(
        CabTimeZoneInUse(s.Header.CabTimeZone), CabTimeZoneBias(s.Header.CabTimeZone)));
    extracted = g_Archive && second->Open(g_Archive->Path, g_Archive->ArchiveOffset) &&
                second->ExtractFile(item->name, pending.c_str());
    second->Close();
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!extracted || !ExistingFile(pending.c_str(), &data)) {
    StubLog(L"Pending file not written: %ls\n", pending.c_str());
    DeleteFileW(pending.c_str());
    return false;
  }
  if (s.FlagsA & SfxFlagsA::WithAttribute)
    SetFileAttributesW(pending.c_str(), (item->attributes & kItemAttributes) |
                                            FILE_ATTRIBUTE_ARCHIVE);
  if (!MoveFileExW(pending.c_str(), destination,
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
    StubLog(L"Replacement at restart cannot be scheduled: %ls (%lu)\n", destination,
            static_cast<unsigned long>(GetLastError()));
    SetFileAttributesW(pending.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(pending.c_str());
    return false;
  }
  (void)context;
  g_RestartPending = true;
  return true;
}

// The in-use rule for an existing destination. *write is cleared when the
// decoder is to skip the item; false stops the extraction. The test opens
// the file as the write does, only exclusively, and the decoder writes
// into that handle: no second open. A file gone meanwhile is made anew.
bool HandleFileInUse(const ArchiveItem* item, const wchar_t* destination,
                     ExtractionContext* context, BOOL* write) {
  for (;;) {
    HANDLE file = vesmarin::OpenDiskFile(destination, GENERIC_READ | GENERIC_WRITE, 0,
                                         CREATE_ALWAYS);
    if (file != INVALID_HANDLE_VALUE) {
      const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
      if (g_Archive && g_Archive->Decoder)
        g_Archive->Decoder->WriteMemberInto(file, existed);
      else
        CloseHandle(file);
      return true;
    }
    StubLog(L"File in use: %ls\n", destination);
    switch (g_Settings->OverWriteMethod) {
      case 1:
        if (AskRetryWrite(context->progressWindow, destination)) continue;
        AddNotWritten(destination);
        return true;
      case 2:
        AddNotWritten(destination);
        if (!ScheduleReplacement(item, destination, context)) return false;
        *write = FALSE;
        return true;
      default:
        // The decoder's own attempt normally fails in turn and stops the
        // extraction.
        AddNotWritten(destination);
        return true;
    }
  }
}

}  // namespace

const std::vector<std::wstring>& NotWrittenPaths() { return g_notWritten; }

bool IsNotWrittenPath(const wchar_t* path) {
  if (!path) return false;
  for (const std::wstring& entry : g_notWritten)
    if (EqualsNoCase(entry.c_str(), path)) return true;
  return false;
}

bool IsKeptExistingPath(const wchar_t* path) {
  return path && g_keptExisting.count(FoldCase(path)) != 0;
}

void KeepFromCleanUp(const wchar_t* path) {
  if (path && *path) MarkKept(path);
}

bool ExistingFileIsCurrent(const FILETIME& itemTime, const FILETIME& existingTime) {
  return CompareFileTime(&itemTime, &existingTime) <= 0;
}

int ProgressPercentOf(int itemNumber, int itemTotal) {
  if (itemTotal <= 0) return 100;
  int percent = static_cast<int>(static_cast<double>(itemNumber) * 100.0 / itemTotal);
  return percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

int MapDecoderError(const ERF& error, int currentCode) {
  if (!error.fError) return kErrorUnknown;
  switch (error.erfOper) {
    case FDIERROR_CABINET_NOT_FOUND:
    case FDIERROR_NOT_A_CABINET:
    case FDIERROR_CORRUPT_CABINET:
    case FDIERROR_WRONG_CABINET:
      return kErrorArchiveHeader;
    case FDIERROR_UNKNOWN_CABINET_VERSION: return kErrorCompression;
    case FDIERROR_ALLOC_FAIL: return kErrorNoMemory;
    case FDIERROR_BAD_COMPR_TYPE: return kErrorHeaderType;
    case FDIERROR_MDI_FAIL:
    case FDIERROR_RESERVE_MISMATCH:
      return kErrorUnknown;
    case FDIERROR_TARGET_FILE: return kErrorWriteFile;
    case FDIERROR_USER_ABORT: return kErrorAborted;
  }
  return currentCode;
}

BOOL CheckItemDestination(const ArchiveItem* item, const wchar_t* folder, const wchar_t* itemName,
                          wchar_t* destinationPath, void* user) {
  ExtractionContext* context = static_cast<ExtractionContext*>(user);
  const StubSettings& s = *g_Settings;
  (void)item;
  std::wstring base(folder);
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  if (base.size() + wcslen(itemName) >= MAX_PATH) {
    NoteFailingItem(itemName);
    ErrorBox(context, base + itemName + L"\n\n" + StubString(IDS_EXTRACT_PATH_TOO_LONG));
    return FALSE;
  }

  bool matched = false;
  for (const ExtraCopyItem& extra : s.ExtraCopy) {
    if (!MatchExtraCopyItem(extra, itemName)) continue;
    NoteFailingItem(itemName);
    wchar_t target[MAX_PATH];
    if (!ResolveExtraCopyFolder(extra, target, MAX_PATH)) {
      ErrorBox(context, StubString(IDS_EXTRACT_PATH_INVALID));
      return FALSE;
    }
    wchar_t relative[MAX_PATH] = {};
    wchar_t destination[MAX_PATH] = {};
    if (!ExtraCopyRelativePath(extra, itemName, relative) ||
        !CombinePath(destination, target, relative)) {
      ErrorBox(context, std::wstring(relative) + L"\n\n" + StubString(IDS_EXTRACT_PATH_TOO_LONG));
      return FALSE;
    }
    // The copy lands inside its own destination folder, never elsewhere.
    if (!IsPathInsideFolder(target, destination)) {
      ErrorBox(context, std::wstring(relative) + L"\n\n" + StubString(IDS_UNSAFE_ITEM_NAME));
      return FALSE;
    }
    if (!CreateItemFolder(destination, target, extra.BaseFolder == kBaseCommonAppData, context))
      return FALSE;
    wcscpy(destinationPath, destination);
    matched = true;
  }
  if (matched) return TRUE;

  if (!CreateItemFolder(destinationPath, s.ExtractPath, s.BaseFolder == kBaseCommonAppData,
                        context)) {
    NoteFailingItem(itemName);
    return FALSE;
  }
  return TRUE;
}

BOOL BeforeWriteItem(BOOL* extract, const ArchiveItem* item, const wchar_t* destinationPath,
                     void* user) {
  ExtractionContext* context = static_cast<ExtractionContext*>(user);
  const StubSettings& s = *g_Settings;
  if (g_AbortRequested) return FALSE;
  NoteFailingItem(item->name);

  wchar_t destination[MAX_PATH];
  lstrcpynW(destination, destinationPath, MAX_PATH);
  const wchar_t* fileName = DestinationName(destination);
  bool recordForUninstall = true;
  context->keepBack = false;

  if (EqualsNoCase(fileName, kSkipMarkerName)) {
    context->keepBack = true;
  } else if (EqualsNoCase(fileName, kDeleteMarkerName)) {
    context->keepBack = true;
    g_DeleteListPending = true;
  }
  if (IsOwnPackageFile(s, item->name)) context->keepBack = true;
  // The uninstaller removes its own module itself.
  if (SameSetting(item->name, s.UninstallerExtensionModuleFile)) recordForUninstall = false;

  if (!context->keepBack && context->progressWindow) ShowCurrentFile(context, destination);

  // Nothing is written through a link inside the target. The folders on the
  // way are looked at once for each folder, the file itself every time.
  WIN32_FILE_ATTRIBUTE_DATA existing;
  const bool present = !NothingThereYet(destination) &&
                       GetFileAttributesExW(destination, GetFileExInfoStandard, &existing) != 0;
  if ((present && (existing.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ||
      !FolderIsFreeOfLinks(s.ExtractPath, destination)) {
    StubLog(L"Not written through a link: %ls\n", destination);
    SetLastErrorCode(kErrorWriteFile);
    return FALSE;
  }
  bool exists = present && !(existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists && !context->keepBack && (s.FlagsB & SfxFlagsB::NoOverwriteNewTimeStamp) &&
      ExistingFileIsCurrent(item->time, existing.ftLastWriteTime)) {
    if (recordForUninstall) PushFileName(destination);
    MarkKept(destination);
    context->keepBack = true;
  }

  if (!context->keepBack && ExtensionActive()) {
    LONG answer = SendFileEvent(ExtEventInstallBeforeFile, destination, item->name);
    if (answer == 2) {
      context->keepBack = true;
    } else if (answer != 0) {
      StubLog(L"Extension module: event 1002 answered %ld for %ls\n", static_cast<long>(answer),
              item->name);
      context->cancelled = true;
      return FALSE;
    }
  }

  context->overwriteThis = true;
  if (!context->overwriteAll && !context->keepBack && exists) {
    switch (AskOverwriteFile(context->progressWindow, destination)) {
      case kOverwriteSkip:
        context->overwriteThis = false;
        if (recordForUninstall) PushFileName(destination);
        MarkKept(destination);
        break;
      case kOverwriteYesToAll:
        context->overwriteAll = true;
        break;
      case kOverwriteCancel:
        context->cancelled = true;
        break;
      default:
        break;
    }
  }
  if (context->cancelled) return FALSE;

  if (context->keepBack || !(context->overwriteAll || context->overwriteThis)) {
    *extract = FALSE;
  } else {
    if (recordForUninstall) PushFileName(destination);
    if (!exists) NoteNewPath(destination);
    if (exists) {
      // Until the decoder has written it, the file is the user's own.
      MarkKept(destination);
      if (existing.dwFileAttributes & kItemAttributes)
        SetFileAttributesW(destination, existing.dwFileAttributes & ~kItemAttributes);
      if (!HandleFileInUse(item, destination, context, extract)) return FALSE;
    }
    if (*extract) NotePutThere(destination);
  }

  ShowProgress(context);
  return TRUE;
}

BOOL AfterWriteItem(BOOL* flag, const ArchiveItem* item, const wchar_t* destinationPath,
                    void* user) {
  ExtractionContext* context = static_cast<ExtractionContext*>(user);
  const StubSettings& s = *g_Settings;
  (void)flag;
  UnmarkKept(destinationPath);
  if (s.FlagsA & SfxFlagsA::WithAttribute)
    SetFileAttributesW(destinationPath,
                       (item->attributes & kItemAttributes) | FILE_ATTRIBUTE_ARCHIVE);

  if (ExtensionActive() &&
      SendFileEvent(ExtEventInstallAfterFile, destinationPath, item->name) != 0) {
    context->cancelled = true;
    return FALSE;
  }

  int accessBase = s.BaseFolder;
  for (const ExtraCopyItem& extra : s.ExtraCopy) {
    if (MatchExtraCopyItem(extra, item->name)) {
      accessBase = extra.BaseFolder;
      break;
    }
  }
  if (accessBase == kBaseCommonAppData) GrantSharedAccess(destinationPath);

  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(destinationPath, GetFileExInfoStandard, &data))
    g_InstalledSize += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                       data.nFileSizeLow;

  if ((s.FlagsB & SfxFlagsB::UnInstallSetVersion) &&
      (s.FlagsB & SfxFlagsB::UnInstallAutoSetVersion) &&
      SameSetting(item->name, s.UnInstallAutoSetVersionFile))
    ReadVersionString(SystemVersionApi(), destinationPath, L"FileVersion",
                      g_Settings->UnInstallVersion, ARRAYSIZE(g_Settings->UnInstallVersion));
  return TRUE;
}

bool ExtractArchive(HWND progressWindow) {
  StubSettings& s = *g_Settings;
  SetLastErrorCode(kErrorNone);
  g_FailingItem[0] = 0;
  ExtractionContext context = {};
  context.progressWindow = progressWindow;
  HWND nameControl = progressWindow ? GetDlgItem(progressWindow, IDC_PROGRESS_FILE) : nullptr;
  if (nameControl) {
    context.nameDc = GetDC(nameControl);
    GetWindowRect(nameControl, &context.nameRect);
  }
  CCabDecoder* decoder = g_Archive ? g_Archive->Decoder : nullptr;
  context.itemTotal = decoder ? decoder->GetItemCount() : 0;
  context.itemNumber = 1;
  context.overwriteAll = !(s.FlagsA & SfxFlagsA::AskOverwrite);
  g_ProgressPercent = 0;
  g_readyFolders.clear();
  g_linkFreeFolders.clear();
  g_newFolders.clear();

  wchar_t folder[MAX_PATH];
  lstrcpynW(folder, s.ExtractPath, MAX_PATH);
  size_t length = wcslen(folder);
  bool ready = decoder && length > 0;
  if (ready && folder[length - 1] != L'\\') {
    ready = length + 1 < MAX_PATH;
    if (ready) {
      folder[length] = L'\\';
      folder[length + 1] = 0;
    }
  }

  // A member that names an absolute place or a device, or climbs out of the
  // folder, makes the whole package unusable, and one whose path would be
  // too long below this folder cannot be installed there: nothing of it is
  // written.
  if (ready) {
    ArchiveItem member;
    for (int more = decoder->FindFirst(&member); more; more = decoder->FindNext(&member)) {
      const ArchiveItemPlace place = PlaceArchiveItem(folder, member.name, nullptr);
      if (place == ArchiveItemPlace::kInside) continue;
      NoteFailingItem(member.name);
      if (place == ArchiveItemPlace::kTooLong) {
        StubLog(L"Extract path too long: %ls%ls\n", folder, member.name);
        ErrorBox(&context, std::wstring(folder) + member.name + L"\n\n" +
                               StubString(IDS_EXTRACT_PATH_TOO_LONG));
      } else {
        StubLog(L"Unsafe archive item name: %ls\n", member.name);
        ErrorBox(&context,
                 std::wstring(member.name) + L"\n\n" + StubString(IDS_UNSAFE_ITEM_NAME));
      }
      if (context.nameDc) ReleaseDC(nameControl, context.nameDc);
      SetLastErrorCode(kErrorWriteFile);
      return false;
    }
  }

  bool extracted = ready && decoder->ExtractAll(folder, BeforeWriteItem, AfterWriteItem,
                                                CheckItemDestination, &context);
  ExtensionRecord* record = ExtensionRecordInUse();
  if (record) record->param1 = record->param2 = 0;
  if (context.nameDc) ReleaseDC(nameControl, context.nameDc);

  if (context.cancelled) {
    SetLastErrorCode(kErrorAborted);
  } else if (!extracted) {
    ERF error = {};
    if (decoder) error = decoder->GetLastError();
    SetLastErrorCode(MapDecoderError(error, GetLastErrorCode()));
    wchar_t failedFile[MAX_PATH] = {};
    const DWORD writeError = decoder ? decoder->GetOutputFailure(failedFile) : 0;
    if (writeError) {
      NoteFailingItem(failedFile);
      SetWriteFailure(failedFile, writeError);
    }
    StubLog(L"Extraction failed at %ls: FDI error %d, code %d\n", g_FailingItem,
            static_cast<int>(error.erfOper), GetLastErrorCode());
  } else {
    g_FailingItem[0] = 0;
  }
  return GetLastErrorCode() == kErrorNone;
}

}  // namespace stub
