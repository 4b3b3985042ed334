// uninstdriver --report <file> [--confirm yes|no|kill] [--detail] [--timeout <ms>]
//              [--poll <ms>] [--rewrite <file>]
//              -- <command line>
// Starts the command line (an uninstall command), then finds the
// uninstaller's windows, reads them and presses their buttons until the
// started process and the worker it started have ended. It never answers
// Yes to a box captioned "Vesmarin Uninstaller" (the restart question is
// always answered No). The report (UTF-8) holds one line per observation
// (a line feed inside a value is written as U+001F):
//   confirm-caption=, confirm-text=, worker-image=, info-copy-exists=,
//   launcher-id=, launcher-alive=   when the confirmation appears (the
//   worker's information copy is then copied to <report>.ini)
//   rewrite=written|refused <error>   with --rewrite: while the question
//   waits, the information copy is opened for writing and, when that is
//   allowed, everything from its "[Options]" line on is replaced by the
//   UTF-16 text of <file>
//   progress-caption=, status=, close-text=, detail-visible=, log=<line>...,
//   detail-height=<before> <after> <again>  with --detail
//   restart-text=, error-text=   other boxes
//   launcher-exit=<code>, worker-exit=<code>, timeout=1
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "Waiting.h"

namespace {

const wchar_t kUninstallerCaption[] = L"Vesmarin Uninstaller";

struct Options {
  std::wstring report;
  bool confirmYes = true;
  bool killAtConfirm = false;  // ends the worker instead of answering
  bool detail = false;
  std::wstring rewrite;  // the text that replaces the copy's body
  DWORD timeout = 120000;
  DWORD poll = 50;  // between two looks at the windows
  std::wstring command;
};

HANDLE g_report = INVALID_HANDLE_VALUE;

// Line feeds inside a value are written as U+001F so that each
// observation stays on one line.
// Appends one observation; flushed unless more follow at once.
void Report(const std::wstring& key, const std::wstring& value, bool flush = true) {
  std::wstring line = key + L"=" + value;
  for (wchar_t& c : line) {
    if (c == L'\n') c = 0x1F;
  }
  line += L"\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return;
  std::string utf8(bytes - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(g_report, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  if (flush) FlushFileBuffers(g_report);
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return L"";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

// A control exists and has been created visible.
bool ControlVisible(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Dialog windows of the started process and of the processes it started
// (the worker); other uninstallers running at the same time are left alone.
struct Found {
  std::set<DWORD> processes;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  Found* found = reinterpret_cast<Found*>(context);
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (wcscmp(name, L"#32770") == 0 && found->processes.count(process) && IsWindowVisible(window)) {
    found->windows.push_back(window);
  }
  return TRUE;
}

void AddChildren(DWORD parent, std::set<DWORD>* processes) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent) processes->insert(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
}

std::wstring ProcessImage(HANDLE process) {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = _countof(path);
  if (QueryFullProcessImageNameW(process, 0, path, &length)) return path;
  return L"";
}

bool Parse(int argc, wchar_t** argv, Options* options) {
  int i = 1;
  for (; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg == L"--") break;
    if (arg == L"--report" && i + 1 < argc) options->report = argv[++i];
    else if (arg == L"--confirm" && i + 1 < argc) {
      std::wstring answer = argv[++i];
      options->confirmYes = answer == L"yes";
      options->killAtConfirm = answer == L"kill";
    }
    else if (arg == L"--detail") options->detail = true;
    else if (arg == L"--rewrite" && i + 1 < argc) options->rewrite = argv[++i];
    else if (arg == L"--timeout" && i + 1 < argc) options->timeout = wcstoul(argv[++i], nullptr, 10);
    else if (arg == L"--poll" && i + 1 < argc) options->poll = wcstoul(argv[++i], nullptr, 10);
    else return false;
  }
  if (i >= argc || options->report.empty()) return false;
  // The command is the raw rest of this program's command line after "--".
  const wchar_t* line = GetCommandLineW();
  const wchar_t* marker = wcsstr(line, L" -- ");
  if (marker == nullptr) return false;
  options->command = marker + 4;
  return !options->command.empty();
}

class Driver {
 public:
  explicit Driver(const Options& options) : options_(options) {}

  int Run() {
    std::wstring line = options_.command;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      Report(L"start-failed", std::to_wstring(GetLastError()));
      return 3;
    }
    CloseHandle(process.hThread);
    launcher_ = process.hProcess;
    launcherId_ = process.dwProcessId;
    family_.insert(launcherId_);
    const DWORD start = GetTickCount();
    bool launcherDone = false;
    for (;;) {
      if (GetTickCount() - start > options_.timeout) {
        Report(L"timeout", L"1");
        return 4;
      }
      Poll();
      if (!launcherDone && WaitForSingleObject(launcher_, 0) == WAIT_OBJECT_0) {
        launcherDone = true;
        DWORD code = 0;
        GetExitCodeProcess(launcher_, &code);
        Report(L"launcher-exit", std::to_wstring(code));
      }
      if (launcherDone && (worker_ == nullptr || WaitForSingleObject(worker_, 0) == WAIT_OBJECT_0)) {
        if (worker_) {
          DWORD code = 0;
          GetExitCodeProcess(worker_, &code);
          Report(L"worker-exit", std::to_wstring(code));
        }
        return 0;
      }
      Sleep(options_.poll);
    }
  }

 private:
  void NoteWorker(HWND window) {
    if (worker_) return;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (id == GetProcessId(launcher_)) return;
    worker_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                          FALSE, id);
    if (worker_ == nullptr) return;
    std::wstring image = ProcessImage(worker_);
    Report(L"worker-image", image);
    size_t dot = image.find_last_of(L'.');
    if (dot != std::wstring::npos) {
      std::wstring info = image.substr(0, dot) + L".ini";
      infoCopy_ = info;
      Report(L"info-copy-exists", GetFileAttributesW(info.c_str()) != INVALID_FILE_ATTRIBUTES
                                      ? L"1" : L"0");
      // Kept beside the report for the test to read.
      CopyFileW(info.c_str(), (options_.report + L".ini").c_str(), FALSE);
      Report(L"launcher-id", std::to_wstring(launcherId_));
    }
    Report(L"launcher-alive", WaitForSingleObject(launcher_, 0) == WAIT_TIMEOUT ? L"1" : L"0");
  }

  void Poll() {
    Found found;
    found.processes = family_;
    AddChildren(launcherId_, &found.processes);
    family_ = found.processes;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    for (HWND window : found.windows) {
      if (done_.count(window)) continue;
      if (GetDlgItem(window, 1003) && GetDlgItem(window, 1005)) {
        HandleProgress(window);
      } else if (GetDlgItem(window, 0xFFFF)) {
        HandleMessageBox(window);
      }
    }
  }

  void HandleMessageBox(HWND box) {
    // Wait until the buttons exist.
    if (!ControlVisible(box, IDOK) && !ControlVisible(box, IDNO)) return;
    std::wstring caption = WindowText(box);
    std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
    const bool yesNo = ControlVisible(box, IDYES) && ControlVisible(box, IDNO);
    done_.insert(box);
    if (caption == kUninstallerCaption) {
      if (yesNo) {
        Report(L"restart-text", text);
        Press(box, IDNO);  // never Yes: a restart would end the session
      } else {
        Report(L"error-text", text);
        Press(box, IDOK);
      }
      return;
    }
    if (yesNo) {
      Report(L"confirm-caption", caption);
      Report(L"confirm-text", text);
      NoteWorker(box);
      if (!options_.rewrite.empty()) Rewrite();
      if (options_.killAtConfirm && worker_) {
        Report(L"worker-killed", TerminateProcess(worker_, 99) ? L"1" : L"0");
        return;
      }
      Press(box, options_.confirmYes ? IDYES : IDNO);
      return;
    }
    Report(L"other-box", caption + L": " + text);
    Press(box, IDOK);
  }

  // What an unelevated program of the user would try: write the worker's
  // information copy while the worker asks its question.
  void Rewrite() {
    if (infoCopy_.empty()) {
      Report(L"rewrite", L"no copy");
      return;
    }
    HANDLE file = CreateFileW(infoCopy_.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Report(L"rewrite", L"refused " + std::to_wstring(GetLastError()));
      return;
    }
    std::wstring text = ReadAll(file);
    std::wstring body = ReadText(options_.rewrite);
    size_t options = text.find(L"[Options]");
    if (options == std::wstring::npos || body.empty()) {
      CloseHandle(file);
      Report(L"rewrite", L"unreadable");
      return;
    }
    text = text.substr(0, options) + body;
    DWORD written = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const bool ok = WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes &&
                    SetEndOfFile(file);
    CloseHandle(file);
    Report(L"rewrite", ok ? L"written" : L"write failed " + std::to_wstring(GetLastError()));
  }

  static std::wstring ReadAll(HANDLE file) {
    std::wstring text;
    wchar_t buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
      text.append(buffer, read / sizeof(wchar_t));
    }
    return text;
  }

