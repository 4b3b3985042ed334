// The builder's entry point: start-up, batch build, single instance and the
// main window's message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlwapi.h>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <string>

#include "BuildSfx.h"
#include "FaultGuard.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "DefinitionFile.h"
#include "FileSystem.h"
#include "FileMapping.h"
#include "PathPieces.h"
#include "KCommandLine.h"
#include "MessagePump.h"
#include "ResultCodes.h"
#include "SfxSettings.h"
#include "VesmarinResource.h"

namespace {

const wchar_t kBootMappingName[] = L"qx_boot_filemap";
const wchar_t kBootMutexName[] = L"Vesmarin 6";

struct InitContext {
  bool failed;
};

void InitializeProcess(void* context) {
  InitContext* init = static_cast<InitContext*>(context);
  try {
    CoInitialize(nullptr);
    InitCommonControls();
    // The custom controls register their window classes here once they
    // are built in.
  } catch (...) {
    init->failed = true;
  }
}

void ReadWindowState() {
  UiState.WindowX = kWindowPositionUnset;
  UiState.WindowY = kWindowPositionUnset;
  DWORD value = 0;
  if (RegReadDword(kOptionRegistryKey, L"WindowX", &value))
    UiState.WindowX = static_cast<int>(value);
  if (RegReadDword(kOptionRegistryKey, L"WindowY", &value))
    UiState.WindowY = static_cast<int>(value);
  if (UiState.WindowX == kWindowPositionUnset && UiState.WindowY == kWindowPositionUnset) {
    UiState.WindowX = 100;
    UiState.WindowY = 100;
  }
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  struct {
    const wchar_t* name;
    wchar_t* folder;
  } folders[] = {{L"IniCurrent", UiState.IniCurrent},
                 {L"IcoCurrent", UiState.IcoCurrent},
                 {L"ManifestCurrent", UiState.ManifestCurrent},
                 {L"HollmereSaveCurrent", UiState.HollmereSaveCurrent}};
  for (auto& entry : folders) {
    wcscpy(entry.folder, current);
    RegReadString(kOptionRegistryKey, entry.name, entry.folder, 520);
  }
}

// Replaces a setting with a command-line value; false when the value is
// wider than the setting.
template <size_t N>
bool ApplyPathOption(const KCommandLineW& commandLine, const wchar_t* name, wchar_t (&member)[N]) {
  std::wstring value;
  if (!commandLine.GetOption(name, value) || value.empty()) return true;
  if (value.size() > N - 1) {
    swprintf(BuildErrorText, 2000, LoadResString(IDS_OPTION_PATH_TOO_LONG), name,
             static_cast<int>(N - 1));
    return false;
  }
  CopyText(member, value.c_str());
  return true;
}

int RunBatch(const KCommandLineW& commandLine) {
  UiState.BatchMode = true;
  BuildErrorText[0] = L'\0';
  // The full path first: the current directory changes below.
  const std::wstring given = commandLine.GetArgument(0);
  wchar_t definition[MAX_PATH] = {};
  DWORD got = GetFullPathNameW(given.c_str(), MAX_PATH, definition, nullptr);
  if (got == 0 || got >= MAX_PATH || !FileExists(definition)) return kResultOpenFailed;
  wchar_t folder[MAX_PATH] = {};
  if (GetFolderPart(definition, folder, MAX_PATH) && folder[0]) SetCurrentDirectoryW(folder);
  LoadDefinitionFile(definition);
  if (!ApplyPathOption(commandLine, L"ArchiveFile", SfxSettings.SrcArchiveFile) ||
      !ApplyPathOption(commandLine, L"OutputFile", SfxSettings.DstExeFile))
    return kResultReported;
  return CreateSfxFile(true);
}

void StoreBootWindow(HWND window) {
  if (UiState.BootMapping && UiState.BootMapping->View)
    *static_cast<volatile DWORD*>(UiState.BootMapping->View) =
        static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window));
}

