// The installation steps after the extraction: extension event 1008, the
// delete list, shortcuts, COM servers, the saved install folder and read-me
// flag in the registry, event 1004 and, in the wizard, the move to the next
// page.
#pragma once
#include <windows.h>

namespace stub {

// Runs the steps with the wizard's "Performing Installation" page as window,
// or none in a silent run. False when the extension module stopped the work
// (last error code -1, and in the wizard PSBTN_CANCEL posted to the frame).
bool RunInstallWorker(HWND window);

// Create or open the key for writing and set a REG_SZ (with its NUL) or a
// REG_DWORD value; true when the value was set.
bool WriteRegistryString(HKEY root, const wchar_t* key, const wchar_t* name,
                         const wchar_t* data);
bool WriteRegistryDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD data);

}  // namespace stub
