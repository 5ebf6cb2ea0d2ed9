// Bitmap transfers and gradient fills of the EMF player.
#include <algorithm>
#include <cmath>

#include "platform/gdi/blit.h"
#include "platform/gdi/metafile/emf_dib.h"
#include "platform/gdi/metafile/emf_player.h"
#include "platform/gdi/paint_engine.h"

namespace {

constexpr uint8_t AC_SRC_ALPHA = 1;

// A memory DC over a decoded bitmap, for the platform's blits.
struct SourceDC {
  HDC dc = nullptr;
  explicit SourceDC(std::shared_ptr<GdiBitmap> b) {
    dc = CreateCompatibleDC(nullptr);
    if (auto d = LookupDC(dc)) d->state.bitmap = std::move(b);
  }
  ~SourceDC() { DeleteDC(dc); }
  SourceDC(const SourceDC&) = delete;
  SourceDC& operator=(const SourceDC&) = delete;
};

struct Compose {
  const GdiBitmap* src = nullptr;
  double sx = 0, sy = 0, sw = 0, sh = 0;  // source rectangle
  const GdiBitmap* mask = nullptr;        // 1-bit: where 0 the destination stays
  int32_t maskX = 0, maskY = 0;
  int constantAlpha = 255;
  bool perPixelAlpha = false;
  bool keyed = false;
  COLORREF key = 0;
};

// Each device pixel whose centre lies in the parallelogram p0 (the source's top-left), p1
// (top-right), p2 (bottom-left) takes the source pixel it maps back to. Work is bounded by
// the destination surface.
void ComposeInto(GdiDC& d, const Compose& c, PointF p0, PointF p1, PointF p2) {
  GdiBitmap* dst = d.Surface();
  if (!dst || !c.src || c.src->Empty()) return;
  const double ux = p1.x - p0.x, uy = p1.y - p0.y, vx = p2.x - p0.x, vy = p2.y - p0.y;
  const double det = ux * vy - uy * vx;
  if (!std::isfinite(det) || std::abs(det) < 1e-12) return;
  const RECT bounds = d.DrawableBounds();
  auto lo = [](double a, double b, double c, double d4) { return std::min(std::min(a, b), std::min(c, d4)); };
  auto hi = [](double a, double b, double c, double d4) { return std::max(std::max(a, b), std::max(c, d4)); };
  const double p3x = p1.x + vx, p3y = p1.y + vy;
  const int64_t x0 = std::max<int64_t>(bounds.left, int64_t(std::floor(std::max(lo(p0.x, p1.x, p2.x, p3x), -1e9))));
  const int64_t x1 = std::min<int64_t>(bounds.right, int64_t(std::ceil(std::min(hi(p0.x, p1.x, p2.x, p3x), 1e9))));
  const int64_t y0 = std::max<int64_t>(bounds.top, int64_t(std::floor(std::max(lo(p0.y, p1.y, p2.y, p3y), -1e9))));
  const int64_t y1 = std::min<int64_t>(bounds.bottom, int64_t(std::ceil(std::min(hi(p0.y, p1.y, p2.y, p3y), 1e9))));
  const bool alpha = c.perPixelAlpha && c.src->BitsPerPixel() == 32;
  for (int64_t y = y0; y < y1; ++y) {
    for (int64_t x = x0; x < x1; ++x) {
      const double px = x + 0.5 - p0.x, py = y + 0.5 - p0.y;
      const double u = (px * vy - py * vx) / det, v = (ux * py - uy * px) / det;
      if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
      if (!d.CanDraw(x, y)) continue;
      const double fx = std::floor(c.sx + u * c.sw), fy = std::floor(c.sy + v * c.sh);
      if (!(fx >= 0 && fy >= 0 && fx < c.src->Width() && fy < c.src->Height())) continue;
      const int64_t sxp = int64_t(fx), syp = int64_t(fy);
      if (c.mask) {
        const int64_t mx = int64_t(c.maskX) + sxp - ClampToInt(c.sx, INT32_MIN, INT32_MAX);
        const int64_t my = int64_t(c.maskY) + syp - ClampToInt(c.sy, INT32_MIN, INT32_MAX);
        if (mx < 0 || my < 0 || mx >= c.mask->Width() || my >= c.mask->Height()) continue;
        if (c.mask->GetRaw(int32_t(mx), int32_t(my)) == 0) continue;
      }
      const uint32_t raw = c.src->GetRaw(int32_t(sxp), int32_t(syp));
      const COLORREF s = c.src->RawToColor(raw);
      if (c.keyed && s == c.key) continue;
      if (c.constantAlpha >= 255 && !alpha) {
        dst->SetColor(int32_t(x), int32_t(y), s);
        continue;
      }
      // Source over destination: the source's own alpha (premultiplied, as the platform
      // wants it) under the constant alpha.
      const unsigned ca = unsigned(std::clamp(c.constantAlpha, 0, 255));
      const unsigned sa = alpha ? (raw >> 24) * ca / 255 : ca;
      const COLORREF u8 = dst->GetColor(int32_t(x), int32_t(y));
      auto mix = [&](unsigned sc, unsigned dc) {
        const unsigned scaled = alpha ? sc * ca / 255 : sc * ca / 255;
        return uint8_t(std::min(255u, scaled + dc * (255 - sa) / 255));
      };
      dst->SetColor(int32_t(x), int32_t(y),
                    RGB(mix(GetRValue(s), GetRValue(u8)), mix(GetGValue(s), GetGValue(u8)),
                        mix(GetBValue(s), GetBValue(u8))));
    }
  }
}

// A source rectangle's origin and size under the record's source transform (identity when
// that transform cannot be used).
void SourceRect(const XFORM& x, double& sx, double& sy, double& sw, double& sh) {
  if (!std::isfinite(x.eM11) || !std::isfinite(x.eM22) || !std::isfinite(x.eDx) || !std::isfinite(x.eDy) ||
      x.eM11 == 0 || x.eM22 == 0 || x.eM12 != 0 || x.eM21 != 0)
    return;
  sx = sx * x.eM11 + x.eDx;
  sy = sy * x.eM22 + x.eDy;
  sw *= x.eM11;
  sh *= x.eM22;
}

bool DibTopDown(const ENHMETARECORD& r, uint32_t offBmi) { return r.U32(offBmi) >= 16 && r.I32(offBmi + 8) < 0; }

}  // namespace

