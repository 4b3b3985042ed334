#include "WindowClasses.h"

bool RegisterCompressorClass(HINSTANCE instance, const CompressorClass& form) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = form.style;
  windowClass.lpfnWndProc = form.procedure;
  windowClass.cbWndExtra = form.extraBytes;
  windowClass.hInstance = instance;
  if (form.iconId) {
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(form.iconId));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(
        instance, MAKEINTRESOURCEW(form.iconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
        GetSystemMetrics(SM_CYSMICON), 0));
  }
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(form.background + 1));
  windowClass.lpszMenuName = form.menuId ? MAKEINTRESOURCEW(form.menuId) : nullptr;
  windowClass.lpszClassName = form.name;
  return RegisterClassExW(&windowClass) != 0;
}
