// The folder the launcher writes its copies into: made fresh inside the
// user's temporary folder with a security descriptor of its own, so that
// only administrators and the system can write there, and held open by
// the launcher so that it cannot be renamed or replaced while it is used.
#pragma once
#include <windows.h>

#include <string>

#include "ScopedHandles.h"

// Owner Administrators; full access for Administrators and SYSTEM, passed
// on to every file and folder inside; nothing inherited from the folder
// around it and nothing for anybody else (no other process needs to see
// the copies: the worker runs with the launcher's rights).
extern const wchar_t kProtectedFolderSddl[];

// "$$qxunst-" and 16 hexadecimal digits.
bool IsCopyFolderName(const wchar_t* name);

class ProtectedFolder {
 public:
  ProtectedFolder() = default;
  ProtectedFolder(const ProtectedFolder&) = delete;
  ProtectedFolder& operator=(const ProtectedFolder&) = delete;

  // Creates "<parent>$$qxunst-<random>" (parent ends with a backslash)
  // with kProtectedFolderSddl, failing when the name exists, and tries a
  // fresh random name a few times. The folder is created and opened in one
  // step and kept open without delete sharing. False when no folder was
  // made, or the one made is not protected (it is then removed again).
  bool Create(const wchar_t* parent);

  const std::wstring& path() const { return path_; }  // with its trailing backslash
  HANDLE handle() const { return handle_.get(); }
  // Lets the folder go without removing it.
  void Close() { handle_.Close(); }
  // Closes it and removes it when it is empty.
  bool Remove();

 private:
  std::wstring path_;
  vesmarin::ScopedFile handle_;
};

// True when the open folder is a directory, no reparse point, owned by
// Administrators or SYSTEM, and every access its DACL allows goes to
// Administrators or SYSTEM. A file system that keeps only an owner per
// file reports the running account as the owner of what it made and
// grants that owner access; such a folder counts as well, and it is still
// closed to every other account.
bool IsProtectedFolder(HANDLE folder);
