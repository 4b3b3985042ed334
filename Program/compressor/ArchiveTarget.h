// The archive being written, told apart from the files that go into it: a
// cabinet written into the folder being packed must never pack its own
// older self.
#pragma once
#include <windows.h>

#include <string>

class ArchiveTarget {
 public:
  // The target by its identity on disk (volume and file index), which every
  // spelling of its path shares; read now, before anything is written.
  explicit ArchiveTarget(const std::wstring& path);
  // True when source is the same file as the target.
  bool Is(const std::wstring& source) const;

 private:
  std::wstring full_;
  std::wstring fileName_;
  bool known_ = false;
  BY_HANDLE_FILE_INFORMATION identity_ = {};
};
