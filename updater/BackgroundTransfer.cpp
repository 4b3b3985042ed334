#include "BackgroundTransfer.h"

#include <memory>

#include "MessagePump.h"
#include "ScopedHandles.h"

namespace {

// How often the waiting thread looks at the limits when no message comes.
const DWORD kPollMs = 50;
// How long a cancelled transfer is waited for. A read that the system does
// not end when its request is closed is left behind: it can no longer reach
// the caller's callback, and its thread ends when the read does.
const DWORD kCancelGraceMs = 300;

struct Work {
  std::function<bool(DownloadControl&)> job;
  DownloadControl control;
  bool result = false;
};

DWORD WINAPI RunWork(void* parameter) {
  // The thread holds the work as long as it runs, the caller perhaps less.
  std::unique_ptr<std::shared_ptr<Work>> holder(static_cast<std::shared_ptr<Work>*>(parameter));
  Work& work = **holder;
  try {
    work.result = work.job(work.control);
  } catch (...) {
    work.result = false;
  }
  return 0;
}

}  // namespace

bool RunTransfer(const std::function<bool(DownloadControl&)>& job, HWND dialog,
                 const TransferLimits& limits, const std::atomic<bool>* stop,
                 TransferEnd* end) {
  if (end) *end = TransferEnd::kFinished;
  std::shared_ptr<Work> work = std::make_shared<Work>();
  work->job = job;
  std::shared_ptr<Work>* handedOver = new std::shared_ptr<Work>(work);
  vesmarin::ScopedHandle worker(CreateThread(nullptr, 0, RunWork, handedOver, 0, nullptr));
  if (!worker) {
    delete handedOver;
    return false;
  }

  const ULONGLONG start = GetTickCount64();
  ULONGLONG cancelledAt = 0;
  TransferEnd how = TransferEnd::kFinished;
  bool pumping = true;
  bool ended = false;
  HANDLE thread = worker.get();
  for (;;) {
    const DWORD waited =
        pumping ? MsgWaitForMultipleObjectsEx(1, &thread, kPollMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                : WaitForSingleObject(thread, kPollMs);
    if (waited == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    if (waited == WAIT_FAILED && how == TransferEnd::kFinished) how = TransferEnd::kCancelled;
    // A WM_QUIT ends the pumping; it stays in the queue for the loop that
    // owns the thread.
    if (pumping && !PumpWaitingMessages(dialog)) {
      pumping = false;
      if (how == TransferEnd::kFinished) how = TransferEnd::kCancelled;
    }
    const ULONGLONG now = GetTickCount64();
    if (how == TransferEnd::kFinished) {
      if (stop && stop->load())
        how = TransferEnd::kCancelled;
      else if (limits.deadlineMs && now - start >= limits.deadlineMs)
        how = TransferEnd::kDeadline;
      else if (limits.stallMs && now - work->control.LastActivity() >= limits.stallMs)
        how = TransferEnd::kStalled;
    }
    if (how != TransferEnd::kFinished && !cancelledAt) {
      work->control.Cancel();
      cancelledAt = GetTickCount64();
    } else if (cancelledAt && now - cancelledAt >= kCancelGraceMs) {
      break;
    }
  }
  worker.Close();
  if (how == TransferEnd::kFinished && work->control.Cancelled()) how = TransferEnd::kCancelled;
  if (end) *end = how;
  return ended && how == TransferEnd::kFinished && work->result;
}
