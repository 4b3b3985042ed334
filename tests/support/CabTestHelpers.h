// Files and folders for the cabinet tests.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace cabtest {

// Writes a file below the folder (creating sub-folders) and returns its path.
std::wstring PutFile(const testsupport::TempDir& dir, const std::wstring& relative,
                     const std::string& content);
// The whole file as bytes in a string; empty when it cannot be read.
std::string ReadText(const std::wstring& path);
// Every file below the folder as relative paths, sorted.
std::vector<std::wstring> ListFiles(const std::wstring& folder);

// Points TMP and TEMP (the runtime's and the system's view) to a folder for
// the life of the object.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const std::wstring& folder);
  ~TempFolderOverride();

 private:
  std::wstring oldTmp_;
  std::wstring oldTemp_;
};

}  // namespace cabtest
