#include "WizardPercentBar.h"

#include <strsafe.h>

#include "Extraction.h"
#include "ScopedHandles.h"
#include "StubState.h"

namespace stub {

namespace {

const wchar_t kPreviousProcProperty[] = L"VesmarinPercentBarProc";

LRESULT CALLBACK PercentBarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropW(control, kPreviousProcProperty));
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT rect;
    GetClientRect(control, &rect);
    rect.bottom += 1;
    PaintPercentBar(dc, rect, static_cast<unsigned>(g_ProgressPercent));
    EndPaint(control, &paint);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    RemovePropW(control, kPreviousProcProperty);
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  }
  return previous ? CallWindowProcW(previous, control, message, wParam, lParam)
                  : DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

int PercentBarFilledWidth(int width, unsigned percent) {
  return static_cast<int>(static_cast<long long>(width) * percent / 100);
}

void PaintPercentBar(HDC dc, const RECT& rect, unsigned percent) {
  if (percent > 100) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int filled = PercentBarFilledWidth(width, percent);
  const int fontHeight = height * 80 / 100;
  const int textTop = rect.top + (height - fontHeight) / 2;
  const int textCentre = rect.left + width / 2;

  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  vesmarin::ScopedFont font(
      CreateFontW(fontHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH, face));
  vesmarin::ScopedBrush highlight(CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT)));
  const int saved = SaveDC(dc);

  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, rect.left + filled, rect.top, rect.right, rect.bottom);
  SelectObject(dc, highlight.get());
  Rectangle(dc, rect.left, rect.top, rect.left + filled + 1, rect.bottom);
  vesmarin::ScopedGdiObject clip(
      CreateRectRgn(rect.left, rect.top, rect.left + filled + 1, rect.bottom));

  wchar_t text[8];
  StringCchPrintfW(text, ARRAYSIZE(text), L"%u%%", percent);
  const int length = lstrlenW(text);
  if (font) SelectObject(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  TextOutW(dc, textCentre, textTop, text, length);
  if (clip) SelectClipRgn(dc, static_cast<HRGN>(clip.get()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutW(dc, textCentre, textTop, text, length);

  RestoreDC(dc, saved);
  SelectClipRgn(dc, nullptr);
}

void SubclassPercentBar(HWND control) {
  if (!control || GetPropW(control, kPreviousProcProperty)) return;
  LONG_PTR previous =
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PercentBarProc));
  SetPropW(control, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous));
}

}  // namespace stub
