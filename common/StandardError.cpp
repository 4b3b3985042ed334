#include "StandardError.h"

#include <windows.h>

namespace {

bool WriteTo(HANDLE handle, const std::wstring& text) {
  const DWORD length = static_cast<DWORD>(text.size());
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode))
    return WriteConsoleW(handle, text.data(), length, &written, nullptr) && written == length;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(length),
                                        nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(length), &utf8[0], bytes, nullptr,
                      nullptr);
  return WriteFile(handle, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr) &&
         written == static_cast<DWORD>(bytes);
}

// A handle that names something: a program started without redirection
// may hold none, or a value that names nothing.
bool IsUsable(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return false;
  SetLastError(NO_ERROR);
  return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

}  // namespace

bool WriteStandardError(const std::wstring& text) {
  if (text.empty()) return true;
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (IsUsable(error)) return WriteTo(error, text);
  // A program without a console of its own is given no console handles:
  // borrow the console of the program that started it, if it has one. A
  // refusal for want of access means this process has a console already
  // (one it was started on without handles to it): write there.
  const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
  if (!attached && GetLastError() != ERROR_ACCESS_DENIED) return false;
  bool written = false;
  const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     0, nullptr);
  if (console != INVALID_HANDLE_VALUE) {
    written = WriteTo(console, text);
    CloseHandle(console);
  }
  if (attached) FreeConsole();
  return written;
}
