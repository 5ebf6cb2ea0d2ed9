// Pens and brushes: the GDI objects that outline and fill, with the stock objects.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/dib.h"
#include "platform/gdi/gdi_object.h"

// Pen styles, end caps, joins and types (combined in one style word for ExtCreatePen).
inline constexpr DWORD PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
                       PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF;
inline constexpr DWORD PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200,
                       PS_ENDCAP_MASK = 0xF00;
inline constexpr DWORD PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000,
                       PS_JOIN_MASK = 0xF000;
inline constexpr DWORD PS_COSMETIC = 0x00000, PS_GEOMETRIC = 0x10000, PS_TYPE_MASK = 0xF0000;

// Brush styles and hatches.
inline constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3,
                      BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6;
inline constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
                     HS_DIAGCROSS = 5;

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  uintptr_t lbHatch = 0;  // hatch style, or the HBITMAP of a pattern brush
};
struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth;  // x is the width
  COLORREF lopnColor = 0;
};

class GdiPen : public GdiObject {
 public:
  uint32_t ObjectType() const override { return extended ? OBJ_EXTPEN : OBJ_PEN; }
  DWORD style = PS_SOLID;  // full style word (type, cap, join, line style)
  int32_t width = 1;
  COLORREF color = 0;
  bool extended = false;
  std::vector<DWORD> dashes;  // PS_USERSTYLE lengths
  DWORD LineStyle() const { return style & PS_STYLE_MASK; }
  // Pens wider than one pixel draw as geometric pens (round caps and joins unless set).
  bool Geometric() const { return (style & PS_TYPE_MASK) == PS_GEOMETRIC || width > 1; }
};

class GdiBrush : public GdiObject {
 public:
  uint32_t ObjectType() const override { return OBJ_BRUSH; }
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  std::shared_ptr<GdiBitmap> pattern;  // a copy taken at creation, as the platform does
};

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN& pen);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH& brush);
// A brush of a system colour; stock, never deleted.
HBRUSH GetSysColorBrush(int index);
// FillRect and friends accept a system colour index + 1 in place of a brush.
std::shared_ptr<GdiBrush> ResolveBrush(HBRUSH brush);

inline constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
                     NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
                     OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
                     DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16,
                     DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19;
HGDIOBJ GetStockObject(int index);

// The 8 x 8 hatch pattern: bit (7 - x) of row y set where the hatch line is.
uint8_t HatchRow(int hatch, int y);
