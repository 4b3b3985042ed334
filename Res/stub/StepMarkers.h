// The four step markers of the "Performing Installation" page (controls
// 1016 to 1019): the install worker shows one for each step it begins.
#pragma once
#include <windows.h>

namespace stub {

// Index (0 to 3) of the next marker to show; lives for the whole process.
extern int g_StepMarkerCounter;

// Shows the marker control at the counter on the page and increments the
// counter; past the fourth marker nothing is shown.
void ShowNextStepMarker(HWND page);

}  // namespace stub
