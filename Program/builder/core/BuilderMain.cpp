// The builder's entry point: start-up, batch build, single instance and the
// main window's message loop.
#include <windows.h>
#include <shlwapi.h>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <string>

#include "BuildSfx.h"
#include "DefinitionKeys.h"
#include "FaultGuard.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "DefinitionFile.h"
#include "DiskFile.h"
#include "FileSystem.h"
#include "FileMapping.h"
#include "PathPieces.h"
#include "KCommandLine.h"
#include "MessagePump.h"
#include "OutputGuard.h"
#include "ResultCodes.h"
#include "SfxSettings.h"
#include "StandardError.h"
#include "SystemDlls.h"
#include "VesmarinResource.h"

namespace {

const wchar_t kBootMappingName[] = L"qx_boot_filemap";
const wchar_t kBootMutexName[] = L"Vesmarin 6";

struct InitContext {
  HINSTANCE instance;
  bool failed;
};

void InitializeWindows(void* context) {
  InitContext* init = static_cast<InitContext*>(context);
  init->failed = !PrepareWindows(init->instance);
}

void ReadWindowState() {
  g_UiState.WindowX = kWindowPositionUnset;
  g_UiState.WindowY = kWindowPositionUnset;
  DWORD value = 0;
  if (RegReadDword(kOptionRegistryKey, L"WindowX", &value))
    g_UiState.WindowX = static_cast<int>(value);
  if (RegReadDword(kOptionRegistryKey, L"WindowY", &value))
    g_UiState.WindowY = static_cast<int>(value);
  if (g_UiState.WindowX == kWindowPositionUnset && g_UiState.WindowY == kWindowPositionUnset) {
    g_UiState.WindowX = 100;
    g_UiState.WindowY = 100;
  }
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  struct {
    const wchar_t* name;
    wchar_t* folder;
  } folders[] = {{L"IniCurrent", g_UiState.IniCurrent},
                 {L"IcoCurrent", g_UiState.IcoCurrent},
                 {L"ManifestCurrent", g_UiState.ManifestCurrent},
                 {L"HollmereSaveCurrent", g_UiState.HollmereSaveCurrent}};
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
    swprintf(g_BuildErrorText, 2000, LoadResString(IDS_OPTION_PATH_TOO_LONG), name,
             static_cast<int>(N - 1));
    return false;
  }
  CopyText(member, value.c_str());
  return true;
}

int BuildFromDefinition(const KCommandLineW& commandLine) {
  // The full path first: the current directory changes below.
  const std::wstring given = commandLine.GetArgument(0);
  wchar_t definition[MAX_PATH] = {};
  DWORD got = GetFullPathNameW(given.c_str(), MAX_PATH, definition, nullptr);
  if (got == 0 || got >= MAX_PATH || !vesmarin::MayNameDiskFile(definition))
    return kResultOpenFailed;
  // A file that is missing loads nothing and leaves the defaults; one that
  // is there must be a file on a disk.
  if (FileExists(definition) && !vesmarin::NamesDiskFile(definition)) return kResultOpenFailed;
  wchar_t folder[MAX_PATH] = {};
  if (GetFolderPart(definition, folder, MAX_PATH) && folder[0]) SetCurrentDirectoryW(folder);
  LoadDefinitionFile(definition);
  if (!ApplyPathOption(commandLine, L"ArchiveFile", g_SfxSettings.SrcArchiveFile) ||
      !ApplyPathOption(commandLine, L"OutputFile", g_SfxSettings.DstExeFile))
    return kResultReported;
  if (OutputReplacesInput(g_SfxSettings.DstExeFile, definition, g_SfxSettings.SrcArchiveFile))
    return kResultReported;
  return CreateSfxFile(true);
}

// What the main window would show for the result, one line each, for
// whoever started the batch build: the step's own text, then the result's
// (a 10 has only its own).
std::wstring BatchFailureText(int code) {
  std::wstring lines;
  // The window's result box; a result 10 whose reason is unknown still says
  // what it is.
  std::wstring shown = BuildResultMessage(code);
  if (shown.empty()) shown = GetResultMessage(code);
  for (wchar_t c : shown) {
    if (c == L'\r') continue;
    if (c == L'\n') lines += L'\r';
    lines += c;
  }
  return lines + L"\r\n";
}

