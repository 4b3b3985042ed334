#include "PngDib.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const png_byte kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

// Everything the decoder allocates, so that the caller can free it after
// libpng jumps out of a read. Plain data only: nothing here has a
// destructor that a longjmp could skip.
struct PngJob {
  FILE* file;
  png_structp png;
  png_infop info;
  png_bytep pixels;  // decoded rows, one after the other
  png_bytepp rows;
  HGLOBAL block;
};

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct RgbQuad {
  png_byte blue, green, red, alpha;
};

// Writes the colour index of pixel x of an output row of 1, 4 or 8 bits.
void PutIndex(png_bytep row, png_uint_32 x, int bits, unsigned index) {
  if (bits == 8) {
    row[x] = static_cast<png_byte>(index);
  } else if (bits == 4) {
    const int shift = (x & 1) ? 0 : 4;
    row[x >> 1] = static_cast<png_byte>(row[x >> 1] | ((index & 0x0f) << shift));
  } else {
    row[x >> 3] = static_cast<png_byte>(row[x >> 3] | ((index & 1) << (7 - (x & 7))));
  }
}

// Decodes job->file into job->block. Keeps setjmp in a function that holds
// no C++ objects; every allocation is recorded in job for the caller.
int DecodeInto(PngJob* job) {
  job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, PngError, PngWarning);
  if (!job->png) return kPngBadData;
  job->info = png_create_info_struct(job->png);
  if (!job->info) return kPngBadData;
  if (setjmp(png_jmpbuf(job->png))) return kPngBadData;

  png_set_user_limits(job->png, kPngMaxSide, kPngMaxSide);
  png_set_chunk_cache_max(job->png, 64);
  png_set_chunk_malloc_max(job->png, 256 * 1024);
  png_init_io(job->png, job->file);
  png_read_info(job->png, job->info);

  const png_uint_32 width = png_get_image_width(job->png, job->info);
  const png_uint_32 height = png_get_image_height(job->png, job->info);
  const int colorType = png_get_color_type(job->png, job->info);
  const int depth = png_get_bit_depth(job->png, job->info);
  if (width == 0 || height == 0 || width > kPngMaxSide || height > kPngMaxSide) return kPngBadData;
  const bool hasTrns = png_get_valid(job->png, job->info, PNG_INFO_tRNS) != 0;

  // The colour table of indexed output: 256 entries, so that any index the
  // data holds finds an entry (those past the palette stay opaque black).
  RgbQuad table[256];
  for (int i = 0; i < 256; ++i) table[i] = {0, 0, 0, 255};
  unsigned tableSize = 0;
  int outBits = 0;
  bool indexed = false;      // rows hold one index byte per pixel
  unsigned greyScale = 1;    // factor from a grey sample to its table index

  if (depth == 16) png_set_strip_16(job->png);
  switch (colorType) {
    case PNG_COLOR_TYPE_RGB_ALPHA:
      if (depth != 8 && depth != 16) return kPngBadData;
      png_set_bgr(job->png);
      outBits = 32;
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      if (depth != 8 && depth != 16) return kPngBadData;
      png_set_gray_to_rgb(job->png);
      png_set_bgr(job->png);
      outBits = 32;
      break;
    case PNG_COLOR_TYPE_RGB:
      if (depth != 8 && depth != 16) return kPngBadData;
      png_set_bgr(job->png);
      if (hasTrns) {
        png_set_tRNS_to_alpha(job->png);
        outBits = 32;
      } else {
        outBits = 24;
      }
      break;
    case PNG_COLOR_TYPE_PALETTE: {
      if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return kPngBadData;
      png_colorp palette = nullptr;
      int count = 0;
      if (!png_get_PLTE(job->png, job->info, &palette, &count) || count < 1 || count > 256)
        return kPngBadData;
      for (int i = 0; i < count; ++i)
        table[i] = {palette[i].blue, palette[i].green, palette[i].red, 255};
      tableSize = static_cast<unsigned>(count);
      if (hasTrns) {
        png_bytep alpha = nullptr;
        int alphaCount = 0;
        if (png_get_tRNS(job->png, job->info, &alpha, &alphaCount, nullptr) && alpha)
          for (int i = 0; i < alphaCount && i < count; ++i) table[i].alpha = alpha[i];
      }
      if (depth < 8) png_set_packing(job->png);
      indexed = true;
      outBits = hasTrns ? 32 : (depth == 2 ? 8 : depth);
      // The data may name entries past the palette: the DIB's table holds
      // every index its depth can, those past the palette black.
      if (outBits <= 8) tableSize = 1u << outBits;
      break;
    }
    case PNG_COLOR_TYPE_GRAY: {
      if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return kPngBadData;
      const int levels = depth == 1 ? 2 : depth == 4 ? 16 : 256;
      const unsigned step = 255 / (levels - 1);
      for (int i = 0; i < levels; ++i) {
        const png_byte v = static_cast<png_byte>(i * step);
        table[i] = {v, v, v, 255};
      }
      tableSize = static_cast<unsigned>(levels);
      greyScale = depth == 2 ? 85 : 1;
      if (hasTrns) {
        png_color_16p trans = nullptr;
        if (png_get_tRNS(job->png, job->info, nullptr, nullptr, &trans) && trans) {
          unsigned level = trans->gray;
          if (depth == 16) level >>= 8;
          level *= greyScale;
          if (level < 256) table[level].alpha = 0;
        }
      }
      if (depth < 8) png_set_packing(job->png);
      indexed = true;
      outBits = hasTrns ? 32 : (depth == 2 || depth == 16 ? 8 : depth);
      break;
    }
    default:
      return kPngBadData;
  }
  png_set_interlace_handling(job->png);
  png_read_update_info(job->png, job->info);

  const size_t rowBytes = png_get_rowbytes(job->png, job->info);
  const uint64_t needRow = indexed ? width : static_cast<uint64_t>(width) * (outBits / 8);
  if (rowBytes < needRow || rowBytes > 8 * kPngMaxSide) return kPngBadData;
  job->pixels = static_cast<png_bytep>(malloc(rowBytes * height));
  job->rows = static_cast<png_bytepp>(malloc(sizeof(png_bytep) * height));
  if (!job->pixels || !job->rows) return kPngNoMemory;
  for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->pixels + rowBytes * y;
  png_read_image(job->png, job->rows);
  png_read_end(job->png, nullptr);

  const unsigned clrUsed = outBits <= 8 ? tableSize : 0;
  const uint64_t stride = (static_cast<uint64_t>(outBits) * width + 31) / 32 * 4;
  const uint64_t total = sizeof(BITMAPINFOHEADER) + 4ull * clrUsed + stride * height;
  job->block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total));
  if (!job->block) return kPngNoMemory;
  png_bytep out = static_cast<png_bytep>(GlobalLock(job->block));
  if (!out) return kPngNoMemory;
  BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(out);
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = static_cast<LONG>(width);
  header->biHeight = static_cast<LONG>(height);
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(outBits);
  header->biCompression = BI_RGB;
  header->biClrUsed = clrUsed;
  memcpy(out + sizeof(BITMAPINFOHEADER), table, 4 * clrUsed);
  png_bytep bits = out + sizeof(BITMAPINFOHEADER) + 4 * clrUsed;

  for (png_uint_32 y = 0; y < height; ++y) {
    const png_bytep source = job->rows[y];
    const png_bytep target = bits + stride * (height - 1 - y);
    if (!indexed) {
      memcpy(target, source, static_cast<size_t>(needRow));
      continue;
    }
    for (png_uint_32 x = 0; x < width; ++x) {
      const unsigned index = (source[x] * greyScale) & 0xff;
      if (outBits == 32) {
        memcpy(target + 4 * x, &table[index], 4);
      } else {
        PutIndex(target, x, outBits, index);
      }
    }
  }
  GlobalUnlock(job->block);
  return kPngOk;
}

}  // namespace

