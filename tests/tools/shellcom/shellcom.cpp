// A COM server stand-in. DllRegisterServer looks at its own file name:
//   ...fail...   returns E_ACCESSDENIED;
//   ...throw...  throws a C++ exception that nothing inside catches;
//   ...raise...  raises the structured exception 0xE0564D31;
//   ...fault...  writes through a null pointer;
//   ...slow...   waits 1.5 s, then registers as below;
//   otherwise    sets the value <file name> under
//                HKCU\Software\Vesmarin Tests\ComRegistered to
//                "<own path>|<current folder>|<mark of shellcomdep.dll>|<thread id>"
//                and returns S_OK.
// DllUnregisterServer deletes that value again.
#include <windows.h>

#include <cwchar>
#include <string>

extern "C" __declspec(dllimport) const wchar_t* ShellComDepMark();

namespace {

HMODULE g_self = nullptr;
const wchar_t kKey[] = L"Software\\Vesmarin Tests\\ComRegistered";

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(g_self, path, MAX_PATH);
  return path;
}

std::wstring OwnName() {
  std::wstring path = OwnPath();
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool NameHas(const wchar_t* word) {
  std::wstring name = OwnName();
  for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
  return name.find(word) != std::wstring::npos;
}

__attribute__((noinline)) void Throw() { throw std::wstring(L"registration failed"); }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  if (NameHas(L"fail")) return E_ACCESSDENIED;
  if (NameHas(L"throw")) Throw();
  if (NameHas(L"raise")) RaiseException(0xE0564D31, 0, 0, nullptr);
  if (NameHas(L"fault")) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  if (NameHas(L"slow")) Sleep(1500);
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  std::wstring data = OwnPath() + L"|" + cwd + L"|" + ShellComDepMark() + L"|" +
                      std::to_wstring(GetCurrentThreadId());
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  LONG set = RegSetValueExW(key, OwnName().c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return set == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return S_OK;
  RegDeleteValueW(key, OwnName().c_str());
  RegCloseKey(key);
  return S_OK;
}
