#include "MainDialog.h"

#include <commctrl.h>
#include <exdisp.h>
#include <mshtml.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <boost/algorithm/string/replace.hpp>
#include <boost/format.hpp>

#include "BrowserHost.h"
#include "KMyWBHandler.h"
#include "NemdriftResource.h"
#include "NewsFeed.h"
#include "OptionsDialog.h"
#include "SystemDlls.h"
#include "SystemHelpers.h"
#include "UpdateInstaller.h"
#include "UpdaterState.h"
#include "UpdaterStrings.h"
#include "WindowCentering.h"

namespace {

// DLCTL_SILENT, DLCTL_PRAGMA_NO_CACHE, DLCTL_NO_DLACTIVEXCTLS,
// DLCTL_NO_RUNACTIVEXCTLS, DLCTL_NO_JAVA, DLCTL_NO_SCRIPTS, DLCTL_DLIMAGES.
const LONG kDownloadControl = 0x40004790;

IWebBrowser2* g_browser = nullptr;
KMyWBHandler* g_handler = nullptr;
WNDPROC g_previousHostProc = nullptr;
HFONT g_boldFont = nullptr;
HIMAGELIST g_updateImages = nullptr;
HIMAGELIST g_newsImages = nullptr;
const void* g_shownItem = nullptr;
int g_updateRow = 0;
int g_newsRow = 0;
bool g_stampStored = false;

bool AnyUpdateAvailable() {
  for (const UpdateItem& item : g_Updater.Updates)
    if (item.UpdateAvailable) return true;
  return false;
}

void AddTab(HWND tabs, int index, UINT textId) {
  std::wstring text = LoadStringResource(textId);
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = &text[0];
  SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void SetUpList(HWND list) {
  DWORD style = LVS_EX_FULLROWSELECT;
  if (IsVistaOrLater()) {
    style |= LVS_EX_DOUBLEBUFFER | LVS_EX_AUTOSIZECOLUMNS;
    typedef HRESULT(WINAPI * SetThemeFn)(HWND, LPCWSTR, LPCWSTR);
    if (SetThemeFn setTheme = vesmarin::SystemProc<SetThemeFn>(L"uxtheme.dll", "SetWindowTheme"))
      setTheme(list, L"Explorer", nullptr);
  }
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
  RECT client;
  GetClientRect(list, &client);
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right - client.left;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

// Once the rows are in, the column takes the client width left beside a
// vertical scroll bar (also one the list has not shown yet), so that no
// horizontal one is needed.
void FitColumn(HWND list) {
  RECT client;
  GetClientRect(list, &client);
  int width = client.right - client.left;
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  const LRESULT rows = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  if (!(style & WS_VSCROLL) && rows > SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0))
    width -= GetSystemMetrics(SM_CXVSCROLL);
  if (width > 0) SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width, 0));
}

void AddRow(HWND list, int row, std::wstring text, int image, const void* record) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = row;
  item.pszText = &text[0];
  item.iImage = image;
  item.lParam = reinterpret_cast<LPARAM>(record);
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SelectRow(HWND list, int row) {
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

void FillUpdateList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_UPDATE_LIST);
  SetUpList(list);
  const int side = GetSystemMetrics(SM_CXSMICON);
  g_updateImages = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, g_Updater.CheckFailed ? IDI_HAND : IDI_ASTERISK,
                                             IMAGE_ICON, side, side, LR_SHARED));
  if (g_updateImages && icon) ImageList_AddIcon(g_updateImages, icon);
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(g_updateImages));
  int row = 0;
  for (const UpdateItem& update : g_Updater.Updates)
    AddRow(list, row++, UpdateRowText(update, g_Updater.CheckFailed), 0, &update);
  FitColumn(list);
  SelectRow(list, 0);
}