bool EmfPlayer::PlayBitmap(const ENHMETARECORD& r) {
  // Destination (logical), source rectangle (top row first), the bitmap, the operation.
  double x = 0, y = 0, w = 0, h = 0, sx = 0, sy = 0, sw = 0, sh = 0;
  DWORD rop = SRCCOPY;
  std::shared_ptr<GdiBitmap> bitmap, maskHolder;
  Compose extra;
  bool composeOnly = false;
  try {
    switch (r.iType) {
      case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: {
        x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
        rop = r.U32(40);
        sx = r.I32(44), sy = r.I32(48);
        const bool stretched = r.iType == EMR_STRETCHBLT || r.iType == EMR_ALPHABLEND || r.iType == EMR_TRANSPARENTBLT;
        sw = stretched ? r.I32(100) : w;
        sh = stretched ? r.I32(104) : h;
        SourceRect(r.Xform(52), sx, sy, sw, sh);
        bitmap = r.iType == EMR_ALPHABLEND
                     ? DecodeRecordDib(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80), Palette())
                     : DecodeRecordDib24(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80), Palette());
        if (r.iType == EMR_MASKBLT) {
          auto mask = DecodeRecordDib(r, r.U32(112), r.U32(116), r.U32(120), r.U32(124), r.U32(108), Palette());
          if (mask && mask->BitsPerPixel() == 1) {
            maskHolder = mask;
            extra.mask = maskHolder.get();
            extra.maskX = r.I32(100);
            extra.maskY = r.I32(104);
            composeOnly = true;
          }
        }
        if (r.iType == EMR_ALPHABLEND) {
          extra.constantAlpha = (rop >> 16) & 0xFF;
          extra.perPixelAlpha = ((rop >> 24) & AC_SRC_ALPHA) != 0;
          if (bitmap && bitmap->BitsPerPixel() != 32 && bitmap->BitsPerPixel() != 24) bitmap->Convert(24);
          composeOnly = true;
        }
        if (r.iType == EMR_TRANSPARENTBLT) {
          extra.keyed = true;
          extra.key = Color(rop);
          rop = SRCCOPY;
        }
        break;
      }
      case EMR_STRETCHDIBITS: {
        x = r.I32(24), y = r.I32(28), sx = r.I32(32), sy = r.I32(36), sw = r.I32(40), sh = r.I32(44);
        w = r.I32(72), h = r.I32(76);
        rop = r.U32(68);
        bitmap = DecodeRecordDib24(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64), Palette());
        // A bottom-up DIB's source rectangle counts from its lower-left corner.
        if (bitmap && !DibTopDown(r, r.U32(48))) sy = bitmap->Height() - sy - sh;
        break;
      }
      case EMR_SETDIBITSTODEVICE: {
        x = r.I32(24), y = r.I32(28), sx = r.I32(32), sy = r.I32(36), sw = w = r.I32(40), sh = h = r.I32(44);
        const int64_t start = r.U32(68), scans = r.U32(72);
        const int64_t fullHeight = std::abs(int64_t(r.I32(r.U32(48) + 8)));
        bitmap = DecodeRecordDib24(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64), Palette(), scans);
        if (bitmap && !DibTopDown(r, r.U32(48))) {
          // The record holds scan lines [start, start + scans) counted from the bottom.
          const double bandTop = double(fullHeight) - double(start + bitmap->Height());
          sy = double(fullHeight) - sy - sh - bandTop;
        }
        break;
      }
      case EMR_PLGBLT: {
        bitmap = DecodeRecordDib24(r, r.U32(96), r.U32(100), r.U32(104), r.U32(108), r.U32(92), Palette());
        if (!bitmap) return false;
        sx = r.I32(48), sy = r.I32(52), sw = r.I32(56), sh = r.I32(60);
        SourceRect(r.Xform(64), sx, sy, sw, sh);
        auto mask = DecodeRecordDib(r, r.U32(124), r.U32(128), r.U32(132), r.U32(136), r.U32(120), Palette());
        Compose c = extra;
        c.src = bitmap.get();
        c.sx = sx, c.sy = sy, c.sw = sw, c.sh = sh;
        if (mask && mask->BitsPerPixel() == 1) {
          c.mask = mask.get();
          c.maskX = r.I32(112);
          c.maskY = r.I32(116);
        }
        auto dev = [&](uint64_t at) {
          const POINT p = Map(r.I32(at), r.I32(at + 4));
          return PointF{d_->DevXf(p.x), d_->DevYf(p.y)};
        };
        ComposeInto(*d_, c, dev(24), dev(32), dev(40));
        return true;
      }
    }
  } catch (const std::exception&) {
    return false;  // a bitmap that cannot be decoded draws nothing
  }
  const POINT a = Map(x, y), b = Map(x + w, y + h);
  if (!bitmap) {
    // Without a bitmap the record is a pattern fill with the operation.
    if (r.iType == EMR_BITBLT || r.iType == EMR_STRETCHDIBITS) {
      if (!transform_.AxisAligned()) return false;
      return PatBlt(dc_, a.x, a.y, b.x - a.x, b.y - a.y, rop);
    }
    return false;
  }
  if (!composeOnly && transform_.AxisAligned()) {
    SourceDC source(bitmap);
    auto i = [](double v) { return int(std::lround(std::clamp(v, -1e9, 1e9))); };
    if (extra.keyed) {
      // Mirrored destinations are drawn through the compose step below.
      if (b.x > a.x && b.y > a.y && sw > 0 && sh > 0)
        return TransparentBlt(dc_, a.x, a.y, b.x - a.x, b.y - a.y, source.dc, i(sx), i(sy), i(sw), i(sh), extra.key);
    } else {
      return StretchBlt(dc_, a.x, a.y, b.x - a.x, b.y - a.y, source.dc, i(sx), i(sy), i(sw), i(sh), rop);
    }
  }
  Compose c = extra;
  c.src = bitmap.get();
  c.sx = sx, c.sy = sy, c.sw = sw, c.sh = sh;
  auto dev = [&](double px, double py) {
    const POINT p = Map(px, py);
    return PointF{d_->DevXf(p.x), d_->DevYf(p.y)};
  };
  ComposeInto(*d_, c, dev(x, y), dev(x + w, y), dev(x, y + h));
  return true;
}

