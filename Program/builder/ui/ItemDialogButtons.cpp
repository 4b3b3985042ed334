#include "ItemDialogButtons.h"

#include "ContextHelp.h"
#include "VesmarinResource.h"

bool HandleItemDialogButton(HWND dialog, int commandId, void (*confirm)(HWND dialog),
                            int helpDialogId) {
  switch (commandId) {
    case IDOK:
      confirm(dialog);
      return true;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return true;
    case IDC_ITEM_HELP:
      if (!helpDialogId) return false;
      ShowContextHelp(helpDialogId);
      return true;
    default:
      return false;
  }
}
