#include "MessageLines.h"

namespace stub {

namespace {

int Width(HDC dc, const wchar_t* text, size_t length) {
  SIZE size = {};
  if (length == 0 || !GetTextExtentPoint32W(dc, text, static_cast<int>(length), &size)) return 0;
  return size.cx;
}

// How many characters of the line go on its first row.
size_t RowLength(HDC dc, const wchar_t* line, size_t length, int maxWidth) {
  size_t fits = 0;
  // The longest start that fits (the width only grows with the length).
  size_t low = 1, high = length;
  while (low <= high) {
    const size_t middle = low + (high - low) / 2;
    if (Width(dc, line, middle) <= maxWidth) {
      fits = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (fits == 0) return 1;
  if (fits >= length) return length;
  for (size_t at = fits; at > 0; --at)
    if (line[at - 1] == L'\\' || line[at - 1] == L' ') return at;
  return fits;
}

}  // namespace

std::wstring BreakLongLines(const std::wstring& text, HDC dc, int maxWidth) {
  if (!dc || maxWidth <= 0) return text;
  std::wstring out;
  out.reserve(text.size() + 16);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    const wchar_t* line = text.c_str() + start;
    size_t length = end - start;
    if (length > 0 && line[length - 1] == L'\r') --length;
    while (length > 0 && Width(dc, line, length) > maxWidth) {
      const size_t row = RowLength(dc, line, length, maxWidth);
      out.append(line, row);
      out += L'\n';
      line += row;
      length -= row;
    }
    out.append(line, text.c_str() + end - line);
    if (end == text.size()) break;
    out += L'\n';
    start = end + 1;
  }
  return out;
}

std::wstring FitMessageToScreen(const wchar_t* text) {
  if (!text) return std::wstring();
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  HFONT font = nullptr;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    font = CreateFontIndirectW(&metrics.lfMessageFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = dc && font ? SelectObject(dc, font) : nullptr;
  const std::wstring fitted = BreakLongLines(text, dc, (area.right - area.left) * 2 / 3);
  if (previous) SelectObject(dc, previous);
  if (dc) ReleaseDC(nullptr, dc);
  if (font) DeleteObject(font);
  return fitted;
}

}  // namespace stub
