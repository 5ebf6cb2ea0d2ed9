#include "platform/gdi/pen_brush.h"

#include <array>
#include <mutex>

#include "platform/gdi/colors.h"
#include "platform/gdi/font.h"

namespace {

HPEN RegisterPen(std::shared_ptr<GdiPen> p, bool stock = false) {
  return static_cast<HPEN>(RegisterGdiObject(std::move(p), stock));
}
HBRUSH RegisterBrush(std::shared_ptr<GdiBrush> b, bool stock = false) {
  return static_cast<HBRUSH>(RegisterGdiObject(std::move(b), stock));
}

std::shared_ptr<GdiBrush> MakeSolid(COLORREF c) {
  auto b = std::make_shared<GdiBrush>();
  b->color = c & 0xFFFFFF;
  return b;
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
  auto p = std::make_shared<GdiPen>();
  p->style = DWORD(style) & PS_STYLE_MASK;
  if (p->style > PS_INSIDEFRAME) p->style = PS_SOLID;
  p->width = width < 0 ? -width : width;
  if (p->width == 0) p->width = 1;
  // Wide pens draw only solid; the platform turns dashed wide pens solid too.
  if (p->width > 1 && p->style != PS_NULL && p->style != PS_INSIDEFRAME) p->style = PS_SOLID;
  p->color = color & 0xFFFFFF;
  return RegisterPen(p);
}

HPEN CreatePenIndirect(const LOGPEN& pen) { return CreatePen(int(pen.lopnStyle), pen.lopnWidth.x, pen.lopnColor); }

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  if (!brush) return nullptr;
  auto p = std::make_shared<GdiPen>();
  p->extended = true;
  p->style = style;
  const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
  if (!geometric && width != 1) return nullptr;  // cosmetic pens are one pixel wide
  p->width = int32_t(std::min<DWORD>(width, 1 << 16));
  if (p->width == 0) p->width = 1;
  p->color = brush->lbColor & 0xFFFFFF;
  if (brush->lbStyle == BS_NULL) p->style = (style & ~PS_STYLE_MASK) | PS_NULL;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE) {
    if (!styles || styleCount == 0 || styleCount > 16) return nullptr;
    p->dashes.assign(styles, styles + styleCount);
  }
  return RegisterPen(p);
}

HBRUSH CreateSolidBrush(COLORREF color) { return RegisterBrush(MakeSolid(color)); }

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  auto b = MakeSolid(color);
  b->style = BS_HATCHED;
  b->hatch = (hatch >= HS_HORIZONTAL && hatch <= HS_DIAGCROSS) ? hatch : HS_HORIZONTAL;
  return RegisterBrush(b);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  auto src = LookupGdi<GdiBitmap>(bitmap);
  if (!src || src->Empty()) return nullptr;
  auto b = std::make_shared<GdiBrush>();
  b->style = BS_PATTERN;
  b->pattern = std::make_shared<GdiBitmap>();
  b->pattern->CopyFrom(*src);
  return RegisterBrush(b);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH& lb) {
  switch (lb.lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb.lbColor);
    case BS_HATCHED: return CreateHatchBrush(int(lb.lbHatch), lb.lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb.lbHatch));
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    default: return nullptr;
  }
}

HBRUSH GetSysColorBrush(int index) {
  static std::mutex lock;
  static std::array<HBRUSH, 31> brushes{};
  if (index < 0 || index >= int(brushes.size())) return nullptr;
  std::lock_guard g(lock);
  if (!brushes[size_t(index)]) brushes[size_t(index)] = RegisterBrush(MakeSolid(GetSysColor(index)), true);
  return brushes[size_t(index)];
}

std::shared_ptr<GdiBrush> ResolveBrush(HBRUSH brush) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  if (v >= 1 && v <= 31) return MakeSolid(GetSysColor(int(v - 1)));
  return LookupGdi<GdiBrush>(brush);
}

HGDIOBJ GetStockObject(int index) {
  static std::mutex lock;
  static std::array<HGDIOBJ, 20> stock{};
  if (index < 0 || index >= int(stock.size())) return nullptr;
  std::lock_guard g(lock);
  HGDIOBJ& slot = stock[size_t(index)];
  if (slot) return slot;
  auto pen = [](DWORD style, COLORREF c) {
    auto p = std::make_shared<GdiPen>();
    p->style = style;
    p->color = c;
    return RegisterPen(p, true);
  };
  switch (index) {
    case WHITE_BRUSH: slot = RegisterBrush(MakeSolid(RGB(255, 255, 255)), true); break;
    case LTGRAY_BRUSH: slot = RegisterBrush(MakeSolid(RGB(192, 192, 192)), true); break;
    case GRAY_BRUSH: slot = RegisterBrush(MakeSolid(RGB(128, 128, 128)), true); break;
    case DKGRAY_BRUSH: slot = RegisterBrush(MakeSolid(RGB(64, 64, 64)), true); break;
    case BLACK_BRUSH:
    case DC_BRUSH: slot = RegisterBrush(MakeSolid(RGB(0, 0, 0)), true); break;
    case NULL_BRUSH: {
      auto b = MakeSolid(0);
      b->style = BS_NULL;
      slot = RegisterBrush(b, true);
      break;
    }
    case WHITE_PEN: slot = pen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN:
    case DC_PEN: slot = pen(PS_SOLID, 0); break;
    case NULL_PEN: slot = pen(PS_NULL, 0); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT: slot = StockFont(index); break;
    default: break;
  }
  return slot;
}

uint8_t HatchRow(int hatch, int y) {
  y &= 7;
  switch (hatch) {
    case HS_HORIZONTAL: return y == 7 ? 0xFF : 0;
    case HS_VERTICAL: return 0x01;
    case HS_FDIAGONAL: return uint8_t(0x80 >> y);             // top-left to bottom-right
    case HS_BDIAGONAL: return uint8_t(0x01 << y);             // bottom-left to top-right
    case HS_CROSS: return y == 7 ? 0xFF : 0x01;
    case HS_DIAGCROSS: return uint8_t((0x80 >> y) | (0x01 << y));
    default: return 0;
  }
}
