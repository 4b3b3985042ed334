// The dialog font for Windows versions before Windows 10: the system's
// default GUI font with the face "Tahoma" (English interface) or
// "MS UI Gothic" (Japanese interface), made once per process.
#pragma once
#include <windows.h>

namespace stub {

// Before Windows 10 / Windows Server 2016: sets that font, with redrawing, on
// every descendant window of dialog and, with alsoParent, of its parent.
// Does nothing on later versions.
void ApplyClassicGuiFont(HWND dialog, bool alsoParent);

}  // namespace stub
