// The launcher: the uninstaller started from its installed place. It turns
// the stored information file into a plain temporary copy, copies itself
// beside it into a folder of their own in the temporary folder, starts that
// copy as the worker and waits until the worker releases it (or ends).
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "FileIO.h"
#include "HollmereResource.h"
#include "InfoDocument.h"
#include "InfoTrust.h"
#include "ProtectedFolder.h"
#include "Sha256.h"
#include "TempCopies.h"
#include "UninstallInfo.h"
#include "UninstallerApp.h"

namespace {

const DWORD kMaxInfoBytes = 16 * 1024 * 1024;
const unsigned kNameAttempts = 1000;

bool WriteText(HANDLE file, const std::wstring& text) {
  return WriteAll(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

enum CopyOutcome { kCopyDone, kCopyNameTaken, kCopyInfoFailed, kCopyProgramFailed };

// Writes both copies under one number. Each is created only when its name
// is free, so no copy of another run is ever replaced.
CopyOutcome WriteCopies(const wchar_t* infoCopy, const wchar_t* programCopy,
                        const wchar_t* selfPath, const std::wstring& eventName, EntryTrust trust,
                        const unsigned char* text, DWORD size) {
  if (GetFileAttributesW(infoCopy) != INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesW(programCopy) != INVALID_FILE_ATTRIBUTES) {
    return kCopyNameTaken;
  }
  HANDLE file = CreateFileW(infoCopy, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? kCopyNameTaken
                                                                      : kCopyInfoFailed;
  }
  std::wstring header = L"[General]\r\nUninstFile=";
  header += selfPath;
  header += L"\r\n";
  wchar_t line[64];
  _snwprintf(line, _countof(line), L"UninstSrcProcess=%u\r\n", GetCurrentProcessId());
  line[_countof(line) - 1] = 0;
  std::wstring process = line;
  std::wstring event = L"UninstSyncEvent=" + eventName + L"\r\n";
  std::wstring entry = std::wstring(L"UninstEntry=") + EntryTrustWord(trust) + L"\r\n";
  bool ok = WriteText(file, header);
  ok = WriteText(file, process) && ok;
  ok = WriteText(file, event) && ok;
  ok = WriteText(file, entry) && ok;
  ok = WriteAll(file, text, size) && ok;
  ok = CloseHandle(file) && ok;
  if (!ok) {
    DeleteFileW(infoCopy);
    return kCopyInfoFailed;
  }
  if (!CopyFileW(selfPath, programCopy, TRUE)) {
    DWORD error = GetLastError();
    DeleteFileW(infoCopy);
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? kCopyNameTaken
                                                                      : kCopyProgramFailed;
  }
  return kCopyDone;
}

int Fail(UINT message) {
  ShowErrorMessage(message);
  return 0;
}

// The stored information file beside the launcher, as its plain text, and
// how far its entry vouches for it.
struct StoredInfo {
  wchar_t selfPath[MAX_PATH] = {};
  std::vector<uint8_t> text;
  EntryTrust trust = EntryTrust::kRefused;
};

// Reads and judges the information file; false when it cannot be read or
// its entry disowns it (the launcher then acts on nothing).
bool ReadStoredInfo(StoredInfo* info) {
  DWORD selfLength = GetModuleFileNameW(g_Instance, info->selfPath, _countof(info->selfPath));
  if (selfLength == 0 || selfLength >= _countof(info->selfPath)) return false;
  wchar_t infoPath[MAX_PATH] = {};
  if (!MakeUninstallInfoPath(info->selfPath, infoPath, _countof(infoPath))) return false;
  if (ReadWholeFile(infoPath, kMaxInfoBytes, &info->text) != FileReadResult::kRead ||
      info->text.empty())
    return false;
  unsigned char* text = info->text.data();
  const DWORD size = static_cast<DWORD>(info->text.size());
  // A file that its entry disowns is not acted on; how far the entry vouches
  // for it decides what the worker may touch.
  std::wstring digest;
  if (!vesmarin::Sha256Hex(text, size, &digest)) return false;
  InvertUninstallInfoBytes(text, size);
  InfoDocument document;
  document.Parse(reinterpret_cast<const wchar_t*>(text), size / sizeof(wchar_t));
  info->trust = JudgeInfoFile(
      digest.c_str(), document.Value(L"Options", L"UninstallKey", 520).c_str(), info->selfPath);
  return info->trust != EntryTrust::kRefused;
}

// The two copies in the protected folder and the name of the event with
// which the worker releases the launcher.
struct WorkerCopies {
  wchar_t infoCopy[MAX_PATH] = {};
  wchar_t programCopy[MAX_PATH] = {};
  std::wstring eventName;
};

// Writes both copies under the first number from the tick count on whose
// names are free.
CopyOutcome WriteCopiesUnderFreeName(const wchar_t* tempFolder, const StoredInfo& info,
                                     WorkerCopies* copies) {
  const unsigned tick = GetTickCount();
  const DWORD size = static_cast<DWORD>(info.text.size());
  CopyOutcome outcome = kCopyNameTaken;
  for (unsigned attempt = 0; attempt < kNameAttempts && outcome == kCopyNameTaken; ++attempt) {
    const unsigned number = tick + attempt;
    if (!FormatTempCopyPath(tempFolder, number, L".ini", copies->infoCopy,
                            _countof(copies->infoCopy)))
      return kCopyInfoFailed;
    if (!FormatTempCopyPath(tempFolder, number, L".bin", copies->programCopy,
                            _countof(copies->programCopy)))
      return kCopyProgramFailed;
    wchar_t suffix[40];
    _snwprintf(suffix, _countof(suffix), L"-%u-%u", GetCurrentProcessId(), number);
    suffix[_countof(suffix) - 1] = 0;
    copies->eventName = std::wstring(UNINSTALL_SYNC_EVENT_BASE) + suffix;
    outcome = WriteCopies(copies->infoCopy, copies->programCopy, info.selfPath,
                          copies->eventName, info.trust, info.text.data(), size);
  }
  return outcome;
}

// Creates the worker's event (one of this name must not exist yet) and
// starts the program copy with the information copy; false, with nothing
// left open, when either fails.
bool StartWorker(const wchar_t* tempFolder, const WorkerCopies& copies, HANDLE* event,
                 PROCESS_INFORMATION* process) {
  std::wstring commandLine = L"\"";
  commandLine += copies.programCopy;
  commandLine += L"\" /u";
  commandLine += copies.infoCopy;
  *event = nullptr;
  if (commandLine.size() < MAX_PATH) {
    *event = CreateEventW(nullptr, FALSE, FALSE, copies.eventName.c_str());
    if (*event && GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(*event);
      *event = nullptr;
    }
  }
  if (!*event) return false;
  wchar_t line[MAX_PATH] = {};
  wcscpy(line, commandLine.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      tempFolder, &startup, process)) {
    CloseHandle(*event);
    *event = nullptr;
    return false;
  }
  CloseHandle(process->hThread);
  return true;
}

void RemoveCopies(const WorkerCopies& copies, ProtectedFolder* folder) {
  DeleteFileW(copies.infoCopy);
  DeleteFileW(copies.programCopy);
  folder->Remove();
}

// The worker sets the event at its very end; a worker that dies before
// that ends the wait through its process handle, and its copies go.
void AwaitWorker(HANDLE event, HANDLE process, const WorkerCopies& copies,
                 ProtectedFolder* folder) {
  HANDLE waits[2] = {event, process};
  DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (which == WAIT_OBJECT_0 + 1) RemoveCopies(copies, folder);
  CloseHandle(process);
  CloseHandle(event);
}

}  // namespace

int UninstallLauncher() {
  StoredInfo info;
  if (!ReadStoredInfo(&info)) return Fail(IDS_READ_INFO_FAILED);

  wchar_t userTemp[MAX_PATH] = {};
  if (!GetTemporaryFolder(userTemp, _countof(userTemp))) return Fail(IDS_COPY_INFO_FAILED);
  // The copies go into a folder of their own that only administrators and
  // the system can write; it stays open until this launcher ends.
  ProtectedFolder folder;
  if (!folder.Create(userTemp)) return Fail(IDS_COPY_INFO_FAILED);
  const wchar_t* tempFolder = folder.path().c_str();

  WorkerCopies copies;
  const CopyOutcome outcome = WriteCopiesUnderFreeName(tempFolder, info, &copies);
  if (outcome != kCopyDone) {
    folder.Remove();
    return Fail(outcome == kCopyProgramFailed ? IDS_RUN_FAILED : IDS_COPY_INFO_FAILED);
  }

  // From here on a failure removes both copies again.
  HANDLE event = nullptr;
  PROCESS_INFORMATION process = {};
  if (!StartWorker(tempFolder, copies, &event, &process)) {
    RemoveCopies(copies, &folder);
    return Fail(IDS_RUN_FAILED);
  }
  AwaitWorker(event, process.hProcess, copies, &folder);
  return 0;
}
