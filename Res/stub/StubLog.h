// The stub's log: lines are appended to "$$qxxlog.txt" on the user's
// desktop, only when that file already exists. Nothing is logged otherwise.
#pragma once
#include <windows.h>

namespace stub {

// Opens the desktop log file for appending when it exists; true when open.
bool OpenStubLog();
// Opens a given file for appending when it exists (tests).
bool OpenStubLogFile(const wchar_t* path);
bool StubLogOpen();
void CloseStubLog();

// Formats (printf style, wide) and appends one piece of text as UTF-8; the
// format carries its own line ends.
void StubLog(const wchar_t* format, ...);

}  // namespace stub
