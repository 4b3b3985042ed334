#include "ArchiveDrop.h"

#include <commctrl.h>

#include "ArchiveTree.h"
#include "CompressorState.h"

namespace {

// What the drag that entered last carries, until it is dropped.
std::vector<std::wstring> g_pending;
// What was dropped and where, until the pane adds it.
std::vector<std::wstring> g_dropped;
HTREEITEM g_dropTarget = nullptr;

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
    if (length == 0 || length > 32767) continue;
    std::wstring path(length + 1, L'\0');
    if (DragQueryFileW(drop, i, &path[0], length + 1) != length) continue;
    path.resize(length);
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
    // While the pane is busy adding (its progress dialog is open) nothing
    // more is taken.
    if (Compressor().progressDialog) {
      g_pending.clear();
      notification->effect = DROPEFFECT_NONE;
      return;
    }
    g_pending = DroppedPaths(static_cast<HDROP>(notification->data));
    notification->effect = DROPEFFECT_COPY;
  } else if (event == kDrop) {
    // The drop returns at once, so the program the files came from goes on;
    // the pane adds them when it next reads its messages. Adding pumps
    // messages, and a new drag may enter meanwhile.
    if (!tree || g_pending.empty()) return;
    g_dropped.swap(g_pending);
    g_pending.clear();
    g_dropTarget = DropTarget(tree, notification->point);
    PostMessageW(host, kAddDroppedMessage, 0, 0);
  }
}

void AddDroppedPaths(HWND host) {
  HWND tree = GetDlgItem(host, kArchiveTreeId);
  std::vector<std::wstring> paths;
  paths.swap(g_dropped);
  if (tree && !paths.empty()) AddPathsWithProgress(tree, g_dropTarget, paths);
}
