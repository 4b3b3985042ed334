#include "FolderChain.h"

#include "DiskFile.h"

FolderChain::Step FolderChain::Meet(const std::wstring& path, DWORD attributes) {
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  // A plain file needs no look at what it is; everything else is opened,
  // following any link to its end.
  if (!link && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return kFile;
  HANDLE file = vesmarin::OpenDiskFile(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (file == INVALID_HANDLE_VALUE) return kUnreachable;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != FALSE;
  CloseHandle(file);
  if (!known) return kUnreachable;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return kFile;
  for (const Identity& walked : chain_) {
    if (walked.volume == info.dwVolumeSerialNumber && walked.indexHigh == info.nFileIndexHigh &&
        walked.indexLow == info.nFileIndexLow)
      return kOnChain;
  }
  chain_.push_back({info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow});
  return kFolder;
}

void FolderChain::Leave() {
  if (!chain_.empty()) chain_.pop_back();
}
