// The commands that load and save projects and write the archive from the
// tree. Codes go into the process-wide result code.
#pragma once
#include <windows.h>

// Loads a project and rebuilds the tree from it: 102 when the XML
// component is missing, 103 when the file cannot be loaded or is refused;
// the tree is untouched then.
bool OpenProjectCommand(HWND owner, const wchar_t* path);
// The same after the open dialog; false when it is cancelled.
bool LoadProjectCommand(HWND owner);
// Asks for a path and writes the tree as a project.
bool SaveProjectCommand(HWND owner);
// Writes the archive to path, or to a path the user picks when path is
// null: 104 and 105 for an empty tree, 203 when cancelled, 204 when it
// fails. Messages unless silent.
bool CreateArchiveCommand(HWND owner, const wchar_t* path);
