#include "KWebBrowserHandler.h"

#include <exdispid.h>
#include <olectl.h>

namespace {

// The argument at position (in the event's declared order) after following
// a VARIANT reference; null when there is none.
const VARIANT* Argument(const DISPPARAMS* parameters, UINT position) {
  if (position >= parameters->cArgs) return nullptr;
  const VARIANT* value = &parameters->rgvarg[parameters->cArgs - 1 - position];
  if (V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
  return value;
}

bool TextArgument(const DISPPARAMS* parameters, UINT position, std::wstring* text) {
  const VARIANT* value = Argument(parameters, position);
  if (!value) return false;
  switch (V_VT(value)) {
    case VT_BSTR:
      text->assign(V_BSTR(value) ? V_BSTR(value) : L"", V_BSTR(value) ? SysStringLen(V_BSTR(value)) : 0);
      return true;
    case VT_BYREF | VT_BSTR:
      if (!V_BSTRREF(value)) return false;
      text->assign(*V_BSTRREF(value) ? *V_BSTRREF(value) : L"",
                   *V_BSTRREF(value) ? SysStringLen(*V_BSTRREF(value)) : 0);
      return true;
    case VT_EMPTY:
    case VT_NULL:
      text->clear();
      return true;
  }
  return false;
}

bool NumberArgument(const DISPPARAMS* parameters, UINT position, long* number) {
  const VARIANT* value = Argument(parameters, position);
  if (!value) return false;
  switch (V_VT(value)) {
    case VT_I4: *number = V_I4(value); return true;
    case VT_UI4: *number = static_cast<long>(V_UI4(value)); return true;
    case VT_INT: *number = V_INT(value); return true;
    case VT_UINT: *number = static_cast<long>(V_UINT(value)); return true;
    case VT_I2: *number = V_I2(value); return true;
    case VT_BYREF | VT_I4:
      if (!V_I4REF(value)) return false;
      *number = *V_I4REF(value);
      return true;
  }
  return false;
}

bool BoolArgument(const DISPPARAMS* parameters, UINT position, bool* flag) {
  const VARIANT* value = Argument(parameters, position);
  if (!value || V_VT(value) != VT_BOOL) return false;
  *flag = V_BOOL(value) != VARIANT_FALSE;
  return true;
}

// An out flag: a VARIANT_BOOL reached by reference.
VARIANT_BOOL* BoolOutArgument(const DISPPARAMS* parameters, UINT position) {
  const VARIANT* value = Argument(parameters, position);
  if (!value || V_VT(value) != (VT_BYREF | VT_BOOL)) return nullptr;
  return V_BOOLREF(value);
}

// How many arguments each bound event carries.
struct EventShape {
  DISPID id;
  UINT arguments;
};

const EventShape kEvents[] = {
    {DISPID_BEFORENAVIGATE2, 7},     {DISPID_CLIENTTOHOSTWINDOW, 2},
    {DISPID_COMMANDSTATECHANGE, 2},  {DISPID_DOCUMENTCOMPLETE, 2},
    {DISPID_DOWNLOADBEGIN, 0},       {DISPID_DOWNLOADCOMPLETE, 0},
    {DISPID_NAVIGATECOMPLETE2, 2},   {DISPID_NAVIGATEERROR, 5},
    {DISPID_NEWWINDOW2, 2},          {DISPID_NEWWINDOW3, 5},
    {DISPID_ONFULLSCREEN, 1},        {DISPID_ONMENUBAR, 1},
    {DISPID_ONQUIT, 0},              {DISPID_ONSTATUSBAR, 1},
    {DISPID_ONTHEATERMODE, 1},       {DISPID_ONTOOLBAR, 1},
    {DISPID_ONVISIBLE, 1},           {DISPID_PRINTTEMPLATEINSTANTIATION, 1},
    {DISPID_PRINTTEMPLATETEARDOWN, 1}, {DISPID_PRIVACYIMPACTEDSTATECHANGE, 1},
    {DISPID_PROGRESSCHANGE, 2},      {DISPID_PROPERTYCHANGE, 1},
    {DISPID_SETSECURELOCKICON, 1},   {DISPID_STATUSTEXTCHANGE, 1},
    {DISPID_TITLECHANGE, 1},         {DISPID_WINDOWCLOSING, 2},
    {DISPID_WINDOWSETHEIGHT, 1},     {DISPID_WINDOWSETLEFT, 1},
    {DISPID_WINDOWSETRESIZABLE, 1},  {DISPID_WINDOWSETTOP, 1},
    {DISPID_WINDOWSETWIDTH, 1},
};

}  // namespace

KWebBrowserHandler::~KWebBrowserHandler() {
  Unadvise();
  if (browser_) browser_->Release();
}

STDMETHODIMP KWebBrowserHandler::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
    *object = static_cast<IOleClientSite*>(this);
  else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID_DWebBrowserEvents2))
    *object = static_cast<IDispatch*>(this);
  else if (IsEqualIID(iid, IID_IDocHostUIHandler))
    *object = static_cast<IDocHostUIHandler*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) KWebBrowserHandler::AddRef() { return InterlockedIncrement(&references_); }

