// Copies between the process-wide project settings and the controls of one
// dialog or settings page, chosen by its resource id, and the small enable
// and normalise operations the settings pages call from their handlers.
#pragma once
#include <windows.h>

// Fills the controls of the dialog from g_SfxSettings. Ids without a table
// (pages that exchange their own controls) change nothing.
void SettingsToControls(HWND window, int dialogId);
// Reads the controls of the dialog back into g_SfxSettings.
void ControlsToSettings(HWND window, int dialogId);

// Shows the edit of a language pair that a "Japanese"/"English" list
// selects: selection 1 shows the E edit, anything else the other one.
void ApplyLanguageList(HWND window, int listId, int primaryEditId, int englishEditId);

// Page "Extract" (120).
void UpdateExtractFolderControls(HWND page);
void UpdateSavePathControls(HWND page);
void NormalizeExtractFolder(HWND page);
// Page "Description" (121).
void UpdateDescriptionControls(HWND page);
// Page "Register shortcut" (125).
void UpdateShortcutControls(HWND page);
void UpdateShortcutListButtons(HWND page);
// Page "Automatic execution" (129).
void UpdateAutoExecControls(HWND page);
void UpdateAutoExecListControls(HWND page);
// True when the automatic-execution file is an ".exe"; enables or disables
// its argument edit and the delete-after-run check box.
bool CheckAutoExecIsExe(HWND page);
