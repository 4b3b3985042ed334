// The panel bitmaps that the package carries in its archive for the wizard.
#pragma once
#include <windows.h>

namespace stub {

// Loads the classic panel bitmap (UsePanelBitmap) and, for the new-style
// wizard, its panel bitmap (UseWiz97PanelBitmap) from the archive into
// g_ClassicPanelBitmap and g_Wiz97PanelBitmap; what cannot be loaded stays
// null and the built-in bitmaps are used.
void LoadWizardPanelBitmaps();

}  // namespace stub
