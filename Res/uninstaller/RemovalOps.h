// The elementary removal operations of the uninstall worker. None shows a
// message; each reports through its result.
#pragma once
#include <windows.h>

// Options from the information file and the restart flag they can set (the
// worker's are g_Removal, UninstallerApp.h).
struct RemovalSettings {
  bool rebootable = false;        // undeletable files are deleted at restart
  bool deleteIniSibling = false;  // an ".exe" takes its ".ini" along
  bool deleteDatSibling = false;  // ... and its ".dat"
  bool restartNeeded = false;     // set when a file was scheduled for restart
};

// Runs `"<tool>" /u /s "<server>"` in folder and waits for it to end.
// Returns its exit code, or 21 when it could not be started.
DWORD RunAndWait(const wchar_t* tool, const wchar_t* server, const wchar_t* folder);

// Unregisters a COM server. A server of this build's bitness is loaded
// into this process (64-bit build only) and its DllUnregisterServer called;
// others go to the system's registration tool of their bitness.
HRESULT UnregisterComServer(const wchar_t* server);

// The machine field of a PE file's COFF header. HRESULT of the failure:
// the Win32 error of opening it, or E_UNEXPECTED when it is no PE file.
HRESULT ReadPeMachine(const wchar_t* path, WORD* machine);

// Deletes a key and everything below it: 0 deleted, 1 not there, 2 failed.
int DeleteRegistryTree(HKEY root, const wchar_t* subkey);

// Removes the (empty) Start-menu group folder. True when it was removed or
// is one of the protected Startup folders, which stay untouched.
bool RemoveStartMenuGroup(bool allUsers, const wchar_t* group);

// Deletes an installed file and its companion files. True when the file is
// gone, was not there, or is scheduled for deletion at restart (then
// *scheduled is set). A folder in its place is left alone: false.
bool DeleteInstalledFile(const wchar_t* path, bool* scheduled);

// DeleteInstalledFile plus one log line for the file.
bool DeleteFileLogged(const wchar_t* path);

// Enables or disables the shutdown privilege of this process.
bool SetShutdownPrivilege(bool enable);
