#include "platform/gdi/paint_engine.h"

#include <cstring>

PatternSource PatternSource::Solid(COLORREF c) {
  PatternSource p;
  p.color = c & 0xFFFFFF;
  return p;
}

PatternSource PatternSource::FromBrush(const GdiDC& dc, std::shared_ptr<GdiBrush> brush) {
  PatternSource p;
  p.color = brush ? brush->color : 0;
  p.brush = std::move(brush);
  p.bk = dc.state.bkColor;
  p.text = dc.state.textColor;
  p.opaque = dc.state.bkMode == OPAQUE;
  p.origin = POINT{dc.state.brushOrg.x + dc.deviceOrigin.x, dc.state.brushOrg.y + dc.deviceOrigin.y};
  return p;
}

bool PatternSource::Sample(int32_t x, int32_t y, COLORREF& out) const {
  if (!brush || brush->style == BS_SOLID) {
    out = color;
    return true;
  }
  const int64_t px = int64_t(x) - origin.x, py = int64_t(y) - origin.y;
  switch (brush->style) {
    case BS_HATCHED: {
      const bool line = (HatchRow(brush->hatch, int(py & 7)) >> (7 - (px & 7))) & 1;
      if (line) {
        out = color;
        return true;
      }
      out = bk;
      return opaque;
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT: {
      const GdiBitmap& b = *brush->pattern;
      const int32_t w = b.Width(), h = b.Height();
      const int32_t bx = int32_t(((px % w) + w) % w), by = int32_t(((py % h) + h) % h);
      if (b.BitsPerPixel() == 1) {
        // A monochrome pattern takes the DC's colours: 0 the text colour, 1 the background.
        out = b.GetRaw(bx, by) ? bk : text;
      } else {
        out = b.GetColor(bx, by);
      }
      return true;
    }
    default: return false;  // BS_NULL
  }
}

uint8_t Rop2ToRop3(int rop2) {
  const int table = (rop2 - 1) & 15;  // bit ((P << 1) | D) is the result
  uint8_t rop3 = 0;
  for (int idx = 0; idx < 8; ++idx) {
    const int p = idx >> 2, d = idx & 1;
    if ((table >> ((p << 1) | d)) & 1) rop3 |= uint8_t(1 << idx);
  }
  return rop3;
}

namespace {

// The result of a ternary operation on whole words: bit i of rop3 gives the output for
// pattern, source and destination bits (i >> 2, (i >> 1) & 1, i & 1).
inline uint32_t Ternary(uint8_t rop3, uint32_t p, uint32_t s, uint32_t d) {
  switch (rop3) {
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x5A: return p ^ d;
    case 0x33: return ~s;
    default: break;
  }
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i)
    if ((rop3 >> i) & 1) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r;
}

bool UsesPattern(uint8_t rop3) { return ((rop3 >> 4) & 0x0F) != (rop3 & 0x0F); }
bool UsesSource(uint8_t rop3) { return ((rop3 >> 2) & 0x33) != (rop3 & 0x33); }
bool UsesDest(uint8_t rop3) { return ((rop3 >> 1) & 0x55) != (rop3 & 0x55); }

void FillSpan(GdiBitmap& b, int32_t y, int32_t x0, int32_t x1, uint32_t raw) {
  if (b.BitsPerPixel() == 32 || b.BitsPerPixel() == 24) {
    const int bytes = b.BitsPerPixel() / 8;
    uint8_t* p = b.Row(y) + int64_t(x0) * bytes;
    for (int32_t x = x0; x < x1; ++x, p += bytes) {
      p[0] = uint8_t(raw);
      p[1] = uint8_t(raw >> 8);
      p[2] = uint8_t(raw >> 16);
      if (bytes == 4) p[3] = uint8_t(raw >> 24);
    }
    return;
  }
  for (int32_t x = x0; x < x1; ++x) b.SetRaw(x, y, raw);
}

}  // namespace

void RasterOp(GdiDC& dc, const Region& area, const PatternSource* pattern, const SourceSampler* source,
              uint8_t rop3) {
  GdiBitmap* surface = dc.Surface();
  if (!surface || surface->Empty()) return;
  const Region target = Region::Combine(area, dc.Drawable(), Region::And);
  if (target.Empty()) return;
  if (rop3 == 0xAA) return;  // leaves the destination
  const bool usesP = UsesPattern(rop3), usesS = UsesSource(rop3) && source, usesD = UsesDest(rop3);
  if (usesP && pattern && pattern->IsNull()) return;
  const uint32_t mask = surface->RawMask();
  // Solid pattern copies are the common case (fills, pens): one value per span.
  const bool solidFill = !usesS && !usesD && (!usesP || (pattern && pattern->IsSolid()));
  uint32_t solidRaw = 0;
  if (solidFill) {
    const uint32_t p = pattern ? surface->ColorToRaw(pattern->color) : 0;
    solidRaw = Ternary(rop3, p, 0, 0) & mask;
    if (surface->BitsPerPixel() == 32) solidRaw &= 0x00FFFFFF;  // GDI leaves alpha at 0
  }
  for (const Region::Band& band : target.Bands())
    for (int32_t y = band.top; y < band.bottom; ++y)
      for (size_t i = 0; i < band.xs.size(); i += 2) {
        const int32_t x0 = band.xs[i], x1 = band.xs[i + 1];
        if (solidFill) {
          FillSpan(*surface, y, x0, x1, solidRaw);
          continue;
        }
        for (int32_t x = x0; x < x1; ++x) {
          uint32_t p = 0, s = 0, d = 0;
          if (usesP && pattern) {
            COLORREF c;
            if (!pattern->Sample(x, y, c)) continue;
            p = surface->ColorToRaw(c);
          }
          if (usesS && !(*source)(x, y, s)) continue;
          if (usesD) d = surface->GetRaw(x, y);
          uint32_t r = Ternary(rop3, p, s, d) & mask;
          if (surface->BitsPerPixel() == 32 && !usesS) r &= 0x00FFFFFF;
          surface->SetRaw(x, y, r);
        }
      }
}

void PaintArea(GdiDC& dc, const Region& area, const PatternSource& pattern) {
  RasterOp(dc, area, &pattern, nullptr, Rop2ToRop3(dc.state.rop2));
}
