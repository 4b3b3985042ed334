// The compressor's run from its command line to its exit code.
#pragma once
#include <windows.h>

int RunCompressor(HINSTANCE instance, int argc, const wchar_t* const* argv);
