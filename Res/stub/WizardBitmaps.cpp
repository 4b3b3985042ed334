#include "WizardBitmaps.h"

#include <cstdint>
#include <cstring>

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "ScopedHandles.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "WizardState.h"

namespace stub {

namespace {

const size_t kFileHeaderSize = sizeof(BITMAPFILEHEADER);  // 14

HBITMAP LoadArchiveBitmap(const wchar_t* name) {
  if (!g_Archive || !g_Archive->Decoder || !name || !*name) return nullptr;
  DWORD size = 0;
  vesmarin::ScopedGlobal block(g_Archive->Decoder->ExtractToMemory(name, &size));
  if (!block) return nullptr;
  HBITMAP bitmap = nullptr;
  const void* bytes = GlobalLock(block.get());
  if (bytes) {
    bitmap = LoadBitmapFromMemory(bytes, size);
    GlobalUnlock(block.get());
  }
  return bitmap;
}

}  // namespace

bool CheckBitmapBlock(const void* block, size_t size, size_t* bitsOffset) {
  const uint8_t* bytes = static_cast<const uint8_t*>(block);
  if (!bytes || size < kFileHeaderSize + sizeof(BITMAPINFOHEADER)) return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  BITMAPINFOHEADER info;
  memcpy(&info, bytes + kFileHeaderSize, sizeof(info));
  if (info.biSize < sizeof(BITMAPINFOHEADER) || info.biSize > size - kFileHeaderSize) return false;
  if (info.biWidth <= 0 || info.biHeight == 0 || info.biPlanes != 1) return false;
  if (info.biBitCount != 1 && info.biBitCount != 4 && info.biBitCount != 8 &&
      info.biBitCount != 16 && info.biBitCount != 24 && info.biBitCount != 32)
    return false;
  if (info.biCompression != BI_RGB) return false;
  uint64_t colours = info.biClrUsed;
  if (colours == 0 && info.biBitCount <= 8) colours = 1u << info.biBitCount;
  if (colours > 256) return false;
  const uint64_t height = info.biHeight < 0 ? -static_cast<int64_t>(info.biHeight) : info.biHeight;
  const uint64_t stride = ((static_cast<uint64_t>(info.biWidth) * info.biBitCount + 31) / 32) * 4;
  const uint64_t offset = kFileHeaderSize + info.biSize + 4 * colours;
  if (height > 0x10000 || info.biWidth > 0x10000) return false;
  if (offset + stride * height > size) return false;
  if (bitsOffset) *bitsOffset = static_cast<size_t>(offset);
  return true;
}

HBITMAP LoadBitmapFromMemory(const void* block, size_t size) {
  size_t offset = 0;
  if (!CheckBitmapBlock(block, size, &offset)) return nullptr;
  const uint8_t* bytes = static_cast<const uint8_t*>(block);
  const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(bytes + kFileHeaderSize);
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP bitmap =
      CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bytes + offset, info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

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
