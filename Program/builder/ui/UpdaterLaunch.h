// Starting the product updater from the main window's menu.
#pragma once
#include <windows.h>

// Runs Nemdrift.exe from the builder's folder with "/hwnd:<window>" and
// does not wait for it; string 212 when it cannot be started.
void UpdaterManualLaunch(HWND mainWindow);
