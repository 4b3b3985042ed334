// A message-only window that plays the owner of the compressor's drag and
// drop objects in tests: it hands out a copy of one block at every data
// request, as a drag source's owner does, and records the drop
// notifications it gets, answering them with a chosen effect.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <vector>

#include "OleDragDrop.h"

class DragOwnerWindow {
 public:
  // block (may be null) belongs to the window from now on.
  explicit DragOwnerWindow(HGLOBAL block = nullptr);
  ~DragOwnerWindow();
  DragOwnerWindow(const DragOwnerWindow&) = delete;
  DragOwnerWindow& operator=(const DragOwnerWindow&) = delete;
  HWND window() const { return window_; }
  // A data object over one format whose data comes from this window; one
  // reference, for the caller to release.
  IDataObject* NewDataObject(CLIPFORMAT format) const;
  void SetBlock(HGLOBAL block);

  DWORD answer = DROPEFFECT_COPY;  // the effect drop notifications get
  std::vector<WPARAM> events;      // the drop notifications received
  std::vector<CLIPFORMAT> formats;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  HGLOBAL block_ = nullptr;
};
