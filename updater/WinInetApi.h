// The WinINet functions the updater calls, taken from wininet.dll of the
// system folder at run time (the program imports no library that Windows
// might look up beside it).
#pragma once
#include <windows.h>
#include <wininet.h>

struct WinInetApi {
  decltype(&::InternetOpenW) InternetOpenW;
  decltype(&::InternetConnectW) InternetConnectW;
  decltype(&::HttpOpenRequestW) HttpOpenRequestW;
  decltype(&::HttpSendRequestW) HttpSendRequestW;
  decltype(&::HttpQueryInfoW) HttpQueryInfoW;
  decltype(&::InternetReadFile) InternetReadFile;
  decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable;
  decltype(&::InternetCloseHandle) InternetCloseHandle;
  decltype(&::InternetSetOptionW) InternetSetOptionW;
  decltype(&::InternetCanonicalizeUrlW) InternetCanonicalizeUrlW;
  decltype(&::InternetCrackUrlW) InternetCrackUrlW;
  decltype(&::InternetCombineUrlW) InternetCombineUrlW;
  decltype(&::InternetGetConnectedState) InternetGetConnectedState;
};

// The bound functions, loaded once; null when wininet.dll or one of its
// functions is missing.
const WinInetApi* SystemWinInet();
