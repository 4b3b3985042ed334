#include "BatchModes.h"

#include <windows.h>
#include <shlwapi.h>

#include "ArchiveWriter.h"
#include "CompressorState.h"
#include "ProgressDialog.h"
#include "SardokResource.h"

namespace {

bool MatchesAny(const wchar_t* name, const std::vector<std::wstring>& patterns) {
  for (const std::wstring& pattern : patterns)
    if (PathMatchSpecW(name, pattern.c_str())) return true;
  return false;
}

// The part after the last backslash (or slash: both separate folders).
std::wstring LastComponent(const std::wstring& path) {
  const size_t at = path.find_last_of(L"\\/");
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

BOOL BatchProgressCallback(const wchar_t* source, ULONG, ULONG, void*) {
  CompressorState& state = Compressor();
  if (!state.progressDialog) return TRUE;
  PumpProgressMessages();
  SetProgressText(PathFindFileNameW(source));
  return !state.abort;
}

int CreateBatchArchive(const ArchiveEntryList& entries, const std::wstring& archive) {
  SetProgressFirstLine(IDS_CREATING_ARCHIVE);
  return WriteArchive(entries, archive.c_str(), BatchProgressCallback, nullptr)
             ? kCodeSuccess
             : kCodeBatchFailed;
}

}  // namespace

bool ScanSourceFolder(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                      std::vector<std::wstring>& files) {
  std::wstring base = folder;
  if (base.empty()) return false;
  if (base.back() != L'\\') base += L'\\';
  const std::wstring search = base + L"*.*";
  if (search.size() >= MAX_PATH) return false;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(search.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool complete = true;
  do {
    if (Compressor().abort) {
      complete = false;
      break;
    }
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = base + name;
    if (path.size() >= MAX_PATH) {
      complete = false;
      break;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      if (MatchesAny(name.c_str(), patterns)) continue;
      if (!ScanSourceFolder(path, patterns, files)) {
        complete = false;
        break;
      }
    } else {
      files.push_back(path);
      if (Compressor().progressDialog) {
        PumpProgressMessages();
        SetProgressText(name.c_str());
      }
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return complete;
}

std::wstring FolderArchivePath(const CommandLineOptions& options) {
  if (!options.archiveOption.empty()) return options.archiveOption;
  if (!options.archiveArgument.empty()) return options.archiveArgument;
  wchar_t path[MAX_PATH];
  if (options.sourceFolder.size() >= MAX_PATH) return std::wstring();
  wcscpy(path, options.sourceFolder.c_str());
  if (!PathRenameExtensionW(path, L".cab")) return std::wstring();
  return path;
}

int BatchFolderArchive(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                       const std::wstring& archive) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return kCodeFolderMissing;
  std::vector<std::wstring> files;
  if (!ScanSourceFolder(folder, patterns, files)) return kCodeBatchFailed;
  // Names are what follows the folder and its backslash; a drive root
  // already ends in one.
  std::wstring base = folder;
  if (base.back() != L'\\') base += L'\\';
  ArchiveEntryList entries;
  for (const std::wstring& path : files) {
    if (MatchesAny(PathFindFileNameW(path.c_str()), patterns)) continue;
    entries.Add(path, path.substr(base.size()));
  }
  return CreateBatchArchive(entries, archive);
}

int BatchFileListArchive(const std::vector<std::wstring>& files,
                         const std::vector<std::wstring>& patterns, const std::wstring& archive) {
  ArchiveEntryList entries;
  for (const std::wstring& path : files) {
    const std::wstring name = LastComponent(path);
    if (MatchesAny(name.c_str(), patterns)) continue;
    if (!IsSafeArchiveComponent(name)) return kCodeBatchFailed;
    entries.Add(path, name);
  }
  return CreateBatchArchive(entries, archive);
}

int RunBatchMode(const CommandLineOptions& options, bool fileList) {
  CompressorState& state = Compressor();
  HWND caller = options.callerWindow;
  if (!options.silent) OpenProgressDialog(caller);
  state.abort = false;
  if (caller) EnableWindow(caller, FALSE);
  state.resultCode =
      fileList ? BatchFileListArchive(options.files, options.exclusions, options.archiveArgument)
               : BatchFolderArchive(options.sourceFolder, options.exclusions,
                                    FolderArchivePath(options));
  if (caller) EnableWindow(caller, TRUE);
  CloseProgressDialog(nullptr);
  return state.resultCode;
}
