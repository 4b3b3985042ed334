// The control-host window class of the main dialog's browser pane
// ("AtlAxWin140"): a window whose text names the class id of an ActiveX
// control creates that control when it is made and activates it in place
// over its client area.
#pragma once
#include <windows.h>
#include <unknwn.h>

// Registers the window class for instance; true when it exists.
bool RegisterBrowserHostClass(HINSTANCE instance);

// The hosted control of a host window (a reference the caller releases);
// E_POINTER or E_FAIL when there is none. The host answers the registered
// message "WM_ATLGETCONTROL" with lParam pointing at an IUnknown*.
HRESULT GetHostedControl(HWND host, IUnknown** control);
