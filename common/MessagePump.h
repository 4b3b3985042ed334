// The message pump of every program. A WM_QUIT that a pump takes out of the
// queue is posted again with the exit code it carried, so the loop that owns
// the thread still ends with that code.
#pragma once
#include <windows.h>

// Dispatches the messages waiting in this thread's queue, dialog messages of
// dialog (may be null) first. False when a WM_QUIT ended the pump (it is
// posted again).
bool PumpWaitingMessages(HWND dialog);

// Waits for and dispatches messages until WM_QUIT and returns its exit
// code; accelerators (may be null) are translated for acceleratorWindow,
// dialog messages go to dialog (may be null). 0 when GetMessageW fails.
int RunMessageLoop(HWND dialog, HACCEL accelerators, HWND acceleratorWindow);
