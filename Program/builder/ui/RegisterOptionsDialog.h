// Dialog "Uninstaller register option" of the "Uninstaller" page: the
// further values of the uninstaller's registration with Windows. It edits
// the page's working copy of them, not the settings.
#pragma once
#include <windows.h>

struct RegisterOptions {
  wchar_t UninstIconFile[270];
  wchar_t UnInstallPublisher[200];
  wchar_t UnInstallSupportLink[400];
  wchar_t UnInstallHelpLink[400];
  wchar_t UnInstallUpdateLink[400];
  wchar_t UnInstallPublisherE[200];
  wchar_t UnInstallSupportLinkE[400];
  wchar_t UnInstallHelpLinkE[400];
  wchar_t UnInstallUpdateLinkE[400];
  int UnInstallSetVersion;
  int UnInstallAutoSetVersion;
  wchar_t UnInstallVersion[31];
  wchar_t UnInstallAutoSetVersionFile[260];
  int UnInstallAutoSetSize;
};

// The options change only when the dialog ends with OK (1).
INT_PTR EditRegisterOptions(HWND owner, RegisterOptions* options);
