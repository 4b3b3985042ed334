// The two batch modes: a folder, or a list of files, packed into a cabinet
// without any question. Their result is the exit code.
#pragma once
#include <string>
#include <vector>

#include "CommandLine.h"

// Collects every file below folder, depth first in the file system's order.
// A folder whose name matches a pattern is skipped with its content;
// junctions and other folder reparse points are not entered. False when a
// path would reach 260 characters or the folder cannot be listed.
bool ScanSourceFolder(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                      std::vector<std::wstring>& files);

// The archive path of the folder mode: "/arc:", else the "*.cab" argument,
// else the folder with its extension replaced by ".cab".
std::wstring FolderArchivePath(const CommandLineOptions& options);

int BatchFolderArchive(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                       const std::wstring& archive);
int BatchFileListArchive(const std::vector<std::wstring>& files,
                         const std::vector<std::wstring>& patterns, const std::wstring& archive);

// The whole run of a batch mode: progress dialog (unless silent), the
// caller window disabled meanwhile, the mode's builder; returns its code.
int RunBatchMode(const CommandLineOptions& options, bool fileList);
