// Resource changes in the stub image held in a movable global block.
#pragma once
#include <windows.h>

// Both return a result code (ResultCodes.h). On success the block and size
// are replaced by a block of the edited image; on failure they are untouched.
int ReplaceManifest(const void* manifest, DWORD manifestSize, HGLOBAL& image, DWORD& imageSize);
int ReplaceIcons(bool builtIn, const wchar_t* source, HGLOBAL& image, DWORD& imageSize);
