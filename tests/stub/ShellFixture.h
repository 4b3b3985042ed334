// A stub state for the shortcut and registration tests: settings whose
// extraction folder is a fresh temporary folder, the program's own
// resources, COM initialised, the created-paths list on, no message boxes.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StubSettings.h"
#include "ShellLinkReader.h"
#include "TestSupport.h"

namespace shelltest {

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  stub::StubSettings& settings() { return *settings_; }
  // The extraction folder, with a trailing backslash.
  std::wstring extract() const { return extract_; }
  const testsupport::TempDir& dir() const { return dir_; }
  // A name no other test process uses: prefix + process id.
  static std::wstring Unique(const std::wstring& prefix);

 private:
  std::unique_ptr<stub::StubSettings> settings_;
  testsupport::TempDir dir_{L"shell"};
  std::wstring extract_;
  bool com_ = false;
};

// A shell folder's path (no trailing backslash).
std::wstring ShellFolder(int csidl);

// Everything a shell link file holds that the stub sets.
using testsupport::LinkContents;
using testsupport::ReadLink;

// Fills a shortcut item's plain texts (the English ones stay empty).
stub::StartMenuItem Item(const std::wstring& title, const std::wstring& file,
                         const std::wstring& args = L"", const std::wstring& comment = L"",
                         const std::wstring& icon = L"");

}  // namespace shelltest
