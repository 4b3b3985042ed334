// The output of a build must never replace one of its own inputs.
#pragma once
#include <windows.h>

// True when output names the definition file (when given), the archive or
// the running builder. Sets the build error text naming the output then.
bool OutputReplacesInput(const wchar_t* output, const wchar_t* definition,
                         const wchar_t* archive);
