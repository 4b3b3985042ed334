// Waits for what a program does, never for a fixed time: a condition that
// comes to hold, the end of every process of a program file.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// Checks the condition every few milliseconds until it holds; false when
// the time ran out first.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Waits until no process runs from the program file (a full path, letter
// case aside); false when one still runs. Whatever such a process wrote
// before it ended is then there to be read.
bool WaitForNoProcessOf(const std::wstring& program, DWORD timeoutMs = 30000);

}  // namespace testsupport
