// A publisher's extension module as the stub's tests need it. It appends one
// UTF-8 line per event to the file named by VESMARIN_TESTEXT_LOG and takes
// its behaviour from the environment:
//   VESMARIN_TESTEXT_ANSWER_<event>  the result for that event (default 0)
//   VESMARIN_TESTEXT_FAULT_<event>   any value: an access violation instead
//   VESMARIN_TESTEXT_SUPPRESS        any value: clear the show flag of event
//                                    1007 (the installer shows no error box)
//   VESMARIN_TESTEXT_SLEEP_<event>   milliseconds to wait before answering
//   VESMARIN_TESTEXT_FOLDER          at event 1006: the new folder
//   VESMARIN_TESTEXT_EXTRACT         at event 1000: an archive item to fetch
//                                    through hostExtractFile
//   VESMARIN_TESTEXT_REGISTER        at event 1008: a path to hand to
//                                    hostRegisterUninstallPath
//   VESMARIN_TESTEXT_GATE            with VESMARIN_TESTEXT_GATE_AT=<n>: at the
//                                    n-th event 1003, set the named event
//                                    <gate>-reached and wait (a minute at
//                                    most) for the named event <gate>-go, so
//                                    that a test acts at a known file
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ExtensionRecord.h"

namespace {

std::string Env(const char* name) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n > 0 && n < sizeof(value) ? std::string(value, n) : std::string();
}

bool HasEnv(const char* name) { return GetEnvironmentVariableA(name, nullptr, 0) > 0; }

std::string Utf8(const wchar_t* text) {
  if (!text) return "(null)";
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  return out;
}

std::string AnsiToUtf8(const char* text) {
  if (!text) return "(null)";
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, &wide[0], n);
  return Utf8(wide.c_str());
}

std::string Text(const void* p, bool wide) {
  return wide ? Utf8(static_cast<const wchar_t*>(p)) : AnsiToUtf8(static_cast<const char*>(p));
}

std::string FileContent(const void* path, bool wide) {
  if (!path) return "(none)";
  HANDLE file = wide ? CreateFileW(static_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, 0, nullptr)
                     : CreateFileA(static_cast<const char*>(path), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(unreadable)";
  char buffer[256];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

void Log(const std::string& line) {
  std::string path = Env("VESMARIN_TESTEXT_LOG");
  if (path.empty()) return;
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void PassGate() {
  static long files = 0;
  const std::string gate = Env("VESMARIN_TESTEXT_GATE");
  const std::string at = Env("VESMARIN_TESTEXT_GATE_AT");
  if (gate.empty() || at.empty() || ++files != atol(at.c_str())) return;
  HANDLE reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, (gate + "-reached").c_str());
  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, (gate + "-go").c_str());
  if (reached) SetEvent(reached);
  if (go) WaitForSingleObject(go, 60000);
  if (reached) CloseHandle(reached);
  if (go) CloseHandle(go);
}

LONG Handle(ExtensionRecord* r, bool wide) {
  char name[64];
  std::string line = "event=" + std::to_string(r->event) + " size=" + std::to_string(r->cbSize) +
                     " wide=" + (wide ? "1" : "0");
  switch (r->event) {
    case ExtEventInstallInit: {
      line += " title=" + Text(r->title, wide) + " path=" + Text(r->path, wide) +
              " data=" + FileContent(r->dataFile, wide) +
              " services=" + (r->hostExtractFile && r->hostRegisterUninstallPath ? "1" : "0");
      std::string item = Env("VESMARIN_TESTEXT_EXTRACT");
      if (!item.empty() && r->hostExtractFile) {
        std::wstring wideItem(item.begin(), item.end());
        INT_PTR block = wide ? r->hostExtractFile(wideItem.c_str()) : r->hostExtractFile(item.c_str());
        line += " extracted=" + (block ? std::string(reinterpret_cast<const char*>(block),
                                                     GlobalSize(reinterpret_cast<HGLOBAL>(block)))
                                       : std::string("(none)"));
        if (block) GlobalFree(reinterpret_cast<HGLOBAL>(block));
        INT_PTR registered = wide ? r->hostRegisterUninstallPath(L"C:\\windows")
                                  : r->hostRegisterUninstallPath("C:\\windows");
        line += " register=" + std::to_string(registered);
      }
      break;
    }
    case ExtEventInstallFolder: {
      line += " folder=" + Text(reinterpret_cast<const void*>(r->param1), wide);
      std::string folder = Env("VESMARIN_TESTEXT_FOLDER");
      if (!folder.empty()) {
        if (wide) {
          std::wstring w(folder.begin(), folder.end());
          lstrcpynW(reinterpret_cast<wchar_t*>(r->param1), w.c_str(), MAX_PATH);
        } else {
          lstrcpynA(reinterpret_cast<char*>(r->param1), folder.c_str(), MAX_PATH);
        }
      }
      break;
    }
    case ExtEventInstallBegin: {
      std::string path = Env("VESMARIN_TESTEXT_REGISTER");
      if (!path.empty() && r->hostRegisterUninstallPath) {
        std::wstring widePath(path.begin(), path.end());
        INT_PTR registered = wide ? r->hostRegisterUninstallPath(widePath.c_str())
                                  : r->hostRegisterUninstallPath(path.c_str());
        line += " register=" + std::to_string(registered);
      }
      break;
    }
    case ExtEventInstallError: {
      line += " code=" + std::to_string(static_cast<long long>(r->param1)) +
              " text=" + Text(reinterpret_cast<const void*>(r->param2), wide);
      for (char& c : line)
        if (c == '\n') c = '|';
      if (HasEnv("VESMARIN_TESTEXT_SUPPRESS") && r->param3) *reinterpret_cast<BOOL*>(r->param3) = FALSE;
      break;
    }
    default:
      line += " p1=" + std::to_string(static_cast<long long>(r->param1));
      break;
  }
  Log(line);
  if (r->event == ExtEventInstallAfterFile) PassGate();
  snprintf(name, sizeof(name), "VESMARIN_TESTEXT_FAULT_%u", r->event);
  if (HasEnv(name)) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  snprintf(name, sizeof(name), "VESMARIN_TESTEXT_SLEEP_%u", r->event);
  const std::string pause = Env(name);
  if (!pause.empty()) Sleep(static_cast<DWORD>(atol(pause.c_str())));
  snprintf(name, sizeof(name), "VESMARIN_TESTEXT_ANSWER_%u", r->event);
  std::string answer = Env(name);
  return answer.empty() ? 0 : atol(answer.c_str());
}

}  // namespace

extern "C" {

#ifdef WITH_WIDE_ENTRY
__declspec(dllexport) LONG WINAPI VesmarinExtensionW(ExtensionRecord* record) {
  return Handle(record, true);
}
#endif

__declspec(dllexport) LONG WINAPI VesmarinExtension(ExtensionRecord* record) {
  return Handle(record, false);
}

}  // extern "C"
