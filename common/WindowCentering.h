// Placing a window over another window or in the middle of the screen.
#pragma once
#include <windows.h>

// Top-left corner that centres window over other (or the work area of its
// monitor when other is null or hidden), kept inside the virtual screen. False for
// a minimised, maximised or missing window.
bool ComputeCenteredPosition(HWND window, HWND other, int* x, int* y);
// Top-left corner that centres a window of width x height in area, kept
// inside the virtual screen.
void CenterInArea(int width, int height, const RECT& area, int* x, int* y);
// Moves window there (without activating a hidden window).
void CenterWindowOver(HWND window, HWND other);
void CenterDialogOnParent(HWND dialog);
