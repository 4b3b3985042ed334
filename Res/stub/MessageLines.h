// Message texts broken into lines that fit the screen: a message box grows
// as wide as its longest line, and a long path has no blank to break at.
#pragma once
#include <windows.h>

#include <string>

namespace stub {

// The text with every line that is wider than maxWidth pixels (as dc draws
// it) broken: after the last backslash that keeps the line within the
// width, or a blank, or else after the last character that does. Lines that
// fit are left as they are.
std::wstring BreakLongLines(const std::wstring& text, HDC dc, int maxWidth);

// BreakLongLines in the message-box font, for two thirds of the width of
// the primary monitor's work area.
std::wstring FitMessageToScreen(const wchar_t* text);

}  // namespace stub
