// Existence checks and folder creation shared by the builder and the
// extractor stub; nothing here throws.
#pragma once
#include <windows.h>

// True when the path exists and is not a folder.
bool FileExists(const wchar_t* path);
// True when the path exists and is a folder.
bool DirectoryExists(const wchar_t* path);

// Creates a folder and every missing folder above it. True when the last
// level was created or made current.
bool CreateDirectoryTree(const wchar_t* folder);
