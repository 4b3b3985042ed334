// Runs a Windows program and answers its message boxes from outside, as a
// user would: every box is read (caption and text) and closed with the
// button that the caller chooses.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
};

// The button (IDOK, IDYES, IDNO, ...) that answers a box.
typedef std::function<int(const SeenBox&)> BoxAnswer;

// A started child process whose message boxes can be answered.
class DrivenProcess {
 public:
  DrivenProcess() = default;
  ~DrivenProcess();  // terminates a child still running
  DrivenProcess(const DrivenProcess&) = delete;
  DrivenProcess& operator=(const DrivenProcess&) = delete;

  bool Start(const std::wstring& commandLine);
  // Answers the boxes that are open now (each box once); returns how many.
  size_t AnswerBoxes(const BoxAnswer& answer);
  // Answers boxes until the process ends or the time is up; true when it
  // ended. Then ExitCode() holds its exit code.
  bool WaitAnswering(const BoxAnswer& answer, DWORD timeoutMs);
  bool Running() const;
  DWORD ExitCode() const;
  DWORD Id() const { return info_.dwProcessId; }
  // Top-level windows of the process that are dialogs with this control.
  std::vector<HWND> DialogsWithControl(int controlId) const;
  const std::vector<SeenBox>& Boxes() const { return boxes_; }
  void Terminate();

 private:
  PROCESS_INFORMATION info_ = {};
  std::vector<HWND> answered_;
  std::vector<SeenBox> boxes_;
};

// Starts, answers every box with answer (OK for all when none is given) and
// waits. exitCode is 0xFFFFFFFF... as GetExitCodeProcess reports it.
struct DrivenResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  std::vector<SeenBox> boxes;
};
DrivenResult RunAnsweringBoxes(const std::wstring& commandLine, const BoxAnswer& answer = nullptr,
                               DWORD timeoutMs = 60000);

// Every run of an output program holds the stub's single-instance mutex, and
// an interactive run refuses to start while another run holds it. Tests
// that run output programs take this lock (a named mutex, so it holds
// across test processes) around each run; the owning thread may take it
// again.
class StubRunLock {
 public:
  StubRunLock();
  ~StubRunLock();
  StubRunLock(const StubRunLock&) = delete;
  StubRunLock& operator=(const StubRunLock&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace testsupport
