#include "WizardWelcomeBanner.h"

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "PackedBitmap.h"
#include "ProgramStart.h"
#include "ScopedHandles.h"
#include "StubSettings.h"
#include "StubState.h"
#include "WizardResource.h"
#include "WizardCommon.h"

namespace stub {

namespace {

const int kLinkMargin = 8;
const COLORREF kLinkColour = RGB(0, 0, 255);
const COLORREF kLinkHoverColour = RGB(255, 0, 0);

HBITMAP g_banner = nullptr;
SIZE g_bannerSize = {0, 0};
SIZE g_drawn = {0, 0};
HFONT g_linkFont = nullptr;

bool HasBanner() { return g_Settings && *g_Settings->BannerFile; }
bool HasLink() { return g_Settings && *g_Settings->URL; }

RECT ControlRect(HWND page, int id) {
  RECT rect = {0, 0, 0, 0};
  HWND control = GetDlgItem(page, id);
  if (control) {
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

// Where the banner was drawn: the area's left edge, the drawn size,
// centred vertically.
RECT DrawnBannerRect(HWND page) {
  RECT area = ControlRect(page, IDC_WELCOME_BANNER);
  const int top = area.top + (area.bottom - area.top - g_drawn.cy) / 2;
  RECT rect = {area.left, top, area.left + g_drawn.cx, top + g_drawn.cy};
  return rect;
}

HFONT LinkFont() {
  if (!g_linkFont) {
    LOGFONTW font;
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font)) {
      font.lfUnderline = TRUE;
      g_linkFont = CreateFontIndirectW(&font);
    }
  }
  return g_linkFont;
}

// The link's text rectangle: the top-left corner of 1033 and the measured
// size of the address.
RECT LinkTextRect(HWND page, HDC dc) {
  RECT area = ControlRect(page, IDC_WELCOME_LINK);
  RECT text = {area.left, area.top, area.left, area.top};
  HGDIOBJ old = SelectObject(dc, LinkFont());
  DrawTextW(dc, g_Settings->URL, -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  SelectObject(dc, old);
  return text;
}

// Draws the link; true when the cursor is over its text.
bool DrawLink(HWND page, HDC dc) {
  RECT text = LinkTextRect(page, dc);
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(page, &cursor);
  const bool hover = PtInRect(&text, cursor) != FALSE;
  RECT back = text;
  InflateRect(&back, kLinkMargin, kLinkMargin);
  FillRect(dc, &back, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ old = SelectObject(dc, LinkFont());
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, hover ? kLinkHoverColour : kLinkColour);
  DrawTextW(dc, g_Settings->URL, -1, &text, DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  return hover;
}

bool OverLinkText(HWND page, POINT point) {
  HDC dc = GetDC(page);
  if (!dc) return false;
  RECT text = LinkTextRect(page, dc);
  ReleaseDC(page, dc);
  return PtInRect(&text, point) != FALSE;
}

bool OverLinkIcon(HWND page, POINT point) {
  RECT icon = ControlRect(page, IDC_WELCOME_LINK_ICON);
  return PtInRect(&icon, point) != FALSE;
}

void PaintBanner(HWND page, HDC dc) {
  RECT area = ControlRect(page, IDC_WELCOME_BANNER);
  FillRect(dc, &area, GetSysColorBrush(g_WizardNewStyle ? COLOR_WINDOW : COLOR_BTNFACE));
  if (!g_banner) return;
  const SIZE areaSize = {area.right - area.left, area.bottom - area.top};
  g_drawn = BannerDrawnSize(g_bannerSize, areaSize);
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, g_banner);
  const RECT target = DrawnBannerRect(page);
  if (g_drawn.cx == g_bannerSize.cx && g_drawn.cy == g_bannerSize.cy) {
    BitBlt(dc, target.left, target.top, g_drawn.cx, g_drawn.cy, source, 0, 0, SRCCOPY);
  } else {
    const int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, target.left, target.top, g_drawn.cx, g_drawn.cy, source, 0, 0,
               g_bannerSize.cx, g_bannerSize.cy, SRCCOPY);
    SetStretchBltMode(dc, mode);
  }
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace

SIZE BannerDrawnSize(SIZE bitmap, SIZE area) {
  SIZE drawn = {bitmap.cx < area.cx ? bitmap.cx : area.cx, bitmap.cy};
  if (bitmap.cy > area.cy) drawn.cy = area.cy;
  if (drawn.cx < 0) drawn.cx = 0;
  if (drawn.cy < 0) drawn.cy = 0;
  return drawn;
}

void LoadWelcomeBanner() {
  if (g_banner || !HasBanner() || !g_Archive || !g_Archive->Decoder) return;
  DWORD size = 0;
  vesmarin::ScopedGlobal block(g_Archive->Decoder->ExtractToMemory(g_Settings->BannerFile, &size));
  g_banner = vesmarin::CreateBitmapFromGlobalBmp(block.get());
  BITMAP info;
  if (g_banner && GetObjectW(g_banner, sizeof(info), &info)) {
    g_bannerSize.cx = info.bmWidth;
    g_bannerSize.cy = info.bmHeight;
  }
}

void ReleaseWelcomeBanner() {
  if (g_banner) DeleteObject(g_banner);
  if (g_linkFont) DeleteObject(g_linkFont);
  g_banner = nullptr;
  g_linkFont = nullptr;
  g_drawn.cx = g_drawn.cy = 0;
}

void PaintWelcomeExtras(HWND page, HDC dc) {
  if (HasBanner())
    PaintBanner(page, dc);
  else if (HasLink())
    DrawLink(page, dc);
}

bool WelcomeHandCursor(HWND page, POINT point) {
  if (!HasLink()) return false;
  if (HasBanner()) {
    RECT banner = DrawnBannerRect(page);
    return PtInRect(&banner, point) != FALSE;
  }
  HDC dc = GetDC(page);
  if (dc) {
    DrawLink(page, dc);
    ReleaseDC(page, dc);
  }
  return OverLinkText(page, point) || OverLinkIcon(page, point);
}

void WelcomeClick(HWND page, POINT point) {
  if (!HasLink()) return;
  if (HasBanner()) {
    RECT banner = DrawnBannerRect(page);
    if (PtInRect(&banner, point)) OpenWebLink(page);
    return;
  }
  if (OverLinkIcon(page, point) || OverLinkText(page, point)) {
    OpenWebLink(page);
    InvalidateRect(page, nullptr, TRUE);
  }
}

}  // namespace stub
