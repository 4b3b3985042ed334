// Texts of a module's string table and message boxes that show them.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>

// Loads string id of module into buffer (capacity characters, cut to fit);
// an empty text when the id has none. Returns buffer ("" for no buffer).
const wchar_t* LoadResText(HINSTANCE module, UINT id, wchar_t* buffer, size_t capacity);

// The format with its first "%s" replaced by text and its first "%d" by
// number (each only when given); "%%" is a percent sign, anything else
// stands as it is.
std::wstring FillPlaceholders(const wchar_t* format, const wchar_t* text, const int* number);

// String id of module with its placeholders filled as above.
std::wstring LoadResFormatted(HINSTANCE module, UINT id, const wchar_t* text, const int* number);

// A message box showing string id of module under the caller's caption.
int ShowResMessage(HWND owner, HINSTANCE module, UINT id, const wchar_t* caption, UINT type);
