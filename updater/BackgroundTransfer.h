// Network transfers that leave the window's thread free: the transfer runs
// on a worker thread while the calling thread keeps dispatching its
// messages, and it is ended when a limit passes or the caller asks.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>

#include "HttpDownload.h"

struct TransferLimits {
  DWORD deadlineMs = 0;  // for the whole transfer; 0: none
  DWORD stallMs = 0;     // without any received byte; 0: none
};

enum class TransferEnd { kFinished, kCancelled, kDeadline, kStalled };

// Calls job on a worker thread with a control for its DownloadUrl calls and,
// until job returns, dispatches this thread's messages (dialog messages of
// dialog, which may be null, first). The transfer is cancelled when the
// deadline or the stall limit passes, when *stop (may be null) becomes true
// or when a WM_QUIT arrives (it is posted again). Returns job's result, or
// false when the transfer was ended early or no thread could be started;
// *end (may be null) tells how it ended (kFinished when job came to its own
// end, whatever its result, or never ran).
bool RunTransfer(const std::function<bool(DownloadControl&)>& job, HWND dialog,
                 const TransferLimits& limits, const std::atomic<bool>* stop,
                 TransferEnd* end);
