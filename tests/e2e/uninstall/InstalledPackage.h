// A package "installed" by hand the way the installer leaves it: files and
// folders, a Start-menu group, registry keys, the Uninstall entry and the
// information file beside the installed uninstaller.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "UninstallInfo.h"

class InstalledPackage {
 public:
  InstalledPackage();
  ~InstalledPackage();

  // Creates the files, group, keys and Uninstall entry; Write() then
  // stores the information file. Tests may change info() in between.
  void Install();
  bool WriteInfo();

  // Moves the Uninstall entry below HKEY_CURRENT_USER (a per-user
  // installation); null removes it, leaving an information file without
  // an entry. Install() puts it below HKEY_LOCAL_MACHINE.
  void MoveEntryTo(HKEY root);
  HKEY entryRoot() const { return entryRoot_; }

  // Adds a created file (copied from source when given, else a small text).
  std::wstring AddFile(const std::wstring& relative, const std::wstring& source = L"");

  const std::wstring& app() const { return app_; }  // trailing backslash
  const std::wstring& uninstaller() const { return uninstaller_; }
  std::wstring infoFile() const;
  const std::wstring& title() const { return title_; }
  const std::wstring& uninstallKey() const { return uninstallKey_; }
  std::wstring uninstallKeyPath() const;
  const std::wstring& group() const { return group_; }
  const std::wstring& groupFolder() const { return groupFolder_; }
  const std::wstring& link() const { return link_; }
  const std::wstring& userKey() const { return userKey_; }        // below HKCU
  const std::wstring& machineKey() const { return machineKey_; }  // below HKLM
  const std::wstring& classesKey() const { return classesKey_; }  // below HKCR
  const std::wstring& temp() const { return temp_; }              // private TMP, trailing backslash
  const std::wstring& root() const { return root_.path(); }
  UninstallInfoContent& info() { return info_; }
  // The listed files, newest first (as [Files] holds them, folders left out).
  std::vector<std::wstring> ListedFilesNewestFirst() const;

  // The Uninstall entry's command line.
  std::wstring UninstallCommand() const;

 private:
  testsupport::TempDir root_;
  std::wstring id_;
  std::wstring app_, uninstaller_, title_, uninstallKey_, group_, groupFolder_, link_;
  std::wstring userKey_, machineKey_, classesKey_, temp_;
  UninstallInfoContent info_;
  HKEY entryRoot_ = HKEY_LOCAL_MACHINE;
};

// What the driver saw: every "key=value" line of its report, in order.
struct DriverReport {
  std::vector<std::pair<std::string, std::wstring>> lines;
  std::wstring infoCopy;  // the worker's information copy as the driver found it
  std::wstring First(const std::string& key) const;  // empty when missing
  std::vector<std::wstring> All(const std::string& key) const;
  bool Has(const std::string& key) const;
};

// Runs the driver on a command line with TMP and TEMP pointing at temp;
// extra are further "--option value" words. Fails the test on a timeout.
DriverReport RunDriver(const std::wstring& command, const std::wstring& temp,
                       const std::wstring& extra = L"");

// A key tree as text (names and values), for before/after comparisons;
// "(absent)" when the key does not exist.
std::wstring DumpKey(HKEY root, const std::wstring& path);

// Names of the files in a folder (not recursive), sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
