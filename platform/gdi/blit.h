// Bitmaps as GDI objects and block transfers between device contexts: BitBlt, StretchBlt
// with the stretch modes, PatBlt, MaskBlt, a key-colour blit, and the DIB functions.
#pragma once

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/paint_engine.h"

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Rows of `bits` (may be null) are padded to 16 bits, top row first, as for device bitmaps.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A bitmap whose pixels the caller reaches through *bits, laid out as the header says
// (bottom-up for a positive height). Sections are not supported (must be null).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset);
// Pixels from a packed DIB (header, colour table, then the bits at `bits`).
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
inline constexpr DWORD CBM_INIT = 4;

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
// Negative sizes mirror. The destination's stretch mode decides how rows and columns merge:
// HALFTONE averages, the others pick one source pixel (monochrome bitmaps AND or OR
// under BLACKONWHITE and WHITEONBLACK).
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);
bool PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Where the monochrome mask has a 1 the foreground operation (low 24 bits of rop4) applies,
// where it has a 0 the background one (the high byte).
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) { return ((back << 8) & 0xFF000000) | fore; }
bool MaskBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, HBITMAP mask, int maskX,
             int maskY, DWORD rop4);
// Copies (stretched) every source pixel whose colour is not `transparent`.
bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, UINT transparent);

int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int srcX, int srcY, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Rows [start, start + lines) counted from the bottom, in the format the header asks for
// (1, 4, 8, 16, 24 or 32 bits, BI_RGB; negative height for top-down). With null bits the
// header is completed (size, colour table) and the bitmap's height returned.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};
// BITMAP, LOGPEN, LOGBRUSH, LOGFONTA or a palette's entry count, as the handle's kind says.
int GetObjectA(HGDIOBJ object, int size, void* out);
int GetObjectW(HGDIOBJ object, int size, void* out);  // LOGFONTW for fonts
