// The files Windows is to delete or rename at the next restart
// (PendingFileRenameOperations).
#pragma once
#include <string>
#include <vector>

namespace testsupport {

// Pairs of source and target as stored ("\??\C:\..." forms; an empty
// target means deletion).
std::vector<std::pair<std::wstring, std::wstring>> PendingFileRenames();

// True when a pending deletion names path (compared case-insensitively,
// ignoring the "\??\" prefix).
bool IsPendingDeletion(const std::wstring& path);

}  // namespace testsupport
