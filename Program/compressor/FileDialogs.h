// The project and archive file dialogs. name holds 260 characters: the
// initial name in, the chosen path out; cancel returns false and leaves it.
#pragma once
#include <windows.h>

bool ChooseProjectFile(HWND owner, bool save, wchar_t* name);
bool ChooseArchiveFile(HWND owner, wchar_t* name);
