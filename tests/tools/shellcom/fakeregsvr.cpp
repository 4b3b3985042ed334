// Stands in for regsvr32: appends its command line and current folder to the
// file named by VESMARIN_REGSVR_LOG and exits with VESMARIN_REGSVR_EXIT
// (decimal, default 0).
#include <windows.h>

#include <cwchar>
#include <string>

int wmain() {
  wchar_t value[1024] = {};
  std::wstring line = GetCommandLineW();
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  line += L"\r\ncwd=";
  line += cwd;
  line += L"\r\n";
  DWORD length = GetEnvironmentVariableW(L"VESMARIN_REGSVR_LOG", value, 1024);
  if (length > 0 && length < 1024) {
    HANDLE file = CreateFileW(value, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                nullptr);
      CloseHandle(file);
    }
  }
  length = GetEnvironmentVariableW(L"VESMARIN_REGSVR_EXIT", value, 1024);
  return length > 0 && length < 1024 ? static_cast<int>(wcstoul(value, nullptr, 10)) : 0;
}
