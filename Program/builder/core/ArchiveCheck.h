// Whether the user's archive is a cabinet that an installation can unpack
// whole: one cabinet of its own (no part of a set), all the bytes its header
// declares, member names an installer can place, and data that decodes.
// Each check ends a build with the open error; where it can name a member,
// the member is named in g_BuildErrorText.
#pragma once
#include <windows.h>

// The checks that read no member data: the header and the member names.
// kResultSuccess or kResultOpenFailed (the reason in g_BuildErrorText for a
// part of a set and for a name; none for a file that is no whole cabinet).
int CheckArchiveShape(const wchar_t* path);

// Decodes every member once and writes nothing. kResultSuccess, or
// kResultOpenFailed with the member that does not decode named in
// g_BuildErrorText.
int CheckArchiveData(const wchar_t* path);
