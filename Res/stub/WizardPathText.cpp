#include "WizardPathText.h"

namespace stub {

void SetShortenedPathText(HWND control, const wchar_t* path) {
  if (!control) return;
  HDC dc = GetDC(control);
  if (!dc) return;
  // DT_MODIFYSTRING writes the ellipsis into the text: room for four more
  // characters than the longest path.
  wchar_t text[MAX_PATH + 8];
  lstrcpynW(text, path, MAX_PATH);
  RECT rect;
  GetWindowRect(control, &rect);
  OffsetRect(&rect, -rect.left, -rect.top);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  DrawTextExW(dc, text, -1, &rect,
              DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT,
              nullptr);
  if (old) SelectObject(dc, old);
  SetWindowTextW(control, text);
  ReleaseDC(control, dc);
}

}  // namespace stub
