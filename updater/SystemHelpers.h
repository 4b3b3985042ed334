// Windows version tests, run-time lookups and list-view selection of the
// updater. Message dispatching and window centring are the shared ones
// (MessagePump.h, WindowCentering.h).
#pragma once
#include <windows.h>
#include <commctrl.h>

bool IsVistaOrLater();
bool IsXPOrLater();

bool GetProcAddressChecked(HMODULE module, const char* name, FARPROC* address);

// IsAppThemed of uxtheme.dll, loaded from the system folder; false while
// the library or the export is missing (asked again at the next call).
bool IsAppThemedSafe();

// The first selected row of a list view into item (iItem set); the result
// of LVM_GETITEMW, or 0 when there is none.
LRESULT GetSelectedListItem(HWND list, LVITEMW* item);
