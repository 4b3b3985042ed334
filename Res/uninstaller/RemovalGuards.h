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

// A Start-menu group below the Programs folder: relative, with no empty,
// "." or ".." parts.
bool IsSafeGroupName(const wchar_t* name);

// The key trees the worker may delete. Refused: a root itself, paths with
// empty parts, the shared class keys directly below HKEY_CLASSES_ROOT (or
// a Classes key) such as CLSID, Interface, TypeLib, AppID and "*", and keys
// too close to a shared hive: fewer than two levels below SOFTWARE, three
// below SOFTWARE\Microsoft, five below SOFTWARE\Microsoft\Windows (NT),
// four below SYSTEM, two below any other top key. HKEY_USERS paths are
// judged below their user's hive.
bool IsRegistryKeyRemovable(HKEY root, const wchar_t* subkey);
