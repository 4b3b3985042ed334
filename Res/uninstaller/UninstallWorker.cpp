#include "UninstallWorker.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "ExtensionRecord.h"
#include "HollmereResource.h"
#include "IniReader.h"
#include "MessagePump.h"
#include "PreProcess.h"
#include "ProgressDialog.h"
#include "Registry.h"
#include "RemovalGuards.h"
#include "RemovalOps.h"
#include "ResString.h"
#include "ScopedHandles.h"
#include "TempCopies.h"
#include "UninstallInfo.h"
#include "UninstallLog.h"
#include "UninstallerApp.h"

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const DWORD kStepMinimumMs = 1000;

// Worker state of one run.
struct Worker {
  std::wstring infoCopy;
  std::wstring uninstFile;
  std::wstring infoFile;
  std::wstring modulePath;
  std::wstring skippedModule;  // an ExtModuleFile value that was refused
  std::wstring preProcessFile;
  std::wstring preProcessArg;
  std::wstring uninstallKey;
  std::wstring title;
  std::wstring eventName;
  bool hideLogButton = false;
  std::vector<std::wstring> folders;
  DWORD launcherId = 0;
  bool launcherKnown = false;
  HBITMAP images[3] = {};  // done, current, pending
};

enum StepImage { kImageDone = 0, kImageCurrent = 1, kImagePending = 2 };

std::wstring ReadValue(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                       size_t capacity) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  ReadIniString(section, key, buffer.data(), capacity, path.c_str());
  return std::wstring(buffer.data());
}

std::wstring ReadNumbered(const std::wstring& path, const wchar_t* section, unsigned index,
                          size_t capacity) {
  wchar_t key[16];
  _snwprintf(key, _countof(key), L"%u", index);
  key[_countof(key) - 1] = 0;
  return ReadValue(path, section, key, capacity);
}

bool ParseFlag(const std::wstring& value) {
  if (value.empty()) return false;
  wchar_t* end = nullptr;
  long number = wcstol(value.c_str(), &end, 10);
  return end != value.c_str() && number != 0;
}

bool ParseProcessId(const std::wstring& value, DWORD* id) {
  if (value.empty() || value.size() > 10) return false;
  unsigned long long number = 0;
  for (wchar_t c : value) {
    if (c < L'0' || c > L'9') return false;
    number = number * 10 + static_cast<unsigned>(c - L'0');
  }
  if (number == 0 || number > 0xFFFFFFFFull) return false;
  *id = static_cast<DWORD>(number);
  return true;
}

// The folder of a path up to and including its last backslash.
std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? path : path.substr(0, slash + 1);
}

std::wstring FormatString(UINT id, const std::wstring& argument) {
  return LoadResFormatted(g_instance, id, argument.c_str(), nullptr);
}

void SetStepImage(const Worker& worker, int control, StepImage image) {
  if (g_progressDialog == nullptr) return;
  SendDlgItemMessageW(g_progressDialog, control, STM_SETIMAGE, IMAGE_BITMAP,
                      reinterpret_cast<LPARAM>(worker.images[image]));
}

void UnregisterServers(const wchar_t* infoCopy, size_t capacity) {
  for (unsigned i = 0;; ++i) {
    std::wstring server = ReadNumbered(infoCopy, L"RegServer", i, capacity);
    if (server.empty()) break;
    if (!IsRemovableInstalledPath(server.c_str())) {
      WriteLogLine(L"", server.c_str(), IDS_STATUS_SKIPPED);
      continue;
    }
    HRESULT result = UnregisterComServer(server.c_str());
    WriteLogLine(L"", server.c_str(),
                 SUCCEEDED(result) ? IDS_STATUS_UNREGISTERED : IDS_STATUS_UNREGISTER_FAILED);
  }
}

void DeleteListedFiles(Worker& worker) {
  for (unsigned i = 0;; ++i) {
    std::wstring entry = ReadNumbered(worker.infoCopy, L"Files", i, 780);
    if (entry.empty()) break;
    if (!IsRemovableInstalledPath(entry.c_str())) {
      WriteLogLine(L"", entry.c_str(), IDS_STATUS_SKIPPED);
    } else if (entry.back() == L'\\') {
      worker.folders.push_back(entry);
    } else {
      DeleteFileLogged(entry.c_str());
    }
    PumpMessages();
  }
}

