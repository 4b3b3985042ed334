// The ordered list of every file and folder the stub creates (folders end
// with a backslash). It exists only when the package installs an
// uninstaller or deletes its files after running a program; the uninstall
// information is written from it, newest first, and the delete-after-run
// clean-up (RemoveWrittenPaths) removes its entries in reverse order.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

namespace stub {

// Allocates the empty list (a zero-filled movable block of 0x800 bytes that
// grows as needed); false when memory runs out.
bool InitCreatedPathList();
// Whether the list exists (the open of the container decides).
bool CreatedPathListActive();
// Appends a path when the list exists; true when recorded or when there is
// no list, false when memory runs out. Each call takes the same time
// however many paths the list holds.
bool PushFileName(const wchar_t* path);
// The recorded paths, oldest first.
std::vector<std::wstring> CopyCreatedPaths();
void FreeCreatedPathList();

// What this run brought where nothing stood before (files it wrote, folders
// and shortcuts it made; folders end with a backslash), in the order made,
// kept whether or not the list above exists: what an installation that ends
// early takes back.
void NoteNewPath(const wchar_t* path);
const std::vector<std::wstring>& NewPaths();

}  // namespace stub
