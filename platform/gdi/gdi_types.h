// The plain data types of the graphics layer: colours, points, rectangles, the DIB headers and
// the handle types, with the meaning the Windows API documentation gives them.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using BOOL = int32_t;
using COLORREF = uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return uint8_t(c); }
constexpr uint8_t GetGValue(COLORREF c) { return uint8_t(c >> 8); }
constexpr uint8_t GetBValue(COLORREF c) { return uint8_t(c >> 16); }
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
  int32_t x = 0, y = 0;
  friend bool operator==(const POINT&, const POINT&) = default;
};
struct SIZE {
  int32_t cx = 0, cy = 0;
  friend bool operator==(const SIZE&, const SIZE&) = default;
};
struct RECT {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const RECT&, const RECT&) = default;
};
// The class library's names for the same records.
using TPoint = POINT;
using TRect = RECT;
inline RECT Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return RECT{l, t, r, b}; }
inline POINT Point(int32_t x, int32_t y) { return POINT{x, y}; }

// Rectangle helpers with user32's meaning (empty means right <= left or bottom <= top).
bool IntersectRect(RECT& dst, const RECT& a, const RECT& b);
bool UnionRect(RECT& dst, const RECT& a, const RECT& b);
bool OffsetRect(RECT& r, int32_t dx, int32_t dy);
bool InflateRect(RECT& r, int32_t dx, int32_t dy);
bool PtInRect(const RECT& r, POINT p);
bool IsRectEmpty(const RECT& r);
bool SetRect(RECT& r, int32_t l, int32_t t, int32_t rr, int32_t b);
bool SetRectEmpty(RECT& r);
bool EqualRect(const RECT& a, const RECT& b);

struct RGBQUAD {
  uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
  friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};
struct PALETTEENTRY {
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};

// Compression values of BITMAPINFOHEADER.
inline constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4,
                          BI_PNG = 5, BI_ALPHABITFIELDS = 6;

struct BITMAPINFOHEADER {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // negative: rows stored top-down
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = BI_RGB;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

// A header followed by a colour table (or three bit-field masks for BI_BITFIELDS). The table
// is held in a fixed array so that the record is self-contained.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];
};

inline constexpr uint32_t DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;

// Handles. Each kind is a distinct pointer type; all convert to HGDIOBJ like the platform's.
struct GdiHandleDC_;
struct GdiHandleBitmap_;
struct GdiHandlePen_;
struct GdiHandleBrush_;
struct GdiHandleFont_;
struct GdiHandleRgn_;
struct GdiHandlePalette_;
using HGDIOBJ = void*;
using HDC = GdiHandleDC_*;
using HBITMAP = GdiHandleBitmap_*;
using HPEN = GdiHandlePen_*;
using HBRUSH = GdiHandleBrush_*;
using HFONT = GdiHandleFont_*;
using HRGN = GdiHandleRgn_*;
using HPALETTE = GdiHandlePalette_*;
using HANDLE = void*;

// The clipboard format of a bitmap handle, in which the graphic classes hand their pictures
// over (the clipboard itself belongs to the window layer).
inline constexpr UINT CF_BITMAP = 2;

// Object kinds that GetObjectType reports.
inline constexpr uint32_t OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_PAL = 5, OBJ_FONT = 6,
                          OBJ_BITMAP = 7, OBJ_REGION = 8, OBJ_MEMDC = 10, OBJ_EXTPEN = 11;
