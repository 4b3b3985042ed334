// The log the test tools keep: lines of UTF-8, appended, so that several
// processes may write one file in turn.
#pragma once
#include <windows.h>

#include <string>

// Appends the line and CR LF to the file; nothing for an empty name.
inline void AppendUtf8Line(const std::wstring& log, const std::wstring& line) {
  if (log.empty()) return;
  std::wstring text = line + L"\r\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
  HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}
