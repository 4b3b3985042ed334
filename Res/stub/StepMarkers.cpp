#include "StepMarkers.h"

namespace stub {

namespace {
const int kFirstMarker = 1016;
const int kMarkerCount = 4;
// Index (0 to 3) of the next marker to show.
int g_stepMarkerCounter = 0;
}  // namespace

void ShowNextStepMarker(HWND page) {
  if (g_stepMarkerCounter < 0 || g_stepMarkerCounter >= kMarkerCount) return;
  HWND marker = page ? GetDlgItem(page, kFirstMarker + g_stepMarkerCounter) : nullptr;
  if (marker) ShowWindow(marker, SW_SHOW);
  ++g_stepMarkerCounter;
}

}  // namespace stub