void FillNewsList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_NEWS_LIST);
  SetUpList(list);
  g_newsImages = ImageList_Create(32, 16, ILC_COLOR32 | ILC_MASK, 1, 4);
  if (g_newsImages) {
    HBITMAP standard = static_cast<HBITMAP>(LoadImageW(
        g_Updater.Instance, MAKEINTRESOURCEW(IDB_NEWS_DEFAULT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (standard) {
      ImageList_Add(g_newsImages, standard, nullptr);
      DeleteObject(standard);
    }
    for (auto& entry : g_Updater.NewsIconCache) {
      const int index = ImageList_Add(g_newsImages, entry.second.Bitmap, nullptr);
      if (index >= 0) entry.second.Index = index;
    }
  }
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(g_newsImages));
  int row = 0;
  for (const NewsItem& news : g_Updater.News) {
    const auto icon = g_Updater.NewsIconCache.find(news.Category);
    const int image = icon == g_Updater.NewsIconCache.end() ? 0 : icon->second.Index;
    AddRow(list, row++, NewsRowText(news), image, &news);
  }
  FitColumn(list);
  SelectRow(list, 0);
}

bool WriteHtmlToBrowser(IWebBrowser2* browser, const std::wstring& html) {
  if (!browser) return false;
  IDispatch* document = nullptr;
  if (FAILED(browser->get_Document(&document)) || !document) {
    // Without a document (a browser engine that renders nothing) the pane
    // stays empty: one navigation, no wait.
    BSTR blank = SysAllocString(L"about:blank");
    VARIANT empty;
    VariantInit(&empty);
    browser->Navigate(blank, &empty, &empty, &empty, &empty);
    SysFreeString(blank);
    if (FAILED(browser->get_Document(&document)) || !document) return false;
  }
  IHTMLDocument2* html2 = nullptr;
  document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html2));
  document->Release();
  if (!html2) return false;
  html2->close();
  BSTR type = SysAllocString(L"text/html");
  VARIANT name, features, replace;
  VariantInit(&name);
  VariantInit(&features);
  VariantInit(&replace);
  V_VT(&name) = VT_BSTR;
  V_BSTR(&name) = SysAllocString(L"_self");
  IDispatch* opened = nullptr;
  html2->open(type, name, features, replace, &opened);
  if (opened) opened->Release();
  SysFreeString(type);
  VariantClear(&name);
  bool written = false;
  if (SAFEARRAY* text = SafeArrayCreateVector(VT_VARIANT, 0, 1)) {
    VARIANT* element = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(text, reinterpret_cast<void**>(&element)))) {
      V_VT(element) = VT_BSTR;
      V_BSTR(element) = SysAllocStringLen(html.data(), static_cast<UINT>(html.size()));
      SafeArrayUnaccessData(text);
      written = SUCCEEDED(html2->write(text));
    }
    SafeArrayDestroy(text);
  }
  html2->close();
  html2->Release();
  return written;
}

void ShowItemInBrowser(HWND dialog, HWND list) {
  LVITEMW row = {};
  row.mask = LVIF_PARAM;
  if (!GetSelectedListItem(list, &row) || !row.lParam) return;
  if (g_handler) g_handler->SetFocusWindow(list);
  const void* record = reinterpret_cast<const void*>(row.lParam);
  if (record == g_shownItem) return;
  g_shownItem = record;
  std::wstring html;
  HWND update = GetDlgItem(dialog, IDC_UPDATE);
  if (*static_cast<const int*>(record) == kUpdateItemKind) {
    g_updateRow = row.iItem;
    const UpdateItem* item = static_cast<const UpdateItem*>(record);
    html = UpdateDescriptionHtml(*item);
    EnableWindow(update, !g_Updater.CheckFailed && item->UpdateAvailable);
  } else {
    g_newsRow = row.iItem;
    html = static_cast<const NewsItem*>(record)->Description;
    EnableWindow(update, FALSE);
  }
  WriteHtmlToBrowser(g_browser, html);
}

