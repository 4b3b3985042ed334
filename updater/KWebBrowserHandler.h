// The COM object beside the WebBrowser control of the main dialog: its
// client site, its document host UI handler, the source of the
// download-control ambient property, and the sink of its DWebBrowserEvents2
// events, which it turns into virtual operations.
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>

// DISPID_AMBIENT_DLCONTROL
const DISPID kDispIdAmbientDlControl = -5512;
// The cookie of a sink that is not connected.
const DWORD kNoEventCookie = 0xfefefefe;

class KWebBrowserHandler : public IOleClientSite, public IDispatch, public IDocHostUIHandler {
 public:
  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite: nothing the control asks here is answered.
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOTIMPL; }
  STDMETHODIMP ShowObject() override { return E_NOTIMPL; }
  STDMETHODIMP OnShowWindow(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  virtual void Detach();
  // Keeps browser's IWebBrowser2 and connects the event sink; E_FAIL when
  // browser is null or has no such interface.
  virtual HRESULT Attach(IUnknown* browser);
  // Makes this object the browser's client site and has it read value as
  // its download-control ambient property.
  virtual HRESULT SetDownloadControl(LONG value);
  virtual HRESULT Advise();
  virtual void Unadvise();

  // Events. url and the other texts are the event's texts; cancel is
  // written back to the browser.
  virtual void BeforeNavigate2(const std::wstring& url, const std::wstring& targetFrame,
                               const std::wstring& headers, bool& cancel) {}
  virtual void CommandStateChange(long command, bool enable) {}
  virtual void DocumentComplete(const std::wstring& url) {}
  virtual void DownloadBegin() {}
  virtual void DownloadComplete() {}
  virtual void NavigateComplete2(const std::wstring& url) {}
  virtual void NavigateError(const std::wstring& url, const std::wstring& frame, long status,
                             bool& cancel) {}
  virtual void NewWindow3(bool& cancel, DWORD flags, const std::wstring& urlContext,
                          const std::wstring& url) {}
  virtual void OnQuit() {}
  virtual void ProgressChange(long progress, long progressMax) {}
  virtual void PropertyChange(const std::wstring& property) {}
  virtual void StatusTextChange(const std::wstring& text) {}
  virtual void TitleChange(const std::wstring& title) {}
  virtual void WindowClosing(bool isChildWindow, bool& cancel) {}
  // The events whose arguments nobody reads (OnVisible, WindowSetTop, ...).
  virtual void OtherEvent(DISPID id) {}

  // IDispatch: the download-control ambient property and the events.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override { return E_NOTIMPL; }
  STDMETHODIMP HideUI() override { return E_NOTIMPL; }
  STDMETHODIMP UpdateUI() override { return E_NOTIMPL; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override { return E_NOTIMPL; }

  IWebBrowser2* Browser() const { return browser_; }
  LONG DownloadControl() const { return downloadControl_; }
  bool Advised() const { return advised_; }
  DWORD EventCookie() const { return cookie_; }

 protected:
  KWebBrowserHandler() = default;
  virtual ~KWebBrowserHandler();

 private:
  HRESULT DispatchEvent(DISPID id, DISPPARAMS* parameters);

  LONG references_ = 0;
  IWebBrowser2* browser_ = nullptr;
  LONG downloadControl_ = 0;
  bool advised_ = false;
  DWORD cookie_ = kNoEventCookie;
};
