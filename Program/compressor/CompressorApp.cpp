#include "CompressorApp.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlwapi.h>

#include "ArchiveCommands.h"
#include "BatchModes.h"
#include "CommandLine.h"
#include "CompressorState.h"
#include "MainWindow.h"
#include "MessagePump.h"
#include "ProgressDialog.h"
#include "SardokResource.h"
#include "ScopedHandles.h"
#include "Splitter.h"
#include "SystemDlls.h"

namespace {

const wchar_t kBootMutex[] = L"Vesmarin_boot_mutex";

// "/compress": the project's archive written with the main window hidden.
// Every failure that leaves no archive ends with a code other than 0.
int RunUnattended(HWND window, const CommandLineOptions& options) {
  CompressorState& state = Compressor();
  if (options.projectPath.empty()) return state.resultCode = kCodeNoProject;
  std::wstring archive = options.archiveArgument;
  if (archive.empty()) {
    wchar_t path[MAX_PATH];
    if (options.projectPath.size() >= MAX_PATH) return state.resultCode = kCodeProjectNotLoaded;
    wcscpy(path, options.projectPath.c_str());
    if (!PathRenameExtensionW(path, L".cab")) return state.resultCode = kCodeCreateFailed;
    archive = path;
  }
  if (!OpenProjectCommand(window, options.projectPath.c_str())) {
    if (state.resultCode == kCodeSuccess) state.resultCode = kCodeProjectNotLoaded;
    return state.resultCode;
  }
  if (!CreateArchiveCommand(window, archive.c_str())) {
    if (state.resultCode == kCodeSuccess) state.resultCode = kCodeCreateFailed;
    return state.resultCode;
  }
  return state.resultCode = kCodeSuccess;
}

int RunInteractive(HWND window, const CommandLineOptions& options) {
  if (vesmarin::ScopedHandle running{OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kBootMutex)}) {
    HWND other = FindOtherInstanceWindow();
    running.Close();
    if (other) {
      if (IsIconic(other)) OpenIcon(other);
      SetForegroundWindow(other);
      return 0;
    }
  }
  const vesmarin::ScopedHandle mutex(CreateMutexW(nullptr, FALSE, kBootMutex));
  SendMessageW(window, kRestorePlacementMessage, 0, 0);
  UpdateWindow(window);
  if (!options.projectPath.empty()) OpenProjectCommand(window, options.projectPath.c_str());
  // Long operations pump their own messages, the progress dialog's first:
  // while this loop runs no progress dialog is open.
  HACCEL accelerators = LoadAcceleratorsW(Compressor().instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  const int code = RunMessageLoop(nullptr, accelerators, window);
  if (mutex) ReleaseMutex(mutex.get());
  return code;
}

int RunWindowMode(HINSTANCE instance, const CommandLineOptions& options) {
  CompressorState& state = Compressor();
  state.treeModified = false;
  // The common controls are loaded for the windows only: the batch modes
  // start without them.
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  if (const auto init = vesmarin::SystemProc<decltype(&InitCommonControlsEx)>(
          L"comctl32.dll", "InitCommonControlsEx"))
    init(&controls);
  if (FAILED(OleInitialize(nullptr))) return 0;
  RegisterSplitterClass(instance);
  RegisterMainWindowClass(instance);
  HWND window = CreateMainWindow(instance);
  int code = 0;
  if (window) {
    code = options.compress ? RunUnattended(window, options) : RunInteractive(window, options);
  }
  OleUninitialize();
  return code;
}

}  // namespace

int RunCompressor(HINSTANCE instance, int argc, const wchar_t* const* argv) {
  CompressorState& state = Compressor();
  state.instance = instance;
  const CommandLineOptions options = ParseCommandLine(argc, argv);
  state.callerWindow = options.callerWindow;
  state.silent = options.silent;
  switch (DecideMode(options)) {
    case CompressorMode::FileList:
      return RunBatchMode(options, true);
    case CompressorMode::Folder:
      return RunBatchMode(options, false);
    case CompressorMode::Interactive:
    case CompressorMode::Unattended:
      return RunWindowMode(instance, options);
  }
  return 0;
}
