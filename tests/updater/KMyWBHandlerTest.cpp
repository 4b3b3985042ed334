// The browser handler driven as the WebBrowser control drives it: through
// IDispatch::Invoke with DISPPARAMS built by hand.
#include <windows.h>
#include <exdispid.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowserHost.h"
#include "KMyWBHandler.h"
#include "TestSupport.h"
#include "UpdaterTestUtil.h"

namespace {

// Arguments in their declared order; Invoke receives them reversed.
class Arguments {
 public:
  Arguments& Add(const VARIANT& value) {
    values_.insert(values_.begin(), value);
    return *this;
  }
  Arguments& Text(const wchar_t* text) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(text);
    owned_.push_back(V_BSTR(&value));
    return Add(value);
  }
  // A BSTR reached through a VARIANT reference, as BeforeNavigate2 sends it.
  Arguments& TextByRef(const wchar_t* text) {
    VARIANT* inner = new VARIANT;
    VariantInit(inner);
    V_VT(inner) = VT_BSTR;
    V_BSTR(inner) = SysAllocString(text);
    owned_.push_back(V_BSTR(inner));
    inners_.push_back(inner);
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&value) = inner;
    return Add(value);
  }
  Arguments& Number(long number) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return Add(value);
  }
  Arguments& Bool(bool flag) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return Add(value);
  }
  Arguments& BoolOut(VARIANT_BOOL* flag) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&value) = flag;
    return Add(value);
  }
  Arguments& Empty() {
    VARIANT value;
    VariantInit(&value);
    return Add(value);
  }
  DISPPARAMS* Params() {
    params_.rgvarg = values_.empty() ? nullptr : values_.data();
    params_.cArgs = static_cast<UINT>(values_.size());
    params_.rgdispidNamedArgs = nullptr;
    params_.cNamedArgs = 0;
    return &params_;
  }
  ~Arguments() {
    for (BSTR text : owned_) SysFreeString(text);
    for (VARIANT* inner : inners_) delete inner;
  }

 private:
  std::vector<VARIANT> values_;
  std::vector<BSTR> owned_;
  std::vector<VARIANT*> inners_;
  DISPPARAMS params_ = {};
};

class BrowserHandler : public ::testing::Test {
 protected:
  void SetUp() override { handler_ = KMyWBHandler::Create(nullptr); }
  void TearDown() override { handler_->Release(); }
  HRESULT Invoke(DISPID id, DISPPARAMS* params, VARIANT* result = nullptr) {
    return handler_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, result, nullptr, nullptr);
  }
  // BeforeNavigate2 for url; whether the handler cancelled it.
  bool NavigationCancelled(const wchar_t* url) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Arguments args;
    args.Empty().TextByRef(url).Empty().TextByRef(L"").Empty().TextByRef(L"").BoolOut(&cancel);
    EXPECT_EQ(Invoke(DISPID_BEFORENAVIGATE2, args.Params()), S_OK);
    return cancel != VARIANT_FALSE;
  }

  updatertest::ComScope com_;
  KMyWBHandler* handler_ = nullptr;
};

