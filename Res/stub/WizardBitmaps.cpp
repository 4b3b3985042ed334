#include "WizardBitmaps.h"

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "PackedBitmap.h"
#include "ScopedHandles.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "WizardCommon.h"

namespace stub {

namespace {

HBITMAP LoadArchiveBitmap(const wchar_t* name) {
  if (!g_Archive || !g_Archive->Decoder || !name || !*name) return nullptr;
  DWORD size = 0;
  vesmarin::ScopedGlobal block(g_Archive->Decoder->ExtractToMemory(name, &size));
  if (!block) return nullptr;
  HBITMAP bitmap = nullptr;
  const void* bytes = GlobalLock(block.get());
  if (bytes) {
    bitmap = vesmarin::CreateBitmapFromBmpBlock(bytes, size);
    GlobalUnlock(block.get());
  }
  return bitmap;
}

}  // namespace

void LoadWizardPanelBitmaps() {
  if (!g_Settings) return;
  const StubSettings& s = *g_Settings;
  if ((s.FlagsA & SfxFlagsA::UsePanelBitmap) && !g_ClassicPanelBitmap)
    g_ClassicPanelBitmap = LoadArchiveBitmap(s.PanelBitmap);
  if ((s.FlagsA & SfxFlagsA::UseNewWizard) && (s.FlagsA & SfxFlagsA::UseWiz97PanelBitmap) &&
      !g_Wiz97PanelBitmap)
    g_Wiz97PanelBitmap = LoadArchiveBitmap(s.Wiz97PanelBitmap);
}

}  // namespace stub
