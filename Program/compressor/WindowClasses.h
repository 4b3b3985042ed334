// Registration of the compressor's own window classes: the main window, the
// pane hosts and the splitter share one form.
#pragma once
#include <windows.h>

struct CompressorClass {
  const wchar_t* name;
  WNDPROC procedure;
  UINT style;
  int background;   // a COLOR_ index
  int extraBytes;   // window extra bytes
  UINT iconId;      // 0: none
  UINT menuId;      // 0: none
};

// False when the class could not be registered (it may exist already).
bool RegisterCompressorClass(HINSTANCE instance, const CompressorClass& form);
