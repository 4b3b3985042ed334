// The About box of the installer wizard: what the installer was made with,
// the product logo and a link to the product information page.
#pragma once
#include <windows.h>

namespace stub {

// Shows the About box (119, or 166 with the Segoe UI set) modally, owned by
// owner.
void ShowStubAbout(HWND owner);

INT_PTR CALLBACK StubAboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace stub
