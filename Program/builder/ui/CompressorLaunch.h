// Starting the archive compressor from the main window and taking back the
// archive it made: the wait box, the nested message loop and the checks on
// the compressor's hand-back message.
#pragma once
#include <windows.h>
#include <string>

// Sent by the compressor: wParam its process id, lParam the address of a
// 260-character path in its own memory.
const UINT CompressorResultMessage = WM_APP + 0x65;

// Runs Sardok.exe from the builder's folder with "/hwnd:<window>", shows
// the wait box and keeps the window disabled until the compressor ends.
void CompressorLaunch(HWND mainWindow);

// The archive path a compressor result message hands over, or empty when
// the message is not taken: the builder is not waiting for a compressor it
// started, the sender is not that process, its memory cannot be read, or
// the path does not end in ".cab".
std::wstring TakeCompressorResult(WPARAM processId, LPARAM address);

// The process the builder is waiting for (0 when none); tests set it to
// stand in for a started compressor.
void SetAwaitedCompressor(DWORD processId);

// Dialog procedure of the wait box: handles nothing.
INT_PTR CALLBACK WaitBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
