// A builder definition file composed by a test: the section line
// "[Vesmarin]" and one "key=value" line each, CR LF line ends, written as
// the builder itself writes it (UTF-16LE with a byte-order mark).
#pragma once
#include <string>
#include <vector>

namespace testsupport {

class DefinitionText {
 public:
  DefinitionText() = default;
  explicit DefinitionText(const std::vector<std::wstring>& lines) { Add(lines); }

  // A line whose key is there already replaces that line: the profile API
  // would read only the first of two.
  DefinitionText& Add(const std::wstring& line);
  DefinitionText& Add(const std::vector<std::wstring>& lines);
  // The whole text, byte-order mark first.
  std::wstring Text() const;
  bool WriteTo(const std::wstring& path) const;

 private:
  std::vector<std::wstring> lines_;
};

}  // namespace testsupport
