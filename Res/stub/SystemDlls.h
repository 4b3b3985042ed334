// System libraries the stub loads by full path from the system folder after
// its DLL search is hardened, so that a library of the same name beside the
// program is never picked up by the loader at start.
#pragma once
#include <windows.h>

namespace stub {

// Restricts the DLL search and loads the system libraries by full path.
// False when the system folder is unknown, a library of the system folder's
// name lies beside the program on a system without restricted search, or a
// load fails.
bool HardenDllSearch();

// The address of an export of a system library, the library being loaded by
// full path from the system folder; null when either is missing.
FARPROC GetSystemProc(const wchar_t* library, const char* name);

// Typed form.
template <class Fn>
Fn SystemProc(const wchar_t* library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetSystemProc(library, name)));
}

}  // namespace stub
