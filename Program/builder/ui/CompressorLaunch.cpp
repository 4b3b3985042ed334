#include "CompressorLaunch.h"

#include <cwchar>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "PathPieces.h"
#include "VesmarinUiResource.h"
#include "WindowCentering.h"

namespace {

// Only set while CompressorLaunch waits for the process it started.
DWORD awaitedCompressor = 0;

bool EndsWithCab(const wchar_t* path) {
  const size_t length = wcslen(path);
  return length >= 4 && _wcsicmp(path + length - 4, L".cab") == 0;
}

}  // namespace

INT_PTR CALLBACK WaitBoxProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void SetAwaitedCompressor(DWORD processId) { awaitedCompressor = processId; }

std::wstring TakeCompressorResult(WPARAM processId, LPARAM address) {
  if (awaitedCompressor == 0 || static_cast<DWORD>(processId) != awaitedCompressor) return L"";
  wchar_t path[MAX_PATH] = {};
  SIZE_T count = 0;
  if (!ReadProcessBuffer(awaitedCompressor, reinterpret_cast<const void*>(address), path,
                         sizeof path, &count))
    return L"";
  path[MAX_PATH - 1] = L'\0';
  if (!EndsWithCab(path)) return L"";
  return path;
}

void CompressorLaunch(HWND mainWindow) {
  HWND box = CreateDialogParamW(UiState.Instance, MAKEINTRESOURCEW(IDD_WAIT_BOX), mainWindow,
                                WaitBoxProc, 0);
  if (!box) return;
  CenterWindowOver(box, mainWindow);
  ShowWindow(box, SW_SHOW);
  UpdateWindow(box);
  EnableWindow(mainWindow, FALSE);

  wchar_t arguments[32];
  swprintf(arguments, 32, L"/hwnd:%u",
           static_cast<unsigned>(reinterpret_cast<UINT_PTR>(mainWindow)));
  wchar_t folder[MAX_PATH] = {};
  wchar_t program[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, folder, MAX_PATH);
  PROCESS_INFORMATION process = {};
  if (got > 0 && got < MAX_PATH && RemoveFileNamePart(folder) &&
      CombinePath(program, folder, L"Sardok.exe") &&
      RunProgram(program, arguments, &process)) {
    awaitedCompressor = process.dwProcessId;
    DWORD code = 0;
    while (GetExitCodeProcess(process.hProcess, &code) && code == STILL_ACTIVE) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(message.wParam));
          break;
        }
        if (IsDialogMessageW(box, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      Sleep(1);
    }
    awaitedCompressor = 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  EnableWindow(mainWindow, TRUE);
  DestroyWindow(box);
}
