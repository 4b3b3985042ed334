// What the window classes of the builder's own controls (check list box,
// colour picker, spin edit) share.
#pragma once
#include <windows.h>

// Registers the class once per module: one pointer of window extra bytes
// for the control's record and the arrow cursor. True when the class
// exists afterwards.
bool RegisterControlClass(HINSTANCE instance, const wchar_t* className, UINT style, WNDPROC proc);

// Gives the control the sunken client edge, at WM_NCCREATE.
void AddClientEdge(HWND control);
