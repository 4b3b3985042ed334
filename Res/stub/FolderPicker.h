// The folder picker of the destination page: the common file dialog in
// folder mode where the system has it (client editions from Vista on),
// else the shell's folder browser. It starts at the desktop.
#pragma once
#include <windows.h>
#include <cstddef>

namespace stub {

// True when the user chose a folder that has a file-system path (virtual
// folders such as "Computer" have none) and that path fits capacity and
// the path limit; it is then in path. Otherwise path is left alone.
bool BrowseForFolder(HWND owner, wchar_t* path, size_t capacity);

}  // namespace stub
