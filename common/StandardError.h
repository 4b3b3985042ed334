// A message for whoever started a program that shows no window: written to
// the standard error handle when the program has one, else to the console
// of the program that started it, when that one has a console.
#pragma once
#include <string>

// A console takes the text as UTF-16 (WriteConsoleW), a file or a pipe as
// UTF-8 bytes. False when nothing took it.
bool WriteStandardError(const std::wstring& text);
