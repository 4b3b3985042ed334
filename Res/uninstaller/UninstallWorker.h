// The worker role: the launcher's temporary copy, which removes what the
// information file lists.
#pragma once
#include <windows.h>

// The whole removal for the information copy at infoCopy; returns 0.
int RunUninstall(const wchar_t* infoCopy);

// Thread procedure that unregisters the "[RegServer]" entries. Its
// argument points to an UnregisterServersArgs.
struct UnregisterServersArgs {
  const void* worker;  // the worker's state
  HWND dialog;  // not used
};
DWORD WINAPI UnregisterServersThread(void* argument);

// True when a "[Registry_CURRENT_USER]", "[Registry_LOCAL_MACHINE]" or
// "[Registry_USERS]" value names a key below a top-level key: its first
// backslash is followed by at least one more character.
bool HasKeyBelowTopLevel(const wchar_t* value);

// An UninstallKey value the worker accepts: not empty, no empty parts.
bool IsUsableUninstallKey(const wchar_t* key);
