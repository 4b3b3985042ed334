#include "DetailedSettings.h"

#include <commctrl.h>

#include <string>

#include "AutoExecPage.h"
#include "BackgroundPage.h"
#include "BannerPage.h"
#include "BuilderState.h"
#include "DescriptionPage.h"
#include "DesignPage.h"
#include "ExtensionPage.h"
#include "ExtractPage.h"
#include "IconPage.h"
#include "ProgramPage.h"
#include "ResultCodes.h"
#include "ShortcutPage.h"
#include "SheetPage.h"
#include "CopiesAndServersPage.h"
#include "StartupPage.h"
#include "UninstallerPage.h"
#include "VesmarinResource.h"

namespace {

struct PageRow {
  int dialogId;
  DLGPROC procedure;
};

// Sheet order. The first page must stay "Process before startup": it is
// created with the sheet and other pages reach it through
// g_StartupPageWindow.
const PageRow kPages[] = {
    {IDD_PAGE_STARTUP, StartupPageProc},
    {IDD_PAGE_PROGRAM, ProgramPageProc},
    {IDD_PAGE_DESIGN, DesignPageProc},
    {IDD_PAGE_ICON, IconPageProc},
    {IDD_PAGE_BANNER, BannerPageProc},
    {IDD_PAGE_BACKGROUND, BackgroundPageProc},
    {IDD_PAGE_DESCRIPTION, DescriptionPageProc},
    {IDD_PAGE_EXTRACT, ExtractPageProc},
    {IDD_PAGE_SHORTCUT, ShortcutPageProc},
    {IDD_PAGE_UNINSTALLER, UninstallerPageProc},
    {IDD_PAGE_AUTOEXEC, AutoExecPageProc},
    {IDD_PAGE_SPECIAL, SpecialPageProc},
    {IDD_PAGE_EXTENSION, ExtensionPageProc},
};
const int kPageCount = sizeof kPages / sizeof kPages[0];

void ShowStartFailure(HWND owner) {
  std::wstring text = LoadResString(IDS_SHEET_FAILED);
  MessageBoxW(owner, text.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
}

// Runs the sheet; -1 when it could not be built or started.
INT_PTR RunSheet(HWND owner) {
  HPROPSHEETPAGE pages[kPageCount] = {};
  PROPSHEETPAGEW page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_HASHELP;
  page.hInstance = g_UiState.Instance;
  int created = 0;
  for (; created < kPageCount; ++created) {
    page.pszTemplate = MAKEINTRESOURCEW(kPages[created].dialogId);
    page.pfnDlgProc = kPages[created].procedure;
    pages[created] = CreatePropertySheetPageW(&page);
    if (!pages[created]) break;
  }
  if (created < kPageCount) {
    for (int i = 0; i < created; ++i) DestroyPropertySheetPage(pages[i]);
    return -1;
  }

  const std::wstring caption = std::wstring(LoadResString(IDS_SHEET_CAPTION)) + kBuilderCaption;
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_USEICONID | PSH_NOAPPLYNOW | PSH_HASHELP;
  header.hwndParent = owner;
  header.hInstance = g_UiState.Instance;
  header.pszIcon = MAKEINTRESOURCEW(IDI_VESMARIN);
  header.pszCaption = caption.c_str();
  header.nPages = kPageCount;
  header.nStartPage = 0;
  header.phpage = pages;
  return PropertySheetW(&header);
}

}  // namespace

bool ShowDetailedSettings(HWND owner) {
  TakeSheetFault();
  INT_PTR result = -1;
  try {
    result = RunSheet(owner);
  } catch (...) {
    ShowStartFailure(owner);
    return false;
  }
  if (TakeSheetFault()) {
    ShowStartFailure(owner);
    return false;
  }
  // A sheet that never ran leaves a record that no page finished: the
  // caller restores its copy.
  if (result < 0) return false;
  return result != 0;
}
