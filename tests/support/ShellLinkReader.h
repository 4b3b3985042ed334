// Reads back a shell link (.lnk) independently of the code that writes it.
#pragma once
#include <string>

namespace testsupport {

struct LinkContents {
  bool loaded = false;
  std::wstring path, arguments, description, workingFolder, iconFile;
  int iconIndex = -1;
};

// What the link at linkPath holds; loaded is false when it cannot be read.
LinkContents ReadLink(const std::wstring& linkPath);

}  // namespace testsupport
