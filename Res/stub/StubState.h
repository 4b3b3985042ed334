// Process-wide state of one stub run that several steps share.
#pragma once
#include <windows.h>

namespace stub {

// The instance whose resources the stub loads (the program itself).
extern HINSTANCE g_Instance;
// The interface is Japanese (string 66 of the running language reads
// "Japanese"); otherwise English.
extern bool g_JapaneseUi;
// Segoe UI dialogs (Windows 10 and later) instead of the classic ones.
extern bool g_SegoeDialogs;
// A silent package that runs without any window at all.
extern bool g_UltraSilent;
// A 32-bit stub on 64-bit Windows.
extern bool g_Wow64;
// The running program's full path.
extern wchar_t g_OwnPath[MAX_PATH];
// "qxtemp.<process id>.$$$": the stub's own temporary folder name.
extern wchar_t g_TempFolderName[32];
// The item that failed during installation (a file name), for the error box.
extern wchar_t g_FailingItem[MAX_PATH];
// Set when Windows is to restart at the end of the run.
extern bool g_RestartRequested;

// Composes g_TempFolderName from the process id.
void ComposeTempFolderName();

}  // namespace stub
