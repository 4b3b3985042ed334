// Process-wide state and helpers of the uninstaller, shared by the launcher
// and the worker.
#pragma once
#include <windows.h>

#define UNINSTALLER_CAPTION L"Vesmarin Uninstaller"

// The base name of the event through which the worker releases the
// launcher; each launcher run appends its own suffix.
#define UNINSTALL_SYNC_EVENT_BASE L"VesmarinUninstallSyncEvent"

// Temporary copies: "$$qxunst<n>.ini" and "$$qxunst<n>.bin" in a folder
// "$$qxunst-<random>" of their own in the user's temporary folder.
#define UNINSTALL_TEMP_PREFIX L"$$qxunst"

struct RemovalSettings;

extern HINSTANCE g_Instance;
// The progress dialog once it exists (owner of message boxes).
extern HWND g_ProgressDialog;
// Set when the removal is over: from then on Enter, Escape and "Close"
// destroy the progress dialog.
extern bool g_WorkDone;
// The worker's removal options and its restart flag (RemovalOps.h).
extern RemovalSettings g_Removal;

// Chooses the newer progress-dialog template: set on NT-based systems of
// version 6.4 or later with a workstation product type, or version 10 or
// later with a server product type. Computed once.
bool IsModernDialogSystem();

// Loads a string of the uninstaller into a shared 1024-character buffer
// (empty when missing). The text stays valid until the next call.
const wchar_t* LoadUninstallerString(UINT id);

// Shows string id with the error icon and the caption "Vesmarin
// Uninstaller", owned by the progress dialog when it exists.
int ShowErrorMessage(UINT id);

// What the program does for a command-line tail.
enum UninstallerRole { kRoleLauncher, kRoleWorker };
// A tail of at least two characters that starts with "/u" (case-sensitive)
// makes a worker, whose information copy path is the rest of the tail as
// it stands; anything else makes a launcher.
UninstallerRole ChooseRole(const wchar_t* tail, const wchar_t** infoPath);

// The launcher role; returns the exit code (always 0).
int UninstallLauncher();
