#include "BannerPreview.h"

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "VesmarinResource.h"

namespace {

const wchar_t kPreviousProcedure[] = L"VesmarinBannerPreviousProc";

WNDPROC PreviousProcedure(HWND preview) {
  return reinterpret_cast<WNDPROC>(GetPropW(preview, kPreviousProcedure));
}

HBRUSH BackgroundBrush(HWND page, HWND preview) {
  HBRUSH brush = nullptr;
  HDC dc = GetDC(page);
  if (dc) {
    brush = reinterpret_cast<HBRUSH>(
        SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(preview)));
    ReleaseDC(page, dc);
  }
  return brush ? brush : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
}

void Paint(HWND preview) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(preview, &paint);
  if (!dc) return;
  RECT area;
  GetClientRect(preview, &area);
  FillRect(dc, &area, BackgroundBrush(GetParent(preview), preview));
  const CSfxSettings& settings = g_SfxSettings;
  HBITMAP bitmap = settings.UseBannerFile
                       ? LoadArchiveBitmap(settings.SrcArchiveFile, settings.BannerFile)
                       : nullptr;
  if (bitmap) {
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      const BannerPlacement place = PlaceBanner(area, info.bmWidth, info.bmHeight);
      const RECT& to = place.destination;
      if (place.copyUnchanged) {
        BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0, SRCCOPY);
      } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0,
                   info.bmWidth, info.bmHeight, SRCCOPY);
      }
      SelectObject(memory, old);
      DeleteDC(memory);
    }
    DeleteObject(bitmap);
  }
  EndPaint(preview, &paint);
}

LRESULT CALLBACK PreviewProc(HWND preview, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = PreviousProcedure(preview);
  if (message == WM_PAINT &&
      IsDlgButtonChecked(GetParent(preview), IDC_BANNER_USE) == BST_CHECKED) {
    try {
      Paint(preview);
      return 0;
    } catch (...) {
      // Nothing may unwind into the system's painting; the preview stays
      // empty.
      ValidateRect(preview, nullptr);
      return 0;
    }
  }
  if (message == WM_NCDESTROY) DetachBannerPreview(preview);
  return previous ? CallWindowProcW(previous, preview, message, wParam, lParam)
                  : DefWindowProcW(preview, message, wParam, lParam);
}

}  // namespace

BannerPlacement PlaceBanner(const RECT& area, int width, int height) {
  const int areaWidth = area.right - area.left;
  const int areaHeight = area.bottom - area.top;
  BannerPlacement place = {};
  place.destination.left = area.left;
  place.destination.right = area.left + (width < areaWidth ? width : areaWidth);
  if (height < areaHeight) {
    place.destination.top = area.top + (areaHeight - height) / 2;
    place.destination.bottom = place.destination.top + height;
  } else {
    place.destination.top = area.top;
    place.destination.bottom = area.top + areaHeight;
  }
  place.copyUnchanged = width == areaWidth && height == areaHeight;
  return place;
}

void AttachBannerPreview(HWND preview) {
  if (!preview || GetPropW(preview, kPreviousProcedure)) return;
  LONG_PTR previous = SetWindowLongPtrW(preview, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewProc));
  SetPropW(preview, kPreviousProcedure, reinterpret_cast<HANDLE>(previous));
}

void DetachBannerPreview(HWND preview) {
  WNDPROC previous = PreviousProcedure(preview);
  if (!previous) return;
  SetWindowLongPtrW(preview, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  RemovePropW(preview, kPreviousProcedure);
}
