// The window class "Sardok_Splitter": two panes side by side (or one above
// the other with style bit 0x1) and a 4-pixel bar between them that the
// user drags.
#pragma once
#include <windows.h>

extern const wchar_t kSplitterClass[];
const DWORD kSplitterStacked = 0x1;  // window style bit: panes above each other
const int kSplitterBarWidth = 4;
const int kSplitterMinimum = 100;

// Registers the class; a failure is ignored (a second registration fails).
void RegisterSplitterClass(HINSTANCE instance);

// Both must be windows; stores them and lays them out.
bool SetSplitterPanes(HWND splitter, HWND first, HWND second);
// The first pane's width (height when stacked), limited to the client width
// less the bar, then at least 100; needs both panes.
bool SetSplitterPosition(HWND splitter, int position);
// The position, or 0 unless both panes are windows.
int GetSplitterPosition(HWND splitter);
