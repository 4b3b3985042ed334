// The two batch modes: a folder, or a list of files, packed into a cabinet
// without any question. Their result is the exit code.
#pragma once
#include <string>
#include <vector>

#include "CommandLine.h"

// Collects every file below folder, depth first in the file system's order.
// A file or folder whose name matches a pattern is skipped (a folder with
// its content). Links to folders and files are followed (FolderChain); a
// link back to a folder being scanned adds nothing more. What cannot be
// packed (a path that would reach 260 characters, a folder that cannot be
// listed, a link whose target cannot be opened, a pipe, socket or device, a
// name Windows cannot hold) goes to refused and the scan goes on; an entry
// gone since its folder was listed is left out. False when the run was
// cancelled.
bool ScanSourceFolder(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                      std::vector<std::wstring>& files, std::vector<std::wstring>& refused);

// The archive path of the folder mode: "/arc:", else the "*.cab" argument,
// else the folder with its extension replaced by ".cab".
std::wstring FolderArchivePath(const CommandLineOptions& options);

// Both fail with 302 before anything is written when an entry is refused
// (a path that cannot be added, a name longer than a cabinet holds), and
// name every refused entry on the standard error handle; a cabinet that
// cannot be written fails with 302 too, its reason on that handle. The
// archive itself is never one of its members.
int BatchFolderArchive(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                       const std::wstring& archive);
int BatchFileListArchive(const std::vector<std::wstring>& files,
                         const std::vector<std::wstring>& patterns, const std::wstring& archive);

// The whole run of a batch mode: progress dialog (unless silent), the
// caller window disabled meanwhile, the mode's builder; returns its code.
int RunBatchMode(const CommandLineOptions& options, bool fileList);
