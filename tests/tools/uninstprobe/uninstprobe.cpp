// uninstprobe [arguments...]
// Appends what it sees to the file named by VESMARIN_PROBE_LOG (UTF-8):
//   args=<its command-line tail>
//   exists=<0|1> <path>     for each path of VESMARIN_PROBE_CHECK ('|'-separated)
//   cwd=<current folder>
// then sleeps VESMARIN_PROBE_SLEEP milliseconds, checks the paths once more
// ("later-exists=..."), writes "done" and exits with VESMARIN_PROBE_EXIT.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "../ToolLog.h"

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t value[4096] = {};
  DWORD length = GetEnvironmentVariableW(name, value, 4096);
  return length > 0 && length < 4096 ? std::wstring(value) : std::wstring();
}

void Append(const std::wstring& log, const std::wstring& line) { AppendUtf8Line(log, line); }

void CheckPaths(const std::wstring& log, const wchar_t* label) {
  std::wstring list = Env(L"VESMARIN_PROBE_CHECK");
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(L'|', start);
    if (end == std::wstring::npos) end = list.size();
    std::wstring path = list.substr(start, end - start);
    if (!path.empty()) {
      bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
      Append(log, std::wstring(label) + (exists ? L"1 " : L"0 ") + path);
    }
    start = end + 1;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR tail, int) {
  std::wstring log = Env(L"VESMARIN_PROBE_LOG");
  Append(log, std::wstring(L"args=") + (tail ? tail : L""));
  CheckPaths(log, L"exists=");
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  Append(log, std::wstring(L"cwd=") + cwd);
  std::wstring sleep = Env(L"VESMARIN_PROBE_SLEEP");
  if (!sleep.empty()) {
    Sleep(static_cast<DWORD>(_wtoi(sleep.c_str())));
    CheckPaths(log, L"later-exists=");
  }
  Append(log, L"done");
  std::wstring code = Env(L"VESMARIN_PROBE_EXIT");
  return code.empty() ? 0 : _wtoi(code.c_str());
}
