#include "BarePages.h"

#include "SheetPage.h"
#include "VesmarinResource.h"

#define BARE_PAGE(name, dialogId)                                                    \
  INT_PTR CALLBACK name(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {     \
    static const SheetPageHooks hooks = {dialogId, nullptr, nullptr, nullptr,        \
                                         nullptr,  nullptr, nullptr, nullptr};       \
    return RunSheetPage(hooks, page, message, wParam, lParam);                       \
  }

BARE_PAGE(ShortcutPageProc, IDD_PAGE_SHORTCUT)
