// What the archive tree and the explorer tree share: the system's small
// icons and, on Windows Vista and later, the look of the file manager.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The system's small-icon image list (the one the shell draws files with).
HIMAGELIST SystemSmallImageList();
// On NT 6 and later: the "explorer" theme, no lines, double buffering,
// automatic horizontal scrolling and fading expand buttons.
void ApplyExplorerTreeStyle(HWND tree);
