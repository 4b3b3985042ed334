// Pictures of windows for a look at their layout.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// Writes the pixels of a window as a 24-bit BMP file at path: the window
// alone, never the windows of other programs that cover it on the screen
// (a window of this process draws itself with PrintWindow; one of another
// process is raised above all others while its rectangle is copied).
bool SaveWindowBitmap(HWND window, const std::wstring& path);

// Writes the pixels of a window into <bin>\screenshots\<name>.bmp, after a
// moment for the window to finish painting.
bool SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace testsupport
