#include "TestSupport.h"

#include <winioctl.h>

#include "Waiting.h"

namespace testsupport {

std::wstring BinDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring BinPath(const std::wstring& fileName) { return BinDir() + fileName; }

TempDir::TempDir(const std::wstring& tag) {
  static LONG counter = 0;
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  for (;;) {
    std::wstring candidate = std::wstring(base) + L"vst-" + tag + L"-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(InterlockedIncrement(&counter));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L"\\";
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

TempDir::~TempDir() {
  if (!path_.empty()) RemoveTree(path_);
}

bool RemoveTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = base + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return RemoveDirectoryW(base.c_str()) != 0;
}

bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) != 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ok = bytes.empty() ||
         (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
          got == bytes.size());
  }
  CloseHandle(file);
  return ok;
}

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &done, nullptr) &&
                          done == size);
  return CloseHandle(file) && ok;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  return WriteFileBytes(path, bytes.data(), bytes.size());
}

bool WriteTextFile(const std::wstring& path, const std::string& utf8) {
  return WriteFileBytes(path, utf8.data(), utf8.size());
}

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeSparseFile(const std::wstring& path, ULONGLONG size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return sized;
}

namespace {

// Runs the command line and waits for it; with an error handle the child
// inherits it as its standard error.
ProcessResult Run(const std::wstring& commandLine, DWORD timeoutMs, const std::wstring& currentDir,
                  HANDLE error) {
  ProcessResult result;
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  STARTUPINFOW si = {sizeof si};
  if (error) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = error;
  }
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, error != nullptr, 0, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi)) {
    return result;
  }
  result.started = true;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    result.timedOut = true;
    TerminateProcess(pi.hProcess, 0xDEAD);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &result.exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

}  // namespace

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs,
                         const std::wstring& currentDir) {
  return Run(commandLine, timeoutMs, currentDir, nullptr);
}

ProcessResult RunProcessReadingError(const std::wstring& commandLine, std::string& errorBytes,
                                     DWORD timeoutMs, const std::wstring& currentDir) {
  errorBytes.clear();
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  // Room for far more than a program's messages: the child never waits on
  // a full pipe while this side waits for the child.
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return ProcessResult();
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  const ProcessResult result = Run(commandLine, timeoutMs, currentDir, writeEnd);
  CloseHandle(writeEnd);
  // The child has ended: all it wrote waits in the pipe. Only what is there
  // is read, since a helper that Wine started from the child (its desktop
  // process) can hold the pipe's other end open.
  char chunk[4096];
  DWORD waiting = 0;
  while (result.started &&
         PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
    DWORD got = 0;
    if (!ReadFile(readEnd, chunk, waiting < sizeof chunk ? waiting : sizeof chunk, &got,
                  nullptr) ||
        got == 0)
      break;
    errorBytes.append(chunk, got);
  }
  CloseHandle(readEnd);
  return result;
}

std::wstring WithoutLineBreaks(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'\n') out += c;
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                              0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                      nullptr, nullptr);
  return out;
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::vector<std::wstring> CrLfLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

std::vector<std::wstring> IniSection(const std::vector<std::wstring>& lines,
                                     const std::wstring& name) {
  std::vector<std::wstring> out;
  bool inside = false;
  for (const std::wstring& line : lines) {
    if (!line.empty() && line[0] == L'[') {
      inside = line == L"[" + name + L"]";
      continue;
    }
    if (inside) out.push_back(line);
  }
  return out;
}

namespace {

// Wine's Unix name of a Windows path (quoted for a shell line); empty where
// the system is no Wine or the path has none.
std::wstring UnixName(const std::wstring& path) {
  typedef char*(CDECL * UnixNameFn)(LPCWSTR);
  UnixNameFn unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  if (!name) return L"";
  const std::wstring quoted = L"\"" + Widen(name) + L"\"";
  HeapFree(GetProcessHeap(), 0, name);
  return quoted;
}

// Starts a Unix program (such as Z:\bin\ln) with the line; Wine does not
// report when it ends.
bool StartUnixProgram(const wchar_t* program, std::wstring line) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
  auto isLink = [&link]() {
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  };
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && isLink())
    return true;
  const std::wstring from = UnixName(link), to = UnixName(target);
  if (from.empty() || to.empty() ||
      !StartUnixProgram(L"Z:\\bin\\ln", L"/bin/ln -s " + to + L" " + from))
    return false;
  // The link is there once the Unix program has made it.
  return WaitUntil(isLink, 5000);
}

ThreadLanguage::ThreadLanguage(LANGID language) : saved_(GetThreadLocale()) {
  SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
}

ThreadLanguage::~ThreadLanguage() { SetThreadLocale(saved_); }

bool RemoveFolderLink(const std::wstring& link) {
  const std::wstring name = UnixName(link);
  // Windows removes the link itself; Wine would follow its Unix link.
  if (name.empty()) return RemoveDirectoryW(link.c_str()) != FALSE;
  if (!StartUnixProgram(L"Z:\\bin\\rm", L"/bin/rm -f " + name)) return false;
  return WaitUntil([&link] { return !PathExists(link); }, 5000);
}

}  // namespace testsupport
