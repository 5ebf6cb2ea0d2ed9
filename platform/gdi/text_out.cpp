#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/dc_internal.h"
#include "platform/gdi/font_engine.h"
#include "platform/gdi/paint_engine.h"
#include "platform/gdi/text.h"
#include "platform/gdi/text_shaping.h"
#include "platform/rtl/strings.h"

namespace {

std::u32string CodePoints(const char16_t* text, size_t length) {
  std::u32string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    const char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::u32string GlyphKeys(const char16_t* text, size_t length) {
  std::u32string out(length, 0);
  for (size_t i = 0; i < length; ++i) out[i] = FontInstance::GlyphKey(text[i]);
  return out;
}

std::u16string FromUtf8(const char* text, int length) {
  if (!text) return {};
  const size_t n = length < 0 ? std::strlen(text) : size_t(length);
  return Utf8ToWide(std::string_view(text, n));
}

std::shared_ptr<FontInstance> FontOf(const GdiDC& d) {
  return d.state.font ? InstanceOf(*d.state.font) : nullptr;
}

void DrawGlyph(GdiBitmap& s, const Region& area, const RECT& bounds, int64_t ox, int64_t oy,
               const FontInstance::Glyph& g, COLORREF color) {
  // Only the part of the glyph inside the drawable bounds is walked: a glyph far larger than
  // the surface costs no more than the surface.
  const int64_t gx0 = std::max<int64_t>(0, bounds.left - (ox + g.left));
  const int64_t gx1 = std::min<int64_t>(g.width, bounds.right - (ox + g.left));
  const int64_t gy0 = std::max<int64_t>(0, bounds.top - (oy - g.top));
  const int64_t gy1 = std::min<int64_t>(g.height, bounds.bottom - (oy - g.top));
  for (int64_t gy = gy0; gy < gy1; ++gy) {
    const int32_t y = int32_t(oy - g.top + gy);
    for (int64_t gx = gx0; gx < gx1; ++gx) {
      const unsigned a = g.coverage[size_t(gy) * g.width + size_t(gx)];
      if (!a) continue;
      const int32_t x = int32_t(ox + g.left + gx);
      if (!area.Contains(x, y)) continue;
      COLORREF c = color;
      if (a < 255) {
        if (s.BitsPerPixel() == 1) {
          if (a < 128) continue;
        } else {
          const COLORREF under = s.GetColor(x, y);
          auto mix = [a](unsigned f, unsigned b) { return uint8_t((f * a + b * (255 - a) + 127) / 255); };
          c = RGB(mix(GetRValue(color), GetRValue(under)), mix(GetGValue(color), GetGValue(under)),
                  mix(GetBValue(color), GetBValue(under)));
        }
      }
      s.SetColor(x, y, c);
    }
  }
}

// Text is measured with the faces that draw it.
int TextWidth(FontInstance& f, const std::u32string& text, int extra) {
  int64_t w = 0;
  for (char32_t c : text) w += f.Linked(c).Advance(c) + extra;
  return int(std::clamp<int64_t>(w, INT32_MIN, INT32_MAX));
}

}  // namespace

bool GetTextMetricsW(HDC dc, TEXTMETRICW* tm) {
  auto d = LookupDC(dc);
  auto f = d ? FontOf(*d) : nullptr;
  if (!f || !tm) return false;
  *tm = f->Metrics();
  return true;
}

bool GetTextMetricsA(HDC dc, TEXTMETRICA* tm) {
  TEXTMETRICW w;
  if (!tm || !GetTextMetricsW(dc, &w)) return false;
  std::memcpy(tm, &w, offsetof(TEXTMETRICW, tmFirstChar));
  tm->tmFirstChar = uint8_t(std::min<char16_t>(w.tmFirstChar, 255));
  tm->tmLastChar = uint8_t(std::min<char16_t>(w.tmLastChar, 255));
  tm->tmDefaultChar = uint8_t(std::min<char16_t>(w.tmDefaultChar, 255));
  tm->tmBreakChar = uint8_t(w.tmBreakChar);
  tm->tmItalic = w.tmItalic;
  tm->tmUnderlined = w.tmUnderlined;
  tm->tmStruckOut = w.tmStruckOut;
  tm->tmPitchAndFamily = w.tmPitchAndFamily;
  tm->tmCharSet = w.tmCharSet;
  return true;
}

bool GetTextExtentPoint32W(HDC dc, const char16_t* text, int length, SIZE* size) {
  auto d = LookupDC(dc);
  auto f = d ? FontOf(*d) : nullptr;
  if (!f || !size || length < 0 || (!text && length > 0)) return false;
  const std::u32string cps = CodePoints(text, size_t(length));
  size->cx = NeedsShaping(cps) ? int(std::clamp<int64_t>(ShapeText(*f, cps, d->state.charExtra, nullptr).width, INT32_MIN, INT32_MAX))
                               : TextWidth(*f, cps, d->state.charExtra);
  size->cy = f->Metrics().tmHeight;
  return true;
}

bool GetTextExtentExPointW(HDC dc, const char16_t* text, int length, int maxExtent, int* fit, int* dx, SIZE* size) {
  auto d = LookupDC(dc);
  auto f = d ? FontOf(*d) : nullptr;
  if (!f || length < 0 || (!text && length > 0)) return false;
  const std::u32string cps = CodePoints(text, size_t(length));
  const int extra = d->state.charExtra;
  std::vector<int64_t> shares;
  if (NeedsShaping(cps)) {
    shares = ShapeText(*f, cps, extra, nullptr).shares;
  } else {
    for (char32_t c : cps) shares.push_back(int64_t(f->Linked(c).Advance(c) + extra) * 64);
  }
  int64_t sum = 0;
  int fits = 0;
  // Code points pair units as CodePoints pairs them.
  for (size_t unit = 0, cp = 0; unit < size_t(length); ++cp) {
    const bool pair = text[unit] >= 0xD800 && text[unit] < 0xDC00 && unit + 1 < size_t(length) &&
                      text[unit + 1] >= 0xDC00 && text[unit + 1] < 0xE000;
    sum += cp < shares.size() ? shares[cp] : 0;
    const int extent = int(std::clamp<int64_t>((sum + 32) / 64, INT32_MIN, INT32_MAX));
    for (const size_t end = unit + (pair ? 2 : 1); unit < end; ++unit) {
      if (dx) dx[unit] = extent;
      if (extent <= maxExtent && fits == int(unit)) ++fits;
    }
  }
  if (fit) *fit = fits;
  if (size) {
    size->cx = int(std::clamp<int64_t>((sum + 32) / 64, INT32_MIN, INT32_MAX));
    size->cy = f->Metrics().tmHeight;
  }
  return true;
}

bool GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size) {
  if (length < 0) return false;
  const std::u16string w = FromUtf8(text, length);
  return GetTextExtentPoint32W(dc, w.data(), int(w.size()), size);
}

