// Pictures of windows for a look at their layout.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// Writes the screen pixels of a window into <bin>\screenshots\<name>.bmp.
bool SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace testsupport
