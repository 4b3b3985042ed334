#include "SheetPage.h"

#include "ContextHelp.h"

namespace {

bool g_sheetFaulted = false;

struct PageWindow {
  int dialogId;
  HWND window;
};
PageWindow g_pageWindows[16] = {};

void RecordPageWindow(int dialogId, HWND window) {
  PageWindow* slot = nullptr;
  for (PageWindow& entry : g_pageWindows) {
    if (entry.dialogId == dialogId) {
      slot = &entry;
      break;
    }
    if (!slot && !entry.dialogId) slot = &entry;
  }
  if (slot) *slot = {dialogId, window};
}

void Answer(HWND page, LONG_PTR result) { SetWindowLongPtrW(page, DWLP_MSGRESULT, result); }

INT_PTR HandleNotify(const SheetPageHooks& hooks, HWND page, NMHDR* header) {
  switch (header->code) {
    case PSN_SETACTIVE:
      if (hooks.toControls) hooks.toControls(page);
      Answer(page, 0);
      return TRUE;
    case PSN_KILLACTIVE:
      if (hooks.validate && !hooks.validate(page)) {
        Answer(page, TRUE);
        return TRUE;
      }
      if (hooks.store) hooks.store(page);
      Answer(page, FALSE);
      return TRUE;
    case PSN_APPLY:
      if (hooks.apply)
        hooks.apply(page);
      else if (hooks.store)
        hooks.store(page);
      Answer(page, PSNRET_NOERROR);
      return TRUE;
    case PSN_QUERYCANCEL:
      Answer(page, FALSE);
      return TRUE;
    case PSN_HELP:
      ShowContextHelp(hooks.dialogId);
      return TRUE;
    default: {
      INT_PTR result = 0;
      if (hooks.notify && hooks.notify(page, header, &result)) {
        Answer(page, result);
        return TRUE;
      }
      return FALSE;
    }
  }
}

INT_PTR Dispatch(const SheetPageHooks& hooks, HWND page, UINT message, WPARAM wParam,
                 LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      RecordPageWindow(hooks.dialogId, page);
      if (hooks.init) hooks.init(page);
      return TRUE;
    case WM_NOTIFY:
      return HandleNotify(hooks, page, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
      return hooks.command && hooks.command(page, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
      if (SheetPageWindow(hooks.dialogId) == page) RecordPageWindow(hooks.dialogId, nullptr);
      if (hooks.destroy) hooks.destroy(page);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR RunSheetPage(const SheetPageHooks& hooks, HWND page, UINT message, WPARAM wParam,
                     LPARAM lParam) {
  try {
    return Dispatch(hooks, page, message, wParam, lParam);
  } catch (...) {
    NoteSheetFault(page);
    return FALSE;
  }
}

HWND SheetPageWindow(int dialogId) {
  for (const PageWindow& entry : g_pageWindows)
    if (entry.dialogId == dialogId && entry.window && IsWindow(entry.window)) return entry.window;
  return nullptr;
}

void NoteSheetFault(HWND windowInSheet) {
  g_sheetFaulted = true;
  // The sheet is the top-level window above the page or dialog; cancelling
  // it hands the decision to ShowDetailedSettings.
  HWND sheet = windowInSheet ? GetAncestor(windowInSheet, GA_ROOT) : nullptr;
  if (sheet) PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

bool TakeSheetFault() {
  const bool faulted = g_sheetFaulted;
  g_sheetFaulted = false;
  return faulted;
}
