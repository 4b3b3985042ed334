// The compressor's OLE drag and drop objects. Neither object knows the data:
// the data object asks its owner window for a format's data with
// kRenderDataMessage, and the drop target tells its owner window what
// arrives with kDropNotifyMessage. OLE must be initialised on the thread.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

// wParam: the requested clipboard format; lParam: a RenderDataRequest*. The
// owner stores in data a global block that the receiver of the data owns
// (a new one at every request), or leaves it null when it has none.
const UINT kRenderDataMessage = 0x800B;
// wParam: the event (kDropEnter, kDropOver, kDropLeave, kDrop); lParam: a
// DropNotification*. The owner answers by setting effect.
const UINT kDropNotifyMessage = 0x800A;

enum DropEvent : WPARAM { kDropEnter = 0, kDropOver = 1, kDropLeave = 2, kDrop = 3 };

struct RenderDataRequest {
  HGLOBAL data;
  const FORMATETC* format;
  STGMEDIUM* medium;
};

struct DropNotification {
  const POINTL* point;  // screen coordinates; null for a leave
  DWORD effect;         // the owner's answer; cleared when a drag enters
  DWORD keyState;       // MK_ flags
  CLIPFORMAT format;    // the first accepted format whose data came, or 0
  HGLOBAL data;         // that data, valid during the notification only
  IDataObject* object;  // the offered data object; null for an over and a leave
};

// A movable global block holding a DROPFILES header and the paths (wide
// characters, each ended by a NUL, then a final NUL); null on failure.
HGLOBAL BuildDropFilesBlock(const std::vector<std::wstring>& paths);
// A copy of a global block (what a data object hands out each time); null
// on failure.
HGLOBAL CopyGlobalBlock(HGLOBAL block);

// A data object over formats whose data comes from owner with
// renderMessage; one reference, or null when it cannot be made.
IDataObject* CreateDragDataObject(HWND owner, UINT renderMessage, const CLIPFORMAT* formats,
                                  int count);
// A drop source for a drag started while the buttons in keyState are down.
IDropSource* CreateDragDropSource(DWORD keyState);
// A drop target sending notifyMessage to owner for the formats accepted, in
// the order given; one reference, or null.
IDropTarget* CreateDragDropTarget(HWND owner, UINT notifyMessage, const CLIPFORMAT* formats,
                                  int count);

// Runs a drag of the formats; the effect chosen by the target when the data
// was dropped, else -1 (also when an object cannot be made).
int StartDrag(HWND owner, UINT renderMessage, const CLIPFORMAT* formats, int count,
              DWORD allowedEffects);
// Registers a drop target for window; it is freed by RevokeDragDrop.
bool RegisterDropTarget(HWND window, UINT notifyMessage, const CLIPFORMAT* formats, int count);
