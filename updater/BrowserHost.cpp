#include "BrowserHost.h"

#include <ole2.h>

#include "NemdriftResource.h"

namespace {

const wchar_t kHostClass[] = L"" BROWSER_HOST_CLASS;

UINT GetControlMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
  return message;
}

// The site of one hosted control: its client site, in-place site and frame.
class HostSite : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit HostSite(HWND window) : window_(window) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
      *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
      *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceFrame) || IsEqualIID(iid, IID_IOleInPlaceUIWindow))
      *object = static_cast<IOleInPlaceFrame*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(window_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(window_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, tools or status.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  virtual ~HostSite() = default;
  LONG references_ = 1;
  HWND window_;
};

// What a host window keeps: the site and the control.
struct HostState {
  HostSite* site;
  IOleObject* control;
};

HostState* StateOf(HWND window) {
  return reinterpret_cast<HostState*>(GetWindowLongPtrW(window, 0));
}

void CreateControl(HWND window, const wchar_t* classId) {
  CLSID id;
  if (!classId || FAILED(CLSIDFromString(classId, &id))) return;
  HostState* state = new HostState{new HostSite(window), nullptr};
  SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(state));
  IOleObject* control = nullptr;
  if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&control))) ||
      !control)
    return;
  state->control = control;
  control->SetClientSite(static_cast<IOleClientSite*>(state->site));
  RECT area;
  GetClientRect(window, &area);
  control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(state->site), 0,
                  window, &area);
}

void DestroyControl(HWND window) {
  HostState* state = StateOf(window);
  if (!state) return;
  SetWindowLongPtrW(window, 0, 0);
  if (state->control) {
    state->control->Close(OLECLOSE_NOSAVE);
    state->control->SetClientSite(nullptr);
    state->control->Release();
  }
  state->site->Release();
  delete state;
}

void ResizeControl(HWND window) {
  HostState* state = StateOf(window);
  if (!state || !state->control) return;
  IOleInPlaceObject* inPlace = nullptr;
  if (SUCCEEDED(state->control->QueryInterface(IID_IOleInPlaceObject,
                                               reinterpret_cast<void**>(&inPlace))) &&
      inPlace) {
    RECT area;
    GetClientRect(window, &area);
    inPlace->SetObjectRects(&area, &area);
    inPlace->Release();
  }
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == GetControlMessage() && message != 0) {
    IUnknown** out = reinterpret_cast<IUnknown**>(lParam);
    if (!out) return E_POINTER;
    *out = nullptr;
    HostState* state = StateOf(window);
    if (!state || !state->control) return E_FAIL;
    state->control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
    return *out ? S_OK : E_FAIL;
  }
  switch (message) {
    case WM_CREATE:
      CreateControl(window, reinterpret_cast<CREATESTRUCTW*>(lParam)->lpszName);
      return 0;
    case WM_SIZE:
      ResizeControl(window);
      return 0;
    case WM_DESTROY:
      DestroyControl(window);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterBrowserHostClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(instance, kHostClass, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.cbWndExtra = sizeof(void*);
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kHostClass;
  return RegisterClassExW(&windowClass) != 0;
}

HRESULT GetHostedControl(HWND host, IUnknown** control) {
  if (!host || !control) return E_POINTER;
  *control = nullptr;
  return static_cast<HRESULT>(
      SendMessageW(host, GetControlMessage(), 0, reinterpret_cast<LPARAM>(control)));
}
