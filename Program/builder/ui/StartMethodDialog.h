// The question how to start when the builder is given an archive on its
// command line (dialog 155).
#pragma once
#include <windows.h>

// Parameter: the archive path. Result: 1 start from defaults with the
// archive, 2 load the definition file of the same name, 3 previous
// settings with the archive, 0 when nothing is chosen, -1 for Cancel or an
// archive name that cannot take the ".ini" extension.
INT_PTR CALLBACK BuilderStartMethodProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
