#include "WinInetApi.h"

#include "SystemDlls.h"

namespace {

template <class Fn>
bool Bind(Fn* slot, const char* name) {
  *slot = vesmarin::SystemProc<Fn>(L"wininet.dll", name);
  return *slot != nullptr;
}

bool Load(WinInetApi* api) {
  return Bind(&api->InternetOpenW, "InternetOpenW") &&
         Bind(&api->InternetConnectW, "InternetConnectW") &&
         Bind(&api->HttpOpenRequestW, "HttpOpenRequestW") &&
         Bind(&api->HttpSendRequestW, "HttpSendRequestW") &&
         Bind(&api->HttpQueryInfoW, "HttpQueryInfoW") &&
         Bind(&api->InternetReadFile, "InternetReadFile") &&
         Bind(&api->InternetQueryDataAvailable, "InternetQueryDataAvailable") &&
         Bind(&api->InternetCloseHandle, "InternetCloseHandle") &&
         Bind(&api->InternetSetOptionW, "InternetSetOptionW") &&
         Bind(&api->InternetCanonicalizeUrlW, "InternetCanonicalizeUrlW") &&
         Bind(&api->InternetCrackUrlW, "InternetCrackUrlW") &&
         Bind(&api->InternetCombineUrlW, "InternetCombineUrlW") &&
         Bind(&api->InternetGetConnectedState, "InternetGetConnectedState");
}

}  // namespace

const WinInetApi* SystemWinInet() {
  static WinInetApi api;
  static const bool loaded = Load(&api);
  return loaded ? &api : nullptr;
}
