// Starts the program the product names to run before its removal.
#pragma once
#include <windows.h>

// Starts program (an ".exe" with its arguments, a ".bat" or ".cmd" through
// the command interpreter, any other type through its "open" command or
// the shell). Returns 0 when it was started; otherwise an HRESULT. With a
// created process and a non-null process, the handles go to the caller;
// a start through the shell leaves *process untouched.
HRESULT RunPreProcess(const wchar_t* program, const wchar_t* arguments,
                      PROCESS_INFORMATION* process);

// The command line of the "open" verb of extension for path, with "%1"
// replaced by the path and "%*" by nothing, into a buffer of 780
// characters. False when there is none or it does not fit.
bool GetAssociatedCommand(const wchar_t* path, const wchar_t* extension, wchar_t* command);

const size_t kPreProcessCommandCapacity = 780;
