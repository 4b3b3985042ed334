// Whether the user's archive is a cabinet that an installation can unpack
// whole: one cabinet of its own (no part of a set), all the bytes its header
// declares, member names an installer can place, and data that decodes.
// Each check ends a build with the open error; where it can name a member,
// the member is named in g_BuildErrorText.
#pragma once
#include <windows.h>

// The checks that read no member data: the header and the member names.
// kResultSuccess or kResultOpenFailed, the reason in g_BuildErrorText (none
// for a file that holds no cabinet at all or is shorter than its header
// says): a cabinet that begins inside its file, a part of a set, no
// members, no folders, a cut name table, a name no installation can place,
// a file and a folder of one name.
int CheckArchiveShape(const wchar_t* path);

// Under an installation folder that the package fixes (the settings leave
// the user, the saved folder and the extension module no way to change
// it), every member's path must stay within what an extraction writes.
// False, with the first member that does not fit named in
// g_BuildErrorText, when one does not; true when the folder is not fixed.
bool CheckMembersFitFolder(const wchar_t* path);

// Decodes every member once and writes nothing. kResultSuccess, or
// kResultOpenFailed with the member that does not decode named in
// g_BuildErrorText.
int CheckArchiveData(const wchar_t* path);
