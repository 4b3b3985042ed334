// The fields every file dialog of the builder fills the same way.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

// An open or save dialog over the MAX_PATH buffer file, owned by owner, with
// the filter's first entry chosen, the title (null: the system's own) and
// flags; filter and title must outlive the dialog.
OPENFILENAMEW FileDialogFor(HWND owner, const std::wstring& filter, const wchar_t* title,
                            wchar_t* file, DWORD flags);
