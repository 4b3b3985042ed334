// The updater's run from start to exit code.
#pragma once
#include <windows.h>

// The name of the message posted to the host window in integrated mode
// when an update exists.
extern const wchar_t kUpdateNotifyMessageName[];

// Runs the updater; the process exit code: -1 for an unusable settings
// file (or an unexpected failure), 1 in automatic mode with automatic
// display switched off, else 0.
int UpdaterMain(HINSTANCE instance);

// Today's local date as the once-a-day rule stores it ("%04d/%02d/%02d").
void FormatCheckDate(const SYSTEMTIME& date, wchar_t (&text)[16]);

// Releases what the run still holds (COM, news icons).
void ReleaseUpdaterResources();
