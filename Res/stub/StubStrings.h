// String-table texts and message boxes of the stub.
#pragma once
#include <windows.h>
#include <cstddef>

namespace stub {

// Loads string id of the running language into buffer; empty when missing.
const wchar_t* LoadStubString(UINT id, wchar_t* buffer, size_t capacity);

// The package's caption: DialogTitle, or DialogTitleE with an English
// interface (falling back to the other when empty). Empty before the
// settings are read.
const wchar_t* PackageCaption();

// The window that owns a message box for which the caller names owner: while
// the wizard's frame exists, owner when the frame owns it (directly, as its
// page, or through other windows), else the frame; without a frame, the
// background screen the same way; without either, owner as it is. So a box
// never hides behind the maximised background.
HWND MessageBoxOwner(HWND owner);

// A message box owned by MessageBoxOwner(owner), unless the run is
// ultra-silent; then nothing is shown and the result is IDCANCEL (for
// MB_YESNO: IDNO).
int ShowStubMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// The same with a string-table text and the package's caption.
int ShowStubStringMessage(HWND owner, UINT textId, UINT type);

}  // namespace stub
