// The banner preview of the "Banner" page: a static control subclassed to
// paint the banner from the archive as the installer will fit it.
#pragma once
#include <windows.h>

// Where a bitmap of width x height is drawn in area: a smaller side keeps
// its size (left-aligned, centred vertically), a larger one is squeezed to
// the area. copyUnchanged is true when bitmap and area have the same size.
struct BannerPlacement {
  RECT destination;
  bool copyUnchanged;
};
BannerPlacement PlaceBanner(const RECT& area, int width, int height);

// Subclasses the static; the previous procedure is put back by
// DetachBannerPreview (at the latest when the static is destroyed).
void AttachBannerPreview(HWND preview);
void DetachBannerPreview(HWND preview);
