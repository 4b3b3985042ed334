#include "FolderChain.h"

#include "DiskFile.h"
#include "ScopedHandles.h"

namespace {

bool IsGone(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

}  // namespace

FolderChain::Step FolderChain::Meet(const std::wstring& path, DWORD attributes,
                                    bool listedEmpty) {
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!link && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    // A file with bytes needs no look at what it is. Wine lists pipes,
    // sockets and devices, and links to them, as empty plain files: only a
    // query by name tells them from an empty file.
    if (!listedEmpty) return kFile;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return kFile;
    return IsGone(GetLastError()) ? kGone : kUnreachable;
  }
  // Everything else is opened, following any link to its end.
  const vesmarin::ScopedFile file(vesmarin::OpenDiskFile(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
  if (!file) return kUnreachable;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return kUnreachable;
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