void RemoveGroups(const Worker& worker) {
  const bool allUsers = ParseFlag(ReadValue(worker.infoCopy, L"Group", L"CommonGroup", 16));
  for (unsigned i = 0;; ++i) {
    std::wstring group = ReadNumbered(worker.infoCopy, L"Group", i, 780);
    if (group.empty()) break;
    std::wstring item = FormatString(IDS_START_MENU_GROUP, group);
    if (!IsSafeGroupName(group.c_str())) {
      WriteLogLine(L"", item.c_str(), IDS_STATUS_SKIPPED);
      continue;
    }
    bool removed = RemoveStartMenuGroup(allUsers, group.c_str());
    WriteLogLine(L"", item.c_str(), removed ? IDS_STATUS_DELETED : IDS_STATUS_DELETE_FAILED);
  }
}

void DeleteRegistrySections(const Worker& worker) {
  struct Section {
    const wchar_t* name;
    HKEY root;
    const wchar_t* prefix;
    bool belowTopLevelOnly;
  };
  static const Section kSections[] = {
      {L"Registry_CURRENT_USER", HKEY_CURRENT_USER, L"HKEY_CURRENT_USER \\", true},
      {L"Registry_CLASSES_ROOT", HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT \\", false},
      {L"Registry_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE \\", true},
      {L"Registry_USERS", HKEY_USERS, L"HKEY_USERS \\", true},
  };
  for (const Section& section : kSections) {
    for (unsigned i = 0;; ++i) {
      std::wstring key = ReadNumbered(worker.infoCopy, section.name, i, 780);
      if (key.empty()) break;
      if (section.belowTopLevelOnly && !HasKeyBelowTopLevel(key.c_str())) continue;
      if (!IsRegistryKeyRemovable(section.root, key.c_str())) {
        WriteLogLine(section.prefix, key.c_str(), IDS_STATUS_SKIPPED);
        continue;
      }
      std::wstring target = key;
      while (!target.empty() && target.back() == L'\\') target.pop_back();
      int result = DeleteRegistryTree(section.root, target.c_str());
      if (result == 0) WriteLogLine(section.prefix, key.c_str(), IDS_STATUS_DELETED);
      if (result == 2) WriteLogLine(section.prefix, key.c_str(), IDS_STATUS_DELETE_FAILED);
    }
  }
}

void RemoveRememberedFolders(const Worker& worker) {
  for (const std::wstring& folder : worker.folders) {
    if (PathIsDirectoryEmptyW(folder.c_str()) && !RemoveDirectoryW(folder.c_str())) {
      Sleep(500);
      if (!RemoveDirectoryW(folder.c_str()) && g_removal.rebootable) {
        MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      }
    }
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, folder.c_str(), nullptr);
    }
  }
}

