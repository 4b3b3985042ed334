// Files opened by a name that came from outside (a definition file, a
// command line, an information file) must be files on a disk. A device
// such as COM1 or CON, or a pipe, can block a read forever.
#pragma once
#include <windows.h>

namespace vesmarin {

// True when the handle is a disk file (GetFileType is FILE_TYPE_DISK).
bool IsDiskFile(HANDLE file);

// False for names that can only mean a device: reserved names such as COM1,
// CON or NUL in any folder and with any extension, and "\\.\" paths.
bool MayNameDiskFile(const wchar_t* path);

// CreateFileW for a name from outside: refuses a device name before opening
// and any handle that is not a disk file after; then INVALID_HANDLE_VALUE
// with the last error ERROR_BAD_FILE_TYPE. On success the last error is
// CreateFileW's (ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS met
// an existing file).
HANDLE OpenDiskFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags = FILE_ATTRIBUTE_NORMAL);

// True when the handle is a disk file that is neither a folder nor a
// reparse point (open it with FILE_FLAG_OPEN_REPARSE_POINT to see one).
bool IsRegularFile(HANDLE file);

// OpenDiskFile for a file that must be a regular file: the name itself is
// opened (FILE_FLAG_OPEN_REPARSE_POINT), never what a link points to, and a
// folder or a reparse point is refused like a device.
HANDLE OpenRegularFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition);

// True when both paths name the same existing disk file (same volume and
// file index: other spellings, short names and links count as the same).
bool SameDiskFile(const wchar_t* a, const wchar_t* b);

// True when path opens (for reading attributes only) as a disk file.
bool NamesDiskFile(const wchar_t* path);

}  // namespace vesmarin
