// Text conversions and comparisons shared by all programs.
#pragma once
#include <windows.h>

#include <string>

// UTF-16 to UTF-8 (terminated) into out of capacity bytes; false, with an
// empty out, when the text does not fit or cannot be converted.
bool WideToUtf8(const wchar_t* text, char* out, int capacity);
// UTF-8 to UTF-16 (terminated) into out of capacity characters; false, with
// an empty out, when it does not fit or is not valid.
bool Utf8ToWide(const char* text, wchar_t* out, int capacity);

// Equal when compared ordinally without regard to case (file names,
// switches, registry names). Lengths of -1 mean "up to the terminator".
bool EqualsNoCase(const wchar_t* a, const wchar_t* b);
bool EqualsNoCase(const wchar_t* a, int aLength, const wchar_t* b, int bLength);

// True when text begins with prefix, letters compared without regard to case.
bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix);
bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix);

// The system's text for an error code (FormatMessageW, line ends and
// trailing blanks removed); the code in hexadecimal when it has none.
std::wstring SystemErrorText(DWORD code);