STDMETHODIMP_(ULONG) KWebBrowserHandler::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return left;
}

void KWebBrowserHandler::Detach() {
  downloadControl_ = 0;
  Unadvise();
  if (browser_) {
    IWebBrowser2* browser = browser_;
    browser_ = nullptr;
    browser->Release();
  }
}

HRESULT KWebBrowserHandler::Attach(IUnknown* browser) {
  if (!browser) return E_FAIL;
  IWebBrowser2* typed = nullptr;
  if (FAILED(browser->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&typed))) || !typed)
    return E_FAIL;
  Detach();
  browser_ = typed;
  return Advise();
}

HRESULT KWebBrowserHandler::SetDownloadControl(LONG value) {
  if (!browser_) return E_FAIL;
  IOleClientSite* site = nullptr;
  if (FAILED(QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&site))) || !site)
    return E_FAIL;
  IOleObject* object = nullptr;
  HRESULT hr = browser_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
  if (SUCCEEDED(hr) && object) {
    hr = object->SetClientSite(site);
    object->Release();
    if (SUCCEEDED(hr)) {
      IOleControl* control = nullptr;
      hr = browser_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&control));
      if (SUCCEEDED(hr) && control) {
        downloadControl_ = value;
        hr = control->OnAmbientPropertyChange(kDispIdAmbientDlControl);
        control->Release();
      }
    }
  }
  site->Release();
  return hr;
}

HRESULT KWebBrowserHandler::Advise() {
  if (!browser_) return E_FAIL;
  if (advised_) Unadvise();
  if (cookie_ != kNoEventCookie) return E_FAIL;
  IConnectionPointContainer* container = nullptr;
  HRESULT hr = browser_->QueryInterface(IID_IConnectionPointContainer,
                                        reinterpret_cast<void**>(&container));
  if (FAILED(hr) || !container) return FAILED(hr) ? hr : E_FAIL;
  IConnectionPoint* point = nullptr;
  hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
  container->Release();
  if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_FAIL;
  DWORD cookie = 0;
  hr = point->Advise(static_cast<IDispatch*>(this), &cookie);
  point->Release();
  if (SUCCEEDED(hr)) {
    cookie_ = cookie;
    advised_ = true;
  }
  return hr;
}

void KWebBrowserHandler::Unadvise() {
  if (!advised_) return;
  advised_ = false;
  const DWORD cookie = cookie_;
  cookie_ = kNoEventCookie;
  if (!browser_) return;
  IConnectionPointContainer* container = nullptr;
  if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&container))) &&
      container) {
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point) {
      point->Unadvise(cookie);
      point->Release();
    }
    container->Release();
  }
}

STDMETHODIMP KWebBrowserHandler::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP KWebBrowserHandler::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP KWebBrowserHandler::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

STDMETHODIMP KWebBrowserHandler::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME;
  return S_OK;
}

