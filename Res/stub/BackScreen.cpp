#include "BackScreen.h"

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "PackedBitmap.h"
#include "ScopedHandles.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"

namespace stub {

namespace {

const wchar_t kClassName[] = L"Vesmarin_BackScreen_Class";
const DWORD kLogoWaitMs = 2000;
const int kBands = 128;
const int kColourStep = 2;
const int kFontHeight = 30;
const BYTE kFontPitchAndFamily = 4;
const COLORREF kShadowColour = RGB(10, 10, 10);
const COLORREF kTextColour = RGB(255, 255, 255);

HWND g_window = nullptr;
HWND g_mainWindow = nullptr;
wchar_t g_title[66];
wchar_t g_text[101];
COLORREF g_colour = 0;
HDC g_memoryDc = nullptr;
HBITMAP g_image = nullptr;
HBITMAP g_logo = nullptr;
SIZE g_logoSize = {0, 0};
SIZE g_cachedSize = {-1, -1};
bool g_maximised = false;

int Darker(int component) { return component > kColourStep ? component - kColourStep : 0; }

void LoadLogo() {
  const StubSettings* s = g_Settings;
  if (!s || !(s->FlagsA & SfxFlagsA::BackScreenLogo) || !*s->BackScreenLogoBmp) return;
  if (!g_Archive || !g_Archive->Decoder) return;
  DWORD size = 0;
  vesmarin::ScopedGlobal block(g_Archive->Decoder->ExtractToMemory(s->BackScreenLogoBmp, &size));
  g_logo = vesmarin::CreateBitmapFromGlobalBmp(block.get());
  BITMAP info;
  if (g_logo && GetObjectW(g_logo, sizeof(info), &info)) {
    g_logoSize.cx = info.bmWidth;
    g_logoSize.cy = info.bmHeight;
  }
}

void DrawBackText(HDC dc, int band) {
  if (!*g_text) return;
  HFONT font = CreateBackScreenFont(g_JapaneseUi);
  if (!font) return;
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const int length = lstrlenW(g_text);
  const int at = band / 2;
  SetTextColor(dc, kShadowColour);
  TextOutW(dc, at + 3, at + 3, g_text, length);
  SetTextColor(dc, kTextColour);
  TextOutW(dc, at, at, g_text, length);
  SelectObject(dc, old);
  DeleteObject(font);
}

// The image of the client area into the memory DC.
void Render(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP image = screen ? CreateCompatibleBitmap(screen, width, height) : nullptr;
  if (screen) ReleaseDC(nullptr, screen);
  if (!image) return;
  SelectObject(g_memoryDc, image);
  if (g_image) DeleteObject(g_image);
  g_image = image;

  const int band = BackScreenBandHeight(height);
  HGDIOBJ oldPen = SelectObject(g_memoryDc, GetStockObject(NULL_PEN));
  int red = GetRValue(g_colour), green = GetGValue(g_colour), blue = GetBValue(g_colour);
  for (int y = 0; y < height; y += band) {
    HBRUSH brush = CreateSolidBrush(RGB(red, green, blue));
    if (brush) {
      HGDIOBJ oldBrush = SelectObject(g_memoryDc, brush);
      // Without a pen the rectangle leaves out its right and bottom edges.
      Rectangle(g_memoryDc, 0, y, width + 1, y + band + 1);
      SelectObject(g_memoryDc, oldBrush);
      DeleteObject(brush);
    }
    red = Darker(red);
    green = Darker(green);
    blue = Darker(blue);
  }
  SelectObject(g_memoryDc, oldPen);
  DrawBackText(g_memoryDc, band);
  if (g_logo) {
    HDC logoDc = CreateCompatibleDC(g_memoryDc);
    if (logoDc) {
      HGDIOBJ old = SelectObject(logoDc, g_logo);
      BitBlt(g_memoryDc, (width - g_logoSize.cx) / 2, (height - g_logoSize.cy) / 2, g_logoSize.cx,
             g_logoSize.cy, logoDc, 0, 0, SRCCOPY);
      SelectObject(logoDc, old);
      DeleteDC(logoDc);
    }
  }
}

void RenderIfResized(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  if (client.right == g_cachedSize.cx && client.bottom == g_cachedSize.cy) return;
  g_cachedSize.cx = client.right;
  g_cachedSize.cy = client.bottom;
  if (client.right > 0 && client.bottom > 0) Render(client.right, client.bottom);
}

void PaintInto(HWND window, HDC dc) {
  RenderIfResized(window);
  if (g_image) BitBlt(dc, 0, 0, g_cachedSize.cx, g_cachedSize.cy, g_memoryDc, 0, 0, SRCCOPY);
}

bool RegisterBackScreenClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = BackScreenWndProc;
  windowClass.hInstance = g_Instance;
  windowClass.hIcon = LoadIconW(g_Instance, MAKEINTRESOURCEW(IDI_TESSALY));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(g_Instance, MAKEINTRESOURCEW(IDI_TESSALY), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

int BackScreenBandHeight(int clientHeight) {
  const int band = clientHeight / kBands;
  return band > 0 ? band : 1;
}

HFONT CreateBackScreenFont(bool japanese) {
  wchar_t face[LF_FACESIZE];
  LoadStubString(IDS_BACKSCREEN_FONT, face, LF_FACESIZE);
  // A Latin face asked for in the Shift-JIS set has no Latin glyphs where no
  // Japanese font of that face exists: the set follows the interface.
  const BYTE charset = japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
  return CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, charset,
                     OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                     kFontPitchAndFamily, face);
}

bool CreateBackScreen(const wchar_t* title, const wchar_t* text, COLORREF colour) {
  if (g_window) return true;
  lstrcpynW(g_title, title ? title : L"", ARRAYSIZE(g_title));
  lstrcpynW(g_text, text ? text : L"", ARRAYSIZE(g_text));
  g_colour = colour;
  if (!RegisterBackScreenClass()) return false;
  // Made at the size of the whole work area: the maximised size the
  // window takes below is then also its normal size, so a size change that
  // the display reports late (as Wine's X11 driver may, from the size the
  // window was made with) never leaves it covering a part of the screen.
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  const POINT origin = {0, 0};
  if (GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &monitor))
    area = monitor.rcWork;
  g_window = CreateWindowExW(0, kClassName, g_title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             area.left, area.top, area.right - area.left, area.bottom - area.top,
                             nullptr, nullptr, g_Instance, nullptr);
  if (!g_window) return false;
  SendMessageW(g_window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  g_maximised = true;
  HMENU menu = GetSystemMenu(g_window, FALSE);
  if (menu) {
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
  }
  return true;
}

bool ShowBackScreen(HWND window) {
  if (!g_window) return false;
  g_mainWindow = window;
  if (window) SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(g_window));
  ShowWindow(g_window, SW_SHOW);
  UpdateWindow(g_window);
  if (g_logo) {
    // The wizard waits while the logo is on screen.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kLogoWaitMs) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      Sleep(10);
    }
    InvalidateRect(g_window, nullptr, TRUE);
    UpdateWindow(g_window);
  }
  return true;
}

