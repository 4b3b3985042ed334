// Small helpers shared by the builder's core and its user interface: path
// checks, per-user registry values, windows and drawing, processes and
// messages, temporary files. Results are true on success; nothing throws.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>

// --- Path checks ---------------------------------------------------------

// Characters never allowed in a path: ':' '/' '*' '?' '"' '<' '>' '|' CR LF TAB.
extern const wchar_t kForbiddenPathChars[];

// True when the text holds none of the forbidden characters.
bool IsValidFileName(const wchar_t* text);
// Removes forbidden characters in place (a drive colon in the first two
// characters survives with keepDriveColon); true when nothing was removed.
bool RemoveInvalidPathChars(wchar_t* text, bool keepDriveColon);
// A path relative to some base that cannot leave it: no "." or ".."
// elements, no doubled backslash after the first character, no single
// leading backslash. Two leading backslashes are accepted here; whether
// such a text names a share is TakeRelativeFolder's question.
bool IsValidRelativePath(const wchar_t* path, bool allowTrailingBackslash);
// The one rule by which every page and dialog takes a folder that lies
// below a base folder (the extract destination, a copy's destination, the
// uninstaller's folder, a start-menu group). Refused: a drive ("C:..."), a
// UNC path that names a share ("\\server\share"), more than two leading
// backslashes, a single leading backslash before a name unless
// leadingBackslashAllowed (the uninstaller's folder counts from the
// destination itself), and whatever IsValidRelativePath refuses. Leading
// backslashes before a single name are dropped: "\\Tools\" is "Tools\".
// True when taken; stored (may be null) then receives the folder without
// its leading backslashes.
bool TakeRelativeFolder(const wchar_t* text, bool leadingBackslashAllowed,
                        bool allowTrailingBackslash, std::wstring* stored);
// The uninstaller's folder, which always counts from the extraction folder
// itself: every leading backslash is dropped ("\\\Tools" and "\Tools" are
// "Tools", "\" alone is the extraction folder, so no value names a share or
// a drive root). Refused: a drive ("C:...") and whatever IsValidRelativePath
// refuses (".", "..", doubled backslashes). True when taken; stored (may be
// null) then receives the folder without its leading backslashes.
bool TakeUninstallerFolder(const wchar_t* text, std::wstring* stored);
// A start-menu item's file: a file or folder below the extraction folder,
// taken by TakeRelativeFolder with one leading backslash allowed ("\Tools\"
// and "\\Tools\" are "Tools\"). Backslashes alone name the extraction folder
// itself and are kept as "\". True when taken; stored (may be null) then
// receives the form to keep.
bool TakeShortcutFile(const wchar_t* text, std::wstring* stored);
// Cleans the text of an edit control; warns (string 196) and writes the
// cleaned text back when something was removed. True when it was clean.
bool ValidatePathEdit(HWND dialog, int controlId, bool keepDriveColon);

// --- Files and texts -----------------------------------------------------

// A special folder (CSIDL); the output (260) changes only on success.
bool GetShellFolderPath(HWND owner, int csidl, wchar_t* output);
// A resource string with every '|' replaced by NUL (file-dialog filters).
std::wstring LoadFilterString(UINT id);

// --- Registry under HKEY_CURRENT_USER --------------------------------------

bool RegReadDword(const wchar_t* subKey, const wchar_t* valueName, DWORD* output);
// outputBytes: size of the output buffer in bytes; the text is always
// NUL-terminated within it. The output changes only on success.
bool RegReadString(const wchar_t* subKey, const wchar_t* valueName, wchar_t* output,
                   DWORD outputBytes);
bool RegWriteDword(const wchar_t* subKey, const wchar_t* valueName, DWORD value);
bool RegWriteString(const wchar_t* subKey, const wchar_t* valueName, const wchar_t* text);

// --- Windows and drawing --------------------------------------------------

// style = (style & ~clear) | set; SetWindowPos with extraFlags when given.
bool ModifyWindowStyle(HWND window, LONG_PTR clear, LONG_PTR set, UINT extraFlags);
// Zero-fills the buffer, then GetWindowTextW; returns the length.
int ReadWindowText(HWND window, wchar_t* buffer, int capacity);
// The first selected item read into the caller's record (mask, text
// buffer and the like set by the caller); false when nothing is selected.
bool GetSelectedListViewItem(HWND listView, LVITEMW* item);
// A memory DC compatible with the screen with a bitmap of that size.
HDC CreateOffscreenDC(int width, int height);
void DeleteOffscreenDC(HDC dc);
HICON LoadIconScaled(HINSTANCE module, const wchar_t* name, int width, int height);

bool GetProcAddressRaw(HMODULE module, const char* exportName, FARPROC* output);
template <class Fn>
inline bool GetProcAddressTo(HMODULE module, const char* exportName, Fn* output) {
  FARPROC address = nullptr;
  if (!GetProcAddressRaw(module, exportName, &address)) return false;
  *output = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
  return true;
}

// --- Processes and messages -------------------------------------------------

// A ".exe" is started with CreateProcessW ("\"file\" args"), anything else
// with the shell's open verb; the working folder is the file's folder.
// With info the caller receives and closes the handles.
bool RunProgram(const wchar_t* file, const wchar_t* arguments, PROCESS_INFORMATION* info);
bool ReadProcessMemoryGuarded(HANDLE process, const void* address, void* buffer,
                              SIZE_T size, SIZE_T* count);
// Reads another process's memory (or copies from this one for id 0 or the
// own id).
bool ReadProcessBuffer(DWORD processId, const void* address, void* buffer, SIZE_T size,
                       SIZE_T* count);