// Everything up to the end of the removal. True when it completed.
bool RemoveEverything(Worker& worker, bool* restartChosen) {
  // The extension module: a plain file name beside the installed uninstaller.
  std::wstring module = ReadValue(worker.infoCopy, L"Options", L"ExtModuleFile", 500);
  if (!module.empty()) {
    if (!IsPlainFileName(module.c_str())) {
      worker.skippedModule = module;
    } else {
      worker.modulePath = FolderOf(worker.uninstFile) + module;
      ExtensionLoadResult loaded = LoadExtensionModule(worker.modulePath.c_str());
      if (loaded != kExtensionLoaded) {
        ShowErrorMessage(loaded == kExtensionNoEntry ? IDS_EXTENSION_BROKEN
                                                     : IDS_EXTENSION_LOAD_FAILED);
        return false;
      }
    }
  }
  worker.preProcessFile = ReadValue(worker.infoCopy, L"Options", L"PreProcessFile", 500);
  worker.preProcessArg = ReadValue(worker.infoCopy, L"Options", L"PreProcessArg", 500);
  if (worker.preProcessFile.size() > 259) worker.preProcessFile.resize(259);
  if (worker.preProcessArg.size() > 259) worker.preProcessArg.resize(259);

  worker.hideLogButton = ParseFlag(ReadValue(worker.infoCopy, L"Options",
                                             L"HollmereHideLogButton", 16));
  g_removal.rebootable = ParseFlag(ReadValue(worker.infoCopy, L"Options",
                                             L"UninstallRebootable", 16));
  g_removal.deleteIniSibling = ParseFlag(ReadValue(worker.infoCopy, L"Options",
                                                   L"AutoUninstIni", 16));
  g_removal.deleteDatSibling = ParseFlag(ReadValue(worker.infoCopy, L"Options",
                                                   L"AutoUninstDat", 16));

  static const UINT kImageIds[3] = {IDB_STEP_DONE, IDB_STEP_CURRENT, IDB_STEP_PENDING};
  for (int i = 0; i < 3; ++i) {
    worker.images[i] = static_cast<HBITMAP>(LoadImageW(
        g_instance, MAKEINTRESOURCEW(kImageIds[i]), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
  }

  // The product's title, read without creating or changing anything.
  worker.uninstallKey = ReadValue(worker.infoCopy, L"Options", L"UninstallKey", 520);
  if (!IsUsableUninstallKey(worker.uninstallKey.c_str())) {
    ShowErrorMessage(IDS_INIT_FAILED);
    DeleteFileW(worker.infoCopy.c_str());
    return false;
  }
  std::wstring productKey = std::wstring(kUninstallRoot) + L"\\" + worker.uninstallKey;
  vesmarin::ScopedRegKey key;
  LONG opened =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, productKey.c_str(), 0, KEY_QUERY_VALUE, key.receive());
  if (opened == ERROR_SUCCESS) {
    wchar_t title[200] = {};
    if (ReadRegString(key.get(), L"DisplayName", title, 200, RegTextFit::kCut) !=
        RegReadResult::kRead)
      title[0] = 0;
    worker.title = title;
  } else if (opened != ERROR_FILE_NOT_FOUND) {
    ShowErrorMessage(IDS_INIT_FAILED);
    DeleteFileW(worker.infoCopy.c_str());
    return false;
  }

  std::wstring question = FormatString(IDS_CONFIRM_UNINSTALL, worker.title);
  if (MessageBoxW(nullptr, question.c_str(), worker.title.c_str(),
                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
    DeleteFileW(worker.infoCopy.c_str());
    return false;
  }

  SetExtensionRecordBase(nullptr, worker.title.c_str(), worker.uninstFile.c_str(), nullptr,
                         nullptr, nullptr);
  if (ExtensionModuleLoaded() && SendExtensionEvent(ExtEventUninstallStart) != 0) return false;

  g_progressDialog = CreateDialogParamW(
      g_instance, MAKEINTRESOURCEW(IsModernDialogSystem() ? IDD_PROGRESS_MODERN : IDD_PROGRESS),
      nullptr, ProgressDialogProc, 0);
  if (g_progressDialog == nullptr) return false;
  SetWindowTextW(g_progressDialog, worker.title.c_str());
  SetStepImage(worker, IDC_STEP_FILES, kImagePending);
  SetStepImage(worker, IDC_STEP_SHORTCUTS, kImagePending);
  SetStepImage(worker, IDC_STEP_REGISTRY, kImagePending);
  SetStepImage(worker, IDC_STEP_FILES, kImageCurrent);
  ShowWindow(g_progressDialog, SW_SHOW);
  PumpMessages();

  OpenUninstallLog();
  if (!worker.skippedModule.empty()) {
    WriteLogLine(L"", worker.skippedModule.c_str(), IDS_STATUS_SKIPPED);
  }

  if (ExtensionModuleLoaded() && SendExtensionEvent(ExtEventUninstallBeforeRemove) != 0) {
    DiscardUninstallLog();
    return false;
  }

  if (!worker.preProcessFile.empty()) {
    std::wstring program = FolderOf(worker.uninstFile) + worker.preProcessFile;
    PROCESS_INFORMATION process = {};
    if (RunPreProcess(program.c_str(), worker.preProcessArg.c_str(), &process) == S_OK &&
        process.hProcess) {
      CloseHandle(process.hThread);
      PumpUntilSignalled(process.hProcess);
      CloseHandle(process.hProcess);
    }
  }

  // Step 1: COM servers and files.
  DWORD start = GetTickCount();
  UnregisterServersArgs args = {worker.infoCopy.c_str(), g_progressDialog};
  HANDLE thread = CreateThread(nullptr, 0, UnregisterServersThread, &args, 0, nullptr);
  if (thread) {
    PumpUntilSignalled(thread);
    CloseHandle(thread);
  } else {
    UnregisterServers(worker.infoCopy.c_str(), 779);
  }
  DeleteListedFiles(worker);
  bool scheduled = false;
  DeleteInstalledFile(worker.infoFile.c_str(), &scheduled);
  PumpUntilElapsed(start, kStepMinimumMs);
  SetStepImage(worker, IDC_STEP_FILES, kImageDone);
  SetStepImage(worker, IDC_STEP_SHORTCUTS, kImageCurrent);
  PumpMessages();

  // Step 2: the Start-menu group.
  start = GetTickCount();
  RemoveGroups(worker);
  PumpUntilElapsed(start, kStepMinimumMs);
  SetStepImage(worker, IDC_STEP_SHORTCUTS, kImageDone);
  SetStepImage(worker, IDC_STEP_REGISTRY, kImageCurrent);
  PumpMessages();

  // Step 3: registry keys.
  start = GetTickCount();
  DeleteRegistrySections(worker);
  PumpUntilElapsed(start, kStepMinimumMs);
  SetStepImage(worker, IDC_STEP_REGISTRY, kImageDone);
  PumpMessages();

  // Done: the log, the Close button and the final status.
  std::wstring log;
  if (TakeUninstallLogText(&log)) SetDlgItemTextW(g_progressDialog, IDC_LOG_EDIT, log.c_str());
  g_workDone = true;
  SetDlgItemTextW(g_progressDialog, IDOK, LoadUninstallerString(IDS_CLOSE));
  ShowWindow(GetDlgItem(g_progressDialog, IDOK), SW_SHOW);
  if (!worker.hideLogButton) ShowWindow(GetDlgItem(g_progressDialog, IDC_DETAIL), SW_SHOW);
  SetDlgItemTextW(g_progressDialog, IDC_STATUS_TEXT, LoadUninstallerString(IDS_UNINSTALL_COMPLETE));

  RunMessageLoop(g_progressDialog, nullptr, nullptr);
  if (g_progressDialog) {
    DestroyWindow(g_progressDialog);
    g_progressDialog = nullptr;
  }

  if (ExtensionModuleLoaded()) {
    LONG answer = SendExtensionEvent(ExtEventUninstallQueryReboot, g_removal.restartNeeded ? 1 : 0);
    if (answer == kExtensionResultRestart) g_removal.restartNeeded = true;
    if (answer == kExtensionResultNoRestart) g_removal.restartNeeded = false;
  }
  if (g_removal.restartNeeded) {
    *restartChosen = MessageBoxW(nullptr, LoadUninstallerString(IDS_RESTART_PROMPT),
                                 UNINSTALLER_CAPTION,
                                 MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
  }

  worker.launcherKnown = ParseProcessId(
      ReadValue(worker.infoCopy, L"General", L"UninstSrcProcess", 16), &worker.launcherId);
  DeleteFileW(worker.infoCopy.c_str());

  HKEY uninstallRoot = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_SET_VALUE, &uninstallRoot) ==
      ERROR_SUCCESS) {
    DeleteRegistryTree(uninstallRoot, worker.uninstallKey.c_str());
    RegCloseKey(uninstallRoot);
  }
  return true;
}

void FinalPhase(Worker& worker, bool completed, bool restartChosen, const wchar_t* selfPath) {
  HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, worker.eventName.c_str());
  if (event) {
    SetEvent(event);
    CloseHandle(event);
  }
  if (worker.launcherKnown) {
    HANDLE launcher = OpenProcess(SYNCHRONIZE, FALSE, worker.launcherId);
    if (launcher) {
      WaitForSingleObject(launcher, INFINITE);
      CloseHandle(launcher);
    }
  }
  Sleep(2000);
  if (completed && ExtensionModuleLoaded()) SendExtensionEvent(ExtEventUninstallEnd);
  UnloadExtensionModule();
  if (completed) {
    if (!worker.modulePath.empty()) DeleteFileW(worker.modulePath.c_str());
    DeleteFileW(worker.uninstFile.c_str());
    RemoveRememberedFolders(worker);
  }
  MoveFileExW(selfPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  if (restartChosen) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start <= 1000) Sleep(1);
    SetShutdownPrivilege(true);
    if (ExitWindowsEx(EWX_REBOOT, 0)) SetShutdownPrivilege(false);
  }
  for (HBITMAP image : worker.images) {
    if (image) DeleteObject(image);
  }
}

}  // namespace