int LoadPngAsDib(const wchar_t* path, HGLOBAL* dib) {
  if (!path || !dib) return kPngFailed;
  PngJob job = {};
  int result = kPngFailed;
  try {
    job.file = _wfopen(path, L"rb");
    if (!job.file) return kPngCannotOpen;
    png_byte head[9] = {};
    const size_t got = fread(head, 1, sizeof head, job.file);
    if (got < 8 || memcmp(head, kSignature, 8) != 0) {
      result = kPngNotPng;
    } else {
      rewind(job.file);
      result = DecodeInto(&job);
    }
  } catch (...) {
    result = kPngFailed;
  }
  if (job.png) png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
  free(job.rows);
  free(job.pixels);
  if (job.file) fclose(job.file);
  if (result != kPngOk) {
    if (job.block) GlobalFree(job.block);
    return result;
  }
  *dib = job.block;
  return kPngOk;
}

HBITMAP CreateBitmapFromDib(HGLOBAL dib) {
  if (!dib) return nullptr;
  const SIZE_T size = GlobalSize(dib);
  const BYTE* block = static_cast<const BYTE*>(GlobalLock(dib));
  if (!block) return nullptr;
  HBITMAP bitmap = nullptr;
  const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(block);
  if (size >= sizeof(BITMAPINFOHEADER) && header->biSize == sizeof(BITMAPINFOHEADER) &&
      header->biWidth > 0 && header->biHeight != 0 && header->biPlanes == 1) {
    uint64_t colours = header->biClrUsed;
    if (colours == 0 && header->biBitCount <= 8) colours = 1ull << header->biBitCount;
    const uint64_t height = header->biHeight < 0 ? -static_cast<int64_t>(header->biHeight)
                                                 : header->biHeight;
    const uint64_t stride =
        (static_cast<uint64_t>(header->biBitCount) * static_cast<uint64_t>(header->biWidth) + 31) /
        32 * 4;
    const uint64_t offset = sizeof(BITMAPINFOHEADER) + 4 * colours;
    if (colours <= 256 && offset + stride * height <= size) {
      HDC screen = GetDC(nullptr);
      bitmap = CreateDIBitmap(screen, header, CBM_INIT, block + offset,
                              reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
      ReleaseDC(nullptr, screen);
    }
  }
  GlobalUnlock(dib);
  return bitmap;
}
