// The "FileVersion" text of a program file's version resource.
#pragma once
#include <windows.h>
#include <cstddef>

namespace stub {

// The text from the string table of the first translation
// ("\StringFileInfo\<language><code page>\FileVersion"), cut to capacity;
// empty when the file has no version resource. False when empty.
bool ReadFileVersionText(const wchar_t* path, wchar_t* output, size_t capacity);

}  // namespace stub
