// The worker's modeless progress dialog (templates 100 and 101) and the
// message pumps that keep it responsive.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Dispatches every pending message without blocking. A WM_QUIT is posted
// again and ends the pump.
void PumpMessages();

// Pumps messages until at least milliseconds have passed since start (a
// GetTickCount value).
void PumpUntilElapsed(DWORD start, DWORD milliseconds);

// Pumps messages until handle is signalled.
void PumpUntilSignalled(HANDLE handle);
