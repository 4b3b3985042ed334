// Per-user registry values of the updater, all under HKEY_CURRENT_USER.
// Reads check the value's type and always give terminated text.
#pragma once
#include <windows.h>

const size_t kRegStringCapacity = 100;  // characters, terminator included

// Reads a REG_SZ of at most 99 characters into buffer (100 characters).
// 1 when read; otherwise 0 and buffer empty.
int ReadRegString(const wchar_t* key, const wchar_t* name, wchar_t* buffer);
// Creates the key as needed; 1 on success.
int WriteRegString(const wchar_t* key, const wchar_t* name, const wchar_t* text);
int WriteRegDword(const wchar_t* key, const wchar_t* name, DWORD value);
// The value when it is a REG_DWORD of 4 bytes, else fallback.
DWORD ReadRegDword(const wchar_t* key, const wchar_t* name, DWORD fallback);
