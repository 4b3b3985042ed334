#include "BatchModes.h"

#include <windows.h>
#include <shlwapi.h>

#include "ArchiveFailureText.h"
#include "ArchiveTarget.h"
#include "ArchiveWriter.h"
#include "CompressorState.h"
#include "CompressorText.h"
#include "FolderChain.h"
#include "ProgressDialog.h"
#include "ResString.h"
#include "SardokResource.h"
#include "ScopedHandles.h"

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

BOOL BatchProgressCallback(const wchar_t* source, ULONGLONG, ULONGLONG, void*) {
  CompressorState& state = Compressor();
  if (!state.progressDialog) return TRUE;
  PumpProgressMessages();
  SetProgressText(PathFindFileNameW(source));
  return !state.abort;
}

// The batch modes show no message box: what they refuse, and why a cabinet
// was not written, goes to the standard error handle when the caller gave
// one, one line each.
void ReportLines(const std::vector<std::wstring>& lines) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (!error || error == INVALID_HANDLE_VALUE) return;
  for (const std::wstring& text : lines) {
    const std::wstring line = text + L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                          nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) continue;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(error, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

// The entries a batch run refuses before anything is written: paths that
// cannot be added, and names too long for the cabinet.
class Refusals {
 public:
  void Path(const std::wstring& path) { Add(IDS_ENTRY_REFUSED, path); }
  void Name(const std::wstring& name) { Add(IDS_NAME_REFUSED, name); }
  void Paths(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) Path(path);
  }
  // Reports them; true when there were any.
  bool Report() const {
    ReportLines(lines_);
    return !lines_.empty();
  }

 private:
  void Add(UINT id, const std::wstring& text) {
    lines_.push_back(FillPlaceholders(LoadText(id).c_str(), text.c_str(), nullptr));
  }
  std::vector<std::wstring> lines_;
};

int CreateBatchArchive(const ArchiveEntryList& entries, const std::wstring& archive) {
  SetProgressFirstLine(IDS_CREATING_ARCHIVE);
  ArchiveWriteFailure failure;
  if (WriteArchive(entries, archive.c_str(), BatchProgressCallback, nullptr, &failure))
    return kCodeSuccess;
  if (!Compressor().abort) ReportLines({ArchiveFailureText(failure)});
  return kCodeBatchFailed;
}

// Lists a folder that is on the chain; false when the run was cancelled.
bool ScanFolder(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                FolderChain& chain, std::vector<std::wstring>& files,
                std::vector<std::wstring>& refused) {
  std::wstring base = folder;
  if (base.back() != L'\\') base += L'\\';
  const std::wstring search = base + L"*.*";
  if (search.size() >= MAX_PATH) {
    refused.push_back(folder);
    return true;
  }
  WIN32_FIND_DATAW data;
  const vesmarin::ScopedFind find(FindFirstFileExW(search.c_str(), FindExInfoBasic, &data,
                                                   FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) refused.push_back(folder);
    return true;
  }
  bool complete = true;
  do {
    if (Compressor().abort) {
      complete = false;
      break;
    }
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = base + name;
    if (MatchesAny(name.c_str(), patterns)) continue;
    if (!IsSafeArchiveComponent(name) || path.size() >= MAX_PATH) {
      refused.push_back(path);
      continue;
    }
    const FolderChain::Step step =
        chain.Meet(path, data.dwFileAttributes, !data.nFileSizeLow && !data.nFileSizeHigh);
    if (step == FolderChain::kUnreachable) {
      refused.push_back(path);
    } else if (step == FolderChain::kFolder) {
      FolderChain::Walking walking(chain);
      if (!ScanFolder(path, patterns, chain, files, refused)) {
        complete = false;
        break;
      }
    } else if (step == FolderChain::kFile) {
      files.push_back(path);
      if (Compressor().progressDialog) {
        PumpProgressMessages();
        SetProgressText(name.c_str());
      }
    }
  } while (FindNextFileW(find.get(), &data));
  return complete;
}

}  // namespace

bool ScanSourceFolder(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                      std::vector<std::wstring>& files, std::vector<std::wstring>& refused) {
  if (folder.empty()) return true;
  FolderChain chain;
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      chain.Meet(folder, attributes | FILE_ATTRIBUTE_DIRECTORY, false) != FolderChain::kFolder) {
    refused.push_back(folder);
    return true;
  }
  FolderChain::Walking walking(chain);
  return ScanFolder(folder, patterns, chain, files, refused);
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
  std::vector<std::wstring> refused;
  if (!ScanSourceFolder(folder, patterns, files, refused)) return kCodeBatchFailed;
  Refusals refusals;
  refusals.Paths(refused);
  // Names are what follows the folder and its backslash; a drive root
  // already ends in one.
  std::wstring base = folder;
  if (base.back() != L'\\') base += L'\\';
  const ArchiveTarget target(archive);
  ArchiveEntryList entries;
  for (const std::wstring& path : files) {
    const std::wstring name = path.substr(base.size());
    if (!CabNameFits(name)) {
      refusals.Name(name);
    } else if (!target.Is(path)) {
      entries.Add(path, name);
    }
  }
  if (refusals.Report()) return kCodeBatchFailed;
  return CreateBatchArchive(entries, archive);
}

int BatchFileListArchive(const std::vector<std::wstring>& files,
                         const std::vector<std::wstring>& patterns, const std::wstring& archive) {
  const ArchiveTarget target(archive);
  ArchiveEntryList entries;
  Refusals refusals;
  for (const std::wstring& path : files) {
    const std::wstring name = LastComponent(path);
    if (MatchesAny(name.c_str(), patterns)) continue;
    if (!IsSafeArchiveComponent(name) || path.size() >= MAX_PATH) {
      refusals.Path(path);
    } else if (!CabNameFits(name)) {
      refusals.Name(name);
    } else if (!target.Is(path)) {
      entries.Add(path, name);
    }
  }
  if (refusals.Report()) return kCodeBatchFailed;
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
