#include "ContextHelp.h"

#include <shellapi.h>

#include <string>

#include "BuilderState.h"
#include "ResultCodes.h"
#include "VesmarinUiResource.h"

namespace {

struct HelpPage {
  int dialogId;
  UINT stringId;
};

const HelpPage kHelpPages[] = {
    {IDD_START_METHOD, IDS_HELP_START_METHOD},
    {IDD_EXTRA_COPY_ITEM, IDS_HELP_EXTRA_COPY},
    {IDD_COM_SERVER_ITEM, IDS_HELP_COM_SERVER},
    {IDD_AUTOEXEC_ITEM, IDS_HELP_AUTOEXEC_ITEM},
    {IDD_UNINSTALL_OPTIONS, IDS_HELP_UNINSTALL_OPTIONS},
    {IDD_UNINSTALL_SETTINGS, IDS_HELP_UNINSTALL_SETTINGS},
    {IDD_SHORTCUT_ITEM, IDS_HELP_SHORTCUT_ITEM},
    {IDD_PAGE_STARTUP, IDS_HELP_STARTUP_PAGE},
    {IDD_PAGE_PROGRAM, IDS_HELP_PROGRAM_PAGE},
    {IDD_PAGE_DESIGN, IDS_HELP_DESIGN_PAGE},
    {IDD_PAGE_ICON, IDS_HELP_ICON_PAGE},
    {IDD_PAGE_BANNER, IDS_HELP_BANNER_PAGE},
    {IDD_PAGE_BACKGROUND, IDS_HELP_BACKGROUND_PAGE},
    {IDD_PAGE_DESCRIPTION, IDS_HELP_DESCRIPTION_PAGE},
    {IDD_PAGE_EXTRACT, IDS_HELP_EXTRACT_PAGE},
    {IDD_PAGE_SHORTCUT, IDS_HELP_SHORTCUT_PAGE},
    {IDD_PAGE_UNINSTALLER, IDS_HELP_UNINSTALLER_PAGE},
    {IDD_PAGE_AUTOEXEC, IDS_HELP_AUTOEXEC_PAGE},
    {IDD_PAGE_SPECIAL, IDS_HELP_SPECIAL_PAGE},
    {IDD_PAGE_EXTENSION, IDS_HELP_EXTENSION_PAGE},
};

}  // namespace

UINT HelpStringForDialog(int dialogId) {
  for (const HelpPage& page : kHelpPages)
    if (page.dialogId == dialogId) return page.stringId;
  return IDS_HELP_FRONT_PAGE;
}

void ShowContextHelp(int dialogId) {
  std::wstring address = LoadResString(HelpStringForDialog(dialogId));
  if (address.empty()) address = LoadResString(IDS_HELP_FRONT_PAGE);
  HINSTANCE result = ShellExecuteW(UiState.MainWindow, nullptr, address.c_str(), nullptr,
                                   nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) <= 32)
    MessageBoxW(UiState.MainWindow, LoadResString(IDS_HELP_BROWSER_FAILED), kBuilderCaption,
                MB_OK | MB_ICONERROR);
}
