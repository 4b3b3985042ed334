#include "IconPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "FileDialogFields.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "VisualStyles.h"

namespace {

const int kCustomType = 4;

struct IconRow {
  UINT nameId;
  int iconId;
  const wchar_t* typeText;
};
const IconRow kRows[] = {
    {IDS_ICON_BLUE, IDI_SET_BLUE, L"blue"},       {IDS_ICON_GREEN, IDI_SET_GREEN, L"green"},
    {IDS_ICON_YELLOW, IDI_SET_YELLOW, L"yellow"}, {IDS_ICON_RED, IDI_SET_RED, L"red"},
    {IDS_ICON_CUSTOM, IDI_SET_CUSTOM, L"custom"},
};
const int kRowCount = sizeof kRows / sizeof kRows[0];

// The chosen item, kept for the life of the process.
int g_currentType = 0;

HICON CopyOfResourceIcon(int iconId) {
  HICON icon = LoadIconW(g_UiState.Instance, MAKEINTRESOURCEW(iconId));
  return icon ? CopyIcon(icon) : nullptr;
}

void SetPreview(HWND page, HICON icon) {
  HWND preview = GetDlgItem(page, IDC_ICONPAGE_PREVIEW);
  HICON old = reinterpret_cast<HICON>(SendMessageW(preview, STM_GETICON, 0, 0));
  if (old) DestroyIcon(old);
  SendMessageW(preview, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void RefreshPreview(HWND page) {
  HICON icon = nullptr;
  if (g_currentType >= 1 && g_currentType <= 3) {
    icon = CopyOfResourceIcon(kRows[g_currentType].iconId);
  } else if (g_currentType == kCustomType) {
    wchar_t file[MAX_PATH] = {};
    ReadWindowText(GetDlgItem(page, IDC_ICONPAGE_FILE_EDIT), file, MAX_PATH);
    if (file[0])
      icon = static_cast<HICON>(
          LoadImageW(nullptr, file, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_LOADFROMFILE));
  } else {
    icon = CopyOfResourceIcon(IDI_SET_BLUE);
  }
  SetPreview(page, icon);
}

void SelectItem(HWND page, int index) {
  HWND list = GetDlgItem(page, IDC_ICONPAGE_LIST);
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void Update(HWND page) {
  SelectItem(page, g_currentType);
  EnableControls(page, {IDC_ICONPAGE_FILE_LABEL, IDC_ICONPAGE_FILE_EDIT, IDC_ICONPAGE_BROWSE},
                 g_currentType == kCustomType);
  RefreshPreview(page);
}

void Init(HWND page) {
  SetPreview(page, CopyOfResourceIcon(IDI_SET_BLUE));
  HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1);
  for (const IconRow& row : kRows) {
    HICON icon = static_cast<HICON>(
        LoadImageW(g_UiState.Instance, MAKEINTRESOURCEW(row.iconId), IMAGE_ICON, 32, 32, 0));
    ImageList_AddIcon(images, icon);
    if (icon) DestroyIcon(icon);
  }
  HWND list = GetDlgItem(page, IDC_ICONPAGE_LIST);
  visualstyles::ApplyWindowTheme(list, L"explorer", nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
  // The list owns the image list (it is destroyed with the list).
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  for (int i = 0; i < kRowCount; ++i) {
    std::wstring name = LoadResString(kRows[i].nameId);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = i;
    item.iImage = i;
    item.pszText = &name[0];
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  g_currentType = 0;
  SelectItem(page, 0);
  LimitEdit(page, IDC_ICONPAGE_FILE_EDIT, 259);
  RefreshPreview(page);
}

void ToControls(HWND page) {
  SetDlgItemTextW(page, IDC_ICONPAGE_FILE_EDIT, g_SfxSettings.IconFile);
  g_currentType = 0;
  for (int i = 1; i < kRowCount; ++i)
    if (g_SfxSettings.IconType == kRows[i].typeText) g_currentType = i;
  Update(page);
}

bool Validate(HWND page) {
  if (g_currentType == kCustomType &&
      GetWindowTextLengthW(GetDlgItem(page, IDC_ICONPAGE_FILE_EDIT)) == 0) {
    ShowPageWarning(page, IDS_CUSTOM_ICON_NEEDED);
    return false;
  }
  return true;
}

void Store(HWND page) {
  ReadWindowText(GetDlgItem(page, IDC_ICONPAGE_FILE_EDIT), g_SfxSettings.IconFile, MAX_PATH);
  const int type = g_currentType >= 0 && g_currentType < kRowCount ? g_currentType : 0;
  g_SfxSettings.IconType = kRows[type].typeText;
}

void BrowseIcon(HWND page) {
  std::wstring filter = LoadFilterString(IDS_ICON_FILTER);
  std::wstring title = FillPlaceholders(LoadResString(IDS_ICON_TITLE), kBuilderCaption, nullptr);
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW dialog =
      FileDialogFor(page, filter, title.c_str(), file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  dialog.lpstrInitialDir = g_UiState.IcoCurrent;
  if (!GetOpenFileNameW(&dialog)) return;
  SetDlgItemTextW(page, IDC_ICONPAGE_FILE_EDIT, file);
  GetCurrentDirectoryW(MAX_PATH, g_UiState.IcoCurrent);
  RefreshPreview(page);
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_ICONPAGE_BROWSE:
      if (code == BN_CLICKED) BrowseIcon(page);
      return true;
    case IDC_ICONPAGE_FILE_EDIT:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, true);
      return true;
    default:
      return false;
  }
}

bool Notify(HWND page, NMHDR* header, INT_PTR*) {
  if (header->idFrom != IDC_ICONPAGE_LIST || header->code != LVN_ITEMCHANGED) return false;
  const int selected = static_cast<int>(
      SendMessageW(header->hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected >= 0 && selected != g_currentType) {
    g_currentType = selected;
    Update(page);
  }
  return true;
}

void Destroy(HWND page) { SetPreview(page, nullptr); }

const SheetPageHooks kHooks = {IDD_PAGE_ICON, Init,    ToControls, Validate,
                               Store,         Command, Notify,     Destroy};

}  // namespace

INT_PTR CALLBACK IconPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
