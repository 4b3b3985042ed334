#include "ArchiveTarget.h"

#include <shlwapi.h>

#include "ScopedHandles.h"

namespace {

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return length == 0 || length >= MAX_PATH ? path : std::wstring(full, length);
}

bool Identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& identity) {
  const vesmarin::ScopedFile file(
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && GetFileInformationByHandle(file.get(), &identity) != FALSE;
}

}  // namespace

ArchiveTarget::ArchiveTarget(const std::wstring& path)
    : full_(FullPath(path)), fileName_(PathFindFileNameW(full_.c_str())) {
  known_ = !path.empty() && Identity(full_, identity_);
}

bool ArchiveTarget::Is(const std::wstring& source) const {
  // A target that does not exist yet cannot be among the sources. Every
  // spelling of its path ends in its name, bar the case (and a short 8.3
  // name): only such candidates are opened.
  const std::wstring full = FullPath(source);
  if (!known_ || lstrcmpiW(PathFindFileNameW(full.c_str()), fileName_.c_str()) != 0) return false;
  BY_HANDLE_FILE_INFORMATION other = {};
  return Identity(full, other) && other.dwVolumeSerialNumber == identity_.dwVolumeSerialNumber &&
         other.nFileIndexHigh == identity_.nFileIndexHigh &&
         other.nFileIndexLow == identity_.nFileIndexLow;
}