void SelectTab(HWND dialog, int tab) {
  HWND updates = GetDlgItem(dialog, IDC_UPDATE_LIST);
  HWND news = GetDlgItem(dialog, IDC_NEWS_LIST);
  HWND list = tab == 0 ? updates : news;
  ShowWindow(GetDlgItem(dialog, IDC_UPDATE), tab == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(updates, tab == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(news, tab == 0 ? SW_HIDE : SW_SHOW);
  SetFocus(list);
  SelectRow(list, tab == 0 ? g_updateRow : g_newsRow);
  ShowItemInBrowser(dialog, list);
  if (tab == 1 && !g_stampStored && !g_Updater.News.empty()) {
    StoreNewsStamp();
    g_stampStored = true;
  }
}

// True to refuse leaving tab: the other tab would have nothing to show.
bool ConfirmTabLeave(HWND dialog, int tab) {
  UINT text = 0;
  if (tab == 0 && g_Updater.News.empty()) text = IDS_NO_NEWS;
  if (tab == 1 && g_Updater.Updates.empty()) text = IDS_NO_UPDATE_INFO;
  if (!text) return false;
  MessageBoxW(dialog, LoadStringResource(text).c_str(), g_Updater.Caption, MB_ICONWARNING);
  return true;
}

LRESULT CALLBACK BrowserHostSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCPAINT && IsAppThemedSafe()) {
    typedef HTHEME(WINAPI * OpenFn)(HWND, LPCWSTR);
    typedef HRESULT(WINAPI * CloseFn)(HTHEME);
    typedef HRESULT(WINAPI * DrawFn)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    typedef BOOL(WINAPI * TransparentFn)(HTHEME, int, int);
    typedef HRESULT(WINAPI * ParentFn)(HWND, HDC, const RECT*);
    const OpenFn open = vesmarin::SystemProc<OpenFn>(L"uxtheme.dll", "OpenThemeData");
    const CloseFn close = vesmarin::SystemProc<CloseFn>(L"uxtheme.dll", "CloseThemeData");
    const DrawFn draw = vesmarin::SystemProc<DrawFn>(L"uxtheme.dll", "DrawThemeBackground");
    const TransparentFn transparent = vesmarin::SystemProc<TransparentFn>(
        L"uxtheme.dll", "IsThemeBackgroundPartiallyTransparent");
    const ParentFn parent =
        vesmarin::SystemProc<ParentFn>(L"uxtheme.dll", "DrawThemeParentBackground");
    HTHEME theme = open && close && draw ? open(window, L"Edit") : nullptr;
    if (theme) {
      HDC dc = GetWindowDC(window);
      RECT outer, inner;
      GetWindowRect(window, &outer);
      GetClientRect(window, &inner);
      MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&inner), 2);
      OffsetRect(&inner, -outer.left, -outer.top);
      OffsetRect(&outer, -outer.left, -outer.top);
      ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
      if (transparent && parent && transparent(theme, EP_EDITTEXT, ETS_NORMAL))
        parent(window, dc, &outer);
      draw(theme, dc, EP_EDITTEXT, ETS_NORMAL, &outer, nullptr);
      ReleaseDC(window, dc);
      close(theme);
      return 0;
    }
  }
  return CallWindowProcW(g_previousHostProc, window, message, wParam, lParam);
}

bool InitMainDialog(HWND dialog, bool shownAutomatically) {
  g_shownItem = nullptr;
  g_updateRow = 0;
  g_newsRow = 0;
  g_stampStored = false;
  if (IsXPOrLater()) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW description = {};
    if (font && GetObjectW(font, sizeof description, &description)) {
      description.lfWeight = FW_BOLD;
      g_boldFont = CreateFontIndirectW(&description);
      if (g_boldFont)
        SendDlgItemMessageW(dialog, IDC_UPDATE, WM_SETFONT, reinterpret_cast<WPARAM>(g_boldFont),
                            FALSE);
    }
  }
  HWND tabs = GetDlgItem(dialog, IDC_TABS);
  AddTab(tabs, 0, IDS_TAB_UPDATES);
  AddTab(tabs, 1, IDS_TAB_NEWS);

  HWND host = GetDlgItem(dialog, IDC_BROWSER_HOST);
  IUnknown* control = nullptr;
  if (FAILED(GetHostedControl(host, &control)) || !control) return false;
  control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&g_browser));
  g_handler = KMyWBHandler::Create(dialog);
  const bool ready = g_browser && SUCCEEDED(g_handler->Attach(control)) &&
                     SUCCEEDED(g_handler->SetDownloadControl(kDownloadControl));
  control->Release();
  if (!ready) return false;
  g_previousHostProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BrowserHostSubclassProc)));
  BSTR blank = SysAllocString(L"about:blank");
  VARIANT empty;
  VariantInit(&empty);
  g_browser->Navigate(blank, &empty, &empty, &empty, &empty);
  SysFreeString(blank);

  FillUpdateList(dialog);
  FillNewsList(dialog);
  const int first = FirstTab(shownAutomatically);
  if (g_Updater.Updates.empty() && g_Updater.News.empty())
    WriteHtmlToBrowser(g_browser, LoadStringResource(IDS_SERVER_FAILED));
  SendMessageW(tabs, TCM_SETCURSEL, first, 0);
  SelectTab(dialog, first);
  CenterWindowOver(dialog, GetParent(dialog));
  return true;
}

void CleanupMainDialog(HWND dialog) {
  HWND host = GetDlgItem(dialog, IDC_BROWSER_HOST);
  if (g_previousHostProc && host)
    SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previousHostProc));
  g_previousHostProc = nullptr;
  if (g_handler) {
    g_handler->Detach();
    g_handler->Release();
    g_handler = nullptr;
  }
  if (g_browser) {
    g_browser->Release();
    g_browser = nullptr;
  }
  if (g_boldFont) DeleteObject(g_boldFont);
  g_boldFont = nullptr;
  if (g_updateImages) ImageList_Destroy(g_updateImages);
  if (g_newsImages) ImageList_Destroy(g_newsImages);
  g_updateImages = g_newsImages = nullptr;
  g_shownItem = nullptr;
}

