#include "VisualStyles.h"

#include "SystemDlls.h"

namespace visualstyles {

namespace {

const wchar_t kLibrary[] = L"uxtheme.dll";

template <class Fn>
Fn Proc(const char* name) {
  return vesmarin::SystemProc<Fn>(kLibrary, name);
}

}  // namespace

bool IsThemed() {
  static const auto isAppThemed = Proc<decltype(&::IsAppThemed)>("IsAppThemed");
  return isAppThemed && isAppThemed() != FALSE;
}

HTHEME Open(HWND window, const wchar_t* classList) {
  static const auto open = Proc<decltype(&::OpenThemeData)>("OpenThemeData");
  return open ? open(window, classList) : nullptr;
}

void Close(HTHEME theme) {
  static const auto close = Proc<decltype(&::CloseThemeData)>("CloseThemeData");
  if (theme && close) close(theme);
}

bool DrawThemedBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                    const RECT* clip) {
  static const auto draw = Proc<decltype(&::DrawThemeBackground)>("DrawThemeBackground");
  return theme && draw && SUCCEEDED(draw(theme, dc, part, state, rect, clip));
}

bool DrawThemedText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, DWORD flags,
              const RECT* rect) {
  static const auto draw = Proc<decltype(&::DrawThemeText)>("DrawThemeText");
  RECT area = *rect;
  return theme && draw && SUCCEEDED(draw(theme, dc, part, state, text, -1, flags, 0, &area));
}

bool IsBackgroundPartiallyTransparent(HTHEME theme, int part, int state) {
  static const auto query = Proc<decltype(&::IsThemeBackgroundPartiallyTransparent)>(
      "IsThemeBackgroundPartiallyTransparent");
  return theme && query && query(theme, part, state) != FALSE;
}

bool PartDrawsAnything(HTHEME theme, int part, int state) {
  const int kSide = 16;
  const COLORREF kSentinel = RGB(1, 2, 3);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kSide, kSide);
  ReleaseDC(nullptr, screen);
  bool drawn = false;
  if (dc && bitmap) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT area = {0, 0, kSide, kSide};
    HBRUSH sentinel = CreateSolidBrush(kSentinel);
    FillRect(dc, &area, sentinel);
    DeleteObject(sentinel);
    const COLORREF before = GetPixel(dc, 0, 0);
    if (DrawThemedBackground(theme, dc, part, state, &area, nullptr))
      for (int y = 0; y < kSide && !drawn; ++y)
        for (int x = 0; x < kSide && !drawn; ++x) drawn = GetPixel(dc, x, y) != before;
    SelectObject(dc, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (dc) DeleteDC(dc);
  return drawn;
}

bool DrawParentBackground(HWND window, HDC dc, const RECT* rect) {
  static const auto draw =
      Proc<decltype(&::DrawThemeParentBackground)>("DrawThemeParentBackground");
  RECT area = *rect;
  return draw && SUCCEEDED(draw(window, dc, &area));
}

bool ApplyWindowTheme(HWND window, const wchar_t* appName, const wchar_t* idList) {
  static const auto set = Proc<decltype(&::SetWindowTheme)>("SetWindowTheme");
  return set && SUCCEEDED(set(window, appName, idList));
}

bool DrawThemedBorder(HWND window, const wchar_t* classList, int part, int state) {
  HTHEME theme = IsThemed() ? Open(window, classList) : nullptr;
  if (!theme) return false;
  HDC dc = GetWindowDC(window);
  if (!dc) {
    Close(theme);
    return false;
  }
  RECT outer;
  GetWindowRect(window, &outer);
  POINT clientOrigin = {0, 0};
  ClientToScreen(window, &clientOrigin);
  RECT client;
  GetClientRect(window, &client);
  OffsetRect(&client, clientOrigin.x - outer.left, clientOrigin.y - outer.top);
  OffsetRect(&outer, -outer.left, -outer.top);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  if (IsBackgroundPartiallyTransparent(theme, part, state))
    DrawParentBackground(window, dc, &outer);
  DrawThemedBackground(theme, dc, part, state, &outer, nullptr);
  ReleaseDC(window, dc);
  Close(theme);
  return true;
}

}  // namespace visualstyles
