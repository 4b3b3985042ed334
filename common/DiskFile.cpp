#include "DiskFile.h"

namespace vesmarin {

namespace {

typedef ULONG(NTAPI* IsDosDeviceNameFn)(PCWSTR);

}  // namespace

bool IsDiskFile(HANDLE file) {
  return file != nullptr && file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_DISK;
}

bool MayNameDiskFile(const wchar_t* path) {
  if (path == nullptr || *path == 0) return false;
  if (path[0] == L'\\' && path[1] == L'\\' && path[2] == L'.' && path[3] == L'\\') return false;
  static const IsDosDeviceNameFn isDevice = reinterpret_cast<IsDosDeviceNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlIsDosDeviceName_U")));
  return isDevice == nullptr || isDevice(path) == 0;
}

HANDLE OpenDiskFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags) {
  if (!MayNameDiskFile(path)) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  const DWORD opened = GetLastError();
  if (!IsDiskFile(file)) {
    CloseHandle(file);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(opened);
  return file;
}

bool IsRegularFile(HANDLE file) {
  if (!IsDiskFile(file)) return false;
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

HANDLE OpenRegularFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE file = OpenDiskFile(path, access, share, disposition,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return file;
  if (!IsRegularFile(file)) {
    CloseHandle(file);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

namespace {

bool Identify(const wchar_t* path, BY_HANDLE_FILE_INFORMATION* info) {
  if (!path || !*path) return false;
  HANDLE file = OpenDiskFile(path, FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, info) != FALSE;
  CloseHandle(file);
  return known;
}

}  // namespace

bool SameDiskFile(const wchar_t* a, const wchar_t* b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return Identify(a, &first) && Identify(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool NamesDiskFile(const wchar_t* path) {
  HANDLE file = OpenDiskFile(path, FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace vesmarin
