#include "CopiesAndServersPage.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "BuilderState.h"
#include "ComServerDialog.h"
#include "ExtraCopyDialog.h"
#include "ResultCodes.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "VisualStyles.h"

namespace {

const int kMaxComServers = 32;

// The page's copy of ExtraCopy, taken when the page is created and given
// back at OK.
std::vector<ExtraCopyItem> g_extraCopies;

HWND CopyList(HWND page) { return GetDlgItem(page, IDC_SPECIAL_COPY_LIST); }
HWND ComList(HWND page) { return GetDlgItem(page, IDC_SPECIAL_COM_LIST); }

void SetRowText(HWND list, int row, int column, const wchar_t* text) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text);
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void WriteRow(HWND list, int row, const ExtraCopyItem& copy) {
  const int base = copy.BaseFolder < 0 ? 0 : (copy.BaseFolder > 15 ? 15 : copy.BaseFolder);
  std::wstring baseName = LoadResString(IDS_BASE_FOLDER_PROGRAM_FILES + base);
  SetRowText(list, row, 0, copy.FileName);
  SetRowText(list, row, 1, baseName.c_str());
  SetRowText(list, row, 2, copy.ExtractFolder);
}

void AppendRow(HWND list, const ExtraCopyItem& copy) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<wchar_t*>(L"");
  const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row >= 0) WriteRow(list, row, copy);
}

