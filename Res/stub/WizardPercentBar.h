// The classic wizard's progress bar: a bordered static painted with the
// percentage, white on the filled part and in the highlight colour on the
// rest.
#pragma once
#include <windows.h>

namespace stub {

// Paints percent (nothing above 100) into rect of dc.
void PaintPercentBar(HDC dc, const RECT& rect, unsigned percent);

// The filled width of a bar width w at percent p (w x p / 100, truncated).
int PercentBarFilledWidth(int width, unsigned percent);

// Subclasses the static so that WM_PAINT paints the bar with the current
// progress percentage.
void SubclassPercentBar(HWND control);

}  // namespace stub
