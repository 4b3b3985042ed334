// The installer's side of the extension-module interface: the module and
// its data file taken from the archive, the record's fixed slots, the two
// host services, and the events whose parameters need conversion.
#pragma once
#include <windows.h>

namespace stub {

// Extracts the module named by the settings (and its data file, when named)
// into temporary files ("qxe", "qxi"), loads it and fills the records.
// Returns 0, or exit code 12 after showing string 62 (not extracted or not
// loadable) or 63 (neither entry).
int PrepareExtensionModule();
// True while a module is loaded.
bool ExtensionActive();
// Frees the module and deletes its temporary files.
void ReleaseExtensionModule();

// Event 1006 with the 260-character folder buffer, which the module may
// change (the ANSI entry sees and returns a converted copy).
LONG SendInstallFolderEvent(wchar_t* folder);
// Event 1007, the one way every error and abort reaches the module: code
// (-1 for the user's abort), message text, and the address of a show flag
// that starts at 1; *suppress is set when the module cleared it.
LONG SendInstallErrorEvent(int code, const wchar_t* text, bool* suppress);

// The host services (wide and ANSI flavours).
INT_PTR WINAPI HostExtractFileW(const void* name);
INT_PTR WINAPI HostExtractFileA(const void* name);
INT_PTR WINAPI HostRegisterUninstallPathW(const void* path);
INT_PTR WINAPI HostRegisterUninstallPathA(const void* path);

}  // namespace stub
