// The package's shortcuts: shell link files in the Start-menu group, in Quick
// Launch, on the desktop, in Startup and at the root of the Start menu. Made
// on the main thread, where COM is initialised; every link and every folder
// made for it is recorded for the uninstaller as it is made.
#pragma once
#include <windows.h>

#include "StubSettings.h"

namespace stub {

// Makes every shortcut of the package's shortcut list, item by item, in the
// order group, Quick Launch, desktop, Startup, Start-menu root; a failed
// place does not stop the others. When anything failed, one warning box
// ("Could not add shortcuts.") owned by window (may be null) follows the last
// item. Uses the item flags as they are when it runs.
void CreateShortcuts(HWND window);

// Makes one shortcut: linkFolder\title.lnk (title may hold sub-folders)
// pointing at the installed copy of the archive path file (a single
// backslash: the extraction folder itself). Missing folders of the link are
// created and those below baseFolder are recorded, then the link itself is
// recorded, then written. A link path that cannot be formed within 260
// characters shows an error box owned by window. iconLocation ("file,index")
// may be null. True when the link was saved.
bool CreateShortcutLink(HWND window, const wchar_t* linkFolder, const wchar_t* baseFolder,
                        const wchar_t* file, const wchar_t* title, const wchar_t* args,
                        const wchar_t* comment, const wchar_t* iconLocation);

// Writes a shell link file: target, arguments and comment when not empty,
// the target's folder as working folder, and the icon "file,index" when
// iconLocation is not null. True when the file was saved.
bool WriteShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* args,
                    const wchar_t* comment, const wchar_t* iconLocation);

// Reads the raw target path of a shell link file into target (260
// characters). True when the link was read.
bool ReadShellLinkTarget(const wchar_t* linkPath, wchar_t* target);

// The icon location of an item's shortcuts: its icon text by language, the
// part before the last comma resolved to the installed file, the comma and
// index kept. Null when the item has no icon, the file cannot be resolved or
// the result would not fit 270 characters. The result lives in one
// process-wide buffer, rewritten by every call.
const wchar_t* ResolveShortcutIcon(const StartMenuItem& item);

// The text of a plain/English pair that the interface shows: the plain text
// with a Japanese interface; with an English one the English text, or the
// plain text when the English one is empty.
const wchar_t* ChooseShortcutText(const wchar_t* plain, const wchar_t* english);

// The Start-menu group the shortcuts go into (by the rule above; empty: the
// programs folder itself), and whether they go into the all-users folders
// (StartMenuToCommon). The uninstall information records both.
const wchar_t* ShortcutGroupName();
bool ShortcutsForAllUsers();

}  // namespace stub
