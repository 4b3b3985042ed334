// Names of the launcher's temporary copies and the checks the worker makes
// on them before it does anything. Both copies lie in one folder of their
// own ("$$qxunst-<random>", ProtectedFolder.h) inside the user's temporary
// folder.
#pragma once
#include <windows.h>
#include <cstddef>

// "<folder>$$qxunst<number><extension>"; folder ends with a backslash. False when the path would not fit into capacity characters.
bool FormatTempCopyPath(const wchar_t* folder, unsigned number, const wchar_t* extension,
                        wchar_t* output, size_t capacity);

// True when path names "$$qxunst<number><extension>" directly inside
// tempFolder (letters compared case-insensitively); *number receives the
// decimal number.
bool ParseTempCopyPath(const wchar_t* path, const wchar_t* tempFolder, const wchar_t* extension,
                       unsigned* number);

// The user's temporary folder with a trailing backslash, in long form when
// it has one. False when it cannot be obtained.
bool GetTemporaryFolder(wchar_t* output, size_t capacity);

// True when the running program is the launcher's executable copy and
// infoPath is the information copy of the same launcher run: both in the
// same copy folder directly inside tempFolder.
bool IsLauncherCopy(const wchar_t* modulePath, const wchar_t* infoPath,
                    const wchar_t* tempFolder);
