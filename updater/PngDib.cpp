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

// What the decoded image becomes: its size, the depth of the DIB, its
// colour table and how rows are turned into it. Plain data, as PngJob.
struct PngForm {
  png_uint_32 width;
  png_uint_32 height;
  int colorType;
  int depth;
  bool hasTrns;
  // The colour table of indexed output: 256 entries, so that any index the
  // data holds finds an entry (those past the palette stay opaque black).
  RgbQuad table[256];
  unsigned tableSize;
  int outBits;
  bool indexed;        // rows hold one index byte per pixel
  unsigned greyScale;  // factor from a grey sample to its table index
};

// The reader's limits and the image's header into form; false for an image
// of no size or larger than allowed. libpng may jump out of here.
bool ReadHeader(PngJob* job, PngForm* form) {
  png_set_user_limits(job->png, kPngMaxSide, kPngMaxSide);
  png_set_chunk_cache_max(job->png, 64);
  png_set_chunk_malloc_max(job->png, 256 * 1024);
  png_init_io(job->png, job->file);
  png_read_info(job->png, job->info);
  form->width = png_get_image_width(job->png, job->info);
  form->height = png_get_image_height(job->png, job->info);
  form->colorType = png_get_color_type(job->png, job->info);
  form->depth = png_get_bit_depth(job->png, job->info);
  form->hasTrns = png_get_valid(job->png, job->info, PNG_INFO_tRNS) != 0;
  for (int i = 0; i < 256; ++i) form->table[i] = {0, 0, 0, 255};
  form->tableSize = 0;
  form->outBits = 0;
  form->indexed = false;
  form->greyScale = 1;
  return form->width != 0 && form->height != 0 && form->width <= kPngMaxSide &&
         form->height <= kPngMaxSide;
}

