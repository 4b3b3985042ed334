// What the stub's end-to-end tests share: a package of the real builder
// (tests/support/InstallerPackage) with the test extension module's event
// log, runs that must end on their own, and the container's positions.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "InstallerPackage.h"

namespace stubtest {

// Container positions of a built package.
struct Layout {
  size_t headerOffset;
  uint32_t settingsSize;
  uint32_t archiveOffset;
};
Layout LayoutOf(const std::vector<uint8_t>& file);

std::vector<uint8_t> Bytes(const std::wstring& path);
void Save(const std::wstring& path, const std::vector<uint8_t>& bytes);

class StubTest : public ::testing::Test {
 public:
  // The one member of the packages unless a test names others.
  static testsupport::PackageMembers ReadMe() { return {{L"readme.txt", "Read me."}}; }

 protected:
  StubTest();

  // A package of the members and the definition lines; empty when the
  // builder refused it (a failure is recorded).
  std::wstring Build(const std::vector<std::wstring>& lines,
                     const testsupport::PackageMembers& members = ReadMe(),
                     const std::wstring& name = L"Setup.exe");
  // Runs a program to its end, answering its boxes (OK when no answer).
  testsupport::DrivenResult RunStub(const std::wstring& program, const std::wstring& arguments = L"",
                                    const testsupport::BoxAnswer& answer = nullptr,
                                    const testsupport::RunWatcher& watch = nullptr);

  // Where the packages install, with a trailing backslash.
  std::wstring InstallFolder() const { return package_.InstallFolder(); }
  bool Installed() const { return testsupport::PathExists(InstallFolder()); }
  // True when the read-me member landed with its bytes; removes the
  // installation, so the next run starts from nothing.
  bool TakeInstalledReadMe();
  const testsupport::TempDir& dir() const { return package_.dir(); }

  // The extension module's event lines since the last ForgetEvents().
  std::vector<std::string> Events() const { return testsupport::ReadLines(EventLog()); }
  void ForgetEvents() const { DeleteFileW(EventLog().c_str()); }
  std::wstring EventLog() const { return package_.dir() / L"events.txt"; }

  testsupport::InstallerPackage package_{L"stub"};
  testsupport::ScopedEnv eventLog_{L"VESMARIN_TESTEXT_LOG", EventLog()};
};

}  // namespace stubtest
