// Process-wide state of one stub run that several steps share. Nothing else
// in the stub declares a variable in a header: a unit's own state stays in
// its .cpp.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct ITaskbarList3;

namespace stub {

struct OpenArchive;
struct StubSettings;

// ---- The run, from the start-up on ----

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

// ---- The package ----

// The settings read from the container; null before a successful open or
// after the archive state was closed.
extern StubSettings* g_Settings;
// The open-archive state of the run; null before or after a failed open.
extern OpenArchive* g_Archive;

// ---- The installation (extraction, install worker, uninstaller) ----

// Set by the wizard's "Performing Installation" page when the user confirms
// the abort; the extraction stops at the next item.
extern bool g_AbortRequested;
// The archive holds "$qxdelete$.$$$": the install worker processes the list.
extern bool g_DeleteListPending;
// A file awaits replacement at restart.
extern bool g_RestartPending;
// 0 to 100, computed before each item is written.
extern int g_ProgressPercent;
// Bytes of the files written (as the file system reports their sizes).
extern unsigned long long g_InstalledSize;
// The taskbar progress of an interactive run (null in silent runs): the
// extraction sets its state on the first item and its value on every item.
extern ITaskbarList3* g_TaskbarList;
extern HWND g_TaskbarWindow;
// Whether the run installed everything (set by ExtractAndInstall or the
// wizard's install page).
extern bool g_Installed;
// The SHA-256 digest of the information file this run wrote (empty until
// then); the Uninstall entry records it for the uninstaller to check.
extern std::wstring g_UninstallInfoDigest;

// ---- The wizard ----

// The new-style wizard (UseNewWizard when the wizard starts).
extern bool g_WizardNewStyle;
// The property sheet window while the wizard runs, else null.
extern HWND g_WizardFrame;
// The package's panel bitmaps when the start-up loaded them, else null.
extern HBITMAP g_ClassicPanelBitmap;
extern HBITMAP g_Wiz97PanelBitmap;
// The new-style title font, or null.
extern HFONT g_WizardTitleFont;
// The installation ran to its end (extraction and install worker) inside
// the wizard.
extern bool g_WizardInstallCompleted;
// The install worker has started: from then on the user cannot cancel.
extern bool g_WizardWorkerStarted;
// The Performing Installation page reported a failure itself (event 1007
// and its box), so the run does not report it again.
extern bool g_WizardFailureReported;
// The decoded read-me text of this run (empty when the package has none).
extern std::wstring g_ReadMeText;
// The CRC-16 of the read-me text that the wizard showed (0 when none was
// loaded); the install worker saves it as the read-me acknowledgement.
extern uint16_t g_ReadMeCrc;

// Composes g_TempFolderName from the process id.
void ComposeTempFolderName();

}  // namespace stub
