#include "PackedBitmap.h"

#include <cstdint>
#include <cstring>

namespace vesmarin {

namespace {

const uint64_t kFileHeaderSize = 14;
const uint64_t kInfoHeaderSize = 40;
const uint64_t kMaxSide = 0x10000;

}  // namespace

bool CheckPackedBitmap(const void* block, size_t size, size_t* bitsOffset) {
  const uint8_t* bytes = static_cast<const uint8_t*>(block);
  if (!bytes || size < kFileHeaderSize + kInfoHeaderSize) return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  uint32_t declaredOffset;
  memcpy(&declaredOffset, bytes + 10, sizeof(declaredOffset));
  BITMAPINFOHEADER info;
  memcpy(&info, bytes + kFileHeaderSize, sizeof(info));
  if (info.biSize < kInfoHeaderSize || info.biSize > size - kFileHeaderSize) return false;
  if (info.biWidth <= 0 || info.biHeight == 0 || info.biPlanes != 1) return false;
  const unsigned depth = info.biBitCount;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
    return false;
  uint64_t masks = 0;
  if (info.biCompression == BI_BITFIELDS) {
    if (depth != 16 && depth != 32) return false;
    // A 40-byte header is followed by the three masks; longer headers hold them.
    if (info.biSize == kInfoHeaderSize) masks = 12;
  } else if (info.biCompression != BI_RGB) {
    return false;
  }
  uint64_t colours = info.biClrUsed;
  if (colours == 0 && depth <= 8) colours = 1u << depth;
  if (colours > 256) return false;
  const uint64_t width = static_cast<uint64_t>(info.biWidth);
  const uint64_t height =
      info.biHeight < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(info.biHeight))
                        : static_cast<uint64_t>(info.biHeight);
  if (width > kMaxSide || height > kMaxSide) return false;
  const uint64_t stride = ((width * depth + 31) / 32) * 4;
  const uint64_t pixels = stride * height;
  const uint64_t tableEnd = kFileHeaderSize + info.biSize + masks + 4 * colours;
  if (tableEnd > size) return false;
  uint64_t offset = tableEnd;
  if (declaredOffset >= tableEnd && declaredOffset <= size && pixels <= size - declaredOffset)
    offset = declaredOffset;
  if (pixels > size - offset) return false;
  if (bitsOffset) *bitsOffset = static_cast<size_t>(offset);
  return true;
}

HBITMAP CreateBitmapFromBmpBlock(const void* block, size_t size) {
  size_t offset = 0;
  if (!CheckPackedBitmap(block, size, &offset)) return nullptr;
  const uint8_t* bytes = static_cast<const uint8_t*>(block);
  const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(bytes + kFileHeaderSize);
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP bitmap =
      CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bytes + offset, info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HBITMAP CreateBitmapFromGlobalBmp(HGLOBAL block) {
  if (!block) return nullptr;
  const void* bytes = GlobalLock(block);
  if (!bytes) return nullptr;
  HBITMAP bitmap = CreateBitmapFromBmpBlock(bytes, GlobalSize(block));
  GlobalUnlock(block);
  return bitmap;
}

}  // namespace vesmarin
