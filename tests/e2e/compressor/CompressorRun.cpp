#include "CompressorRun.h"

#include <shlwapi.h>

#include "CabDecoder.h"
#include "FileSystem.h"
#include "ResString.h"

namespace compressortest {

std::wstring SardokPath() { return testsupport::BinPath(L"Sardok.exe"); }

std::wstring Quote(const std::wstring& text) {
  // A backslash before the closing quote would escape it.
  const bool endsInBackslash = !text.empty() && text.back() == L'\\';
  return L"\"" + text + (endsInBackslash ? L"\\" : L"") + L"\"";
}

DWORD RunSardok(const std::wstring& arguments, const std::wstring& folder) {
  const testsupport::ProcessResult result =
      testsupport::RunProcess(Quote(SardokPath()) + L" " + arguments, 60000, folder);
  if (!result.started || result.timedOut) return 0xEEEEEEEE;
  return result.exitCode;
}

DWORD RunSardokReadingErrors(const std::wstring& arguments, std::wstring& errorText,
                             const std::wstring& folder) {
  errorText.clear();
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return 0xEEEEEEEE;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::wstring command = Quote(SardokPath()) + L" " + arguments;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return 0xEEEEEEEE;
  }
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read)
    bytes.append(buffer, read);
  CloseHandle(readEnd);
  DWORD code = 0xEEEEEEEE;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, 0);
  if (length > 0) {
    errorText.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &errorText[0],
                        length);
  }
  return code;
}

std::vector<std::wstring> CabinetNameList(const std::wstring& path) {
  std::vector<std::wstring> names;
  CCabDecoder decoder(false, 0);
  if (!decoder.Open(path.c_str(), 0)) return names;
  ArchiveItem item;
  for (int more = decoder.FindFirst(&item); more; more = decoder.FindNext(&item))
    names.push_back(item.name);
  return names;
}

std::set<std::wstring> CabinetNames(const std::wstring& path) {
  std::set<std::wstring> names;
  CCabDecoder decoder(false, 0);
  if (!decoder.Open(path.c_str(), 0)) return names;
  ArchiveItem item;
  for (int more = decoder.FindFirst(&item); more; more = decoder.FindNext(&item))
    names.insert(item.name);
  return names;
}

std::string CabinetMember(const std::wstring& path, const std::wstring& name) {
  CCabDecoder decoder(false, 0);
  if (!decoder.Open(path.c_str(), 0)) return std::string();
  DWORD size = 0;
  HGLOBAL block = decoder.ExtractToMemory(name.c_str(), &size);
  if (!block) return std::string();
  std::string bytes(static_cast<const char*>(GlobalLock(block)), size);
  GlobalUnlock(block);
  GlobalFree(block);
  return bytes;
}

unsigned HeaderFlags(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes) || bytes.size() < 36 || bytes[0] != 'M')
    return 0xFFFF;
  return bytes[30] | (bytes[31] << 8);
}

std::wstring MakeFile(const std::wstring& path, const std::string& bytes) {
  wchar_t folder[MAX_PATH];
  lstrcpynW(folder, path.c_str(), MAX_PATH);
  PathRemoveFileSpecW(folder);
  CreateDirectoryTree(folder);
  testsupport::WriteTextFile(path, bytes);
  return path;
}

std::wstring MakeBigFile(const std::wstring& path, size_t size) {
  std::string bytes(size, '\0');
  uint32_t seed = 12345;
  for (char& c : bytes) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }
  return MakeFile(path, bytes);
}

std::string ReadAll(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  testsupport::ReadFileBytes(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

std::wstring SardokText(UINT id, const std::wstring& text) {
  HMODULE sardok = LoadLibraryExW(SardokPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  wchar_t format[1024] = {};
  if (sardok) {
    LoadStringW(sardok, id, format, 1024);
    FreeLibrary(sardok);
  }
  return FillPlaceholders(format, text.empty() ? nullptr : text.c_str(), nullptr);
}

namespace {

struct WindowSearch {
  DWORD process;
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner == search->process && wcscmp(name, search->className) == 0)
    search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD process, const wchar_t* className) {
  WindowSearch search = {process, className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace compressortest
