// The dialog procedures of the installer wizard's pages. The read-me and
// destination pages have their templates' ids reserved and their places in
// the page plan, but no procedure yet: RunWizard leaves them out.
#pragma once
#include <windows.h>

namespace stub {

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ReadyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PerformingPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace stub
