#include "ControlClass.h"

bool RegisterControlClass(HINSTANCE instance, const wchar_t* className, UINT style, WNDPROC proc) {
  WNDCLASSEXW existing = {sizeof existing};
  if (GetClassInfoExW(instance, className, &existing)) return true;
  WNDCLASSEXW wc = {sizeof wc};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(void*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0;
}

void AddClientEdge(HWND control) {
  SetWindowLongPtrW(control, GWL_EXSTYLE, GetWindowLongPtrW(control, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
}
