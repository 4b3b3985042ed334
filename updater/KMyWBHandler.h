// The updater's choices for its browser pane: the pane shows only what the
// dialog writes into about:blank; a link, in the pane or for a new window,
// goes to the user's browser when it is an http or https address and
// nowhere otherwise; keyboard focus returns to the list after a page loads.
#pragma once
#include "KWebBrowserHandler.h"

class KMyWBHandler : public KWebBrowserHandler {
 public:
  // A new handler holding one reference for the caller.
  static KMyWBHandler* Create(HWND owner);

  void SetFocusWindow(HWND window) { focusWindow_ = window; }

  void BeforeNavigate2(const std::wstring& url, const std::wstring& targetFrame,
                       const std::wstring& headers, bool& cancel) override;
  void DocumentComplete(const std::wstring& url) override;
  void DownloadComplete() override;
  void NavigateComplete2(const std::wstring& url) override;
  void NewWindow3(bool& cancel, DWORD flags, const std::wstring& urlContext,
                  const std::wstring& url) override;

 private:
  explicit KMyWBHandler(HWND owner) : owner_(owner) {}
  void ReturnFocus();

  HWND owner_;
  HWND focusWindow_ = nullptr;
};

// True for an address that may go to the user's browser: http:// or
// https:// followed by something, without control characters or quotes.
bool IsWebAddress(const std::wstring& url);
