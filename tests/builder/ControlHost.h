// A top-level window that hosts controls of the builder inside a test
// process and records what they tell their parent.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace controlhost {

struct Command {
  int id;
  int code;
  HWND from;
};

class Host {
 public:
  Host(int width = 420, int height = 300);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HWND window() const { return window_; }
  // Creates a child control of the class with the dialog font.
  HWND Create(const wchar_t* className, int id, DWORD style, int x, int y, int width,
              int height);
  // WM_COMMAND messages received so far (posted ones once dispatched:
  // testsupport::DispatchQueued).
  const std::vector<Command>& commands() const { return commands_; }
  std::vector<int> Codes(int id) const;
  void ClearCommands() { commands_.clear(); }
  // The item values of WM_DELETEITEM messages received.
  const std::vector<ULONG_PTR>& deletedItems() const { return deleted_; }
  HFONT font() const { return font_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<Command> commands_;
  std::vector<ULONG_PTR> deleted_;
};

// Registers the builder's three controls for this process (once).
void RegisterBuilderControls();

// Paints a window's client area into a bitmap through WM_PRINTCLIENT and
// reads one pixel of it.
class ClientImage {
 public:
  explicit ClientImage(HWND window);
  ~ClientImage();
  ClientImage(const ClientImage&) = delete;
  ClientImage& operator=(const ClientImage&) = delete;
  COLORREF Pixel(int x, int y) const;
  // How many pixels of the rectangle have exactly this colour.
  int CountColor(const RECT& area, COLORREF color) const;
  bool SameArea(const ClientImage& other, const RECT& area) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// True when this process runs with a Japanese interface.
bool JapaneseInterface();

// Modal windows of this thread, answered from a second thread.
// Runs `run` (which shows a modal window) on this thread while `answer`
// runs on a second thread with this thread's id; returns run's result.
INT_PTR RunModal(const std::function<INT_PTR()>& run,
                 const std::function<void(DWORD thread)>& answer);
// A visible dialog of the thread that has the control and is no message
// box; null when none comes within the time.
HWND WaitDialogWith(DWORD thread, int controlId, DWORD timeoutMs = 10000);
// A visible message box of the thread; null when none comes.
HWND WaitMessageBox(DWORD thread, DWORD timeoutMs = 10000);
// A message box's text; closes it with its first button.
std::wstring AnswerMessageBox(HWND box);
std::wstring ItemText(HWND dialog, int controlId);
// Sets an edit's text whose change opens a message box: answers the box
// and returns its text ("" when none came).
std::wstring SetTextAnsweringBox(DWORD thread, HWND dialog, int controlId,
                                 const std::wstring& text);
// Waits until the window is gone.
bool WaitForGone(HWND window, DWORD timeoutMs = 10000);
// Clicks a button of a dialog (BM_CLICK, sent).
void Click(HWND dialog, int controlId);
// Sets an edit's text (EN_CHANGE follows) from the answer thread.
void SetText(HWND dialog, int controlId, const std::wstring& text);

}  // namespace controlhost
