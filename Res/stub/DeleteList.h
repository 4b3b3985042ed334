// The package's delete list: the archive item "$qxdelete$.$$$" names, one a
// line, files and empty folders to remove after the extraction. A line is
// below the extraction folder (or absolute), or begins with a folder token
// of the Start menu or the desktop.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace stub {

// The lines of the list: split at every CR LF pair (a lone CR or LF ends no
// line); empty lines are dropped, the others are kept as they are.
std::vector<std::wstring> SplitDeleteListLines(const std::wstring& text);

// The shell folder (CSIDL) of a token line, with the rest of the line after
// the token; false when the line begins with none of "$userstartmenu$\",
// "$commonstartmenu$\", "$userdesktop$\", "$commondesktop$\" (compared
// case-sensitively).
bool SplitDeleteListToken(const std::wstring& line, int* csidl, std::wstring* rest);

// The full path that a line names (260 characters); false when the line does
// nothing (a "$" line without a usable token, rest or folder).
bool DeleteListLinePath(const std::wstring& line, HWND owner, wchar_t* path);

// Reads, decodes and applies the list; every failure is silent.
void ProcessDeleteList(HWND owner);

}  // namespace stub
