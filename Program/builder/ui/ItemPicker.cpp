#include "ItemPicker.h"

#include <cwchar>
#include <string>

#include "ArchiveHandle.h"
#include "BuilderState.h"
#include "CabDecoder.h"
#include "ItemDialogButtons.h"
#include "PathPieces.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

const int kTextCapacity = 260;

struct PickerState {
  wchar_t archive[kTextCapacity];
  wchar_t filterExtension[kTextCapacity];
  int filterOnAtStart;
  int filterOn;
  int mode;
  wchar_t picked[kTextCapacity];
};

PickerState g_picker;

const wchar_t kRootEntry[] = L"\\";

HINSTANCE Instance() {
  return g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
}

void AddUnique(HWND list, const wchar_t* entry) {
  if (SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(entry)) == LB_ERR)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
}

// The folders of one item: every enclosing folder from the nearest
// upwards, then the item's own folder (the root entry for an item at the
// top, except in mode 2).
void AddFolders(HWND list, const wchar_t* name, int mode) {
  wchar_t folder[kTextCapacity] = {};
  if (!GetFolderPart(name, folder, kTextCapacity)) return;
  if (!folder[0]) {
    if (mode == kPickFoldersWithRoot) AddUnique(list, kRootEntry);
    return;
  }
  std::wstring enclosing = folder;
  for (;;) {
    enclosing.pop_back();  // the trailing backslash
    const size_t slash = enclosing.rfind(L'\\');
    if (slash == std::wstring::npos) break;
    enclosing.resize(slash + 1);
    AddUnique(list, enclosing.c_str());
  }
  AddUnique(list, folder);
}

bool PassesFilter(const wchar_t* name) {
  if (!g_picker.filterExtension[0] || !g_picker.filterOn) return true;
  const wchar_t* extension = FindFileExtension(name);
  return extension && _wcsicmp(extension, g_picker.filterExtension) == 0;
}

void ShowCount(HWND dialog, int count) {
  const std::wstring text = LoadResFormatted(
      Instance(), count == 1 ? IDS_PICKER_ONE_ITEM : IDS_PICKER_ITEMS, nullptr, &count);
  SetDlgItemTextW(dialog, IDC_PICKER_COUNT, text.c_str());
}

BOOL Initialize(HWND dialog, int mode) {
  g_picker.mode = mode;
  g_picker.filterOn = g_picker.filterOnAtStart;
  if (g_picker.filterExtension[0]) {
    const std::wstring label =
        LoadResFormatted(Instance(), IDS_PICKER_FILTER, g_picker.filterExtension, nullptr);
    SetDlgItemTextW(dialog, IDC_PICKER_FILTER, label.c_str());
  } else {
    ShowWindow(GetDlgItem(dialog, IDC_PICKER_FILTER), SW_HIDE);
  }
  if (!FillPickerList(dialog, mode)) return TRUE;
  CheckDlgButton(dialog, IDC_PICKER_FILTER, g_picker.filterOn ? BST_CHECKED : BST_UNCHECKED);
  CenterDialogOnParent(dialog);
  return TRUE;
}

void Confirm(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_PICKER_LIST);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
  if (length == LB_ERR || length >= kTextCapacity) return;
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(selected),
               reinterpret_cast<LPARAM>(g_picker.picked));
  EndDialog(dialog, 1);
}

}  // namespace

bool IsPickableItemName(const wchar_t* name) {
  if (!IsSafeArchiveItemName(name)) return false;
  for (const wchar_t* c = name; *c; ++c)
    if (*c < 0x20 || wcschr(L"*?\"<>|/", *c)) return false;
  const wchar_t* file = FindFileNamePart(name);
  return file && *file;
}

void SetPickerArchive(const wchar_t* path) {
  lstrcpynW(g_picker.archive, path ? path : L"", kTextCapacity);
}

void SetPickerFilter(const wchar_t* extension, int on) {
  g_picker.filterOnAtStart = on;
  lstrcpynW(g_picker.filterExtension, extension ? extension : L"", kTextCapacity);
}

const wchar_t* GetPickedItem() { return g_picker.picked; }

bool FillPickerList(HWND dialog, int mode) {
  SetDlgItemTextW(dialog, IDC_PICKER_ARCHIVE, g_picker.archive);
  int code = kResultSuccess;
  ScopedArchive archive(OpenArchive(g_picker.archive, &code));
  if (!archive) {
    const std::wstring text = GetResultMessage(code);
    MessageBoxW(dialog, text.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
    EndDialog(dialog, 0);
    return false;
  }
  HWND list = GetDlgItem(dialog, IDC_PICKER_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);

  ArchiveItem item;
  if (!g_picker.filterOn && (mode == kPickFoldersWithRoot || mode == kPickFoldersNoRoot)) {
    for (int more = FindFirstArchiveItem(archive.get(), &item); more;
         more = FindNextArchiveItem(archive.get(), &item))
      if (IsPickableItemName(item.name)) AddFolders(list, item.name, mode);
  }
  int count = 0;
  for (int more = FindFirstArchiveItem(archive.get(), &item); more;
       more = FindNextArchiveItem(archive.get(), &item)) {
    if (!IsPickableItemName(item.name) || !PassesFilter(item.name)) continue;
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name));
    ++count;
  }
  ShowCount(dialog, count);
  return true;
}

INT_PTR CALLBACK ItemPickerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Initialize(dialog, static_cast<int>(lParam));
    case WM_COMMAND:
      if (HandleItemDialogButton(dialog, LOWORD(wParam), Confirm, 0)) return TRUE;
      switch (LOWORD(wParam)) {
        case IDC_PICKER_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
          if (HIWORD(wParam) == LBN_DBLCLK) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
          return TRUE;
        case IDC_PICKER_FILTER:
          if (HIWORD(wParam) == BN_CLICKED) {
            g_picker.filterOn = IsDlgButtonChecked(dialog, IDC_PICKER_FILTER) == BST_CHECKED;
            FillPickerList(dialog, g_picker.mode);
          }
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR RunItemPicker(HWND owner, int mode) {
  return DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_ITEM_PICKER), owner,
                         ItemPickerDialogProc, mode);
}
