// ZQColorPicker: a colour swatch with a drop-down button that opens the
// colour dialog. Dialog templates place it by class name. The colour
// travels through the check-box messages, so code that exchanges check
// boxes reads and writes it alike:
//   BM_GETCHECK            returns the colour (COLORREF; white at first)
//   BM_SETCHECK(colour)    stores it, repaints, sends WM_COMMAND with
//                          BN_CLICKED to the parent (also for the same
//                          colour) and returns the previous colour.
// Its tooltip reads "RGB (r, g, b)". The colour dialog's custom colours
// are shared by every picker of the process.
#pragma once
#include <windows.h>

extern const wchar_t kColorPickerClass[];  // "ZQColorPicker"

// Registers the window class once per process; true when it is registered.
bool RegisterColorPickerClass(HINSTANCE instance);

// The 16 custom colours every picker's colour dialog shows and keeps.
const COLORREF* ColorPickerCustomColors();
