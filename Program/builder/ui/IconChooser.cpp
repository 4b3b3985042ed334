#include "IconChooser.h"

#include <shellapi.h>

#include <vector>

#include "ArchiveHandle.h"
#include "BuilderState.h"
#include "FileIO.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "ScopedHandles.h"
#include "VesmarinResource.h"

namespace {

const int kCellSize = 40;
const int kIconOffset = 4;
// More icons than any file the chooser is meant for holds.
const int kMaxIcons = 4096;

HINSTANCE Instance() {
  return g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
}

INT_PTR Fail(HWND dialog, UINT id) {
  ShowResMessage(dialog, Instance(), id, kBuilderCaption, MB_OK | MB_ICONERROR);
  EndDialog(dialog, -1);
  return TRUE;
}

// Copies the item out of the archive into a temporary file, reads its
// icons into the list, and deletes the file again.
BOOL Initialize(HWND dialog, const wchar_t* item) {
  ShowWindow(GetDlgItem(dialog, IDC_ICON_BROWSE), SW_HIDE);
  SendDlgItemMessageW(dialog, IDC_ICON_FILE, EM_SETREADONLY, TRUE, 0);
  HWND list = GetDlgItem(dialog, IDC_ICON_LIST);
  SendMessageW(list, LB_SETCOLUMNWIDTH, kCellSize, 0);
  SendMessageW(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(kCellSize, 0));
  if (!item) return static_cast<BOOL>(Fail(dialog, IDS_ICON_UNKNOWN_ERROR));
  SendDlgItemMessageW(dialog, IDC_ICON_FILE, EM_LIMITTEXT, 259, 0);
  SetDlgItemTextW(dialog, IDC_ICON_FILE, item);

  vesmarin::ScopedTempFile temporary;
  if (!temporary.Make(L"qxi")) return static_cast<BOOL>(Fail(dialog, IDS_ICON_TEMP_FAILED));
  vesmarin::ScopedFile file(CreateFileW(temporary.path(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return static_cast<BOOL>(Fail(dialog, IDS_ICON_TEMP_FAILED));
  vesmarin::ScopedGlobal block(ExtractArchiveItemToMemory(g_SfxSettings.SrcArchiveFile, item));
  if (!block) return static_cast<BOOL>(Fail(dialog, IDS_ICON_EXTRACT_FAILED));
  const SIZE_T size = GlobalSize(block.get());
  const void* bytes = GlobalLock(block.get());
  const bool written = bytes && WriteAll(file.get(), bytes, size);
  if (bytes) GlobalUnlock(block.get());
  file.reset();
  if (!written) return static_cast<BOOL>(Fail(dialog, IDS_ICON_WRITE_FAILED));

  std::vector<HICON> icons(kMaxIcons);
  const int count = ExtractFileIcons(temporary.path(), icons.data(), kMaxIcons);
  if (count == 0) return static_cast<BOOL>(Fail(dialog, IDS_ICON_NOT_FOUND));
  for (int i = 0; i < count; ++i) {
    if (SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(icons[i])) < 0)
      DestroyIcon(icons[i]);
  }
  return TRUE;
}

void DrawIconItem(const DRAWITEMSTRUCT* draw) {
  if (draw->itemID == static_cast<UINT>(-1)) return;
  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  HDC dc = draw->hDC;
  FillRect(dc, &draw->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  if (selected) DrawFocusRect(dc, &draw->rcItem);
  HICON icon = reinterpret_cast<HICON>(draw->itemData);
  if (icon)
    DrawIcon(dc, draw->rcItem.left + kIconOffset, draw->rcItem.top + kIconOffset, icon);
}

void Confirm(HWND dialog) {
  const LRESULT selected = SendDlgItemMessageW(dialog, IDC_ICON_LIST, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) {
    MessageBeep(0);
    return;
  }
  EndDialog(dialog, selected);
}

}  // namespace

int ExtractFileIcons(const wchar_t* path, HICON* icons, int capacity) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const UINT_PTR reported =
      reinterpret_cast<UINT_PTR>(ExtractIconW(instance, path, static_cast<UINT>(-1)));
  int count = 0;
  for (UINT_PTR index = 0; index < reported && count < capacity; ++index) {
    HICON icon = ExtractIconW(instance, path, static_cast<UINT>(index));
    if (!icon || reinterpret_cast<UINT_PTR>(icon) == 1) break;
    icons[count++] = icon;
  }
  return count;
}

INT_PTR CALLBACK SelectIconDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Initialize(dialog, reinterpret_cast<const wchar_t*>(lParam));
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kCellSize;
      return TRUE;
    case WM_DRAWITEM:
      if (wParam == IDC_ICON_LIST) {
        DrawIconItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_DELETEITEM:
      if (wParam == IDC_ICON_LIST) {
        HICON icon = reinterpret_cast<HICON>(reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->itemData);
        if (icon) DestroyIcon(icon);
        return TRUE;
      }
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ICON_LIST:
          if (HIWORD(wParam) == LBN_DBLCLK) Confirm(dialog);
          return TRUE;
        case IDOK:
          Confirm(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, -1);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR RunIconChooser(HWND owner, const wchar_t* itemPath) {
  return DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_SELECT_ICON), owner,
                         SelectIconDialogProc, reinterpret_cast<LPARAM>(itemPath));
}