bool GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths) {
  auto d = LookupDC(dc);
  auto f = d ? FontOf(*d) : nullptr;
  if (!f || !widths || last < first || last - first > 0x10FFFF) return false;
  for (UINT c = first; c <= last; ++c) widths[c - first] = f->Advance(char32_t(c));
  return true;
}

bool GetCharWidthW(HDC dc, UINT first, UINT last, int* widths) { return GetCharWidth32W(dc, first, last, widths); }

bool GetCharWidthA(HDC dc, UINT first, UINT last, int* widths) {
  // Single-byte codes are Latin-1 here.
  return GetCharWidth32W(dc, first & 0xFF, last & 0xFF, widths);
}

int GetTextFaceA(HDC dc, int size, char* name) {
  auto d = LookupDC(dc);
  auto f = d ? FontOf(*d) : nullptr;
  if (!f) return 0;
  const std::string& family = f->Face().family;
  if (!name) return int(family.size()) + 1;
  if (size <= 0) return 0;
  const size_t n = std::min<size_t>(family.size(), size_t(size) - 1);
  std::memcpy(name, family.data(), n);
  name[n] = 0;
  return int(n);
}

bool ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT length,
                 const int* dx) {
  auto d = LookupDC(dc);
  if (!d || !d->Surface() || (!text && length > 0)) return false;
  auto f = FontOf(*d);
  if (!f) return false;
  // Glyph indices are 16-bit units each; characters may pair into code points.
  const std::u32string cps = (options & ETO_GLYPH_INDEX) ? GlyphKeys(text, length) : CodePoints(text, length);
  // Advances per code point: dx is given per UTF-16 unit, which is the same for the BMP.
  std::vector<int> dxs;
  if (dx) dxs.assign(dx, dx + std::min<size_t>(cps.size(), length));
  dxs.resize(dx ? cps.size() : 0, 0);
  ShapedText laid;
  if (!(options & ETO_GLYPH_INDEX) && NeedsShaping(cps)) {
    laid = ShapeText(*f, cps, d->state.charExtra, dx ? dxs.data() : nullptr);
  } else {
    for (size_t i = 0; i < cps.size(); ++i) {
      FontInstance& drawing = f->Linked(cps[i]);
      laid.glyphs.push_back(ShapedGlyph{&drawing, cps[i], laid.width, 0});
      laid.width += dx ? dxs[i] : drawing.Advance(cps[i]) + d->state.charExtra;
    }
  }
  const int64_t width = laid.width;
  const TEXTMETRICW& tm = f->Metrics();
  const UINT align = d->state.textAlign;
  const bool updateCP = align & TA_UPDATECP;
  int64_t lx = updateCP ? d->state.position.x : x, ly = updateCP ? d->state.position.y : y;
  int64_t left = lx;
  if ((align & TA_CENTER) == TA_CENTER)
    left = lx - width / 2;
  else if (align & TA_RIGHT)
    left = lx - width;
  int64_t baseline = ly + tm.tmAscent;
  if ((align & TA_BASELINE) == TA_BASELINE)
    baseline = ly;
  else if (align & TA_BOTTOM)
    baseline = ly - tm.tmDescent;
  Region area = d->Drawable();
  RECT devRect{};
  if (rect) {
    devRect = RECT{int32_t(d->DevX(rect->left)), int32_t(d->DevY(rect->top)), int32_t(d->DevX(rect->right)),
                   int32_t(d->DevY(rect->bottom))};
  }
  if (rect && (options & ETO_OPAQUE)) {
    const PatternSource bk = PatternSource::Solid(d->state.bkColor);
    RasterOp(*d, Region::FromRect(devRect), &bk, nullptr, 0xF0);
  }
  if (rect && (options & ETO_CLIPPED)) area = Region::Combine(area, Region::FromRect(devRect), Region::And);
  const int64_t devLeft = d->DevX(left), devBase = d->DevY(baseline);
  if (d->state.bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE))) {
    auto c = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 4, INT32_MAX / 4)); };
    const RECT box{c(devLeft), c(devBase - tm.tmAscent), c(devLeft + width), c(devBase + tm.tmDescent)};
    const Region fill = Region::Combine(Region::FromRect(box), area, Region::And);
    const PatternSource bk = PatternSource::Solid(d->state.bkColor);
    RasterOp(*d, fill, &bk, nullptr, 0xF0);
  }
  GdiBitmap& s = *d->Surface();
  const RECT bounds = area.Bounds();
  for (const ShapedGlyph& g : laid.glyphs) {
    const int64_t pen = devLeft + g.x, base = devBase - g.y;
    // Glyphs wholly outside what can be drawn are not rendered at all.
    if (pen + 2 * tm.tmMaxCharWidth + 8 >= bounds.left && pen - 2 * tm.tmMaxCharWidth - 8 < bounds.right &&
        base + tm.tmDescent + tm.tmHeight + 8 >= bounds.top && base - tm.tmAscent - tm.tmHeight - 8 < bounds.bottom &&
        !area.Empty()) {
      const PixelBox visible{bounds.left - pen, bounds.top - base, bounds.right - pen, bounds.bottom - base};
      DrawGlyph(s, area, bounds, pen, base, *g.font->Render(g.key, visible), d->state.textColor);
    }
  }
  if (tm.tmUnderlined || tm.tmStruckOut) {
    const PatternSource line = PatternSource::Solid(d->state.textColor);
    const int thick = f->UnderlineThickness();
    auto c = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 4, INT32_MAX / 4)); };
    if (tm.tmUnderlined) {
      const int64_t top = devBase + f->UnderlinePosition();
      RasterOp(*d, Region::Combine(Region::FromRect({c(devLeft), c(top), c(devLeft + width), c(top + thick)}), area, Region::And),
               &line, nullptr, 0xF0);
    }
    if (tm.tmStruckOut) {
      const int64_t top = devBase - tm.tmAscent / 3;
      RasterOp(*d, Region::Combine(Region::FromRect({c(devLeft), c(top), c(devLeft + width), c(top + thick)}), area, Region::And),
               &line, nullptr, 0xF0);
    }
  }
  if (updateCP) {
    const int64_t newX = (align & TA_CENTER) == TA_CENTER ? lx : (align & TA_RIGHT) ? lx - width : lx + width;
    d->state.position.x = int32_t(std::clamp<int64_t>(newX, INT32_MIN, INT32_MAX));
  }
  return true;
}

