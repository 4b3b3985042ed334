// A path shown in a static control, shortened in the middle with an
// ellipsis so that it fits the control's width.
#pragma once
#include <windows.h>

namespace stub {

// Sets the control's text to path, shortened to its width in its font. When
// the control's device context cannot be had, the control keeps its text.
void SetShortenedPathText(HWND control, const wchar_t* path);

}  // namespace stub
