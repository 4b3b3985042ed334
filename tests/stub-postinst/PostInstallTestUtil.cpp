#include "PostInstallTestUtil.h"

#include "StubState.h"
#include "TestSupport.h"

namespace postinsttest {

ScopedSettings::ScopedSettings(const std::wstring& extractPath)
    : settings_(new stub::StubSettings()) {
  Set(settings_->ExtractPath, extractPath);
  stub::g_Settings = settings_.get();
  stub::g_UltraSilent = true;
  stub::g_JapaneseUi = false;
}

ScopedSettings::~ScopedSettings() {
  stub::g_Settings = nullptr;
  stub::g_UltraSilent = false;
  stub::g_JapaneseUi = false;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  std::vector<std::string> lines;
  if (!testsupport::ReadFileBytes(path, bytes)) return lines;
  std::string text(bytes.begin(), bytes.end());
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

}  // namespace postinsttest
