#include "BuilderState.h"

#include <commctrl.h>
#include <objbase.h>

#include "CheckListBox.h"
#include "ColorPicker.h"
#include "SpinEdit.h"

// COM, the common controls and the builder's own controls: what the
// windows need and a batch build does not.
bool PrepareWindows(HINSTANCE instance) {
  try {
    CoInitialize(nullptr);
    InitCommonControls();
    // Placed by class name in dialog templates.
    RegisterCheckListBoxClass(instance);
    RegisterColorPickerClass(instance);
    RegisterSpinEditClass(instance);
  } catch (...) {
    return false;
  }
  return true;
}
