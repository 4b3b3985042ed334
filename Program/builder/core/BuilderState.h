// The builder's process-wide state: the project settings, start-up
// choices, window position, folders last used, the main window, the result
// of the last build and the buffers of loaded and error texts.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "SfxSettings.h"

struct MappedFile;

// HKEY_CURRENT_USER key of the per-user window and folder state.
extern const wchar_t kOptionRegistryKey[];  // "Software\Kelvadon\Vesmarin 6\Option"

// Position value that means "not read".
const int kWindowPositionUnset = -65535;

struct BuilderUiState {
  HINSTANCE Instance;
  HWND MainWindow;                 // set by the main window when it starts
  std::wstring StartArchivePath;   // positional argument 0, when given
  int LastResult;                  // result code of the last build; exit code
  int WindowX;
  int WindowY;
  wchar_t IniCurrent[260];
  wchar_t ManifestCurrent[260];
  wchar_t IcoCurrent[260];
  wchar_t HollmereSaveCurrent[260];
  bool JapaneseUI;                 // string 336 of the UI language is "ja-jp"
  bool ResetOnStart;               // start from defaults with StartArchivePath
  bool ArchiveOnStart;             // previous settings with StartArchivePath
  HFONT BoldFont;                  // owned by the main window
  wchar_t GreetingBackup[1024];
  wchar_t GreetingEBackup[1024];
  wchar_t HelpFilePath[260];       // own folder + "Vesmarin.chm"
  // "HKEY_CLASSES_ROOT\", "HKEY_CURRENT_USER\", "HKEY_LOCAL_MACHINE\".
  std::vector<std::wstring> RegistryRootPrefixes;
  MappedFile* BootMapping;         // "qx_boot_filemap" (interactive mode)
  HANDLE BootMutex;                // mutex "Vesmarin 6" (interactive mode)
  bool BatchMode;                  // a batch build: no message box, no window

  // Every member zero or empty.
  void Reset();
};

extern BuilderUiState g_UiState;

// The project settings of the run.
extern CSfxSettings g_SfxSettings;

// The shared message buffer: every LoadResString overwrites it, so show or
// copy a text before the next load.
const int kMessageBufferSize = 2000;
extern wchar_t g_MessageBuffer[kMessageBufferSize];

// The reason of a result 10 (empty when the user cancelled).
const int kBuildErrorTextSize = 2000;
extern wchar_t g_BuildErrorText[kBuildErrorTextSize];

// The page "Process before startup" records its window here when it is
// created: the "Extract" page's exchange enables one of its check boxes.
extern HWND g_StartupPageWindow;


// Dialog procedures of the main window (dialog 118) and the start-method
// dialog (155), defined by the builder's window library.
extern DLGPROC const MainWindowDialogProc;
extern DLGPROC const StartMethodDialogProc;
// Made ready by the window library before the first window: COM, the common
// controls and the window classes of the builder's own controls. False when
// that failed. A batch build never calls it: it loads none of their
// libraries.
bool PrepareWindows(HINSTANCE instance);

// Builds the registry-root prefix table in g_UiState.
void FillRegistryRootPrefixes();
