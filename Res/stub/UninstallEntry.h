// The product's entry under the machine-wide "Uninstall" registry key, from
// which the system's list of installed programs removes it.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

namespace stub {

struct StubSettings;

// Where the entries live below HKEY_LOCAL_MACHINE (with a trailing
// backslash; the entry's key is UnInstallKey below it).
extern const wchar_t kUninstallKeyPath[];

struct UninstallEntryValue {
  std::wstring name;
  bool isNumber;       // REG_DWORD (EstimatedSize); every other value is REG_SZ
  std::wstring text;
  DWORD number;
};

// The uninstall command: the uninstaller path in double quotes (its short
// form when the path has 201 characters or more and one exists), then the
// arguments, after a blank unless they begin with one. False (output empty)
// when it does not fit capacity.
bool ComposeUninstallString(const wchar_t* uninstallerPath, const wchar_t* args,
                            wchar_t* output, size_t capacity);

// EstimatedSize in KiB for an installed size in bytes: 0x3FFFFF when the
// quotient needs more than 32 bits.
DWORD EstimatedSizeKiB(unsigned long long installedBytes);

// Every value of the entry, in the order it is written, for the interface
// language given: DisplayName, UninstallString, InstallLocation, and when
// their settings say so DisplayIcon, Publisher, URLInfoAbout, HelpLink,
// URLUpdateInfo, DisplayVersion and EstimatedSize. False when the uninstall
// command does not fit.
bool ComposeUninstallEntry(const StubSettings& settings, bool japaneseUi,
                           const wchar_t* uninstallerPath, const wchar_t* args,
                           unsigned long long installedBytes,
                           std::vector<UninstallEntryValue>* values);

// Creates or opens HKEY_LOCAL_MACHINE\<kUninstallKeyPath><key> and sets the
// values; true only when every value was set.
bool WriteUninstallEntryValues(const wchar_t* key, const std::vector<UninstallEntryValue>& values);

// The entry of the running package (UnInstallKey of the settings, the
// uninstaller path and arguments of the installation). On failure shows
// "Could not register uninstall information." with the warning icon, owned
// by owner, unless the run is ultra-silent.
bool WriteUninstallEntry(HWND owner, const wchar_t* uninstallerPath, const wchar_t* args,
                         unsigned long long installedBytes);

}  // namespace stub
