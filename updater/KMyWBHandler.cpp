#include "KMyWBHandler.h"

#include <shellapi.h>

#include <cwchar>

#include "HttpDownload.h"

namespace {

void OpenInUserBrowser(HWND owner, const std::wstring& url) {
  if (IsWebAddress(url))
    ShellExecuteW(owner, L"open", url.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace

bool IsWebAddress(const std::wstring& url) {
  if (!HasHttpScheme(url)) return false;
  // A quote would end the address where the shell puts it in quotes on the
  // browser's command line, and what follows would become arguments.
  for (wchar_t c : url)
    if (c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == L'"') return false;
  return true;
}

KMyWBHandler* KMyWBHandler::Create(HWND owner) {
  KMyWBHandler* handler = new KMyWBHandler(owner);
  handler->AddRef();
  return handler;
}

void KMyWBHandler::BeforeNavigate2(const std::wstring& url, const std::wstring&,
                                   const std::wstring&, bool& cancel) {
  if (_wcsicmp(url.c_str(), L"about:blank") == 0) return;
  cancel = true;
  OpenInUserBrowser(owner_, url);
}

void KMyWBHandler::NewWindow3(bool& cancel, DWORD, const std::wstring&, const std::wstring& url) {
  cancel = true;
  OpenInUserBrowser(owner_, url);
}

void KMyWBHandler::ReturnFocus() {
  if (focusWindow_ && IsWindow(focusWindow_)) SetFocus(focusWindow_);
}

void KMyWBHandler::DocumentComplete(const std::wstring&) { ReturnFocus(); }
void KMyWBHandler::DownloadComplete() { ReturnFocus(); }
void KMyWBHandler::NavigateComplete2(const std::wstring&) { ReturnFocus(); }
