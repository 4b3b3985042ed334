// Files and folders dropped on the archive pane from the explorer pane or
// from another program.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "OleDragDrop.h"

// The paths of a file drop. A path of 260 characters or more is left out:
// cut to fit it would name another file.
std::vector<std::wstring> DroppedPaths(HDROP drop);

// The archive pane's answer to its drop target: a drag of files that enters
// is answered with a copy and remembered; a drop adds them below the folder
// item under the drop point (a file item's folder, else the root).
void HandleArchiveDrop(HWND host, WPARAM event, DropNotification* notification);
