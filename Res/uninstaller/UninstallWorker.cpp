#include "UninstallWorker.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>
#include <unordered_set>
#include <vector>

#include "DiskFile.h"
#include "ExtensionRecord.h"
#include "HollmereResource.h"
#include "InfoDocument.h"
#include "InfoTrust.h"
#include "MessagePump.h"
#include "PreProcess.h"
#include "ProgressDialog.h"
#include "Registry.h"
#include "RemovalGuards.h"
#include "RemovalOps.h"
#include "RemovalScope.h"
#include "ReparsePoints.h"
#include "ResString.h"
#include "ScopedHandles.h"
#include "TempCopies.h"
#include "UninstallInfo.h"
#include "UninstallLog.h"
#include "UninstallerApp.h"

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const DWORD kStepMinimumMs = 1000;
// The launcher copies at most 16 MiB of information plus its header.
const DWORD kMaxInfoCopyBytes = 17 * 1024 * 1024;

// Worker state of one run.
struct Worker {
  std::wstring infoCopy;
  InfoDocument info;  // the information copy, read whole before anything is asked
  std::unordered_set<std::wstring> installedFiles;  // [Files] entries in lower case
  bool restartChosen = false;
  std::wstring uninstFile;
  std::wstring infoFile;
  std::wstring modulePath;
  std::wstring skippedModule;  // an ExtModuleFile value that was refused
  std::wstring preProcessFile;
  std::wstring preProcessArg;
  std::wstring uninstallKey;
  std::wstring title;
  std::wstring eventName;
  // What the product's Uninstall entry vouches for. Anything short of a
  // protected entry confines the worker to the scope below: the
  // information file may then have been written by anybody.
  EntryTrust trust = EntryTrust::kNone;
  bool confined = true;
  RemovalScope scope;
  bool hideLogButton = false;
  std::vector<std::wstring> folders;
  DWORD launcherId = 0;
  bool launcherKnown = false;
  HBITMAP images[3] = {};  // done, current, pending
};

enum StepImage { kImageDone = 0, kImageCurrent = 1, kImagePending = 2 };

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
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
  return LoadResFormatted(g_Instance, id, argument.c_str(), nullptr);
}

void SetStepImage(const Worker& worker, int control, StepImage image) {
  if (g_ProgressDialog == nullptr) return;
  SendDlgItemMessageW(g_ProgressDialog, control, STM_SETIMAGE, IMAGE_BITMAP,
                      reinterpret_cast<LPARAM>(worker.images[image]));
}

void UnregisterServers(const Worker& worker, size_t capacity) {
  for (unsigned i = 0;; ++i) {
    std::wstring server = worker.info.Numbered(L"RegServer", i, capacity);
    if (server.empty()) break;
    // Only a server the installation itself put there is loaded or run,
    // and none for an information file that no protected entry vouches for.
    if (worker.confined || !IsRemovableInstalledPath(server.c_str()) ||
        !worker.installedFiles.count(Lower(server)) ||
        vesmarin::PassesThroughReparsePoint(FolderOf(worker.uninstFile).c_str(), server.c_str())) {
      WriteLogLine(L"", server.c_str(), IDS_STATUS_SKIPPED);
      continue;
    }
    HRESULT result = UnregisterComServer(server.c_str());
    WriteLogLine(L"", server.c_str(),
                 SUCCEEDED(result) ? IDS_STATUS_UNREGISTERED : IDS_STATUS_UNREGISTER_FAILED);
  }
}

// A link listed as installed is removed as a link, never emptied.
bool RemoveLink(const std::wstring& entry) {
  std::wstring path = entry;
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())
                                                               : DeleteFileW(path.c_str());
  WriteLogLine(L"", entry.c_str(), removed ? IDS_STATUS_DELETED : IDS_STATUS_DELETE_FAILED);
  return removed;
}

void DeleteListedFiles(Worker& worker) {
  for (unsigned i = 0;; ++i) {
    std::wstring entry = worker.info.Numbered(L"Files", i, 780);
    if (entry.empty()) break;
    std::wstring root = FolderOf(worker.uninstFile);
    if (!IsRemovableInstalledPath(entry.c_str()) ||
        (worker.confined && !worker.scope.Allows(entry, &root))) {
      WriteLogLine(L"", entry.c_str(), IDS_STATUS_SKIPPED);
    } else if (vesmarin::PassesThroughReparsePoint(root.c_str(), entry.c_str())) {
      // Its name leads somewhere else: never deleted through a link.
      WriteLogLine(L"", entry.c_str(), IDS_STATUS_DELETE_FAILED);
    } else if (vesmarin::IsReparsePoint(entry.c_str())) {
      RemoveLink(entry);
    } else if (entry.back() == L'\\') {
      worker.folders.push_back(entry);
    } else {
      DeleteFileLogged(entry.c_str());
    }
    PumpMessages();
  }
}

