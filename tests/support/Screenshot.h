// Pictures of windows for a look at their layout.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// Writes the pixels of a window, of this process or another, as a 24-bit
// BMP file at path once it has painted: the window raised above all others
// and its rectangle copied from the screen. Under scripts/test.sh each test
// has a screen of its own, so no other test's window is ever in the picture.
bool SaveWindowBitmap(HWND window, const std::wstring& path);

// Writes the pixels of a window into <bin>\screenshots\<name>.bmp.
bool SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace testsupport
