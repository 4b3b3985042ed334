// Files and folders dropped on the archive pane from the explorer pane or
// from another program.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "OleDragDrop.h"

// The paths of a file drop, whole: a path of 260 characters or more is
// kept as it is (cut to fit it would name another file) and refused, by
// name, when it is added.
std::vector<std::wstring> DroppedPaths(HDROP drop);

// Posted by a drop to the archive pane's host, which then adds what was
// dropped (AddDroppedPaths).
const UINT kAddDroppedMessage = 0x800C;

// The archive pane's answer to its drop target: a drag of files that enters
// is answered with a copy and remembered; a drop keeps them with the folder
// item under the drop point (a file item's folder, else the root) and posts
// kAddDroppedMessage, so that the drop returns at once.
void HandleArchiveDrop(HWND host, WPARAM event, DropNotification* notification);
// Adds what the last drop kept, with the progress dialog.
void AddDroppedPaths(HWND host);
