// The main window's rules that need no window: output names formed from an
// archive, the Create command's enable rule and output path, the greeting
// line limit and the window position kept on the screen.
#pragma once
#include <windows.h>
#include <string>

// Path buffers hold at most this many characters plus the NUL.
const size_t kMaxPathChars = 259;

// The output proposed for an archive: its folder + its base name + ".exe"
// (C:\Work\app.cab gives C:\Work\app.exe). Empty when the archive has no
// folder part or the result would not fit in a path buffer.
std::wstring OutputPathForArchive(const wchar_t* archive);

// The archive's file name without its extension; empty for an empty path.
std::wstring ArchiveBaseName(const wchar_t* archive);

// True when the text is empty or holds only blanks, tabs, CR and LF.
bool IsBlankText(const wchar_t* text);

// Create is allowed exactly when both names are set and the output ends in
// ".exe" (any case).
bool CreateAllowed(const wchar_t* archive, const wchar_t* output);

// The output file Create really writes: a relative output name is taken
// relative to the archive's folder (the build runs there). The output
// stays as given when it is absolute, when the folder is empty or when the
// combined path would not fit in 260 characters.
std::wstring ResolveOutputPath(const wchar_t* output, const wchar_t* archiveFolder);

// True when the greeting text has a third line break: the limit is three
// lines.
bool ExceedsGreetingLines(const wchar_t* text);

// Moves a window's top-left corner so that the whole window (width x
// height) lies on the given screen area; a window larger than the area is
// put at its left or top edge.
POINT ClampWindowToArea(POINT position, SIZE window, const RECT& area);

// The virtual screen, or the primary screen's working size when the system
// reports no virtual screen.
RECT VirtualScreenArea();

// Copies a handed-over path into a path buffer: false when it does not fit
// in 259 characters (the buffer is then empty).
bool CopyBoundedPath(wchar_t (&buffer)[MAX_PATH], const wchar_t* path, size_t length);

// The format with its first "%s" replaced by the text (string-table texts
// carry "%s" placeholders).
std::wstring FormatWithText(const std::wstring& format, const wchar_t* text);
