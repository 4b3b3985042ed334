// The visual-styles functions the builder's own controls draw with, taken
// from uxtheme.dll of the system folder at first use. Without the library
// (or without a theme for a window) every call reports failure and the
// controls draw their classic look.
#pragma once
#include <windows.h>
#include <uxtheme.h>

namespace visualstyles {

// True when the application is themed and the window has a theme of the
// class: the themed drawing paths run exactly then.
bool IsThemed();
HTHEME Open(HWND window, const wchar_t* classList);
void Close(HTHEME theme);
bool DrawThemedBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                    const RECT* clip);
bool DrawThemedText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, DWORD flags,
              const RECT* rect);
bool IsBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
// True when the part's background in the state changes any pixel of a
// small test area: some themes define parts that draw nothing.
bool PartDrawsAnything(HTHEME theme, int part, int state);
bool DrawParentBackground(HWND window, HDC dc, const RECT* rect);
bool ApplyWindowTheme(HWND window, const wchar_t* appName, const wchar_t* idList);
// Draws a theme part over the window's border (its client area left
// alone, the parent's background first where the part is partly
// transparent); false when the window has no theme of the class.
bool DrawThemedBorder(HWND window, const wchar_t* classList, int part, int state);

// An open theme handle closed at scope exit.
class ScopedTheme {
 public:
  ScopedTheme(HWND window, const wchar_t* classList)
      : theme_(IsThemed() ? Open(window, classList) : nullptr) {}
  ~ScopedTheme() { Close(theme_); }
  ScopedTheme(const ScopedTheme&) = delete;
  ScopedTheme& operator=(const ScopedTheme&) = delete;
  HTHEME get() const { return theme_; }
  explicit operator bool() const { return theme_ != nullptr; }

 private:
  HTHEME theme_;
};

}  // namespace visualstyles
