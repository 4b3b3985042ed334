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

// Drops the pending operations whose source lies below folder (a path with
// a trailing backslash), so that a test leaves none of its own behind;
// every other entry is kept in its order.
void ForgetPendingRenamesBelow(const std::wstring& folder);

}  // namespace testsupport
