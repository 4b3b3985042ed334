#include "PaneHost.h"

#include "ArchiveDrop.h"
#include "ArchiveTree.h"
#include "CompressorState.h"
#include "ExplorerPane.h"
#include "OleDragDrop.h"
#include "Splitter.h"
#include "WindowClasses.h"

const wchar_t kPaneHostClass[] = L"Sardok_TreeViewPane";

namespace {

HWND TreeOf(HWND host) {
  return GetDlgItem(host, GetDlgCtrlID(host) == kExplorerPaneId ? kExplorerTreeId : kArchiveTreeId);
}

bool CreateArchivePane(HWND host) {
  if (!CreateArchiveTreeControl(host)) return false;
  const CLIPFORMAT formats[] = {CF_HDROP};
  RegisterDropTarget(host, kDropNotifyMessage, formats, 1);
  return true;
}

LRESULT CALLBACK PaneHostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool explorer = GetDlgCtrlID(host) == kExplorerPaneId;
  switch (message) {
    case WM_CREATE:
      if (explorer) return ExplorerPane(host) ? 0 : -1;
      return CreateArchivePane(host) ? 0 : -1;
    case WM_DESTROY:
      if (explorer)
        DestroyExplorerPane(host);
      else
        RevokeDragDrop(host);
      return 0;
    case WM_SIZE:
      if (HWND tree = TreeOf(host)) MoveWindow(tree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (HWND tree = TreeOf(host)) SetFocus(tree);
      return 0;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kArchiveTreeId && header->code == TVN_DELETEITEMW) {
        FreeArchiveItemData(reinterpret_cast<const NMTREEVIEWW*>(lParam));
        return 0;
      }
      if (header->idFrom == kExplorerTreeId) {
        LRESULT result = 0;
        if (ExplorerNotify(host, header, &result)) return result;
      }
      break;
    }
    case WM_CONTEXTMENU:
      if (!explorer) ShowArchiveContextMenu(host, lParam);
      return 0;
    case kDropNotifyMessage:
      if (!explorer) HandleArchiveDrop(host, wParam, reinterpret_cast<DropNotification*>(lParam));
      return 0;
    case kAddDroppedMessage:
      if (!explorer) AddDroppedPaths(host);
      return 0;
    case kRenderDataMessage: {
      RenderDataRequest* request = reinterpret_cast<RenderDataRequest*>(lParam);
      request->data = explorer && wParam == CF_HDROP ? RenderExplorerDrag() : nullptr;
      return 0;
    }
  }
  return DefWindowProcW(host, message, wParam, lParam);
}

HWND CreateHost(HWND splitter, int id) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_GROUP | WS_TABSTOP;
  return CreateWindowExW(0, kPaneHostClass, L"", style, 0, 0, 0, 0, splitter,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Compressor().instance,
                         nullptr);
}

HWND SplitterOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (wcscmp(name, kSplitterClass) == 0) return window;
  // The main window's splitter has the archive host's id too: look for the
  // splitter by its class.
  return FindWindowExW(window, nullptr, kSplitterClass, nullptr);
}

}  // namespace

void RegisterPaneClass(HINSTANCE instance) {
  RegisterCompressorClass(instance, {kPaneHostClass, PaneHostProc, CS_OWNDC, COLOR_WINDOW, 0, 0, 0});
}

bool CreatePanes(HWND splitter) {
  RegisterPaneClass(Compressor().instance);
  HWND explorer = CreateHost(splitter, kExplorerPaneId);
  HWND archive = CreateHost(splitter, kArchivePaneId);
  return explorer && archive && SetSplitterPanes(splitter, archive, explorer);
}

HWND FindArchiveTree(HWND window) {
  if (!window) return nullptr;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (wcscmp(name, kPaneHostClass) == 0) return GetDlgItem(window, kArchiveTreeId);
  HWND splitter = SplitterOf(window);
  HWND host = GetDlgItem(splitter ? splitter : window, kArchivePaneId);
  return host ? GetDlgItem(host, kArchiveTreeId) : nullptr;
}

HWND FindExplorerTree(HWND window) {
  if (!window) return nullptr;
  HWND splitter = SplitterOf(window);
  HWND host = splitter ? GetDlgItem(splitter, kExplorerPaneId) : nullptr;
  return host ? GetDlgItem(host, kExplorerTreeId) : nullptr;
}