void DestroyBackScreen() {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
  g_mainWindow = nullptr;
}

HWND BackScreenWindow() { return g_window && IsWindow(g_window) ? g_window : nullptr; }

LRESULT CALLBACK BackScreenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_memoryDc = CreateCompatibleDC(nullptr);
      g_cachedSize.cx = g_cachedSize.cy = -1;
      LoadLogo();
      return 0;
    case WM_DESTROY:
      // The bitmaps are decoded once and go with the window.
      if (g_memoryDc) DeleteDC(g_memoryDc);
      if (g_image) DeleteObject(g_image);
      if (g_logo) DeleteObject(g_logo);
      g_memoryDc = nullptr;
      g_image = g_logo = nullptr;
      return 0;
    case WM_SIZE:
      if (g_memoryDc) {
        RenderIfResized(window);
        return 0;
      }
      break;
    case WM_PAINT:
      if (g_memoryDc) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (dc) PaintInto(window, dc);
        EndPaint(window, &paint);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (g_memoryDc) {
        PaintInto(window, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing the background is the wizard's Cancel.
      if (g_mainWindow && IsWindow(g_mainWindow))
        SendMessageW(g_mainWindow, WM_COMMAND, IDCANCEL, 0);
      return 1;
    case WM_NCLBUTTONDBLCLK:
      MessageBeep(0);
      return 0;
    case WM_SYSCOMMAND: {
      // The low four bits tell how the command came (mouse or keyboard).
      const WPARAM command = wParam & 0xFFF0;
      if ((command == SC_MOVE || command == SC_RESTORE) && g_maximised && IsZoomed(window)) {
        MessageBeep(0);
        return 0;
      }
      break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace stub
