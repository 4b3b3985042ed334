// What the Welcome page adds to the wizard frame: the About item of the
// system menu, the product mark in the frame's lower left corner, and the
// frame's subclass that opens the About box from both.
#pragma once
#include <windows.h>

namespace stub {

// Inserts the About item (string 9, command 104) at position 6 of the
// frame's system menu, before a new separator.
void AddAboutMenuItem(HWND frame);

// Creates the product mark "Vesmarin 6" (a disabled static, id 104) 7
// dialog units from the frame's left and bottom client edges, in the font
// of fontSource, and remembers its rectangle.
void CreateProductMark(HWND frame, HWND fontSource);

// Subclasses the frame with WizardFrameProc (once).
void SubclassWizardFrame(HWND frame);

LRESULT CALLBACK WizardFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace stub
