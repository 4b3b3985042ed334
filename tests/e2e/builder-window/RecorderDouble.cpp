// Stands in for a program the builder starts (the updater, a web browser):
// appends its command line as a UTF-8 line to "<its own path>.log" and
// ends at once.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (got == 0 || got >= MAX_PATH - 4) return 1;
  std::wstring log = std::wstring(self) + L".log";
  const wchar_t* line = GetCommandLineW();
  int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line, -1, &bytes[0], size, nullptr, nullptr);
  bytes.back() = '\n';
  HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
