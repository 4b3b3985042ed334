// Full access for the local groups to files and folders installed below the
// common application data folder, so that every user of the machine can
// write them.
#pragma once
#include <windows.h>

namespace stub {

// Gives "Administrators", "Power Users" and "Users" full access to a file or
// folder; the three grants are independent and a group that the system does
// not know changes nothing. Failures are not reported.
void GrantSharedAccess(const wchar_t* path);

// Adds an access-allowed entry for the account (looked up on the local
// machine) with the mask and no inheritance to the path's DACL: the
// account's old explicit entries are replaced, the inherited entries stay
// behind the explicit ones. False when any step fails (nothing changed).
bool GrantAccountAccess(const wchar_t* path, const wchar_t* account, DWORD accessMask);

}  // namespace stub
