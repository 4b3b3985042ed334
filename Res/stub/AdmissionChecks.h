// The package's admission checks before anything is installed: 64-bit
// refusal, signature, rights and Windows version.
#pragma once
#include <windows.h>
#include <cstdint>

namespace stub {

// True when the package refuses this process: Deny64bitMode under Wow64.
bool RefusesWow64(uint32_t flagsA, bool wow64);

// WinVerifyTrust on the file (generic verify action, no revocation check,
// user interface only for bad results unless ultra-silent). True when the
// file is trusted; *status receives the result.
bool IsFileTrusted(const wchar_t* path, LONG* status);

// The machine-wide Uninstall key, or failing that HKLM\System, opens for
// writing.
bool CanWriteMachineRegistry();
// The user is an administrator: privilege level, local group
// "Administrators", or HKLM\System can be created for writing.
bool IsUserAdministrator();

}  // namespace stub
