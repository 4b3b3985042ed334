#include "StepMarkers.h"

namespace stub {

namespace {
const int kFirstMarker = 1016;
const int kMarkerCount = 4;
}  // namespace

int g_StepMarkerCounter = 0;

void ShowNextStepMarker(HWND page) {
  if (g_StepMarkerCounter < 0 || g_StepMarkerCounter >= kMarkerCount) return;
  HWND marker = page ? GetDlgItem(page, kFirstMarker + g_StepMarkerCounter) : nullptr;
  if (marker) ShowWindow(marker, SW_SHOW);
  ++g_StepMarkerCounter;
}

}  // namespace stub
