// Shared pieces of the post-installation unit tests: a settings record that
// the stub's steps read as the running package's, and file readers.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "StubSettings.h"

namespace postinsttest {

// A zeroed settings record installed as the process-wide settings (and a
// quiet, English run) for the life of the object.
class ScopedSettings {
 public:
  explicit ScopedSettings(const std::wstring& extractPath = L"C:\\Program Files\\Example\\");
  ~ScopedSettings();
  stub::StubSettings& operator*() { return *settings_; }
  stub::StubSettings* operator->() { return settings_.get(); }

 private:
  std::unique_ptr<stub::StubSettings> settings_;
};

// Copies text into a fixed settings array.
template <size_t N>
void Set(wchar_t (&field)[N], const std::wstring& text) {
  lstrcpynW(field, text.c_str(), static_cast<int>(N));
}

using testsupport::ReadLines;

}  // namespace postinsttest
