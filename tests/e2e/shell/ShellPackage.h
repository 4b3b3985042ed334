// Packages built by the real builder in batch mode for the shortcut and COM
// registration scenarios, and silent runs of them from outside.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"

namespace shelle2e {

typedef std::vector<std::pair<std::wstring, std::string>> Members;

// What a run showed: its exit code, every message box, and whether the
// registration window ("Registering Components...") appeared.
struct ShellRun {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  std::vector<testsupport::SeenBox> boxes;
  bool registrationWindow = false;
  std::wstring registrationCaption;
};

class ShellPackage {
 public:
  ShellPackage();

  // Builds a silent x86-64 package that extracts into InstallFolder();
  // lines are added to the definition. Empty when the build failed.
  std::wstring Build(const std::vector<std::wstring>& lines, const Members& members);
  // Runs it, answering every box with OK.
  ShellRun Run(const std::wstring& program);

  // Where the package installs, with a trailing backslash.
  std::wstring InstallFolder() const { return dir_ / L"installed\\"; }
  const testsupport::TempDir& dir() const { return dir_; }

  // An archive member with the bytes of a file of the bin folder.
  static std::pair<std::wstring, std::string> BinMember(const std::wstring& fileName,
                                                        const std::wstring& memberName);

 private:
  testsupport::TempDir dir_{L"shelle2e"};
};

// A shell folder's path (no trailing backslash).
std::wstring ShellFolder(int csidl);

struct LinkContents {
  bool loaded = false;
  std::wstring path, arguments, description, iconFile;
  int iconIndex = -1;
};
LinkContents ReadLink(const std::wstring& linkPath);

// The value a copy of shellcom.dll registered (its own path first), split at
// '|'; empty when missing.
std::vector<std::wstring> RegisteredServer(const std::wstring& fileName);
void ForgetServer(const std::wstring& fileName);

// The UninstallString of an Uninstall entry below HKLM; empty when missing.
std::wstring UninstallCommand(const std::wstring& key);
// Runs an uninstall command through uninstdriver (confirmation Yes, the
// restart question No); true when the driver ended normally.
bool RunUninstall(const std::wstring& command, const std::wstring& report);

}  // namespace shelle2e