TEST_F(BrowserHandler, AnswersOnlyTheDownloadControlAmbientProperty) {
  VARIANT result;
  VariantInit(&result);
  Arguments none;
  ASSERT_EQ(Invoke(kDispIdAmbientDlControl, none.Params(), &result), S_OK);
  EXPECT_EQ(V_VT(&result), VT_I4);
  EXPECT_EQ(V_I4(&result), 0) << "a detached handler reports 0";
  EXPECT_EQ(Invoke(-5501, none.Params(), &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(-5502, nullptr, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(4711, none.Params()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(handler_->SetDownloadControl(0x40004790), E_FAIL) << "no browser attached";
  EXPECT_EQ(handler_->Attach(nullptr), E_FAIL);
  IUnknown* notABrowser = static_cast<IOleClientSite*>(handler_);
  EXPECT_EQ(handler_->Attach(notABrowser), E_FAIL);
}

TEST_F(BrowserHandler, ChecksArgumentCountsAndTypesBeforeUse) {
  Arguments tooFew;
  tooFew.Empty().TextByRef(L"about:blank");
  EXPECT_EQ(Invoke(DISPID_BEFORENAVIGATE2, tooFew.Params()), DISP_E_BADPARAMCOUNT);
  // Cancel passed by value instead of by reference.
  Arguments wrongType;
  wrongType.Empty().TextByRef(L"http://127.0.0.1/").Empty().Empty().Empty().Empty().Bool(false);
  EXPECT_EQ(Invoke(DISPID_BEFORENAVIGATE2, wrongType.Params()), DISP_E_TYPEMISMATCH);
  Arguments numberAsUrl;
  numberAsUrl.Empty().Number(5);
  EXPECT_EQ(Invoke(DISPID_DOCUMENTCOMPLETE, numberAsUrl.Params()), DISP_E_TYPEMISMATCH);
  DISPPARAMS noArray = {nullptr, nullptr, 2, 0};
  EXPECT_EQ(Invoke(DISPID_DOCUMENTCOMPLETE, &noArray), E_INVALIDARG);
  VARIANT_BOOL null = VARIANT_FALSE;
  Arguments nullOut;
  nullOut.Empty().BoolOut(nullptr).Number(0).Text(L"").Text(L"http://127.0.0.1/");
  EXPECT_EQ(Invoke(DISPID_NEWWINDOW3, nullOut.Params()), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(null, VARIANT_FALSE);
  Arguments none;
  EXPECT_EQ(Invoke(DISPID_DOWNLOADCOMPLETE, none.Params()), S_OK);
  EXPECT_EQ(Invoke(DISPID_DOWNLOADCOMPLETE, nullptr), S_OK);
  Arguments visible;
  visible.Bool(true);
  EXPECT_EQ(Invoke(DISPID_ONVISIBLE, visible.Params()), S_OK);
}

TEST_F(BrowserHandler, ThePaneStaysOnAboutBlankAndOnlyWebLinksLeaveIt) {
  testsupport::TempDir dir(L"wbh");
  const std::wstring record = dir / L"opened.txt";
  SetEnvironmentVariableW(L"ENVPROBE_OUT", record.c_str());
  updatertest::WebLinkProbe probe;

  EXPECT_FALSE(NavigationCancelled(L"about:blank"));
  EXPECT_FALSE(NavigationCancelled(L"ABOUT:BLANK"));
  EXPECT_TRUE(NavigationCancelled(L"file:///C:/windows/notepad.exe"));
  EXPECT_TRUE(NavigationCancelled(L"javascript:alert(1)"));
  EXPECT_TRUE(NavigationCancelled(L"about:blank#x"));
  // A new window is never made; an http link goes to the user's browser.
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Arguments newWindow;
  newWindow.Empty().BoolOut(&cancel).Number(0).Text(L"about:blank").Text(
      L"http://127.0.0.1:1/news?id=7");
  EXPECT_EQ(Invoke(DISPID_NEWWINDOW3, newWindow.Params()), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);
  // Addresses that would break out of the browser's quoted argument are
  // cancelled and never reach the shell.
  for (const wchar_t* bad : {L"http://127.0.0.1:1/a\" --quoted-switch \"",
                             L"http://127.0.0.1:1/a\r\n--control-switch"}) {
    cancel = VARIANT_FALSE;
    Arguments badWindow;
    badWindow.Empty().BoolOut(&cancel).Number(0).Text(L"").Text(bad);
    EXPECT_EQ(Invoke(DISPID_NEWWINDOW3, badWindow.Params()), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_TRUE(NavigationCancelled(bad));
  }
  cancel = VARIANT_FALSE;
  Arguments fileWindow;
  fileWindow.Empty().BoolOut(&cancel).Number(0).Text(L"").Text(L"file:///C:/x.exe");
  EXPECT_EQ(Invoke(DISPID_NEWWINDOW3, fileWindow.Params()), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);

  const std::string opened = probe.WaitForRecord(record, 1);
  EXPECT_NE(opened.find("http://127.0.0.1:1/news?id=7"), std::string::npos) << opened;
  EXPECT_EQ(opened.find("file:"), std::string::npos) << opened;
  EXPECT_EQ(opened.find("notepad"), std::string::npos) << opened;
  EXPECT_EQ(opened.find("switch"), std::string::npos) << opened;
  SetEnvironmentVariableW(L"ENVPROBE_OUT", nullptr);
}

TEST(WebAddress, OnlyPlainHttpAddressesGoToTheBrowser) {
  for (const wchar_t* good : {L"http://127.0.0.1/", L"HTTPS://example.com/a b?x='1'#top",
                              L"http://example.com/\u00e9t\u00e9"})
    EXPECT_TRUE(IsWebAddress(good)) << testsupport::Narrow(good);
  for (const wchar_t* bad :
       {L"http://", L"ftp://example.com/", L"file:///C:/x.exe", L"javascript:alert(1)",
        L"http://example.com/\"", L"http://example.com/a\" -x", L"http://example.com/\t",
        L"http://example.com/\x7f", L"http://example.com/\x85", L"http://example.com/\x9f",
        L" http://example.com/"})
    EXPECT_FALSE(IsWebAddress(bad)) << testsupport::Narrow(bad);
}

TEST_F(BrowserHandler, HostUiHasNoMenuOrBorderAndFocusReturnsToTheList) {
  DOCHOSTUIINFO info = {};
  info.cbSize = sizeof info;
  info.dwFlags = DOCHOSTUIFLAG_DIALOG;
  EXPECT_EQ(handler_->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_DIALOG | 0x40004));
  EXPECT_EQ(handler_->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
  IDocHostUIHandler* ui = nullptr;
  ASSERT_EQ(handler_->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&ui)), S_OK);
  ui->Release();
  IDispatch* sink = nullptr;
  ASSERT_EQ(handler_->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&sink)), S_OK);
  sink->Release();

  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 40,
                              nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, edit, nullptr,
                               nullptr, nullptr);
  SetFocus(other);
  handler_->SetFocusWindow(edit);
  Arguments url;
  url.Empty().TextByRef(L"about:blank");
  EXPECT_EQ(Invoke(DISPID_DOCUMENTCOMPLETE, url.Params()), S_OK);
  EXPECT_EQ(GetFocus(), edit);
  DestroyWindow(edit);
  handler_->SetFocusWindow(edit);  // gone: nothing happens
  EXPECT_EQ(Invoke(DISPID_NAVIGATECOMPLETE2, url.Params()), S_OK);
}

TEST_F(BrowserHandler, ConnectsToARealBrowserAndQuitDisconnects) {
  IUnknown* browser = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&browser)),
            S_OK);
  ASSERT_EQ(handler_->Attach(browser), S_OK);
  EXPECT_TRUE(handler_->Advised());
  EXPECT_NE(handler_->EventCookie(), kNoEventCookie);
  EXPECT_EQ(handler_->SetDownloadControl(0x40004790), S_OK);
  VARIANT result;
  VariantInit(&result);
  Arguments none;
  ASSERT_EQ(Invoke(kDispIdAmbientDlControl, none.Params(), &result), S_OK);
  EXPECT_EQ(V_I4(&result), 0x40004790);
  // A second Advise replaces the connection.
  EXPECT_EQ(handler_->Advise(), S_OK);
  EXPECT_TRUE(handler_->Advised());
  EXPECT_EQ(Invoke(DISPID_ONQUIT, none.Params()), S_OK);
  EXPECT_FALSE(handler_->Advised());
  EXPECT_EQ(handler_->EventCookie(), kNoEventCookie);
  handler_->Detach();
  EXPECT_EQ(handler_->Browser(), nullptr);
  EXPECT_EQ(handler_->DownloadControl(), 0);
  IOleObject* object = nullptr;
  if (SUCCEEDED(browser->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)))) {
    object->SetClientSite(nullptr);
    object->Release();
  }
  browser->Release();
}

