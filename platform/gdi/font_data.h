// What font engines and PDF writers read of an installed font: its raw data, glyph outlines
// in the platform's native record format, outline metrics, and the installed families.
#pragma once

#include <cstdint>

#include "platform/gdi/text.h"

inline constexpr DWORD GDI_ERROR = 0xFFFFFFFF;

// `table` is a tag as its four bytes lie in memory ('kern' is 0x6E72656B), 0 for the whole
// font file, 'ttcf' (0x66637474) for the whole collection the font lies in.
DWORD GetFontData(HDC dc, DWORD table, DWORD offset, void* buffer, DWORD size);

struct FIXED {
  WORD fract = 0;
  int16_t value = 0;
};
struct POINTFX {
  FIXED x, y;
};
struct MAT2 {
  FIXED eM11, eM12, eM21, eM22;
};
struct GLYPHMETRICS {
  UINT gmBlackBoxX = 0, gmBlackBoxY = 0;
  POINT gmptGlyphOrigin;
  int16_t gmCellIncX = 0, gmCellIncY = 0;
};
inline constexpr UINT GGO_METRICS = 0, GGO_BITMAP = 1, GGO_NATIVE = 2, GGO_BEZIER = 3, GGO_GRAY8_BITMAP = 6,
                      GGO_GLYPH_INDEX = 0x80, GGO_UNHINTED = 0x100;
inline constexpr DWORD TT_POLYGON_TYPE = 24;
inline constexpr WORD TT_PRIM_LINE = 1, TT_PRIM_QSPLINE = 2, TT_PRIM_CSPLINE = 3;
// Records in the buffer: TTPOLYGONHEADER { DWORD cb; DWORD dwType; POINTFX pfxStart; } per
// contour, then TTPOLYCURVE { WORD wType; WORD cpfx; POINTFX apfx[cpfx]; } records; y grows
// upwards from the baseline, in pixels of the selected size.
struct TTPOLYGONHEADER {
  DWORD cb = 0;
  DWORD dwType = TT_POLYGON_TYPE;
  POINTFX pfxStart;
};
struct TTPOLYCURVE {
  WORD wType = 0;
  WORD cpfx = 0;
  POINTFX apfx[1];
};
// GGO_METRICS, GGO_NATIVE (lines and quadratic splines, or cubic ones for CFF outlines) and
// GGO_BEZIER. Returns the bytes needed with a null buffer, the bytes written otherwise, or
// GDI_ERROR. `matrix` may be null (identity).
DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix);

// The glyph index of each of the count characters in the selected font; a character the face
// has no glyph for gets 0, or 0xFFFF with GGI_MARK_NONEXISTING_GLYPHS. Returns count, or
// GDI_ERROR without a font.
inline constexpr DWORD GGI_MARK_NONEXISTING_GLYPHS = 1;
DWORD GetGlyphIndicesW(HDC dc, const char16_t* text, int count, WORD* indices, DWORD flags);

struct PANOSE {
  uint8_t bytes[10] = {};
};
struct OUTLINETEXTMETRICA {
  UINT otmSize = 0;
  TEXTMETRICA otmTextMetrics;
  uint8_t otmFiller = 0;
  PANOSE otmPanoseNumber;
  UINT otmfsSelection = 0, otmfsType = 0;
  int otmsCharSlopeRise = 1, otmsCharSlopeRun = 0;
  int otmItalicAngle = 0;  // tenths of a degree, counter-clockwise from vertical
  UINT otmEMSquare = 0;
  int otmAscent = 0, otmDescent = 0;
  UINT otmLineGap = 0, otmsCapEmHeight = 0, otmsXHeight = 0;
  RECT otmrcFontBox;
  int otmMacAscent = 0, otmMacDescent = 0;
  UINT otmMacLineGap = 0, otmusMinimumPPEM = 0;
  POINT otmptSubscriptSize, otmptSubscriptOffset, otmptSuperscriptSize, otmptSuperscriptOffset;
  UINT otmsStrikeoutSize = 0;
  int otmsStrikeoutPosition = 0, otmsUnderscoreSize = 0, otmsUnderscorePosition = 0;
  // Offsets from the start of the structure to NUL-terminated UTF-8 names that follow it.
  uintptr_t otmpFamilyName = 0, otmpFaceName = 0, otmpStyleName = 0, otmpFullName = 0;
};
// Values are in pixels of the selected font's size. Returns the bytes needed with a null
// buffer (structure and names), the bytes written otherwise, 0 on failure.
UINT GetOutlineTextMetricsA(HDC dc, UINT size, OUTLINETEXTMETRICA* metrics);

inline constexpr int LF_FULLFACESIZE = 64;
struct ENUMLOGFONTEXA {
  LOGFONTA elfLogFont;
  char elfFullName[LF_FULLFACESIZE] = {};
  char elfStyle[LF_FACESIZE] = {};
  char elfScript[LF_FACESIZE] = {};
};
struct NEWTEXTMETRICEXA {
  TEXTMETRICA ntmTm;
  DWORD ntmFlags = 0;
  UINT ntmSizeEM = 0, ntmCellHeight = 0, ntmAvgWidth = 0;
  DWORD ntmFontSig[6] = {};
};
inline constexpr DWORD RASTER_FONTTYPE = 1, DEVICE_FONTTYPE = 2, TRUETYPE_FONTTYPE = 4;
// The callback gets an ENUMLOGFONTEXA and a NEWTEXTMETRICEXA (through their first members);
// returning 0 stops the enumeration.
using FONTENUMPROCA = int (*)(const LOGFONTA* logFont, const TEXTMETRICA* metrics, DWORD fontType, intptr_t lParam);
// One call per installed family that covers the character set (DEFAULT_CHARSET: all), or, with a
// face name, for that family only. Returns the last callback result (1 when nothing was reported).
int EnumFontFamiliesExA(HDC dc, const LOGFONTA* logFont, FONTENUMPROCA proc, intptr_t lParam, DWORD flags);
// Every installed family (face null), or the one named.
int EnumFontsA(HDC dc, const char* face, FONTENUMPROCA proc, intptr_t lParam);

// Makes a font file usable by name for this process, and takes it away again.
// Fonts added here are seen by this process only and are gone when it ends.
int AddFontResourceW(const char16_t* fileName);
bool RemoveFontResourceW(const char16_t* fileName);
inline constexpr DWORD FR_PRIVATE = 0x10, FR_NOT_ENUM = 0x20;
// The same with the platform's flags; unknown flags or a non-null reserved pointer fail.
int AddFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved);
bool RemoveFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved);
