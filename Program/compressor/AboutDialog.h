// The About box (dialog 701): the program's name and its file version.
#pragma once
#include <windows.h>

#include <string>

void ShowAboutDialog(HWND owner);
// "Version " and the FileVersion text of the program file; empty when the
// version resource cannot be read.
std::wstring AboutVersionLine(const wchar_t* programPath);
