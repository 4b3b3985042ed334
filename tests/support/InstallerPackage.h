// Installers made by the real builder in batch mode and installed for real
// by tests: building, installing under the stub-run lock, reading what the
// installation registered, and running its uninstall command through
// uninstdriver.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"

namespace testsupport {

typedef std::vector<std::pair<std::wstring, std::string>> PackageMembers;

// Looks at a running installer's windows; called between the answers.
typedef std::function<void(const DrivenProcess&)> RunWatcher;

class InstallerPackage {
 public:
  explicit InstallerPackage(const std::wstring& tag = L"pkg");

  // The package's dialog title in both languages: the caption of its boxes
  // and the title its extension module sees.
  static std::wstring Title() { return L"Vesmarin Test"; }

  // Builds an x86-64 installer of the members (name inside the archive,
  // bytes) with the definition lines added to a base that installs into
  // InstallFolder() without asking. Returns its path, or empty when the
  // build failed (LastError() then says why).
  std::wstring Build(const std::vector<std::wstring>& lines, const PackageMembers& members,
                     const std::wstring& name = L"Setup.exe");
  // The same with an archive made elsewhere.
  std::wstring BuildFromArchive(const std::vector<std::wstring>& lines,
                                const std::wstring& archive,
                                const std::wstring& name = L"Setup.exe");
  // A member with the bytes of a program of the test tree's bin folder.
  static std::pair<std::wstring, std::string> BinMember(const std::wstring& fileName,
                                                        const std::wstring& memberName);

  // Runs the installer, holding the stub-run lock, answering its message
  // boxes with answer (OK when none is given); watch, when given, sees the
  // process on every round. Never answer Yes to a restart question.
  DrivenResult Run(const std::wstring& program, const std::wstring& arguments = L"",
                   const BoxAnswer& answer = nullptr, DWORD timeoutMs = 120000,
                   const RunWatcher& watch = nullptr);
  // The command line that Run starts.
  static std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments = L"");

  // The folder the installers install into, with a trailing backslash.
  std::wstring InstallFolder() const { return dir_ / L"installed\\"; }
  const TempDir& dir() const { return dir_; }
  const std::wstring& LastError() const { return lastError_; }

 private:
  TempDir dir_;
  std::wstring lastError_;
};

// Sets an environment variable of this process (and so of the programs it
// starts) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::wstring name_;
};

// The lines of a text file without their line ends; empty when it is missing.
std::vector<std::string> ReadLines(const std::wstring& path);

// The values of a key as "name" -> "sz:<text>" or "dword:<decimal>" (other
// types: "type<n>"). Empty when the key does not exist.
std::map<std::wstring, std::wstring> ReadKeyValues(HKEY root, const std::wstring& path);
bool KeyExists(HKEY root, const std::wstring& path);
// The machine-wide Uninstall entry of a key name (below HKLM).
std::wstring UninstallEntryPath(const std::wstring& key);
// That entry's UninstallString; empty when it is missing.
std::wstring UninstallCommand(const std::wstring& key);

// What uninstdriver saw (tests/tools/uninstdriver): every "key=value" line
// of its report in order, and the worker's information copy.
struct UninstDriverReport {
  ProcessResult driver;  // the driver's own run: started, timed out, exit code 0
  std::string text;      // the report as written
  std::vector<std::pair<std::string, std::wstring>> lines;
  std::wstring infoCopy;
  std::wstring First(const std::string& key) const;  // empty when missing
  std::vector<std::wstring> All(const std::string& key) const;
  bool Has(const std::string& key) const;
};

// Runs uninstdriver on an uninstall command with TMP and TEMP pointing at
// temp (a folder with a trailing backslash; the report goes into its
// parent); extra are further options ("--confirm no"). The driver answers No
// to every restart question.
UninstDriverReport RunUninstDriver(const std::wstring& command, const std::wstring& temp,
                                   const std::wstring& extra = L"");

// Every file and folder below a folder (relative paths, folders with a
// trailing backslash), sorted; empty when the folder is missing.
std::vector<std::wstring> ListTree(const std::wstring& folder);

}  // namespace testsupport