void RemoveGroups(const Worker& worker) {
  const bool allUsers = ParseFlag(worker.info.Value(L"Group", L"CommonGroup", 16));
  for (unsigned i = 0;; ++i) {
    std::wstring group = worker.info.Numbered(L"Group", i, 780);
    if (group.empty()) break;
    std::wstring item = FormatString(IDS_START_MENU_GROUP, group);
    // A confined worker leaves the group shared by all users alone.
    if (!IsSafeGroupName(group.c_str()) || (worker.confined && allUsers)) {
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
      std::wstring key = worker.info.Numbered(section.name, i, 780);
      if (key.empty()) break;
      if (section.belowTopLevelOnly && !HasKeyBelowTopLevel(key.c_str())) continue;
      // A confined worker changes only the current user's own hive.
      if ((worker.confined && section.root != HKEY_CURRENT_USER) ||
          !IsRegistryKeyRemovable(section.root, key.c_str())) {
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
  const std::wstring root = FolderOf(worker.uninstFile);
  for (const std::wstring& folder : worker.folders) {
    if (vesmarin::PassesThroughReparsePoint(root.c_str(), folder.c_str())) continue;
    if (vesmarin::IsReparsePoint(folder.c_str())) {
      RemoveDirectoryW(folder.c_str());  // the link only, whatever it leads to
    } else if (PathIsDirectoryEmptyW(folder.c_str()) && !RemoveDirectoryW(folder.c_str())) {
      Sleep(500);
      if (!RemoveDirectoryW(folder.c_str()) && g_Removal.rebootable) {
        MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      }
    }
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, folder.c_str(), nullptr);
    }
  }
}

// True when no folder from the drive root down to folder (itself included)
// is a reparse point, so that what lies below it is where its name says.
bool LiesWhereItSays(const std::wstring& folder) {
  if (folder.size() < 4) return false;
  std::wstring path = folder;
  if (path.back() != L'\\') path += L'\\';
  return !vesmarin::PassesThroughReparsePoint(path.substr(0, 3).c_str(), (path + L"x").c_str());
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
  return path;
}

// The places a confined worker may remove things from: the installation's
// folder, the group folders it recorded in the user's own Start menu, and
// shortcuts directly in the user's own shortcut places.
void FillScope(Worker& worker) {
  const std::wstring root = FolderOf(worker.uninstFile);
  if (LiesWhereItSays(root)) worker.scope.AddTree(root);
  const bool allUsers = ParseFlag(worker.info.Value(L"Group", L"CommonGroup", 16));
  const std::wstring programs = ShellFolder(CSIDL_PROGRAMS);
  for (unsigned i = 0; !allUsers && !programs.empty(); ++i) {
    std::wstring group = worker.info.Numbered(L"Group", i, 780);
    if (group.empty()) break;
    const std::wstring folder = programs + L"\\" + group;
    if (IsSafeGroupName(group.c_str()) && IsRemovableInstalledPath(folder.c_str()) &&
        LiesWhereItSays(folder)) {
      worker.scope.AddTree(folder);
    }
  }
  std::wstring quickLaunch = ShellFolder(CSIDL_APPDATA);
  if (!quickLaunch.empty()) quickLaunch += L"\\Microsoft\\Internet Explorer\\Quick Launch";
  for (const std::wstring& folder : {ShellFolder(CSIDL_DESKTOPDIRECTORY), ShellFolder(CSIDL_STARTUP),
                                     ShellFolder(CSIDL_STARTMENU), quickLaunch}) {
    if (!folder.empty() && LiesWhereItSays(folder)) worker.scope.AddLinkFolder(folder);
  }
}

// The steps of the removal, in order. Each returns false when the run
// ends there.

// The extension module: a plain file name beside the installed uninstaller.
bool LoadModule(Worker& worker) {
  std::wstring module = worker.info.Value(L"Options", L"ExtModuleFile", 500);
  if (module.empty()) return true;
  if (!IsPlainFileName(module.c_str())) {
    worker.skippedModule = module;
    return true;
  }
  worker.modulePath = FolderOf(worker.uninstFile) + module;
  // Nothing an information file without a protected entry names is run;
  // the module file still goes with the product at the end.
  if (worker.confined) {
    worker.skippedModule = module;
    return true;
  }
  ExtensionLoadResult loaded = LoadExtensionModule(worker.modulePath.c_str());
  if (loaded == kExtensionLoaded) return true;
  ShowErrorMessage(loaded == kExtensionNoEntry ? IDS_EXTENSION_BROKEN : IDS_EXTENSION_LOAD_FAILED);
  return false;
}

bool ReadOptions(Worker& worker) {
  const InfoDocument& info = worker.info;
  worker.preProcessFile = info.Value(L"Options", L"PreProcessFile", 500);
  worker.preProcessArg = info.Value(L"Options", L"PreProcessArg", 500);
  if (worker.preProcessFile.size() > 259) worker.preProcessFile.resize(259);
  if (worker.preProcessArg.size() > 259) worker.preProcessArg.resize(259);
  worker.hideLogButton = ParseFlag(info.Value(L"Options", L"HollmereHideLogButton", 16));
  g_Removal.rebootable = ParseFlag(info.Value(L"Options", L"UninstallRebootable", 16));
  g_Removal.deleteIniSibling = ParseFlag(info.Value(L"Options", L"AutoUninstIni", 16));
  g_Removal.deleteDatSibling = ParseFlag(info.Value(L"Options", L"AutoUninstDat", 16));
  for (unsigned i = 0;; ++i) {
    std::wstring entry = info.Numbered(L"Files", i, 780);
    if (entry.empty()) break;
    worker.installedFiles.insert(Lower(entry));
  }
  if (worker.confined) FillScope(worker);
  static const UINT kImageIds[3] = {IDB_STEP_DONE, IDB_STEP_CURRENT, IDB_STEP_PENDING};
  for (int i = 0; i < 3; ++i) {
    worker.images[i] = static_cast<HBITMAP>(LoadImageW(
        g_Instance, MAKEINTRESOURCEW(kImageIds[i]), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
  }
  return true;
}

// The root of the product's Uninstall entry as the launcher found it; null
// when there is none.
HKEY EntryRoot(const Worker& worker) {
  switch (worker.trust) {
    case EntryTrust::kProtected:
    case EntryTrust::kMachine: return HKEY_LOCAL_MACHINE;
    case EntryTrust::kUser: return HKEY_CURRENT_USER;
    default: return nullptr;
  }
}

// The product's title, read without creating or changing anything.
bool ReadTitle(Worker& worker) {
  worker.uninstallKey = worker.info.Value(L"Options", L"UninstallKey", 520);
  if (!IsUsableUninstallKey(worker.uninstallKey.c_str())) {
    ShowErrorMessage(IDS_INIT_FAILED);
    return false;
  }
  const HKEY root = EntryRoot(worker);
  if (root == nullptr) return true;
  std::wstring productKey = std::wstring(kUninstallRoot) + L"\\" + worker.uninstallKey;
  vesmarin::ScopedRegKey key;
  LONG opened = RegOpenKeyExW(root, productKey.c_str(), 0, KEY_QUERY_VALUE, key.receive());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) {
    ShowErrorMessage(IDS_INIT_FAILED);
    return false;
  }
  wchar_t title[200] = {};
  if (ReadRegString(key.get(), L"DisplayName", title, 200, RegTextFit::kCut) != RegReadResult::kRead)
    title[0] = 0;
  worker.title = title;
  return true;
}

bool Confirm(Worker& worker) {
  std::wstring question = FormatString(IDS_CONFIRM_UNINSTALL, worker.title);
  return MessageBoxW(nullptr, question.c_str(), worker.title.c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

bool ShowProgress(Worker& worker) {
  SetExtensionRecordBase(nullptr, worker.title.c_str(), worker.uninstFile.c_str(), nullptr,
                         nullptr, nullptr);
  if (ExtensionModuleLoaded() && SendExtensionEvent(ExtEventUninstallStart) != 0) return false;
  g_ProgressDialog = CreateDialogParamW(
      g_Instance, MAKEINTRESOURCEW(IsModernDialogSystem() ? IDD_PROGRESS_MODERN : IDD_PROGRESS),
      nullptr, ProgressDialogProc, 0);
  if (g_ProgressDialog == nullptr) return false;
  SetWindowTextW(g_ProgressDialog, worker.title.c_str());
  SetStepImage(worker, IDC_STEP_FILES, kImagePending);
  SetStepImage(worker, IDC_STEP_SHORTCUTS, kImagePending);
  SetStepImage(worker, IDC_STEP_REGISTRY, kImagePending);
  SetStepImage(worker, IDC_STEP_FILES, kImageCurrent);
  ShowWindow(g_ProgressDialog, SW_SHOW);
  PumpMessages();
  OpenUninstallLog();
  if (!worker.skippedModule.empty()) {
    WriteLogLine(L"", worker.skippedModule.c_str(), IDS_STATUS_SKIPPED);
  }
  if (ExtensionModuleLoaded() && SendExtensionEvent(ExtEventUninstallBeforeRemove) != 0) {
    DiscardUninstallLog();
    return false;
  }
  return true;
}

// The product's own program, from inside the uninstaller's folder only.
bool RunPreUninstallProgram(Worker& worker) {
  if (worker.preProcessFile.empty()) return true;
  if (worker.confined || !IsRelativePathBelow(worker.preProcessFile.c_str())) {
    WriteLogLine(L"", worker.preProcessFile.c_str(), IDS_STATUS_SKIPPED);
    return true;
  }
  std::wstring program = FolderOf(worker.uninstFile) + worker.preProcessFile;
  if (vesmarin::PassesThroughReparsePoint(FolderOf(worker.uninstFile).c_str(), program.c_str()) ||
      vesmarin::IsReparsePoint(program.c_str())) {
    WriteLogLine(L"", program.c_str(), IDS_STATUS_SKIPPED);
    return true;
  }
  PROCESS_INFORMATION process = {};
  if (RunPreProcess(program.c_str(), worker.preProcessArg.c_str(), &process) == S_OK &&
      process.hProcess) {
    CloseHandle(process.hThread);
    PumpUntilSignalled(process.hProcess);
    CloseHandle(process.hProcess);
  }
  return true;
}

void FinishStep(const Worker& worker, DWORD start, int done, int next) {
  PumpUntilElapsed(start, kStepMinimumMs);
  SetStepImage(worker, done, kImageDone);
  if (next) SetStepImage(worker, next, kImageCurrent);
  PumpMessages();
}

// Progress step 1: COM servers and files.
bool RemoveFiles(Worker& worker) {
  const DWORD start = GetTickCount();
  UnregisterServersArgs args = {&worker, g_ProgressDialog};
  HANDLE thread = CreateThread(nullptr, 0, UnregisterServersThread, &args, 0, nullptr);
  if (thread) {
    PumpUntilSignalled(thread);
    CloseHandle(thread);
  } else {
    UnregisterServers(worker, 779);
  }
  DeleteListedFiles(worker);
  bool scheduled = false;
  DeleteInstalledFile(worker.infoFile.c_str(), &scheduled);
  FinishStep(worker, start, IDC_STEP_FILES, IDC_STEP_SHORTCUTS);
  return true;
}

// Progress step 2: the Start-menu group.
bool RemoveShortcuts(Worker& worker) {
  const DWORD start = GetTickCount();
  RemoveGroups(worker);
  FinishStep(worker, start, IDC_STEP_SHORTCUTS, IDC_STEP_REGISTRY);
  return true;
}

// Progress step 3: registry keys.
bool RemoveRegistry(Worker& worker) {
  const DWORD start = GetTickCount();
  DeleteRegistrySections(worker);
  FinishStep(worker, start, IDC_STEP_REGISTRY, 0);
  return true;
}

// The log, the Close button and the final status, until the user closes.
bool ShowOutcome(Worker& worker) {
  std::wstring log;
  if (TakeUninstallLogText(&log)) SetDlgItemTextW(g_ProgressDialog, IDC_LOG_EDIT, log.c_str());
  g_WorkDone = true;
  SetDlgItemTextW(g_ProgressDialog, IDOK, LoadUninstallerString(IDS_CLOSE));
  ShowWindow(GetDlgItem(g_ProgressDialog, IDOK), SW_SHOW);
  if (!worker.hideLogButton) ShowWindow(GetDlgItem(g_ProgressDialog, IDC_DETAIL), SW_SHOW);
  SetDlgItemTextW(g_ProgressDialog, IDC_STATUS_TEXT, LoadUninstallerString(IDS_UNINSTALL_COMPLETE));

  RunMessageLoop(g_ProgressDialog, nullptr, nullptr);
  if (g_ProgressDialog) {
    DestroyWindow(g_ProgressDialog);
    g_ProgressDialog = nullptr;
  }
  return true;
}

bool AskRestart(Worker& worker) {
  if (ExtensionModuleLoaded()) {
    LONG answer = SendExtensionEvent(ExtEventUninstallQueryReboot, g_Removal.restartNeeded ? 1 : 0);
    if (answer == kExtensionResultRestart) g_Removal.restartNeeded = true;
    if (answer == kExtensionResultNoRestart) g_Removal.restartNeeded = false;
  }
  if (g_Removal.restartNeeded) {
    worker.restartChosen = MessageBoxW(nullptr, LoadUninstallerString(IDS_RESTART_PROMPT),
                                       UNINSTALLER_CAPTION,
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
  }
  return true;
}

// The product's Uninstall entry goes last, from where the launcher found it
// (the entry that names this uninstaller as its command).
bool RemoveUninstallEntry(Worker& worker) {
  DeleteFileW(worker.infoCopy.c_str());
  const HKEY root = EntryRoot(worker);
  HKEY uninstallRoot = nullptr;
  if (root && RegOpenKeyExW(root, kUninstallRoot, 0, KEY_SET_VALUE, &uninstallRoot) ==
      ERROR_SUCCESS) {
    DeleteRegistryTree(uninstallRoot, worker.uninstallKey.c_str());
    RegCloseKey(uninstallRoot);
  }
  return true;
}

// Everything up to the end of the removal. True when it completed.
bool RemoveEverything(Worker& worker) {
  typedef bool (*Step)(Worker&);
  static const Step kSteps[] = {LoadModule,     ReadOptions,    ReadTitle,    Confirm,
                                ShowProgress,   RunPreUninstallProgram,     RemoveFiles,
                                RemoveShortcuts, RemoveRegistry, ShowOutcome, AskRestart,
                                RemoveUninstallEntry};
  for (Step step : kSteps) {
    if (!step(worker)) return false;
  }
  return true;
}

void FinalPhase(Worker& worker, bool completed, const wchar_t* selfPath) {
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
  // The copy and then its folder go at the next restart, in that order.
  MoveFileExW(selfPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  const std::wstring copyFolder = FolderOf(selfPath);
  if (copyFolder.size() > 3) {
    MoveFileExW(copyFolder.substr(0, copyFolder.size() - 1).c_str(), nullptr,
                MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  if (worker.restartChosen) {
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
  UnregisterServers(*static_cast<const Worker*>(args->worker), 259);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

// Reads the information copy whole, once, with writes denied while it is
// read: what is asked and what is removed is what the launcher wrote.
bool ReadInfoCopy(Worker& worker) {
  HANDLE file = vesmarin::OpenRegularFile(worker.infoCopy.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool loaded = worker.info.Load(file, kMaxInfoCopyBytes);
  CloseHandle(file);
  return loaded;
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
                      IsLauncherCopy(selfPath, worker.infoCopy.c_str(), tempFolder) &&
                      ReadInfoCopy(worker);
  if (launcherCopy) {
    worker.uninstFile = worker.info.Value(L"General", L"UninstFile", 520);
  }
  wchar_t infoFile[MAX_PATH] = {};
  if (!launcherCopy || !IsRemovableInstalledPath(worker.uninstFile.c_str()) ||
      worker.uninstFile.back() == L'\\' ||
      !ParseProcessId(worker.info.Value(L"General", L"UninstSrcProcess", 16),
                      &worker.launcherId) ||
      !MakeUninstallInfoPath(worker.uninstFile.c_str(), infoFile, _countof(infoFile))) {
    ShowErrorMessage(IDS_INIT_FAILED);
    return 0;
  }
  worker.launcherKnown = true;
  worker.infoFile = infoFile;
  worker.eventName = worker.info.Value(L"General", L"UninstSyncEvent", 128);
  worker.trust = ParseEntryTrust(worker.info.Value(L"General", L"UninstEntry", 16));
  worker.confined = worker.trust != EntryTrust::kProtected;
  if (worker.eventName.compare(0, wcslen(UNINSTALL_SYNC_EVENT_BASE), UNINSTALL_SYNC_EVENT_BASE) != 0) {
    worker.eventName = UNINSTALL_SYNC_EVENT_BASE;
  }

  const bool completed = RemoveEverything(worker);
  // However the run ended, the plain copy of the information does not stay
  // in the temporary folder.
  DeleteFileW(worker.infoCopy.c_str());
  DiscardUninstallLog();
  FinalPhase(worker, completed, selfPath);
  return 0;
}
