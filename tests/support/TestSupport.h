// Helpers shared by the test programs: files, folders and child processes.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// The folder of the running test program, with a trailing backslash. Every
// program of the tree is built into that folder.
std::wstring BinDir();
std::wstring BinPath(const std::wstring& fileName);

// A new, empty folder under the temporary folder, unique to this process and
// call; removed with its contents when the object goes away.
class TempDir {
 public:
  explicit TempDir(const std::wstring& tag = L"t");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& path() const { return path_; }  // trailing backslash
  std::wstring operator/(const std::wstring& name) const { return path_ + name; }

 private:
  std::wstring path_;
};

bool RemoveTree(const std::wstring& folder);
bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes);
bool WriteFileBytes(const std::wstring& path, const void* data, size_t size);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteTextFile(const std::wstring& path, const std::string& utf8);
bool PathExists(const std::wstring& path);

struct ProcessResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
};
// Runs a command line (the program's path quoted by the caller as needed) in
// the given folder (empty: the current one) and waits for it.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                         const std::wstring& currentDir = L"");

// Makes link a folder link to target. Where the system's own call makes
// none (Wine), the link is a Unix symbolic link, which Wine reports as a
// reparse point. False when neither works.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

std::string Narrow(const std::wstring& text);  // UTF-8
std::wstring Widen(const std::string& utf8);

// The CR LF terminated lines of a text (an unterminated tail is dropped).
std::vector<std::wstring> CrLfLines(const std::wstring& text);
// The lines of one "[name]" section of INI lines, without its header.
std::vector<std::wstring> IniSection(const std::vector<std::wstring>& lines,
                                     const std::wstring& name);

}  // namespace testsupport
