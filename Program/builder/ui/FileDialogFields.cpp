#include "FileDialogFields.h"

OPENFILENAMEW FileDialogFor(HWND owner, const std::wstring& filter, const wchar_t* title,
                            wchar_t* file, DWORD flags) {
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title;
  dialog.Flags = flags;
  return dialog;
}
