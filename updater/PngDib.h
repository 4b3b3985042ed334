// PNG news icons: a PNG file decoded with libpng into a packed DIB (one
// movable memory block: BITMAPINFOHEADER, colour table, bottom-up rows), and
// that block turned into a bitmap for an image list.
#pragma once
#include <windows.h>

// Results of LoadPngAsDib.
const int kPngOk = 0;
const int kPngNotPng = 2;      // no PNG signature
const int kPngBadData = 3;     // libpng refused the data, or the format is not supported
const int kPngNoMemory = 4;    // the DIB block could not be allocated
const int kPngCannotOpen = 6;  // the file cannot be opened
const int kPngFailed = 9;      // anything else

// Images wider or higher than this are refused (code 3) before any row is
// decoded.
const unsigned kPngMaxSide = 256;

// Decodes the PNG file at path. On success *dib is a GlobalAlloc block the
// caller frees with GlobalFree; otherwise *dib is left alone and nothing
// stays allocated.
int LoadPngAsDib(const wchar_t* path, HGLOBAL* dib);

// A device-dependent bitmap of the screen made from a packed DIB; null for a
// null or inconsistent block.
HBITMAP CreateBitmapFromDib(HGLOBAL dib);
