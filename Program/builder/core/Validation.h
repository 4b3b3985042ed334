// Checks of the project settings before a build. Each stops at the first
// rule that fails, leaves its message in g_BuildErrorText and returns false;
// neither shows a message box.
#pragma once

// Settings that contradict each other or are malformed.
bool ValidateSettings();

// Writes what ValidateSettings took as lying below a base (the extract
// folder, the folders of files extracted elsewhere, the start-menu group,
// titles and files) in the form it is kept in, without leading backslashes:
// "\\Tools\" and, for a start-menu file, "\Tools\" become "Tools\". The
// installer joins these texts to its folders, where a leading backslash
// would name a drive's root or a network share.
void StoreRelativeFolders();

// Files the settings name, on disk or inside the archive SrcArchiveFile.
// True also when the archive cannot be opened as a cabinet (the build
// reports that itself).
bool ValidateArchiveReferences();

// A folder an installer can take as it stands: "C:\...", "\\server\..."
// or "%VARIABLE%...".
bool IsAbsoluteFolderForm(const wchar_t* path);
