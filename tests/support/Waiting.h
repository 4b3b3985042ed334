// Waits for what a program does, never for a fixed time: a condition that
// comes to hold, the end of every process of a program file, a timer of a
// window of this thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// Checks the condition every few milliseconds until it holds; false when
// the time ran out first.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The same while dispatching this thread's messages, for conditions that
// windows of this thread (or messages sent to them from elsewhere) bring
// about.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Dispatches the messages already in this thread's queue (such as what its
// windows posted) and returns once the queue is empty; waits for nothing.
void DispatchQueued();

// Dispatches this thread's messages until the timer `id` of `window` has
// gone off and its WM_TIMER was handled, then what that handling posted;
// false when it did not go off within the time.
bool PumpUntilTimer(HWND window, UINT_PTR id, DWORD timeoutMs);

// Waits until no process runs from the program file (a full path, letter
// case aside); false when one still runs. Whatever such a process wrote
// before it ended is then there to be read.
bool WaitForNoProcessOf(const std::wstring& program, DWORD timeoutMs = 30000);

}  // namespace testsupport
