#include "ControlHost.h"

#include <cstdint>
#include <cstring>
#include <thread>

#include "CheckListBox.h"
#include "ColorPicker.h"
#include "SpinEdit.h"
#include "TestSupport.h"

namespace controlhost {

namespace {

const wchar_t kHostClass[] = L"VesmarinControlTestHost";

}  // namespace

LRESULT CALLBACK Host::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Host* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    host = static_cast<Host*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
  }
  if (host) {
    if (message == WM_COMMAND) {
      host->commands_.push_back(
          {LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
      return 0;
    }
    if (message == WM_DELETEITEM) {
      host->deleted_.push_back(reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->itemData);
      return TRUE;
    }
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(host->font_);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

Host::Host(int width, int height) {
  WNDCLASSEXW wc = {sizeof wc};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kHostClass;
  RegisterClassExW(&wc);
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  window_ = CreateWindowExW(0, kHostClass, L"Control test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            20, 20, width, height, nullptr, nullptr, GetModuleHandleW(nullptr),
                            this);
}

Host::~Host() {
  if (window_) DestroyWindow(window_);
}

HWND Host::Create(const wchar_t* className, int id, DWORD style, int x, int y, int width,
                  int height) {
  HWND control = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                                 x, y, width, height, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  return control;
}

std::vector<int> Host::Codes(int id) const {
  std::vector<int> codes;
  for (const Command& command : commands_)
    if (command.id == id) codes.push_back(command.code);
  return codes;
}

void RegisterBuilderControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterCheckListBoxClass(instance);
  RegisterColorPickerClass(instance);
  RegisterSpinEditClass(instance);
}

ClientImage::ClientImage(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, width_ > 0 ? width_ : 1, height_ > 0 ? height_ : 1);
  ReleaseDC(nullptr, screen);
  old_ = SelectObject(dc_, bitmap_);
  FillRect(dc_, &client, GetSysColorBrush(COLOR_WINDOW));
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
               PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
}

ClientImage::~ClientImage() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF ClientImage::Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

int ClientImage::CountColor(const RECT& area, COLORREF color) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (GetPixel(dc_, x, y) == color) ++count;
  return count;
}

bool ClientImage::SameArea(const ClientImage& other, const RECT& area) const {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (GetPixel(dc_, x, y) != other.Pixel(x, y)) return false;
  return true;
}

namespace {

struct Search {
  int controlId;
  bool messageBox;
  HWND found;
};

BOOL CALLBACK FindThreadDialog(HWND window, LPARAM data) {
  Search* search = reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (wcscmp(name, L"#32770") != 0) return TRUE;
  const bool isBox = GetDlgItem(window, 0xFFFF) != nullptr;
  if (search->messageBox ? !isBox : (isBox || !GetDlgItem(window, search->controlId)))
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND WaitThreadWindow(DWORD thread, int controlId, bool messageBox, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    Search search = {controlId, messageBox, nullptr};
    EnumThreadWindows(thread, FindThreadDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(10);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

}  // namespace

INT_PTR RunModal(const std::function<INT_PTR()>& run,
                 const std::function<void(DWORD thread)>& answer) {
  const DWORD thread = GetCurrentThreadId();
  std::thread worker([&] { answer(thread); });
  const INT_PTR result = run();
  worker.join();
  return result;
}

HWND WaitDialogWith(DWORD thread, int controlId, DWORD timeoutMs) {
  return WaitThreadWindow(thread, controlId, false, timeoutMs);
}

HWND WaitMessageBox(DWORD thread, DWORD timeoutMs) {
  return WaitThreadWindow(thread, 0, true, timeoutMs);
}

std::wstring AnswerMessageBox(HWND box) {
  const std::wstring text = ItemText(box, 0xFFFF);
  for (int button : {IDOK, IDCANCEL, IDNO, IDYES})
    if (GetDlgItem(box, button)) {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
      break;
    }
  return text;
}

std::wstring ItemText(HWND dialog, int controlId) {
  wchar_t text[1024] = {};
  SendDlgItemMessageW(dialog, controlId, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring SetTextAnsweringBox(DWORD thread, HWND dialog, int controlId,
                                 const std::wstring& text) {
  std::thread setter([&] { SetText(dialog, controlId, text); });
  HWND box = WaitMessageBox(thread, 5000);
  const std::wstring seen = box ? AnswerMessageBox(box) : L"";
  setter.join();
  return seen;
}

bool WaitForGone(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

void Click(HWND dialog, int controlId) { SendDlgItemMessageW(dialog, controlId, BM_CLICK, 0, 0); }

void SetText(HWND dialog, int controlId, const std::wstring& text) {
  SendDlgItemMessageW(dialog, controlId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool JapaneseInterface() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

}  // namespace controlhost
