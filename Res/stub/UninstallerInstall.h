// The uninstaller that the package carries (in the container's uninstaller
// cabinet), put beside the installed product together with its information
// file: everything this installation created, for the uninstaller to remove.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "UninstallInfo.h"

namespace stub {

struct StubSettings;

// The built-in uninstaller's file name in this build of the stub.
extern const wchar_t kUninstallerFileName[];

// Where the uninstaller goes and how it is called.
struct UninstallerPlace {
  wchar_t path[MAX_PATH];    // the uninstaller (built-in or the package's own)
  wchar_t folder[MAX_PATH];  // its folder, with a trailing backslash
  wchar_t args[MAX_PATH];    // "/s" for the built-in uninstaller, else UnInstallArgs
  bool builtIn;
};

// With the built-in uninstaller: the extraction folder, the uninstaller
// folder of the package (below the extraction folder; a leading backslash
// or none both mean "below") and the file name; arguments "/s". Otherwise
// UnInstallFile below the extraction folder with UnInstallArgs. False when
// the path does not fit or the folder would leave the extraction folder.
bool ComposeUninstallerPlace(const StubSettings& settings, UninstallerPlace* place);

// The check that every way of choosing the folder makes before anything is
// written: with the built-in uninstaller, its place below folder (as
// ComposeUninstallerPlace would make it) fits the path limit and stays
// inside folder. Always true without the built-in uninstaller.
bool UninstallerPathFits(const StubSettings& settings, const wchar_t* folder);

// The information file's content from the settings and the created paths
// (oldest first): options, files, registry keys, COM servers to unregister
// (their installed places) and the Start-menu group of the interface
// language.
UninstallInfoContent ComposeUninstallInfo(const StubSettings& settings,
                                          const std::vector<std::wstring>& createdPaths);

// Restores the stored uninstaller cabinet (its first four bytes put back to
// "MSCF") into a temporary file, takes the named member out of it into
// bytes and deletes the temporary file. False when the cabinet is damaged or
// lacks the member.
bool ExtractUninstallerImage(const uint8_t* storedCab, size_t size, const wchar_t* memberName,
                             std::vector<uint8_t>* image);

// The entries of an earlier information file at infoPath that the new one
// keeps, oldest first: only when that file names the same UninstallKey,
// only entries that still exist (a folder as a folder, a file as a file)
// and that listed (this run's paths) does not hold, compared ignoring case.
// Unless the product's machine-wide Uninstall entry records the digest of
// exactly that file, only entries inside extractPath are kept.
std::vector<std::wstring> EarlierVersionEntries(const wchar_t* infoPath,
                                                const wchar_t* uninstallKey,
                                                const wchar_t* extractPath,
                                                const std::vector<std::wstring>& listed);

// Installs the built-in uninstaller and writes its information file beside
// it. Nothing happens (true) when the container carries no uninstaller
// cabinet. Both files are written under temporary names beside their
// places and moved there whole, so a failure leaves an earlier version's
// files as they were; the information file also keeps an earlier version's
// entries (EarlierVersionEntries). On failure the last error code is set (7
// create, 8 write with the file and the system's reason, 9 folder,
// 2 memory) and the result is false. *writtenBytes receives the
// size of what was written (uninstaller and information file).
bool InstallUninstaller(const UninstallerPlace& place, unsigned long long* writtenBytes);

}  // namespace stub
