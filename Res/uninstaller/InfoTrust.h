// What makes the stored information file trustworthy to the elevated
// uninstaller: the installer recorded the file's SHA-256 digest in the
// product's Uninstall entry (a key only administrators can change for a
// machine-wide installation), and that entry's command is this uninstaller.
#pragma once
#include <windows.h>

// True when command (an UninstallString) starts this program: its first
// token, quoted or not, names the same existing file as program.
bool UninstallCommandStarts(const wchar_t* command, const wchar_t* program);

// True when digest (of the information file's bytes as stored, in
// hexadecimal) is the one recorded in the Uninstall entry uninstallKey and
// that entry's UninstallString starts selfPath.
bool IsRecordedInfoFile(const wchar_t* digest, const wchar_t* uninstallKey,
                        const wchar_t* selfPath);
