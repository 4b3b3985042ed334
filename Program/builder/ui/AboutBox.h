// The About box (dialog 136) and the credits box behind its icon (138).
#pragma once
#include <windows.h>

// "Version " and the file version of the given program ("0.00" when it has
// no version information), formatted with string 460.
void FormatVersionLine(const wchar_t* programPath, wchar_t* line, int capacity);

INT_PTR CALLBACK BuilderAboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CreditsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the About box modally over the owner.
void ShowAboutBox(HWND owner);
