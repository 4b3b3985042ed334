// Registration of the package's COM server libraries: a server built for the
// stub's own processor is registered in this process (DllRegisterServer), one
// of the other processor by the system's matching regsvr32. The install
// worker runs the registration window, which registers on a thread of its
// own while a marquee bar is shown.
#pragma once
#include <windows.h>
#include <cstdint>

namespace stub {

// Result codes of one server (shown with "Could not register server ...").
enum ComRegistrationCode {
  kComRegistered = 0,
  kComNoInstalledPath = 101,   // the installed path cannot be formed
  kComCannotOpen = 201,        // the file cannot be opened for reading
  kComNoPeSignature = 202,     // no "PE\0\0" at the offset stored at 0x3C
  kComNoFileHeader = 203,      // the file header after the signature is short
  kComUnknownMachine = 204,    // neither x86 (0x014C) nor x64 (0x8664)
  kComRegisterFailed = 301,    // DllRegisterServer failed, threw or faulted
  kComNoRegisterExport = 302,  // no DllRegisterServer export
  kComCannotLoad = 303,        // no folder in the path, or the load failed
  kComNoSystemX86Folder = 401, // 64-bit build: no 32-bit system folder
  kComNoSystemFolder = 402,    // 32-bit build: no system folder
  kComNoServerFolder = 403,    // regsvr32: the server's folder cannot be formed
  kComRegsvrNotStarted = 22,   // regsvr32 cannot be started
  kComRegsvrNoExitCode = 23,   // regsvr32's exit code cannot be read
  // Any other non-zero value: regsvr32's own exit code.
  kComSkipped = -1,            // a 64-bit server on 32-bit Windows: no message
};

const uint16_t kMachineX86 = 0x014C;
const uint16_t kMachineX64 = 0x8664;

// Runs the modal registration window ("Registering Components...") owned by
// owner (null in a silent run); it registers every server of the package on
// its own thread and ends itself with 1 when done. -1 when the window cannot
// be created: the caller then calls RegisterComServers(owner) itself.
INT_PTR RunRegistrationWindow(HWND owner);

// Registers every COM server of the package in order; each failure shows its
// box (owned by owner, not in an ultra-silent run) and the next server is
// tried. Returns the number of failures.
int RegisterComServers(HWND owner);

// Registers one server given by its archive path; installedPath (260
// characters, may be null) receives the installed path when it can be formed.
// Returns a code above (0 when registered).
int RegisterComServer(const wchar_t* archivePath, wchar_t* installedPath);

// Reads the machine field of a PE file's header: 0 with *machine set, or
// 201, 202, 203 or 204 (the machine is then still reported when read).
int ReadServerMachine(const wchar_t* path, uint16_t* machine);

// Loads the library (so that libraries beside it are found), calls its
// DllRegisterServer and frees it: 0, 301, 302 or 303. A fault or exception
// inside the call counts as 301 and its code goes to *faultCode when given.
int RegisterServerInProcess(const wchar_t* path, DWORD* faultCode = nullptr);

// Runs regsvr32 (full path) on the server with "/s" in folder and waits:
// its exit code, or 22 (not started) or 23 (exit code unreadable).
DWORD RunRegsvr32(const wchar_t* regsvr32, const wchar_t* server, const wchar_t* folder);

}  // namespace stub
