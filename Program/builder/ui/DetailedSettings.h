// The "Detailed settings" sheet as the main window calls it.
#pragma once
#include <windows.h>

// Runs the sheet over the owner on the process-wide settings; true when
// the user confirmed it, false when it was cancelled or not shown (the
// caller then restores its copy of the settings).
bool ShowDetailedSettings(HWND owner);
