// Version resources of files, read through the system folder's version.dll.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stub {

// The whole version resource of a file; false when it has none or it cannot
// be read.
bool LoadVersionResource(const wchar_t* path, std::vector<uint8_t>* block);

// A value of a loaded resource (as VerQueryValueW names it); false when
// missing or empty.
bool QueryVersionValue(const std::vector<uint8_t>& block, const wchar_t* subBlock, void** value,
                       UINT* length);

// The "FileVersion" text from the string table of the first translation
// ("\StringFileInfo\<language><code page>\FileVersion"), cut to capacity;
// empty when the file has no version resource. False when empty.
bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity);

}  // namespace stub
