// Version resources of files, read through the system folder's version.dll
// (VersionInfo.h with the stub's binding).
#pragma once
#include <windows.h>

#include <cstddef>

#include "VersionInfo.h"

namespace stub {

// version.dll's functions, the library loaded by full path from the system
// folder; null members when it cannot be loaded.
VersionApi SystemVersionApi();

// The "FileVersion" text of the first translation, cut to capacity; empty
// when the file has no version resource. False when empty.
bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity);

}  // namespace stub
