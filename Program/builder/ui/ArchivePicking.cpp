#include "ArchivePicking.h"

#include <cwchar>

#include "ArchiveHandle.h"
#include "BuilderState.h"
#include "ItemPicker.h"
#include "PackedBitmap.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

enum class BitmapCheck { Good, NotExtracted, NotBitmap };

BitmapCheck CheckArchiveBitmap(const wchar_t* archive, const wchar_t* item, HBITMAP* bitmap) {
  *bitmap = nullptr;
  HGLOBAL block = ExtractArchiveItemToMemory(archive, item);
  if (!block) return BitmapCheck::NotExtracted;
  *bitmap = vesmarin::CreateBitmapFromGlobalBmp(block);
  GlobalFree(block);
  return *bitmap ? BitmapCheck::Good : BitmapCheck::NotBitmap;
}

}  // namespace

bool PickArchiveItem(HWND page, const wchar_t* extension, bool filterOn, int mode,
                     wchar_t* picked) {
  SetPickerArchive(g_SfxSettings.SrcArchiveFile);
  SetPickerFilter(extension, filterOn ? 1 : 0);
  if (RunItemPicker(page, mode) != 1) return false;
  wcsncpy(picked, GetPickedItem(), MAX_PATH - 1);
  picked[MAX_PATH - 1] = L'\0';
  return true;
}

bool PickArchiveItemInto(HWND window, int editId, const wchar_t* extension, bool filterOn,
                         int mode) {
  wchar_t picked[MAX_PATH] = {};
  if (!PickArchiveItem(window, extension, filterOn, mode, picked)) return false;
  SetDlgItemTextW(window, editId, picked);
  return true;
}

HBITMAP LoadArchiveBitmap(const wchar_t* archive, const wchar_t* item) {
  if (!archive[0] || !item[0]) return nullptr;
  HBITMAP bitmap = nullptr;
  CheckArchiveBitmap(archive, item, &bitmap);
  return bitmap;
}

bool PickArchiveBitmapInto(HWND page, int editId) {
  wchar_t picked[MAX_PATH] = {};
  if (!PickArchiveItem(page, L".bmp", true, 0, picked)) return false;
  HBITMAP bitmap = nullptr;
  switch (CheckArchiveBitmap(g_SfxSettings.SrcArchiveFile, picked, &bitmap)) {
    case BitmapCheck::NotExtracted:
      ShowPageWarning(page, IDS_BITMAP_EXTRACT_FAILED);
      return false;
    case BitmapCheck::NotBitmap:
      ShowPageWarning(page, IDS_NOT_A_BITMAP);
      return false;
    case BitmapCheck::Good:
      break;
  }
  DeleteObject(bitmap);
  SetDlgItemTextW(page, editId, picked);
  return true;
}