TEST_F(BrowserHandler, HostWindowMakesTheControlItsTextNamesAndHandsItOut) {
  ASSERT_TRUE(RegisterBrowserHostClass(GetModuleHandleW(nullptr)));
  ASSERT_TRUE(RegisterBrowserHostClass(GetModuleHandleW(nullptr))) << "a second time is fine";
  HWND host = CreateWindowExW(0, L"AtlAxWin140", L"{8856F961-340A-11D0-A96B-00C04FD705A2}",
                              WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  IUnknown* control = nullptr;
  ASSERT_EQ(GetHostedControl(host, &control), S_OK);
  ASSERT_NE(control, nullptr);
  IWebBrowser2* browser = nullptr;
  EXPECT_EQ(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)), S_OK);
  // The dialog's set-up: attach, download control, a first navigation.
  EXPECT_EQ(handler_->Attach(control), S_OK);
  EXPECT_EQ(handler_->SetDownloadControl(0x40004790), S_OK);
  if (browser) {
    BSTR blank = SysAllocString(L"about:blank");
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(browser->Navigate(blank, &empty, &empty, &empty, &empty), S_OK);
    SysFreeString(blank);
    browser->Release();
  }
  handler_->Detach();
  control->Release();
  DestroyWindow(host);

  // A class id that names nothing, or none at all: no control to hand out.
  for (const wchar_t* text : {L"{00000000-1111-2222-3333-444444444444}", L"not a class id"}) {
    HWND empty = CreateWindowExW(0, L"AtlAxWin140", text, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(empty, nullptr);
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(GetHostedControl(empty, &none), E_FAIL);
    EXPECT_EQ(none, nullptr);
    DestroyWindow(empty);
  }
  EXPECT_EQ(GetHostedControl(nullptr, &control), E_POINTER);
}

}  // namespace