bool EmfPlayer::PlayGradient(const ENHMETARECORD& r) {
  const uint32_t vertices = r.U32(24), objects = r.U32(28), mode = r.U32(32);
  const uint64_t at = 36 + uint64_t(vertices) * 16;
  GdiBitmap* dst = d_->Surface();
  const RECT bounds = d_->DrawableBounds();
  struct V {
    double x, y, c[3];
  };
  auto vertex = [&](uint32_t i) {
    const uint64_t o = 36 + uint64_t(i) * 16;
    const POINT m = Map(r.I32(o), r.I32(o + 4));
    return V{d_->DevXf(m.x), d_->DevYf(m.y), {r.U16(o + 8) / 256.0, r.U16(o + 10) / 256.0, r.U16(o + 12) / 256.0}};
  };
  auto plot = [&](int64_t x, int64_t y, const double* c) {
    if (!d_->CanDraw(x, y)) return;
    auto ch = [](double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
    dst->SetColor(int32_t(x), int32_t(y), RGB(ch(c[0]), ch(c[1]), ch(c[2])));
  };
  if (mode == GRADIENT_FILL_RECT_H || mode == GRADIENT_FILL_RECT_V) {
    for (uint32_t k = 0; k < objects; ++k) {
      const V p = vertex(r.U32(at + 8 * k)), q = vertex(r.U32(at + 8 * k + 4));
      const int64_t x0 = std::max<int64_t>(bounds.left, std::lround(std::clamp(std::min(p.x, q.x), -1e9, 1e9)));
      const int64_t x1 = std::min<int64_t>(bounds.right, std::lround(std::clamp(std::max(p.x, q.x), -1e9, 1e9)));
      const int64_t y0 = std::max<int64_t>(bounds.top, std::lround(std::clamp(std::min(p.y, q.y), -1e9, 1e9)));
      const int64_t y1 = std::min<int64_t>(bounds.bottom, std::lround(std::clamp(std::max(p.y, q.y), -1e9, 1e9)));
      const bool horizontal = mode == GRADIENT_FILL_RECT_H;
      const double from = horizontal ? p.x : p.y, span = horizontal ? q.x - p.x : q.y - p.y;
      for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x) {
          const double t = span == 0 ? 0 : std::clamp(((horizontal ? x : y) + 0.5 - from) / span, 0.0, 1.0);
          const double c[3] = {p.c[0] + (q.c[0] - p.c[0]) * t, p.c[1] + (q.c[1] - p.c[1]) * t,
                               p.c[2] + (q.c[2] - p.c[2]) * t};
          plot(x, y, c);
        }
    }
    return true;
  }
  if (mode != GRADIENT_FILL_TRIANGLE) return false;
  for (uint32_t k = 0; k < objects; ++k) {
    const V p = vertex(r.U32(at + 12 * k)), q = vertex(r.U32(at + 12 * k + 4)), s = vertex(r.U32(at + 12 * k + 8));
    const double det = (q.x - p.x) * (s.y - p.y) - (s.x - p.x) * (q.y - p.y);
    if (!std::isfinite(det) || det == 0) continue;
    const int64_t x0 = std::max<int64_t>(bounds.left, int64_t(std::floor(std::max(std::min({p.x, q.x, s.x}), -1e9))));
    const int64_t x1 = std::min<int64_t>(bounds.right, int64_t(std::ceil(std::min(std::max({p.x, q.x, s.x}), 1e9))));
    const int64_t y0 = std::max<int64_t>(bounds.top, int64_t(std::floor(std::max(std::min({p.y, q.y, s.y}), -1e9))));
    const int64_t y1 = std::min<int64_t>(bounds.bottom, int64_t(std::ceil(std::min(std::max({p.y, q.y, s.y}), 1e9))));
    for (int64_t y = y0; y < y1; ++y)
      for (int64_t x = x0; x < x1; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        const double l1 = ((q.x - px) * (s.y - py) - (s.x - px) * (q.y - py)) / det;
        const double l2 = ((s.x - px) * (p.y - py) - (p.x - px) * (s.y - py)) / det;
        const double l3 = 1 - l1 - l2;
        if (l1 < 0 || l2 < 0 || l3 < 0) continue;
        const double c[3] = {l1 * p.c[0] + l2 * q.c[0] + l3 * s.c[0], l1 * p.c[1] + l2 * q.c[1] + l3 * s.c[1],
                             l1 * p.c[2] + l2 * q.c[2] + l3 * s.c[2]};
        plot(x, y, c);
      }
  }
  return true;
}
