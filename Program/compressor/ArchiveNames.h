// Names inside the archive: what one component may be, and the list of
// (source, name) pairs that the cabinet writer takes.
#pragma once
#include <string>
#include <vector>

// One folder or file name inside the archive: non-empty, not "." or "..",
// shorter than 260 characters, free of '\', '/' and ':' (anything else
// could climb out of the folder an installer extracts into), and a name
// Windows can hold as a file: no device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, with or without an extension), none of <>"|?* or the control
// characters, no trailing dot or space. Names from other file systems
// (a Linux tree seen through Wine) can break every one of these rules.
bool IsSafeArchiveComponent(const std::wstring& name);

// The pairs for the cabinet writer in order. Every pair is kept: names that
// differ only in case, or not at all, are separate members.
class ArchiveEntryList {
 public:
  void Add(const std::wstring& source, const std::wstring& name);
  const std::vector<std::wstring>& sources() const { return sources_; }
  const std::vector<std::wstring>& names() const { return names_; }
  size_t size() const { return names_.size(); }

 private:
  std::vector<std::wstring> sources_;
  std::vector<std::wstring> names_;
};
