// Output programs made by the real builder in batch mode for the stub's
// end-to-end tests, and runs of them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"

namespace stubtest {

class StubPackages {
 public:
  StubPackages();
  ~StubPackages();

  // Builds an x86-64 package from the archive members and the definition
  // lines (added to a base that extracts into InstallFolder()). Returns the
  // output's path, or empty when the build failed.
  std::wstring Build(const std::vector<std::wstring>& lines,
                     const std::vector<std::pair<std::wstring, std::string>>& members =
                         {{L"readme.txt", "Read me.\r\n"}},
                     const std::wstring& name = L"Setup.exe");
  // An archive member with the bytes of a file of the test tree's bin folder.
  static std::pair<std::wstring, std::string> BinMember(const std::wstring& fileName,
                                                        const std::wstring& memberName);

  // Runs the program with arguments, answering every message box with
  // answer (OK when none is given).
  testsupport::DrivenResult RunStub(const std::wstring& program, const std::wstring& arguments = L"",
                                const testsupport::BoxAnswer& answer = nullptr);
  std::wstring Line(const std::wstring& program, const std::wstring& arguments = L"") const;

  // Where the packages would extract to; must never appear.
  std::wstring InstallFolder() const { return dir_ / L"installed"; }
  bool Installed() const;

  // The extension module's event lines (VESMARIN_TESTEXT_LOG).
  std::vector<std::string> Events() const;
  std::wstring EventLog() const { return dir_ / L"events.txt"; }

  const testsupport::TempDir& dir() const { return dir_; }

  static std::vector<uint8_t> Bytes(const std::wstring& path);
  static void Save(const std::wstring& path, const std::vector<uint8_t>& bytes);

 private:
  testsupport::TempDir dir_{L"stub"};
};

// Container positions of a built package.
struct Layout {
  size_t headerOffset;
  uint32_t settingsSize;
  uint32_t archiveOffset;
};
Layout LayoutOf(const std::vector<uint8_t>& file);

// Sets an environment variable of this process (and so of the stubs it
// starts) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value);
  ~ScopedEnv();

 private:
  std::wstring name_;
};

}  // namespace stubtest