void CloseMainDialog(HWND dialog) {
  HWND parent = GetParent(dialog);
  if (parent) EnableWindow(parent, TRUE);
  DestroyWindow(dialog);
}

INT_PTR MainDialogNotify(HWND dialog, const NMHDR* header) {
  if (header->idFrom == IDC_TABS && header->code == TCN_SELCHANGING) {
    const int current = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
    const bool refuse = ConfirmTabLeave(dialog, current);
    // Some tab controls move their selection although the change was
    // refused: put it back once the notification has returned.
    if (refuse) PostMessageW(header->hwndFrom, TCM_SETCURSEL, current, 0);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, refuse ? TRUE : FALSE);
    return TRUE;
  }
  if (header->idFrom == IDC_TABS && header->code == TCN_SELCHANGE) {
    SelectTab(dialog, static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
    return TRUE;
  }
  if ((header->idFrom == IDC_UPDATE_LIST || header->idFrom == IDC_NEWS_LIST) &&
      header->code == LVN_ITEMCHANGED) {
    ShowItemInBrowser(dialog, header->hwndFrom);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (!InitMainDialog(dialog, lParam != 0)) DestroyWindow(dialog);
      return FALSE;  // the list of the first tab has the focus
    case WM_NOTIFY:
      return MainDialogNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          CloseMainDialog(dialog);
          return TRUE;
        case IDC_UPDATE:
          InstallSelectedUpdate(dialog);
          return TRUE;
        case IDC_OPTIONS:
          ShowOptionsDialog(dialog);
          return TRUE;
      }
      break;
    case WM_DESTROY:
      CleanupMainDialog(dialog);
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

HWND CreateMainDialog(HWND owner, bool shownAutomatically) {
  if (!RegisterBrowserHostClass(g_Updater.Instance)) return nullptr;
  HWND dialog = CreateDialogParamW(g_Updater.Instance, MAKEINTRESOURCEW(IDD_MAIN), owner,
                                   MainDialogProc, shownAutomatically ? 1 : 0);
  return dialog && IsWindow(dialog) ? dialog : nullptr;
}

int FirstTab(bool shownAutomatically) {
  if (AnyUpdateAvailable()) return 0;
  if (shownAutomatically && !g_Updater.IntegrateMode && g_Updater.ShowOption != 1 &&
      !g_Updater.Updates.empty())
    return 0;
  return g_Updater.News.empty() ? 0 : 1;
}

std::wstring UpdateRowText(const UpdateItem& item, bool checkFailed) {
  if (checkFailed) return g_Updater.CheckFailMessage;
  if (!item.UpdateAvailable) return g_Updater.NoUpdateMessage;
  std::wstring released;
  try {
    released = (boost::wformat(LoadStringResource(IDS_RELEASED)) % item.Date.wYear %
                item.Date.wMonth % item.Date.wDay)
                   .str();
  } catch (const boost::io::format_error&) {
    released.clear();
  }
  return item.Name + LoadStringResource(IDS_VERSION_WORD) + item.VersionString + released;
}

std::wstring NewsRowText(const NewsItem& item) {
  try {
    return (boost::wformat(L"[%04d/%02d/%02d] %s") % item.Date.wYear % item.Date.wMonth %
            item.Date.wDay % item.Title)
        .str();
  } catch (const boost::io::format_error&) {
    return item.Title;
  }
}

std::wstring UpdateDescriptionHtml(const UpdateItem& item) {
  if (g_Updater.CheckFailed) {
    std::wstring html = g_Updater.CheckFailDescription;
    const std::wstring code = g_Updater.Updates.empty() ? LoadStringResource(IDS_UNKNOWN)
                                                      : std::to_wstring(g_Updater.CheckStatus);
    boost::replace_all(html, L"$$CHECKERRORCODE$$", code);
    return html;
  }
  if (item.UpdateAvailable) return item.Description;
  std::wstring html = g_Updater.NoUpdateDescription;
  const std::wstring version = g_Updater.Updates.empty() ? LoadStringResource(IDS_UNKNOWN)
                                                       : g_Updater.Updates.front().InstalledVersion;
  boost::replace_all(html, L"$$APPVERSION$$", version);
  return html;
}
