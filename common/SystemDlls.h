// System libraries loaded from the system folder only, after the DLL search
// is hardened, so that a library of the same name beside a program (in a
// download folder, say) is never picked up. Programs import at load time
// only libraries that Windows always takes from its system folder; every
// other library comes through here.
#pragma once
#include <windows.h>
#include <cstddef>

namespace vesmarin {

// Sets the DLL directory to the empty string and restricts the default DLL
// search to the system folder (not on Vista and Server 2008, where it needs
// an update that cannot be relied on), then loads the preload libraries
// from the system folder. False when the system folder is unknown, a
// library of the system folder's name lies beside the program on a system
// without restricted search, or a preload fails.
bool HardenDllSearch(const wchar_t* const* preload = nullptr, size_t preloadCount = 0);

// A system library, taken from the system folder only
// (LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32, or by full path where
// that flag is unknown); null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The address of an export of a system library loaded as above; null when
// either is missing.
FARPROC GetSystemProc(const wchar_t* library, const char* name);

// Typed form.
template <class Fn>
Fn SystemProc(const wchar_t* library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetSystemProc(library, name)));
}

}  // namespace vesmarin
