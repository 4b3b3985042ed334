#include "ItemDialogButtons.h"

#include "ContextHelp.h"
#include "VesmarinResource.h"

bool HandleItemDialogButton(HWND dialog, int commandId, void (*confirm)(HWND dialog),
                            int helpDialogId, INT_PTR cancelResult) {
  switch (commandId) {
    case IDOK:
      confirm(dialog);
      return true;
    case IDCANCEL:
      EndDialog(dialog, cancelResult);
      return true;
    case IDC_ITEM_HELP:
      if (!helpDialogId) return false;
      ShowContextHelp(helpDialogId);
      return true;
    default:
      return false;
  }
}
