// Starting the programs and documents a package names: ".exe" files through
// CreateProcessW, anything else through the shell's "open" verb, optionally
// without administrator elevation (under the desktop shell's token). The
// package's web link is opened the same way.
#pragma once
#include <windows.h>
#include <cstddef>

namespace stub {

// Capacity of every command line composed here: a quoted 260-character
// path, a blank and 520 characters of arguments fit with room to spare; a
// command line that needs more is refused, never cut.
const size_t kCommandLineCapacity = 1100;

// True when the file name ends in ".exe" (any letter case).
bool IsExeFile(const wchar_t* path);

// The path, in double quotes when it contains a blank, then a blank and the
// arguments when there are any. False (output empty) when it does not fit.
bool ComposeCommandLine(const wchar_t* path, const wchar_t* args, wchar_t* output,
                        size_t capacity);

// Whether the process runs elevated as a member of the built-in
// Administrators group.
bool IsRunningElevated();

// Starts the program. An ".exe" runs through CreateProcessW; any other file
// is opened with the verb "open". With nonElevate, a stub that runs elevated
// starts it under the desktop shell's token (a document through the program
// associated with its type), falling back to the ordinary start when that
// fails. Returns 0 or more on success, negative on failure. process (may be
// null) receives the process and thread handles when there is a process to
// hand back (the caller closes them); otherwise both are null.
int StartProgram(bool nonElevate, const wchar_t* path, const wchar_t* args,
                 PROCESS_INFORMATION* process);

// Waits until the process has ended, dispatching messages meanwhile and
// checking at least every 100 ms. A null handle returns at once.
void WaitForProgramEnd(HANDLE process);

// A web link that may be opened: an "http://", "https://" or "mailto:"
// address (scheme in any letter case) with something after the scheme, no
// blank, quote or control character and no more than 259 characters.
bool IsOpenableWebLink(const wchar_t* link);

// Opens the package's web link (tag 'l'): asks first with the link title
// when there is one; anything but Yes does nothing. A link that is not
// openable, or a failed start, shows "Could not execute web browser.".
void OpenWebLink(HWND owner);

}  // namespace stub