bool ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length, const int* dx) {
  if ((options & ETO_GLYPH_INDEX) && text) {
    // Each byte is a glyph index of its own, not part of a character.
    const std::u16string units(reinterpret_cast<const unsigned char*>(text),
                               reinterpret_cast<const unsigned char*>(text) + length);
    return ExtTextOutW(dc, x, y, options, rect, units.data(), length, dx);
  }
  const std::u16string w = FromUtf8(text, int(length));
  // Advances given per byte apply to the characters those bytes make.
  std::vector<int> wdx;
  if (dx && text) {
    size_t byte = 0;
    for (size_t i = 0; i < w.size() && byte < length; ++i) {
      const unsigned char lead = static_cast<unsigned char>(text[byte]);
      const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      int sum = 0;
      for (size_t k = 0; k < n && byte < length; ++k) sum += dx[byte++];
      wdx.push_back(sum);
      if (w[i] >= 0xD800 && w[i] < 0xDC00 && i + 1 < w.size()) wdx.push_back(0), ++i;
    }
    wdx.resize(w.size(), 0);
  }
  return ExtTextOutW(dc, x, y, options, rect, w.data(), UINT(w.size()), dx ? wdx.data() : nullptr);
}

bool TextOutW(HDC dc, int x, int y, const char16_t* text, int length) {
  if (length < 0) return false;
  return ExtTextOutW(dc, x, y, 0, nullptr, text, UINT(length), nullptr);
}

bool TextOutA(HDC dc, int x, int y, const char* text, int length) {
  if (length < 0) return false;
  return ExtTextOutA(dc, x, y, 0, nullptr, text, UINT(length), nullptr);
}
