#include "AfterRunCleanUp.h"

#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "CheckingWindow.h"
#include "CreatedPaths.h"
#include "Extraction.h"

namespace stub {

namespace {

const int kAttempts = 32;
const DWORD kPauseMs = 100;

void RemoveOnePath(const std::wstring& path) {
  const bool folder = !path.empty() && path.back() == L'\\';
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (folder) {
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || !PathIsDirectoryEmptyW(path.c_str())) return;
      if (RemoveDirectoryW(path.c_str())) return;
    } else {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (DeleteFileW(path.c_str())) return;
    }
    PumpMessages();
    Sleep(kPauseMs);
  }
}

}  // namespace

void RemoveWrittenPaths() {
  const std::vector<std::wstring> paths = CopyCreatedPaths();
  for (size_t i = paths.size(); i-- > 0;)
    if (!IsKeptExistingPath(paths[i].c_str())) RemoveOnePath(paths[i]);
}

void RemoveWhatTheRunBrought() {
  const std::vector<std::wstring>& paths = NewPaths();
  for (size_t i = paths.size(); i-- > 0;) {
    const std::wstring& path = paths[i];
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    // A file path that is a folder now was never written by this run.
    const bool folder = !path.empty() && path.back() == L'\\';
    if (folder == ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) RemoveOnePath(path);
  }
}

}  // namespace stub
