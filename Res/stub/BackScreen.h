// The background screen of a package with UseBackScreen: a maximised window
// that covers the desktop behind the wizard with a colour gradient, a line
// of text and, when the package names one, a logo bitmap from its archive.
#pragma once
#include <windows.h>

namespace stub {

// Creates the window (class "Vesmarin_BackScreen_Class") with the title,
// the text drawn on it and the gradient's start colour, and maximises it,
// which shows it. False when it could not be created; nothing is reported.
bool CreateBackScreen(const wchar_t* title, const wchar_t* text, COLORREF colour);

// Makes the background the owner of window (the wizard's frame), which also
// receives the background's close request, and shows it. With a logo the
// call returns only after the background has shown for two seconds. False
// without a background.
bool ShowBackScreen(HWND window);

// Destroys the window (nothing when there is none).
void DestroyBackScreen();

// The background window while it exists, else null.
HWND BackScreenWindow();

// The height of one band of the gradient for a client area of this height:
// a 128th of it, at least one pixel.
int BackScreenBandHeight(int clientHeight);

// The font of the background's text: string 24's face, 30 pixels high,
// italic, in the Shift-JIS set with a Japanese interface and the default set
// otherwise.
HFONT CreateBackScreenFont(bool japanese);

LRESULT CALLBACK BackScreenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace stub
