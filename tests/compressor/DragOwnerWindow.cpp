#include "DragOwnerWindow.h"

DragOwnerWindow::DragOwnerWindow(HGLOBAL block) : block_(block) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"CompressorTestDragOwner";
  RegisterClassW(&windowClass);
  window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                            nullptr, windowClass.hInstance, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DragOwnerWindow::~DragOwnerWindow() {
  DestroyWindow(window_);
  if (block_) GlobalFree(block_);
}

IDataObject* DragOwnerWindow::NewDataObject(CLIPFORMAT format) const {
  return CreateDragDataObject(window_, kRenderDataMessage, &format, 1);
}

void DragOwnerWindow::SetBlock(HGLOBAL block) {
  if (block_) GlobalFree(block_);
  block_ = block;
}

LRESULT CALLBACK DragOwnerWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DragOwnerWindow* self =
      reinterpret_cast<DragOwnerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == kRenderDataMessage) {
    reinterpret_cast<RenderDataRequest*>(lParam)->data = CopyGlobalBlock(self->block_);
    return 0;
  }
  if (self && message == kDropNotifyMessage) {
    DropNotification* record = reinterpret_cast<DropNotification*>(lParam);
    self->events.push_back(wParam);
    self->formats.push_back(record->format);
    record->effect = self->answer;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