bool HasKeyBelowTopLevel(const wchar_t* value) {
  const wchar_t* slash = value ? wcschr(value, L'\\') : nullptr;
  return slash != nullptr && slash[1] != 0;
}

bool IsUsableUninstallKey(const wchar_t* key) {
  if (key == nullptr || *key == 0 || key[0] == L'\\') return false;
  const size_t length = wcslen(key);
  return key[length - 1] != L'\\' && wcsstr(key, L"\\\\") == nullptr;
}

DWORD WINAPI UnregisterServersThread(void* argument) {
  const UnregisterServersArgs* args = static_cast<const UnregisterServersArgs*>(argument);
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  UnregisterServers(args->infoCopy, 259);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

int RunUninstall(const wchar_t* infoCopy) {
  Worker worker;
  worker.infoCopy = infoCopy ? infoCopy : L"";

  // Only the launcher's own copy, started on its own information copy,
  // acts: a hand-typed "/u" changes nothing.
  wchar_t selfPath[MAX_PATH] = {};
  wchar_t tempFolder[MAX_PATH] = {};
  DWORD selfLength = GetModuleFileNameW(nullptr, selfPath, _countof(selfPath));
  bool launcherCopy = selfLength > 0 && selfLength < _countof(selfPath) &&
                      GetTemporaryFolder(tempFolder, _countof(tempFolder)) &&
                      IsLauncherCopy(selfPath, worker.infoCopy.c_str(), tempFolder);
  if (launcherCopy) {
    worker.uninstFile = ReadValue(worker.infoCopy, L"General", L"UninstFile", 520);
  }
  DWORD launcherId = 0;
  wchar_t infoFile[MAX_PATH] = {};
  if (!launcherCopy || !IsRemovableInstalledPath(worker.uninstFile.c_str()) ||
      worker.uninstFile.back() == L'\\' ||
      !ParseProcessId(ReadValue(worker.infoCopy, L"General", L"UninstSrcProcess", 16),
                      &launcherId) ||
      !MakeUninstallInfoPath(worker.uninstFile.c_str(), infoFile, _countof(infoFile))) {
    ShowErrorMessage(IDS_INIT_FAILED);
    return 0;
  }
  worker.infoFile = infoFile;
  worker.eventName = ReadValue(worker.infoCopy, L"General", L"UninstSyncEvent", 128);
  if (worker.eventName.compare(0, wcslen(UNINSTALL_SYNC_EVENT_BASE), UNINSTALL_SYNC_EVENT_BASE) != 0) {
    worker.eventName = UNINSTALL_SYNC_EVENT_BASE;
  }

  bool restartChosen = false;
  bool completed = RemoveEverything(worker, &restartChosen);
  // However the run ended, the plain copy of the information does not stay
  // in the temporary folder.
  DeleteFileW(worker.infoCopy.c_str());
  DiscardUninstallLog();
  FinalPhase(worker, completed, restartChosen, selfPath);
  return 0;
}
