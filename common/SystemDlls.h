// System libraries loaded by full path from the system folder after the DLL
// search is hardened, so that a library of the same name beside a program is
// never picked up.
#pragma once
#include <windows.h>

namespace vesmarin {

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

}  // namespace vesmarin
