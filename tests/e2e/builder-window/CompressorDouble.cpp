// Stands in for the archive compressor: reads "/hwnd:N" from its command
// line and the archive path from "Sardok.path" beside itself (UTF-8), waits
// for the event "VesmarinTestCompressorGo" when a test created it, then
// hands the path to the builder as the compressor does: SendMessage 0x8065
// with its process id and the address of a 260-character buffer. Logs what
// it did to "Sardok.log".
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

void Log(const std::string& line) {
  HANDLE file = CreateFileW(Beside(L"Sardok.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  std::string text = line + "\n";
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const wchar_t* option = wcsstr(GetCommandLineW(), L"/hwnd:");
  if (!option) {
    Log("no /hwnd");
    return 2;
  }
  HWND caller = reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(option + 6)));
  if (!IsWindow(caller)) {
    Log("not a window");
    return 3;
  }
  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, L"VesmarinTestCompressorGo");
  if (go) {
    Log("waiting");
    WaitForSingleObject(go, 60000);
    CloseHandle(go);
  }
  static wchar_t path[MAX_PATH] = {};
  HANDLE file = CreateFileW(Beside(L"Sardok.path").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Log("no path");
    return 0;
  }
  char bytes[1024] = {};
  DWORD got = 0;
  ReadFile(file, bytes, sizeof bytes - 1, &got, nullptr);
  CloseHandle(file);
  MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(got), path, MAX_PATH - 1);
  SendMessageW(caller, WM_APP + 0x65, GetCurrentProcessId(), reinterpret_cast<LPARAM>(path));
  Log("sent");
  return 0;
}
