// Version-resource and signature queries on program files.
#pragma once
#include <windows.h>

bool GetFileDescription(const wchar_t* path, wchar_t* text, int capacity);
bool GetInternalName(const wchar_t* path, wchar_t* text, int capacity);
bool GetFileVersionText(const wchar_t* path, wchar_t* text, int capacity);
bool GetFileVersionNumbers(const wchar_t* path, WORD* major, WORD* minor, WORD* build,
                           WORD* revision);
bool VerifyFileSignature(HWND owner, const wchar_t* path, bool* verified);
