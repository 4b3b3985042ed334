// Links (junctions, symbolic links, other reparse points) inside an
// installation: nothing is written or deleted through them.
#pragma once
#include <windows.h>

namespace vesmarin {

// True when the existing file or folder at path is itself a reparse point.
bool IsReparsePoint(const wchar_t* path);

// True when one of the existing folders between root and path (root itself
// excluded, the last element of path excluded) is a reparse point, so that
// path does not lie where its name says. A path outside root passes through
// none. Letters compare case-insensitively; root may end with a backslash.
bool PassesThroughReparsePoint(const wchar_t* root, const wchar_t* path);

}  // namespace vesmarin
