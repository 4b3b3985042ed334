// Where an archive file is installed: below the extraction folder, or at the
// destination of the extra-copy items that it falls under (the last matching
// item decides). The extraction writes by this rule and every later step
// (delete list, shortcuts, COM servers, uninstall information, automatic
// execution) asks GetInstalledLocation.
#pragma once
#include <windows.h>
#include <cstddef>

#include "StubSettings.h"

namespace stub {

// True when the archive path falls under the item: a file item (FileName
// without a trailing backslash) when it equals the path ignoring case; a
// folder item when the path is longer and begins with it ignoring case. An
// empty FileName matches nothing.
bool MatchExtraCopyItem(const ExtraCopyItem& item, const wchar_t* archivePath);

// The part of the archive path that goes below the item's destination
// folder (260 characters): for a matching folder item the item's last
// folder name and everything below it (item a\b\, path a\b\c\d.txt:
// b\c\d.txt); otherwise the file-name part of the path. False when it does
// not fit.
bool ExtraCopyRelativePath(const ExtraCopyItem& item, const wchar_t* archivePath,
                           wchar_t* output);

// The item's destination folder (without a trailing backslash) from its
// BaseFolder and ExtractFolder, without the temporary-name flag; false when
// it cannot be resolved.
bool ResolveExtraCopyFolder(const ExtraCopyItem& item, wchar_t* folder, size_t capacity);

// The full installed path of an archive file or folder (260 characters);
// false, with the output untouched, when a path cannot be formed.
bool GetInstalledLocation(const wchar_t* archivePath, wchar_t* output);

}  // namespace stub
