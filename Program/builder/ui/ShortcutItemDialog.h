// The editor of one shortcut item (dialog 126). The settings page puts the
// item into EditedShortcutItem(), runs the dialog and takes the item back
// when the result is 1. Every text has a primary and an English edit; with
// a Japanese interface a "Japanese"/"English" list beside each text shows
// one of them, with an English interface the primary edits show and the
// English texts travel through unchanged.
#pragma once
#include <windows.h>

#include "SettingsBlockFormat.h"

// The item the page and the dialog share.
StartMenuItem& EditedShortcutItem();

// Enables OK when at least one creation location is checked and returns
// true; otherwise disables OK and returns false.
bool UpdateShortcutOkButton(HWND dialog);

// Dialog 126, no parameter: 1 when the item was updated, 0 for Cancel.
INT_PTR CALLBACK ShortcutItemDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam);
INT_PTR RunShortcutItemDialog(HWND owner);
