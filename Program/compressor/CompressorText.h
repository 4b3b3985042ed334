// String-table texts and the compressor's message boxes.
#pragma once
#include <windows.h>
#include <string>

// The text of a string of the compressor's table; empty when missing.
std::wstring LoadText(UINT id);

// A message box with the compressor's caption; the text is string id, with
// "%s" in it replaced by argument when one is given.
int ShowCompressorMessage(HWND owner, UINT id, UINT style, const wchar_t* argument = nullptr);
