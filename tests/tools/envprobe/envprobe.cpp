// envprobe [--sleep=<ms>] [--exit=<code>] [arguments...]
// Appends one record (UTF-8) to "<own path>.txt", or to the file named by
// ENVPROBE_OUT when that is set, after sleeping the given time:
//   start
//   exe=<VESMARIN_EXECUTABLE_PATH or "(unset)">
//   extract=<VESMARIN_EXTRACT_PATH or "(unset)">
//   reboot=<VESMARIN_NEED_REBOOT or "(unset)">
//   cmdline=<the raw command-line tail>
//   arg=<each argument after the program name>
//   end
// Exits with the given code (0 when none is given), or 3 when the record
// cannot be written.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t buffer[2048];
  DWORD length = GetEnvironmentVariableW(name, buffer, 2048);
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return L"(unset)";
  if (length >= 2048) return L"(too long)";
  return std::wstring(buffer, length);
}

// The command line after the program name, as Windows hands it over.
std::wstring Tail(const wchar_t* line) {
  const wchar_t* p = line;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int exitCode = 0;
  for (int i = 1; argv && i < argc; ++i) {
    if (wcsncmp(argv[i], L"--sleep=", 8) == 0) Sleep(static_cast<DWORD>(_wtoi(argv[i] + 8)));
    if (wcsncmp(argv[i], L"--exit=", 7) == 0) exitCode = _wtoi(argv[i] + 7);
  }

  std::wstring record = L"start\n";
  record += L"exe=" + Variable(L"VESMARIN_EXECUTABLE_PATH") + L"\n";
  record += L"extract=" + Variable(L"VESMARIN_EXTRACT_PATH") + L"\n";
  record += L"reboot=" + Variable(L"VESMARIN_NEED_REBOOT") + L"\n";
  record += L"cmdline=" + Tail(GetCommandLineW()) + L"\n";
  for (int i = 1; argv && i < argc; ++i) record += std::wstring(L"arg=") + argv[i] + L"\n";
  record += L"end\n";
  if (argv) LocalFree(argv);

  std::wstring out = Variable(L"ENVPROBE_OUT");
  if (out == L"(unset)") {
    wchar_t own[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 3;
    out = std::wstring(own) + L".txt";
  }
  int bytes = WideCharToMultiByte(CP_UTF8, 0, record.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return 3;
  std::string utf8(bytes - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, record.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
  // Several probes may finish at once: retry while another holds the file.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    file = CreateFileW(out.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Sleep(20);
  }
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == utf8.size() ? exitCode : 3;
}