HWND ReadBootWindow() {
  if (!UiState.BootMapping || !UiState.BootMapping->View) return nullptr;
  DWORD value = *static_cast<volatile DWORD*>(UiState.BootMapping->View);
  // Window handles are 32-bit values, sign-extended in 64-bit processes.
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

void ReleaseSingleInstance() {
  if (UiState.BootMutex) CloseHandle(UiState.BootMutex);
  UiState.BootMutex = nullptr;
  if (UiState.BootMapping) UnmapFile(UiState.BootMapping);
  UiState.BootMapping = nullptr;
}

// Takes over a definition file left beside the program by an older setup,
// then loads the per-user default file. False when no path can be formed.
bool LoadDefaultDefinition() {
  wchar_t perUser[MAX_PATH] = {};
  if (!GetDefaultDefinitionPath(perUser)) return false;
  wchar_t beside[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, beside, MAX_PATH);
  if (got == 0 || got >= MAX_PATH || !ReplaceFileName(beside, L"Vesmarin.ini")) return false;
  const bool besideExists = FileExists(beside);
  int marker = static_cast<int>(
      GetPrivateProfileIntW(L"Vesmarin", L"UseExtensionModuleFile", -1, perUser));
  if (marker == -1 && besideExists) {
    DeleteFileW(perUser);
    CopyFileW(beside, perUser, FALSE);
  }
  if (besideExists) DeleteFileW(beside);
  LoadDefinitionFile(perUser);
  return true;
}

void RunUpdateCheck(HWND mainWindow) {
  wchar_t updater[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, updater, MAX_PATH);
  if (got == 0 || got >= MAX_PATH || !ReplaceFileName(updater, L"Nemdrift.exe")) return;
  const wchar_t* format = L"\"%ls\" /AutoCheck /hwnd:%d";
  const int handle = static_cast<int>(reinterpret_cast<INT_PTR>(mainWindow));
  int length = _scwprintf(format, updater, handle);
  if (length < 0) return;
  size_t size = static_cast<size_t>(length) + 1 > MAX_PATH ? static_cast<size_t>(length) + 1
                                                           : MAX_PATH;
  std::wstring line(size, L'\0');
  swprintf(&line[0], size, format, updater, handle);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return;
  WaitForInputIdle(process.hProcess, 1000);
  DWORD code = 0;
  while (GetExitCodeProcess(process.hProcess, &code) && code == STILL_ACTIVE) {
    PumpWaitingMessages(nullptr);
    Sleep(1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

int RunInteractive(const KCommandLineW& commandLine) {
  void* view = nullptr;
  UiState.BootMapping = CreateNamedMapping(kBootMappingName, sizeof(DWORD), &view);
  if (!UiState.BootMapping) return -1;

  HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kBootMutexName);
  if (running) {
    CloseHandle(running);
    HWND other = ReadBootWindow();
    if (IsWindow(other)) SetForegroundWindow(other);
    ReleaseSingleInstance();
    return 0;
  }
  UiState.BootMutex = CreateMutexW(nullptr, FALSE, kBootMutexName);
  if (!UiState.BootMutex) {
    ReleaseSingleInstance();
    return -1;
  }

  bool loadDefault = true;
  if (commandLine.GetArgumentCount() > 0 &&
      PathMatchSpecW(commandLine.GetArgument(0).c_str(), L"*.cab")) {
    std::wstring archive = commandLine.GetArgument(0);
    INT_PTR choice = -1;
    if (StartMethodDialogProc)
      choice = DialogBoxParamW(UiState.Instance, MAKEINTRESOURCEW(IDD_START_METHOD), nullptr,
                               StartMethodDialogProc, reinterpret_cast<LPARAM>(archive.c_str()));
    switch (choice) {
      case 1:
        UiState.ResetOnStart = true;
        loadDefault = false;
        break;
      case 2: {
        wchar_t definition[MAX_PATH] = {};
        if (archive.size() < MAX_PATH) wcscpy(definition, archive.c_str());
        wchar_t* extension = FindFileExtension(definition);
        if (definition[0] && extension &&
            static_cast<size_t>(extension - definition) + 4 < MAX_PATH) {
          wcscpy(extension, L".ini");
          LoadDefinitionFile(definition);
          loadDefault = false;
        }
        break;
      }
      case 3:
        UiState.ArchiveOnStart = true;
        break;
      default:
        ReleaseSingleInstance();
        return -1;
    }
  }
  if (loadDefault && !LoadDefaultDefinition()) {
    ReleaseSingleInstance();
    return -1;
  }

  HACCEL accelerators = LoadAcceleratorsW(UiState.Instance, MAKEINTRESOURCEW(IDR_MAIN_ACCELERATORS));
  HWND mainWindow = nullptr;
  if (MainWindowDialogProc)
    mainWindow = CreateDialogParamW(UiState.Instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                    MainWindowDialogProc, 0);
  int exitCode = 0;
  if (mainWindow) {
    StoreBootWindow(mainWindow);
    RunUpdateCheck(mainWindow);
    exitCode = RunMessageLoop(mainWindow, accelerators, mainWindow);
  }
  ReleaseSingleInstance();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Create and the file dialogs move the current directory into user
  // folders: never load a DLL from there.
  SetDllDirectoryW(L"");
  UiState.Reset();
  UiState.Instance = instance;
  UiState.JapaneseUI = wcscmp(LoadResString(IDS_LANGUAGE_TAG), L"ja-jp") == 0;
  srand(GetTickCount());

  InitContext init = {false};
  if (!vesmarin::RunGuarded(InitializeProcess, &init) || init.failed) return -1;

  FillRegistryRootPrefixes();
  KCommandLineW commandLine;
  {
    DWORD got = GetModuleFileNameW(nullptr, UiState.HelpFilePath, MAX_PATH);
    if (got == 0 || got >= MAX_PATH || !ReplaceFileName(UiState.HelpFilePath, L"Vesmarin.chm"))
      UiState.HelpFilePath[0] = L'\0';
  }
  if (commandLine.GetArgumentCount() > 0) UiState.StartArchivePath = commandLine.GetArgument(0);
  ResetSfxSettings();
  ReadWindowState();

  if (commandLine.GetArgumentCount() > 0 &&
      PathMatchSpecW(commandLine.GetArgument(0).c_str(), L"*.ini"))
    return RunBatch(commandLine);
  return RunInteractive(commandLine);
}