  static std::wstring ReadText(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    std::wstring text = ReadAll(file);
    CloseHandle(file);
    return text;
  }

  void HandleProgress(HWND dialog) {
    NoteWorker(dialog);
    if (!progressSeen_) {
      progressSeen_ = true;
      Report(L"progress-caption", WindowText(dialog));
      Report(L"initial-status", WindowText(GetDlgItem(dialog, 1003)));
      Report(L"initial-close-visible", ControlVisible(dialog, IDOK) ? L"1" : L"0");
    }
    if (!ControlVisible(dialog, IDOK)) return;  // still working
    done_.insert(dialog);
    Report(L"status", WindowText(GetDlgItem(dialog, 1003)));
    Report(L"close-text", WindowText(GetDlgItem(dialog, IDOK)));
    Report(L"detail-visible", ControlVisible(dialog, 1007) ? L"1" : L"0");
    std::wstring log = WindowText(GetDlgItem(dialog, 1005));
    size_t start = 0;
    while (start < log.size()) {
      size_t end = log.find(L"\r\n", start);
      if (end == std::wstring::npos) end = log.size();
      Report(L"log", log.substr(start, end - start), false);
      start = end + 2;
    }
    FlushFileBuffers(g_report);
    if (options_.detail && ControlVisible(dialog, 1007)) {
      RECT before = {}, after = {}, again = {};
      GetClientRect(dialog, &before);
      // A click resizes the dialog: each height is the one it changed to.
      const auto changedFrom = [dialog](const RECT& from, RECT* to) {
        testsupport::WaitUntil(
            [&] { return GetClientRect(dialog, to) && to->bottom != from.bottom; }, 5000);
      };
      SendMessageTimeoutW(GetDlgItem(dialog, 1007), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
      changedFrom(before, &after);
      RECT edit = {};
      GetWindowRect(GetDlgItem(dialog, 1005), &edit);
      POINT bottom = {edit.left, edit.bottom};
      ScreenToClient(dialog, &bottom);
      Report(L"log-edit-inside", bottom.y <= after.bottom ? L"1" : L"0");
      SendMessageTimeoutW(GetDlgItem(dialog, 1007), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
      changedFrom(after, &again);
      Report(L"detail-height", std::to_wstring(before.bottom) + L" " + std::to_wstring(after.bottom) +
                                   L" " + std::to_wstring(again.bottom));
    }
    Press(dialog, IDOK);
  }

  const Options& options_;
  HANDLE launcher_ = nullptr;
  DWORD launcherId_ = 0;
  std::set<DWORD> family_;  // the started process and its children seen so far
  HANDLE worker_ = nullptr;
  std::wstring infoCopy_;
  bool progressSeen_ = false;
  std::set<HWND> done_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!Parse(argc, argv, &options)) {
    fwprintf(stderr, L"usage: uninstdriver --report <file> [--confirm yes|no|kill] [--detail] "
                     L"[--timeout ms] [--poll ms] [--rewrite file] -- <command line>\n");
    return 2;
  }
  g_report = CreateFileW(options.report.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_report == INVALID_HANDLE_VALUE) return 2;
  Driver driver(options);
  int code = driver.Run();
  CloseHandle(g_report);
  return code;
}
