// Checks on what the information file asks the worker to remove. An entry
// that fails them is skipped and logged, never acted on.
#pragma once
#include <windows.h>

// An absolute local path "X:\..." in its canonical form: no "." or ".."
// parts, no forward slashes, no empty parts, no stream or wildcard
// characters, and never a drive root. A trailing backslash (a folder) is
// allowed.
bool IsRemovableInstalledPath(const wchar_t* path);

// A bare file name: not empty, no folder part, drive, stream or wildcard,
// and not "." or "..".
bool IsPlainFileName(const wchar_t* name);

// A path below some folder: relative, with no drive, stream or wildcard
// characters and no empty, "." or ".." parts.
bool IsRelativePathBelow(const wchar_t* name);

// A Start-menu group below the Programs folder (as above).
bool IsSafeGroupName(const wchar_t* name);

// The key trees the worker may delete. Refused: a root itself, paths with
// empty parts, the shared class keys directly below HKEY_CLASSES_ROOT (or
// a Classes key) such as CLSID, Interface, TypeLib, AppID and "*", the
// shell's own class keys and everything below them (file types such as
// exefile, protocols such as http, SystemFileAssociations, Applications),
// and keys too close to a shared hive: SOFTWARE itself, its shared keys
// (Classes, Microsoft, Policies, Wow6432Node, Clients,
// RegisteredApplications), fewer than three levels below
// SOFTWARE\Microsoft, five below SOFTWARE\Microsoft\Windows (NT), four below
// SYSTEM, two below any other top key. A publisher's key one level below
// SOFTWARE may go. HKEY_USERS paths are judged below their user's hive.
bool IsRegistryKeyRemovable(HKEY root, const wchar_t* subkey);
