// The four step markers of the "Performing Installation" page (controls
// 1016 to 1019): the install worker shows one for each step it begins.
#pragma once
#include <windows.h>

namespace stub {

// Shows the next of the four markers on the page (the count lives for the
// whole process); past the fourth marker nothing is shown.
void ShowNextStepMarker(HWND page);

}  // namespace stub
