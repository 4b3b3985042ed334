// DllUnregisterServer appends "unregistered cwd=<current folder>" to the
// file named by VESMARIN_COM_LOG and returns VESMARIN_COM_RESULT (hex,
// default S_OK). With VESMARIN_COM_CRASH=1 it faults instead.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  std::wstring log = Env(L"VESMARIN_COM_LOG");
  if (!log.empty()) {
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring line = std::wstring(L"unregistered cwd=") + cwd + L"\r\n";
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                nullptr);
      CloseHandle(file);
    }
  }
  if (Env(L"VESMARIN_COM_CRASH") == L"1") {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  std::wstring result = Env(L"VESMARIN_COM_RESULT");
  return result.empty() ? S_OK : static_cast<HRESULT>(wcstoul(result.c_str(), nullptr, 16));
}