int SelectedRow(HWND page) {
  return static_cast<int>(SendMessageW(CopyList(page), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void EnableCopyButtons(HWND page, bool enabled) {
  EnableControls(page, {IDC_SPECIAL_COPY_DELETE, IDC_SPECIAL_COPY_EDIT}, enabled);
}

void EnableComButtons(HWND page) {
  const bool selected = SendMessageW(ComList(page), LB_GETCURSEL, 0, 0) != LB_ERR;
  EnableControls(page, {IDC_SPECIAL_COM_DELETE, IDC_SPECIAL_COM_EDIT}, selected);
}

void Init(HWND page) {
  EnableControls(page,
                 {IDC_SPECIAL_COM_DELETE, IDC_SPECIAL_COM_EDIT, IDC_SPECIAL_COPY_DELETE,
                  IDC_SPECIAL_COPY_EDIT},
                 false);
  g_extraCopies = g_SfxSettings.ExtraCopy;
  HWND list = CopyList(page);
  const UINT titles[] = {IDS_COLUMN_ITEM_NAME, IDS_COLUMN_BASE_FOLDER, IDS_COLUMN_RELATIVE_PATH};
  const int widths[] = {80, 100, 80};
  for (int i = 0; i < 3; ++i) {
    std::wstring title = LoadResString(titles[i]);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = widths[i];
    column.pszText = &title[0];
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  visualstyles::ApplyWindowTheme(list, L"explorer", nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
}

void ToControls(HWND page) {
  EnableControls(page,
                 {IDC_SPECIAL_COM_GROUP, IDC_SPECIAL_COM_LABEL, IDC_SPECIAL_COM_LIST,
                  IDC_SPECIAL_COM_ADD, IDC_SPECIAL_COM_DELETE, IDC_SPECIAL_COM_EDIT},
                 true);
  HWND list = CopyList(page);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (const ExtraCopyItem& copy : g_extraCopies) AppendRow(list, copy);
  HWND coms = ComList(page);
  SendMessageW(coms, LB_RESETCONTENT, 0, 0);
  for (const RegComSvrItem& server : g_SfxSettings.RegComSvr) {
    const LRESULT index = SendMessageW(coms, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(server.FileName));
    if (index >= 0) SendMessageW(coms, LB_SETITEMDATA, static_cast<WPARAM>(index), server.Uninstall ? 1 : 0);
  }
  EnableComButtons(page);
}

// Leaving the page: the list box is the list of files to register.
bool StoreComServers(HWND page) {
  HWND coms = ComList(page);
  std::vector<RegComSvrItem> servers;
  const int count = static_cast<int>(SendMessageW(coms, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RegComSvrItem server = {};
    const LRESULT length = SendMessageW(coms, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length >= 0 && length < MAX_PATH)
      SendMessageW(coms, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(server.FileName));
    server.Uninstall = SendMessageW(coms, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) != 0;
    servers.push_back(server);
  }
  g_SfxSettings.RegComSvr = servers;
  return true;
}

// OK: the items extracted elsewhere reach the record only now.
void Apply(HWND) { g_SfxSettings.ExtraCopy = g_extraCopies; }

void AddCopy(HWND page) {
  ExtraCopyItem copy = {};
  if (EditExtraCopyItem(page, &copy) != IDOK) return;
  g_extraCopies.push_back(copy);
  AppendRow(CopyList(page), copy);
}

void DeleteCopy(HWND page) {
  const int row = SelectedRow(page);
  if (row < 0 || row >= static_cast<int>(g_extraCopies.size())) return;
  SendMessageW(CopyList(page), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  g_extraCopies.erase(g_extraCopies.begin() + row);
}

void EditCopy(HWND page) {
  const int row = SelectedRow(page);
  if (row < 0 || row >= static_cast<int>(g_extraCopies.size())) return;
  if (EditExtraCopyItem(page, &g_extraCopies[static_cast<size_t>(row)]) == IDOK)
    WriteRow(CopyList(page), row, g_extraCopies[static_cast<size_t>(row)]);
  EnableCopyButtons(page, true);
}

void PutComServer(HWND page, int index, const RegComSvrItem& server, bool replace) {
  HWND coms = ComList(page);
  if (replace) SendMessageW(coms, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  const LRESULT at = SendMessageW(coms, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(server.FileName));
  if (at < 0) return;
  SendMessageW(coms, LB_SETITEMDATA, static_cast<WPARAM>(at), server.Uninstall ? 1 : 0);
  if (replace) SendMessageW(coms, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

void AddComServer(HWND page) {
  const int count = static_cast<int>(SendMessageW(ComList(page), LB_GETCOUNT, 0, 0));
  if (count >= kMaxComServers) {
    ShowPageWarning(page, IDS_COM_SERVER_LIMIT);
    return;
  }
  RegComSvrItem server = {};
  if (EditComServerItem(page, &server) == IDOK) PutComServer(page, -1, server, false);
}

void DeleteComServer(HWND page) {
  const LRESULT index = SendMessageW(ComList(page), LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) {
    MessageBeep(0);
    return;
  }
  SendMessageW(ComList(page), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  EnableControls(page, {IDC_SPECIAL_COM_DELETE, IDC_SPECIAL_COM_EDIT}, false);
}

void EditComServer(HWND page) {
  HWND coms = ComList(page);
  const LRESULT index = SendMessageW(coms, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) {
    MessageBeep(0);
    return;
  }
  RegComSvrItem server = {};
  const LRESULT length = SendMessageW(coms, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length >= 0 && length < MAX_PATH)
    SendMessageW(coms, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(server.FileName));
  server.Uninstall = SendMessageW(coms, LB_GETITEMDATA, static_cast<WPARAM>(index), 0) != 0;
  if (EditComServerItem(page, &server) == IDOK) PutComServer(page, static_cast<int>(index), server, true);
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_SPECIAL_COPY_ADD:
      if (code == BN_CLICKED) AddCopy(page);
      return true;
    case IDC_SPECIAL_COPY_DELETE:
      if (code == BN_CLICKED) DeleteCopy(page);
      return true;
    case IDC_SPECIAL_COPY_EDIT:
      if (code == BN_CLICKED) EditCopy(page);
      return true;
    case IDC_SPECIAL_COM_LIST:
      if (code == LBN_SELCHANGE) EnableComButtons(page);
      if (code == LBN_DBLCLK) PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SPECIAL_COM_EDIT, BN_CLICKED), 0);
      return true;
    case IDC_SPECIAL_COM_ADD:
      if (code == BN_CLICKED) AddComServer(page);
      return true;
    case IDC_SPECIAL_COM_DELETE:
      if (code == BN_CLICKED) DeleteComServer(page);
      return true;
    case IDC_SPECIAL_COM_EDIT:
      if (code == BN_CLICKED) EditComServer(page);
      return true;
    default:
      return false;
  }
}

bool Notify(HWND page, NMHDR* header, INT_PTR*) {
  if (header->idFrom != IDC_SPECIAL_COPY_LIST) return false;
  if (header->code == LVN_ITEMCHANGED) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    EnableCopyButtons(page, change->iItem >= 0 && (change->uNewState & LVIS_SELECTED) != 0);
    return true;
  }
  if (header->code == NM_DBLCLK) {
    EditCopy(page);
    return true;
  }
  return false;
}

// Leaving stores the files to register (no check); OK the copies.
const SheetPageHooks kHooks = {IDD_PAGE_SPECIAL, Init,    ToControls, StoreComServers, nullptr,
                               Command,          Notify,  nullptr,    Apply};

}  // namespace

INT_PTR CALLBACK SpecialPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
