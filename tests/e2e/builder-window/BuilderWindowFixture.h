// Runs the real builder with its main window from a private folder, with a
// recording updater double and a compressor double beside it, and drives it
// from this process. Every run shares the builder's mutex, the per-user
// definition file and the Option registry key: the fixture resets them.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "Screenshot.h"
#include "TestSupport.h"

namespace builderwindow {

// The builder's per-user definition file.
std::wstring PerUserDefinition();
// Deletes the per-user definition file and the Option key.
void ResetBuilderState();
// A value under HKCU "Software\Kelvadon\Vesmarin 6\Option"; false when absent.
bool ReadOptionValue(const wchar_t* name, std::wstring* text, DWORD* number);
// Lines of a UTF-8 log a double wrote; empty when there is none.
std::vector<std::wstring> ReadLog(const std::wstring& path);
// Waits until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 60000);
using testsupport::SaveScreenshot;

// Points the http and https handlers (HKLM, as Wine reads them) at a
// command for the object's lifetime.
class WebHandler {
 public:
  explicit WebHandler(const std::wstring& command);
  ~WebHandler();
  void Change(const std::wstring& command);

 private:
  struct Saved {
    std::wstring key;
    bool existed;
    std::wstring value;
  };
  std::vector<Saved> saved_;
};

class BuilderRun {
 public:
  BuilderRun();
  ~BuilderRun();

  const testsupport::TempDir& dir() const { return dir_; }
  std::wstring Path(const std::wstring& name) const { return dir_ / name; }
  std::wstring BuilderPath() const { return Path(L"Vesmarin.exe"); }

  // Starts the builder with the arguments in its folder; false when it did
  // not start.
  bool Start(const std::wstring& arguments = L"");
  // Waits for the main window (dialog 118 with its controls); null when it
  // did not appear.
  HWND WaitMainWindow(DWORD timeoutMs = 60000);
  HWND main() const { return main_; }
  testsupport::DrivenProcess& process() { return *process_; }

  // A top-level dialog of the builder with the control, once it shows.
  HWND WaitDialog(int controlId, DWORD timeoutMs = 15000);
  std::wstring Text(HWND window, int controlId) const;
  std::wstring Text(int controlId) const { return Text(main_, controlId); }
  // WM_SETTEXT; does not wait for boxes the change may open.
  void SetText(int controlId, const std::wstring& text);
  // Types into an edit as a user does (EM_REPLACESEL, so multi-line edits
  // notify their parent as well): over the whole text, or at its end.
  void Type(int controlId, const std::wstring& text, bool replaceAll);
  bool Visible(int controlId) const;
  void Command(int id);
  void Command(HWND window, int id);

  // Answers the next box with the button and returns what it showed; an
  // empty caption when no box came.
  testsupport::SeenBox AnswerNextBox(int button = IDOK, DWORD timeoutMs = 15000);
  // Closes the main window with Exit, answering boxes with OK; the exit
  // code (0xFFFFFFFF when it did not end).
  DWORD Exit(DWORD timeoutMs = 60000);

 private:
  testsupport::TempDir dir_;
  std::unique_ptr<testsupport::DrivenProcess> process_;
  HWND main_ = nullptr;
  size_t boxesSeen_ = 0;
};

}  // namespace builderwindow
