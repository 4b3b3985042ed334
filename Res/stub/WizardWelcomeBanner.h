// What the Welcome page draws itself: the package's banner bitmap in its
// area, or the web link's address under the link icon, and what the mouse
// does over them (hand cursor, the click that opens the link).
#pragma once
#include <windows.h>

namespace stub {

// The banner taken from the archive and decoded once (BannerFile set and a
// valid bitmap), for the page's life.
void LoadWelcomeBanner();
void ReleaseWelcomeBanner();

// The drawn size of a bitmap of width x height in an area of areaWidth x
// areaHeight: never wider or taller than the area; a lower one keeps its
// height.
SIZE BannerDrawnSize(SIZE bitmap, SIZE area);

// Paints the banner (BannerFile set) or, without one, the web link.
void PaintWelcomeExtras(HWND page, HDC dc);
// Whether the point (page client coordinates) is over the banner or the
// link; the link is redrawn for the hover colour.
bool WelcomeHandCursor(HWND page, POINT point);
// A left click at point: opens the web link when it hit the banner, the
// link text or the link icon.
void WelcomeClick(HWND page, POINT point);

}  // namespace stub
