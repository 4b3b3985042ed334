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
// A file of size bytes that holds no data (sparse where the file system
// has them), in an existing folder: a large file that costs no disk.
bool MakeSparseFile(const std::wstring& path, ULONGLONG size);

struct ProcessResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
};
// Runs a command line (the program's path quoted by the caller as needed) in
// the given folder (empty: the current one) and waits for it.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                         const std::wstring& currentDir = L"");
// The same with the program's standard error handle on a pipe: what it
// wrote there arrives in errorBytes, as the bytes it wrote.
ProcessResult RunProcessReadingError(const std::wstring& commandLine, std::string& errorBytes,
                                     DWORD timeoutMs = 60000,
                                     const std::wstring& currentDir = L"");

// Makes link a folder link to target. Where the system's own call makes
// none (Wine), the link is a Unix symbolic link, which Wine reports as a
// reparse point. False when neither works.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
// Removes a folder link that MakeFolderLink made, never what it leads to.
bool RemoveFolderLink(const std::wstring& link);
// A folder link that goes with the scope (before the TempDir that holds
// it would walk through it).
class ScopedFolderLink {
 public:
  ScopedFolderLink(const std::wstring& link, const std::wstring& target)
      : link_(link), made_(MakeFolderLink(link, target)) {}
  ~ScopedFolderLink() {
    if (made_) RemoveFolderLink(link_);
  }
  ScopedFolderLink(const ScopedFolderLink&) = delete;
  ScopedFolderLink& operator=(const ScopedFolderLink&) = delete;
  bool made() const { return made_; }

 private:
  std::wstring link_;
  bool made_;
};

std::string Narrow(const std::wstring& text);  // UTF-8
std::wstring Widen(const std::string& utf8);

// A message box's text without its line breaks: a line too long for the
// screen is broken wherever the width ends.
std::wstring WithoutLineBreaks(const std::wstring& text);

// The CR LF terminated lines of a text (an unterminated tail is dropped).
std::vector<std::wstring> CrLfLines(const std::wstring& text);
// The lines of one "[name]" section of INI lines, without its header.
std::vector<std::wstring> IniSection(const std::vector<std::wstring>& lines,
                                     const std::wstring& name);

// Switches the thread's string and dialog language (LoadStringW follows
// the thread locale) for the life of the object.
class ThreadLanguage {
 public:
  explicit ThreadLanguage(LANGID language);
  ~ThreadLanguage();
  ThreadLanguage(const ThreadLanguage&) = delete;
  ThreadLanguage& operator=(const ThreadLanguage&) = delete;

 private:
  LCID saved_;
};
const LANGID kJapaneseLanguage = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

}  // namespace testsupport
