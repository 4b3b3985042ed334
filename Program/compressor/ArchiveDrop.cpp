#include "ArchiveDrop.h"

#include <commctrl.h>

#include "ArchiveTree.h"

namespace {

// What the drag that entered last carries, until it is dropped.
std::vector<std::wstring> g_pending;

HTREEITEM DropTarget(HWND tree, const POINTL* point) {
  if (!point) return GetArchiveRoot(tree);
  TVHITTESTINFO hit = {};
  hit.pt.x = point->x;
  hit.pt.y = point->y;
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree, &hit);
  if (!item || !(hit.flags & TVHT_ONITEM)) return GetArchiveRoot(tree);
  return FolderTargetOf(tree, item);
}

}  // namespace

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0 || length >= MAX_PATH) continue;
    wchar_t path[MAX_PATH] = {};
    if (DragQueryFileW(drop, i, path, MAX_PATH) != length) continue;
    paths.push_back(path);
  }
  return paths;
}

void HandleArchiveDrop(HWND host, WPARAM event, DropNotification* notification) {
  if (notification->format != CF_HDROP) {
    if (event == kDropEnter) notification->effect = DROPEFFECT_NONE;
    return;
  }
  HWND tree = GetDlgItem(host, kArchiveTreeId);
  if (event == kDropEnter) {
    g_pending = DroppedPaths(static_cast<HDROP>(notification->data));
    notification->effect = DROPEFFECT_COPY;
  } else if (event == kDrop) {
    // Adding pumps messages, and a new drag may enter meanwhile.
    std::vector<std::wstring> paths;
    paths.swap(g_pending);
    if (tree && !paths.empty()) AddPathsWithProgress(tree, DropTarget(tree, notification->point), paths);
  }
}
