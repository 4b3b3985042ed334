// Names inside the archive: what one component may be, and the list of
// (source, name) pairs in which a name occurs only once.
#pragma once
#include <string>
#include <vector>

// One folder or file name inside the archive: non-empty, not "." or "..",
// shorter than 260 characters, and free of '\', '/' and ':'. Anything else
// could climb out of the folder an installer extracts into.
bool IsSafeArchiveComponent(const std::wstring& name);

// The pairs for the cabinet writer in order. A name already in the list
// (compared without regard to case) is not added again: the first stays.
class ArchiveEntryList {
 public:
  // False when the name is already present (nothing is added).
  bool Add(const std::wstring& source, const std::wstring& name);
  const std::vector<std::wstring>& sources() const { return sources_; }
  const std::vector<std::wstring>& names() const { return names_; }
  size_t size() const { return names_.size(); }

 private:
  std::vector<std::wstring> sources_;
  std::vector<std::wstring> names_;
  std::vector<std::wstring> keys_;  // upper-case names, sorted
};
