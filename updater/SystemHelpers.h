// Windows version tests, message dispatching, window centring and run-time
// lookups of the updater.
#pragma once
#include <windows.h>
#include <commctrl.h>

bool IsVistaOrLater();
bool IsXPOrLater();

// Dispatches what is queued without waiting; a WM_QUIT met on the way is
// posted again so that the outer loop still ends.
void PumpPendingMessages(HWND dialog);

// Where window goes to sit in the middle of reference (or of its monitor's
// work area when reference is null or hidden), kept on the virtual screen.
bool CalcCentredPosition(HWND window, HWND reference, int* x, int* y);
void CentreWindow(HWND window, HWND reference);

bool GetProcAddressChecked(HMODULE module, const char* name, FARPROC* address);

// The first selected row of a list view into item (iItem set); the result
// of LVM_GETITEMW, or 0 when there is none.
LRESULT GetSelectedListItem(HWND list, LVITEMW* item);
