// The libraries a program loads in one run, seen as its debugger.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace testsupport {

// Starts the command line (in folder, or the current one when empty) as
// the debugger of its process and collects the file name, in lower case
// and without its folder, of every library the process loads until it
// ends; exitCode gets its exit code. Empty when the process could not be
// started or did not end within waitMs (it is then ended).
std::set<std::wstring> LibrariesLoadedBy(const std::wstring& commandLine, DWORD waitMs,
                                         DWORD& exitCode, const std::wstring& folder = L"");

}  // namespace testsupport
