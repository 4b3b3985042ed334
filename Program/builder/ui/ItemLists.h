// The rows of the settings pages' two item lists (report list views): the
// automatic-execution list (columns File, Args and "YES"/"NO") and the
// shortcut list (Title, TitleE, File, FileE, Args, ArgsE, Comment,
// CommentE, Icon, IconE with a Japanese interface; Title, File, Args,
// Comment, Icon with an English one). A shortcut row's item value holds its
// five flags in its low bits (kShortcutFlag*) and keeps the row's whole
// item, so the English texts that an English interface does not show come
// back unchanged. Both lists hold at most 32 rows, the slots of the
// settings.
#pragma once
#include <windows.h>

#include "SettingsBlockFormat.h"
#include "SfxSettings.h"

const LPARAM kShortcutFlagDesktop = 0x1;
const LPARAM kShortcutFlagStartup = 0x2;
const LPARAM kShortcutFlagStartRoot = 0x4;
const LPARAM kShortcutFlagNoGroup = 0x8;
const LPARAM kShortcutFlagQuickLaunch = 0x10;
const LPARAM kShortcutFlagMask = 0x1F;

// Appends a row; false when the list already holds 32 rows or the row
// cannot be inserted.
bool AutoExecListAppend(HWND list, const AutoExecItem& item);
// Rewrites every automatic-execution slot of the settings from the rows
// (count := rows, at most 32).
void AutoExecListToSettings(HWND list, CSfxSettings& settings);

bool ShortcutListAppend(HWND list, const StartMenuItem& item);
// The first selected row; 1 on success, 0 when no row is selected or a
// read fails (the item is then partly written).
int ShortcutListGetSelected(HWND list, StartMenuItem& item);
// Rewrites every shortcut slot of the settings from the rows (count :=
// rows, at most 32).
void ShortcutListToSettings(HWND list, CSfxSettings& settings);

// Deletes every selected row.
void DeleteSelectedListItems(HWND list);
