// Dialog "Vesmarin uninstaller settings" of the "Uninstaller" page: what
// only the built-in uninstaller does, and saving the builder's own
// uninstaller programs so that they can be signed.
#pragma once
#include <windows.h>

// Shows the dialog over the page; the settings change only on OK (1).
INT_PTR EditUninstallerSettings(HWND owner);

// Writes the builder's own uninstaller of the bitness to path, checking
// the resource and every byte written; a partly written file is deleted.
bool SaveEmbeddedUninstaller(bool sixtyFourBit, const wchar_t* path);

// A registry key to delete at uninstall, as the root's list entry plus the
// typed sub key: leading backslashes are dropped; a key must not be empty,
// and outside the first root it needs two levels. Returns 0 and the key
// without its leading backslashes, or the string that says what is wrong.
UINT CheckUninstallRegistryKey(int rootIndex, const wchar_t* typed, wchar_t* key /* 260 */);
