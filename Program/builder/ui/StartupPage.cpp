#include "StartupPage.h"

#include <string>

#include "BuilderState.h"
#include "CheckListBox.h"
#include "OsCheckList.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

// The items of the OS list in display order: a fixed text or a string id,
// and the bit of BootableOS each stands for.
struct OsItem {
  const wchar_t* text;
  UINT stringId;
  int bit;
};
const OsItem kOsItems[] = {
    {L"Windows XP", 0, 0x20},
    {L"Windows Vista", 0, 0x80},
    {L"Windows 7", 0, 0x200},
    {nullptr, IDS_OS_WINDOWS_8, 0x800},
    {L"Windows 8.1", 0, 0x2000},
    {L"Windows 10 / Windows 11", 0, 0x8000},
    {nullptr, IDS_OS_WINDOWS_10, 0x10000},
    {L"Windows 11", 0, 0x20000},
    {nullptr, IDS_OS_LATEST_CLIENT, 0x10000000},
    {L"Windows Server 2003", 0, 0x40},
    {L"Windows Server 2008 R1", 0, 0x100},
    {L"Windows Server 2008 R2", 0, 0x1000},
    {L"Windows Server 2012 R1", 0, 0x400},
    {L"Windows Server 2012 R2", 0, 0x4000},
    {L"Windows Server 2016", 0, 0x1},
    {L"Windows Server 2019", 0, 0x2},
    {L"Windows Server 2022", 0, 0x4},
    {nullptr, IDS_OS_LATEST_SERVER, 0x20000000},
};

void EnableRule(HWND page) {
  EnableControls(page,
                 {IDC_STARTUP_OS_LIST, IDC_STARTUP_CHECK_ALL, IDC_STARTUP_UNCHECK_ALL,
                  IDC_STARTUP_OS_GROUP},
                 IsBoxChecked(page, IDC_STARTUP_OS_CHECK));
}

void Init(HWND page) {
  g_StartupPageWindow = page;
  // The sheet shows its help through the Help button only: no "?" in the
  // caption. The style is cleared, never toggled, as a sheet may start
  // without it.
  HWND sheet = GetParent(page);
  const LONG_PTR exStyle = GetWindowLongPtrW(sheet, GWL_EXSTYLE);
  if (exStyle & WS_EX_CONTEXTHELP) {
    SetWindowLongPtrW(sheet, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
    SetWindowPos(sheet, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  FillDropDown(page, IDC_STARTUP_VALIDITY, {IDS_CHECK_NOTHING, IDS_CHECK_CRC, IDS_CHECK_SIGNATURE});
  HWND list = GetDlgItem(page, IDC_STARTUP_OS_LIST);
  ClearOsBitItems();
  for (const OsItem& item : kOsItems) {
    std::wstring text = item.text ? item.text : LoadResString(item.stringId);
    const int index = CheckListAddItem(list, text.c_str(), 0, nullptr);
    if (index >= 0) MapOsBitToItem(item.bit, index);
  }
}

void ToControls(HWND page) {
  SettingsToControls(page, IDD_PAGE_STARTUP);
  EnableRule(page);
}

void Store(HWND page) { ControlsToSettings(page, IDD_PAGE_STARTUP); }

bool Command(HWND page, int controlId, int code) {
  if (code != BN_CLICKED) return false;
  switch (controlId) {
    case IDC_STARTUP_OS_CHECK:
      EnableRule(page);
      return true;
    case IDC_STARTUP_CHECK_ALL:
    case IDC_STARTUP_UNCHECK_ALL:
      CheckListSetCheck(GetDlgItem(page, IDC_STARTUP_OS_LIST), -1,
                        controlId == IDC_STARTUP_CHECK_ALL ? 1 : 0);
      return true;
    default:
      return false;
  }
}

void Destroy(HWND page) {
  if (g_StartupPageWindow == page) g_StartupPageWindow = nullptr;
}

const SheetPageHooks kHooks = {IDD_PAGE_STARTUP, Init,    ToControls, nullptr,
                               Store,            Command, nullptr,    Destroy};

}  // namespace

INT_PTR CALLBACK StartupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