STDMETHODIMP KWebBrowserHandler::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                        VARIANT* result, EXCEPINFO*, UINT*) {
  try {
    if (id == kDispIdAmbientDlControl) {
      if (result) {
        VariantInit(result);
        V_VT(result) = VT_I4;
        V_I4(result) = downloadControl_;
      }
      return S_OK;
    }
    if (id < 0) return DISP_E_MEMBERNOTFOUND;  // other ambient properties
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (!parameters) parameters = &none;
    if (parameters->cArgs > 0 && !parameters->rgvarg) return E_INVALIDARG;
    return DispatchEvent(id, parameters);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT KWebBrowserHandler::DispatchEvent(DISPID id, DISPPARAMS* p) {
  const EventShape* shape = nullptr;
  for (const EventShape& event : kEvents)
    if (event.id == id) shape = &event;
  if (!shape) return DISP_E_MEMBERNOTFOUND;
  if (p->cArgs != shape->arguments) return DISP_E_BADPARAMCOUNT;

  std::wstring text1, text2, text3, text4;
  long number1 = 0, number2 = 0;
  bool flag = false;
  switch (id) {
    case DISPID_BEFORENAVIGATE2: {
      // (browser, URL, flags, target frame, post data, headers, cancel)
      VARIANT_BOOL* cancel = BoolOutArgument(p, 6);
      if (!TextArgument(p, 1, &text1) || !cancel) return DISP_E_TYPEMISMATCH;
      if (!TextArgument(p, 3, &text2)) text2.clear();
      if (!TextArgument(p, 5, &text3)) text3.clear();
      bool stop = *cancel != VARIANT_FALSE;
      BeforeNavigate2(text1, text2, text3, stop);
      *cancel = stop ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    case DISPID_COMMANDSTATECHANGE:
      if (!NumberArgument(p, 0, &number1) || !BoolArgument(p, 1, &flag)) return DISP_E_TYPEMISMATCH;
      CommandStateChange(number1, flag);
      return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
    case DISPID_NAVIGATECOMPLETE2:
      if (!TextArgument(p, 1, &text1)) return DISP_E_TYPEMISMATCH;
      if (id == DISPID_DOCUMENTCOMPLETE)
        DocumentComplete(text1);
      else
        NavigateComplete2(text1);
      return S_OK;
    case DISPID_DOWNLOADBEGIN:
      DownloadBegin();
      return S_OK;
    case DISPID_DOWNLOADCOMPLETE:
      DownloadComplete();
      return S_OK;
    case DISPID_NAVIGATEERROR: {
      // (browser, URL, frame, status code, cancel)
      VARIANT_BOOL* cancel = BoolOutArgument(p, 4);
      if (!TextArgument(p, 1, &text1) || !NumberArgument(p, 3, &number1) || !cancel)
        return DISP_E_TYPEMISMATCH;
      if (!TextArgument(p, 2, &text2)) text2.clear();
      bool stop = *cancel != VARIANT_FALSE;
      NavigateError(text1, text2, number1, stop);
      *cancel = stop ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    case DISPID_NEWWINDOW2:
      return S_OK;
    case DISPID_NEWWINDOW3: {
      // (browser out, cancel, flags, URL context, URL)
      VARIANT_BOOL* cancel = BoolOutArgument(p, 1);
      if (!cancel || !NumberArgument(p, 2, &number1) || !TextArgument(p, 3, &text1) ||
          !TextArgument(p, 4, &text2))
        return DISP_E_TYPEMISMATCH;
      bool stop = *cancel != VARIANT_FALSE;
      NewWindow3(stop, static_cast<DWORD>(number1), text1, text2);
      *cancel = stop ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    case DISPID_ONQUIT:
      OnQuit();
      // A quitting browser sends nothing more: the sink is disconnected.
      Unadvise();
      return S_OK;
    case DISPID_PROGRESSCHANGE:
      if (!NumberArgument(p, 0, &number1) || !NumberArgument(p, 1, &number2))
        return DISP_E_TYPEMISMATCH;
      ProgressChange(number1, number2);
      return S_OK;
    case DISPID_PROPERTYCHANGE:
    case DISPID_STATUSTEXTCHANGE:
    case DISPID_TITLECHANGE:
      if (!TextArgument(p, 0, &text1)) return DISP_E_TYPEMISMATCH;
      if (id == DISPID_PROPERTYCHANGE)
        PropertyChange(text1);
      else if (id == DISPID_STATUSTEXTCHANGE)
        StatusTextChange(text1);
      else
        TitleChange(text1);
      return S_OK;
    case DISPID_WINDOWCLOSING: {
      VARIANT_BOOL* cancel = BoolOutArgument(p, 1);
      if (!BoolArgument(p, 0, &flag) || !cancel) return DISP_E_TYPEMISMATCH;
      bool stop = *cancel != VARIANT_FALSE;
      WindowClosing(flag, stop);
      *cancel = stop ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    default:
      OtherEvent(id);
      return S_OK;
  }
}