int RunBatch(const KCommandLineW& commandLine) {
  g_UiState.BatchMode = true;
  g_BuildErrorText[0] = L'\0';
  const int code = BuildFromDefinition(commandLine);
  if (code != kResultSuccess) WriteStandardError(BatchFailureText(code));
  return code;
}

void StoreBootWindow(HWND window) {
  if (g_UiState.BootMapping && g_UiState.BootMapping->View)
    *static_cast<volatile DWORD*>(g_UiState.BootMapping->View) =
        static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window));
}

HWND ReadBootWindow() {
  if (!g_UiState.BootMapping || !g_UiState.BootMapping->View) return nullptr;
  DWORD value = *static_cast<volatile DWORD*>(g_UiState.BootMapping->View);
  // Window handles are 32-bit values, sign-extended in 64-bit processes.
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

void ReleaseSingleInstance() {
  if (g_UiState.BootMutex) CloseHandle(g_UiState.BootMutex);
  g_UiState.BootMutex = nullptr;
  if (g_UiState.BootMapping) UnmapFile(g_UiState.BootMapping);
  g_UiState.BootMapping = nullptr;
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
  g_UiState.BootMapping = CreateNamedMapping(kBootMappingName, sizeof(DWORD), &view);
  if (!g_UiState.BootMapping) return -1;

  HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kBootMutexName);
  if (running) {
    CloseHandle(running);
    HWND other = ReadBootWindow();
    if (IsWindow(other)) SetForegroundWindow(other);
    ReleaseSingleInstance();
    return 0;
  }
  g_UiState.BootMutex = CreateMutexW(nullptr, FALSE, kBootMutexName);
  if (!g_UiState.BootMutex) {
    ReleaseSingleInstance();
    return -1;
  }

  bool loadDefault = true;
  if (commandLine.GetArgumentCount() > 0 &&
      PathMatchSpecW(commandLine.GetArgument(0).c_str(), L"*.cab")) {
    std::wstring archive = commandLine.GetArgument(0);
    INT_PTR choice = -1;
    if (StartMethodDialogProc)
      choice = DialogBoxParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_START_METHOD), nullptr,
                               StartMethodDialogProc, reinterpret_cast<LPARAM>(archive.c_str()));
    switch (choice) {
      case 1:
        g_UiState.ResetOnStart = true;
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
        g_UiState.ArchiveOnStart = true;
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

  HACCEL accelerators = LoadAcceleratorsW(g_UiState.Instance, MAKEINTRESOURCEW(IDR_MAIN_ACCELERATORS));
  HWND mainWindow = nullptr;
  if (MainWindowDialogProc)
    mainWindow = CreateDialogParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
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
  // folders: never load a DLL from there, nor from the program's folder.
  if (!vesmarin::HardenDllSearch()) return -1;
  g_UiState.Reset();
  g_UiState.Instance = instance;
  g_UiState.JapaneseUI = wcscmp(LoadResString(IDS_LANGUAGE_TAG), L"ja-jp") == 0;
  srand(GetTickCount());

  FillRegistryRootPrefixes();
  KCommandLineW commandLine;
  {
    DWORD got = GetModuleFileNameW(nullptr, g_UiState.HelpFilePath, MAX_PATH);
    if (got == 0 || got >= MAX_PATH || !ReplaceFileName(g_UiState.HelpFilePath, L"Vesmarin.chm"))
      g_UiState.HelpFilePath[0] = L'\0';
  }
  if (commandLine.GetArgumentCount() > 0) g_UiState.StartArchivePath = commandLine.GetArgument(0);
  ResetSfxSettings();
  ReadWindowState();

  if (commandLine.GetArgumentCount() > 0 &&
      PathMatchSpecW(commandLine.GetArgument(0).c_str(), L"*.ini"))
    return RunBatch(commandLine);
  // Only the windows need COM and the common controls: a batch build starts
  // without loading them.
  InitContext init = {instance, false};
  if (!vesmarin::RunGuarded(InitializeWindows, &init) || init.failed) return -1;
  return RunInteractive(commandLine);
}