// Colour images, with or without alpha: rows of 24 or 32 bits as they are.
bool SetUpColour(PngJob* job, PngForm* form) {
  if (form->depth != 8 && form->depth != 16) return false;
  if (form->colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(job->png);
  png_set_bgr(job->png);
  if (form->colorType == PNG_COLOR_TYPE_RGB && !form->hasTrns) {
    form->outBits = 24;
  } else {
    if (form->colorType == PNG_COLOR_TYPE_RGB) png_set_tRNS_to_alpha(job->png);
    form->outBits = 32;
  }
  return true;
}

// Palette images: the palette (and its transparency) becomes the table.
bool SetUpPalette(PngJob* job, PngForm* form) {
  const int depth = form->depth;
  if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return false;
  png_colorp palette = nullptr;
  int count = 0;
  if (!png_get_PLTE(job->png, job->info, &palette, &count) || count < 1 || count > 256)
    return false;
  for (int i = 0; i < count; ++i)
    form->table[i] = {palette[i].blue, palette[i].green, palette[i].red, 255};
  form->tableSize = static_cast<unsigned>(count);
  if (form->hasTrns) {
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (png_get_tRNS(job->png, job->info, &alpha, &alphaCount, nullptr) && alpha)
      for (int i = 0; i < alphaCount && i < count; ++i) form->table[i].alpha = alpha[i];
  }
  if (depth < 8) png_set_packing(job->png);
  form->indexed = true;
  form->outBits = form->hasTrns ? 32 : (depth == 2 ? 8 : depth);
  // The data may name entries past the palette: the DIB's table holds
  // every index its depth can, those past the palette black.
  if (form->outBits <= 8) form->tableSize = 1u << form->outBits;
  return true;
}

// Grey images: a table of grey levels, the transparent one clear.
bool SetUpGrey(PngJob* job, PngForm* form) {
  const int depth = form->depth;
  if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return false;
  const int levels = depth == 1 ? 2 : depth == 4 ? 16 : 256;
  const unsigned step = 255 / (levels - 1);
  for (int i = 0; i < levels; ++i) {
    const png_byte v = static_cast<png_byte>(i * step);
    form->table[i] = {v, v, v, 255};
  }
  form->tableSize = static_cast<unsigned>(levels);
  form->greyScale = depth == 2 ? 85 : 1;
  if (form->hasTrns) {
    png_color_16p trans = nullptr;
    if (png_get_tRNS(job->png, job->info, nullptr, nullptr, &trans) && trans) {
      unsigned level = trans->gray;
      if (depth == 16) level >>= 8;
      level *= form->greyScale;
      if (level < 256) form->table[level].alpha = 0;
    }
  }
  if (depth < 8) png_set_packing(job->png);
  form->indexed = true;
  form->outBits = form->hasTrns ? 32 : (depth == 2 || depth == 16 ? 8 : depth);
  return true;
}

// Tells libpng what to turn the rows into; false for a colour type or depth
// that PNG does not have.
bool ChooseOutput(PngJob* job, PngForm* form) {
  if (form->depth == 16) png_set_strip_16(job->png);
  switch (form->colorType) {
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
    case PNG_COLOR_TYPE_RGB:
      return SetUpColour(job, form);
    case PNG_COLOR_TYPE_PALETTE:
      return SetUpPalette(job, form);
    case PNG_COLOR_TYPE_GRAY:
      return SetUpGrey(job, form);
    default:
      return false;
  }
}

// Reads every row into job->pixels; a kPng code.
int ReadRows(PngJob* job, const PngForm& form, size_t* rowBytes) {
  png_set_interlace_handling(job->png);
  png_read_update_info(job->png, job->info);
  *rowBytes = png_get_rowbytes(job->png, job->info);
  const uint64_t needRow =
      form.indexed ? form.width : static_cast<uint64_t>(form.width) * (form.outBits / 8);
  if (*rowBytes < needRow || *rowBytes > 8 * kPngMaxSide) return kPngBadData;
  job->pixels = static_cast<png_bytep>(malloc(*rowBytes * form.height));
  job->rows = static_cast<png_bytepp>(malloc(sizeof(png_bytep) * form.height));
  if (!job->pixels || !job->rows) return kPngNoMemory;
  for (png_uint_32 y = 0; y < form.height; ++y) job->rows[y] = job->pixels + *rowBytes * y;
  png_read_image(job->png, job->rows);
  png_read_end(job->png, nullptr);
  return kPngOk;
}

// One decoded row into its place in the DIB's bits (bottom-up).
void ConvertRow(const PngForm& form, png_const_bytep source, png_bytep target) {
  if (!form.indexed) {
    memcpy(target, source, static_cast<size_t>(form.width) * (form.outBits / 8));
    return;
  }
  for (png_uint_32 x = 0; x < form.width; ++x) {
    const unsigned index = (source[x] * form.greyScale) & 0xff;
    if (form.outBits == 32) {
      memcpy(target + 4 * x, &form.table[index], 4);
    } else {
      PutIndex(target, x, form.outBits, index);
    }
  }
}

// The packed DIB (header, colour table, bits) into job->block; a kPng
// code.
int WriteDib(PngJob* job, const PngForm& form) {
  const unsigned clrUsed = form.outBits <= 8 ? form.tableSize : 0;
  const uint64_t stride = (static_cast<uint64_t>(form.outBits) * form.width + 31) / 32 * 4;
  const uint64_t total = sizeof(BITMAPINFOHEADER) + 4ull * clrUsed + stride * form.height;
  job->block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total));
  if (!job->block) return kPngNoMemory;
  png_bytep out = static_cast<png_bytep>(GlobalLock(job->block));
  if (!out) return kPngNoMemory;
  BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(out);
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = static_cast<LONG>(form.width);
  header->biHeight = static_cast<LONG>(form.height);
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(form.outBits);
  header->biCompression = BI_RGB;
  header->biClrUsed = clrUsed;
  memcpy(out + sizeof(BITMAPINFOHEADER), form.table, 4 * clrUsed);
  png_bytep bits = out + sizeof(BITMAPINFOHEADER) + 4 * clrUsed;
  for (png_uint_32 y = 0; y < form.height; ++y)
    ConvertRow(form, job->rows[y], bits + stride * (form.height - 1 - y));
  GlobalUnlock(job->block);
  return kPngOk;
}

// Decodes job->file into job->block. Keeps setjmp in a function that holds
// no C++ objects, and so do the steps it calls, which libpng may leave by
// jumping back here; every allocation is recorded in job for the caller.
int DecodeInto(PngJob* job) {
  job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, PngError, PngWarning);
  if (!job->png) return kPngBadData;
  job->info = png_create_info_struct(job->png);
  if (!job->info) return kPngBadData;
  PngForm form;
  if (setjmp(png_jmpbuf(job->png))) return kPngBadData;
  if (!ReadHeader(job, &form) || !ChooseOutput(job, &form)) return kPngBadData;
  size_t rowBytes = 0;
  const int read = ReadRows(job, form, &rowBytes);
  if (read != kPngOk) return read;
  return WriteDib(job, form);
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
