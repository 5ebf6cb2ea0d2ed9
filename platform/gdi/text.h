// Text output and measuring with the font selected into a DC (FreeType glyphs of the face
// that fontconfig picks). The "A" functions take UTF-8, the "W" ones UTF-16.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/gdi/font.h"
#include "platform/gdi/gdi_types.h"

template <class Char>
struct TEXTMETRICT {
  LONG tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
  LONG tmAveCharWidth = 0, tmMaxCharWidth = 0, tmWeight = 0, tmOverhang = 0;
  LONG tmDigitizedAspectX = 96, tmDigitizedAspectY = 96;
  Char tmFirstChar = 0, tmLastChar = 0, tmDefaultChar = 0, tmBreakChar = 0;
  uint8_t tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0, tmPitchAndFamily = 0, tmCharSet = 0;
};
using TEXTMETRICA = TEXTMETRICT<uint8_t>;
using TEXTMETRICW = TEXTMETRICT<char16_t>;
// tmPitchAndFamily bits (TMPF_FIXED_PITCH set means a variable-pitch font, the platform's way).
inline constexpr uint8_t TMPF_FIXED_PITCH = 1, TMPF_VECTOR = 2, TMPF_TRUETYPE = 4, TMPF_DEVICE = 8;

bool GetTextMetricsW(HDC dc, TEXTMETRICW* tm);
bool GetTextMetricsA(HDC dc, TEXTMETRICA* tm);
bool GetTextExtentPoint32W(HDC dc, const char16_t* text, int length, SIZE* size);
bool GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size);
// The extent of each leading part: dx[i] is the width of the text's first i + 1 UTF-16 units
// as drawn (both units of a surrogate pair end where the pair does; the characters of a
// shaped cluster share its width). `fit` gets how many units fit in maxExtent; any of fit, dx
// and size may be null.
bool GetTextExtentExPointW(HDC dc, const char16_t* text, int length, int maxExtent, int* fit, int* dx, SIZE* size);
// Advance widths of the characters first..last (inclusive) in logical units.
bool GetCharWidthW(HDC dc, UINT first, UINT last, int* widths);
bool GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths);
bool GetCharWidthA(HDC dc, UINT first, UINT last, int* widths);
// The face's family name as the font engine resolved it (UTF-8 in A, UTF-16 in W).
int GetTextFaceA(HDC dc, int size, char* name);

inline constexpr UINT ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10;
bool TextOutW(HDC dc, int x, int y, const char16_t* text, int length);
bool TextOutA(HDC dc, int x, int y, const char* text, int length);
// `dx` (may be null) gives the advance after each character.
bool ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT length,
                 const int* dx);
bool ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                 const int* dx);

inline constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                      DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                      DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400,
                      DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000,
                      DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000,
                      DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000,
                      DT_PREFIXONLY = 0x200000;
// Returns the text's height (with DT_VCENTER or DT_BOTTOM: the distance from the rectangle's
// top to the bottom of the drawn text); 0 on failure. A length of -1 means up to the end.
int DrawTextW(HDC dc, const char16_t* text, int length, RECT* rect, UINT format);
int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format);
