// The "Checking files..." window: shown while the container is checked, kept
// on screen for at least 1000 ms, and reused as the progress window of a
// silent installation.
#pragma once
#include <windows.h>

namespace stub {

// Sizes above which an interactive run shows the window.
const ULONGLONG kCheckingThresholdLocal = 10000000;  // fixed and RAM drives
const ULONGLONG kCheckingThresholdOther = 2000000;   // network, removable, CD, unknown
const DWORD kCheckingMinimumMs = 1000;

// The drive type of a path: DRIVE_REMOTE for a path that begins with a
// backslash, otherwise GetDriveTypeW of its drive root.
UINT PathDriveType(const wchar_t* path);

// Whether the window is needed: never ultra-silent, always silent, and in an
// interactive run when the size (unknown: sizeKnown false) exceeds the
// threshold of the drive type.
bool NeedCheckingWindow(bool silent, bool ultraSilent, UINT driveType, bool sizeKnown,
                        ULONGLONG size);

// Creates the modeless dialog (165, or 171 with the Segoe UI set), centred,
// shown and painted; records the time it appeared. Null on failure.
HWND CreateCheckingWindow();
HWND CheckingWindow();
// Replaces the text of the window's static control with a string-table text.
void SetCheckingWindowText(UINT stringId);
// Pumps messages until the window has been visible for kCheckingMinimumMs.
void KeepCheckingWindowMinimum();
void CloseCheckingWindow();

// Dispatches every waiting message, the checking window's dialog messages
// included (MessagePump.h).
void PumpMessages();

}  // namespace stub
