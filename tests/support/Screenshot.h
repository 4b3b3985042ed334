// Pictures of windows for a look at their layout.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// Where the pixels of a picture come from: the screen where the window is,
// or the window drawing itself (PrintWindow), which covering windows do not
// disturb.
enum class PictureSource { Screen, Window };

// Writes the pixels of a window as a 24-bit BMP file at path.
bool SaveWindowBitmap(HWND window, const std::wstring& path,
                      PictureSource source = PictureSource::Screen);

// Writes the pixels of a window into <bin>\screenshots\<name>.bmp, after a
// moment for the window to finish painting.
bool SaveScreenshot(HWND window, const std::wstring& name,
                    PictureSource source = PictureSource::Screen);

}  // namespace testsupport
