#include "platform/gdi/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/font.h"

namespace {

uint8_t Rop3Of(DWORD rop) { return uint8_t(rop >> 16); }

bool IsBlackWhite(const GdiBitmap& b) {
  const auto& c = b.Colors();
  return b.BitsPerPixel() == 1 && c.size() == 2 && c[0] == RGBQUAD{0, 0, 0, 0} && c[1] == RGBQUAD{255, 255, 255, 0};
}

// How a source pixel becomes a raw value of the destination.
struct Converter {
  const GdiBitmap& src;
  const GdiBitmap& dst;
  COLORREF dstText, dstBk, srcBk;
  bool raw, monoToColor, colorToMono;

  Converter(const GdiBitmap& s, const GdiBitmap& d, const GdiDC& sdc, const GdiDC& ddc)
      : src(s), dst(d), dstText(ddc.state.textColor), dstBk(ddc.state.bkColor), srcBk(sdc.state.bkColor) {
    raw = s.BitsPerPixel() == d.BitsPerPixel() && s.Is565() == d.Is565() &&
          (s.BitsPerPixel() > 8 || s.Colors() == d.Colors());
    monoToColor = IsBlackWhite(s) && d.BitsPerPixel() != 1;
    colorToMono = IsBlackWhite(d) && s.BitsPerPixel() != 1;
  }
  uint32_t FromRaw(uint32_t v) const {
    if (raw) return v;
    if (monoToColor) return dst.ColorToRaw(v ? dstBk : dstText);
    const COLORREF c = src.RawToColor(v);
    if (colorToMono) return (c & 0xFFFFFF) == (srcBk & 0xFFFFFF) ? 1 : 0;
    return dst.ColorToRaw(c);
  }
  uint32_t FromColor(COLORREF c) const {
    if (colorToMono) return (c & 0xFFFFFF) == (srcBk & 0xFFFFFF) ? 1 : 0;
    return dst.ColorToRaw(c);
  }
};

// The destination rectangle in device space and the mapping of its pixels to source
// coordinates (device space of the source).
struct Mapping {
  RECT dst;         // normalised
  double sx0, sy0;  // source position of the destination's left/top edge
  double scaleX, scaleY;
};

Mapping MapRects(const GdiDC& d, int x, int y, int w, int h, const GdiDC* s, int sx, int sy, int sw, int sh) {
  Mapping m;
  // A negative extent covers the pixels from x + w + 1 to x inclusive (the platform's rule,
  // which makes StretchBlt(dc, w - 1, 0, -w, ...) mirror exactly onto [0, w)).
  const int64_t dx0 = d.DevX(x) + (w < 0 ? 1 : 0), dy0 = d.DevY(y) + (h < 0 ? 1 : 0);
  const int64_t dx1 = dx0 + w, dy1 = dy0 + h;
  auto c = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 4, INT32_MAX / 4)); };
  m.dst = RECT{c(std::min(dx0, dx1)), c(std::min(dy0, dy1)), c(std::max(dx0, dx1)), c(std::max(dy0, dy1))};
  const double ssx = (s ? s->DevXf(sx) : sx) + (sw < 0 ? 1 : 0), ssy = (s ? s->DevYf(sy) : sy) + (sh < 0 ? 1 : 0);
  // Mirrored along an axis when exactly one of the two extents is negative.
  const bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
  const double ax = w ? std::abs(double(sw) / w) : 0, ay = h ? std::abs(double(sh) / h) : 0;
  m.scaleX = mirrorX ? -ax : ax;
  m.scaleY = mirrorY ? -ay : ay;
  m.sx0 = mirrorX ? std::max(ssx, ssx + sw) : std::min(ssx, ssx + sw);
  m.sy0 = mirrorY ? std::max(ssy, ssy + sh) : std::min(ssy, ssy + sh);
  return m;
}

// Source coordinate of destination column/row centre; floor of it picks the pixel.
inline int64_t Pick(double origin, double scale, int64_t offset) {
  return int64_t(std::floor(origin + (double(offset) + 0.5) * scale));
}

bool DoStretch(HDC dstDC, int x, int y, int w, int h, HDC srcDC, int sx, int sy, int sw, int sh, DWORD rop,
               const GdiBitmap* mask, int mx, int my, DWORD rop4, const COLORREF* key) {
  auto d = LookupDC(dstDC);
  if (!d || !d->Surface()) return false;
  if (w == 0 || h == 0) return true;
  const uint8_t fore = Rop3Of(rop);
  const uint8_t back = mask ? uint8_t(rop4 >> 24) : fore;
  std::shared_ptr<GdiDC> s;
  const bool needsSource = ((fore >> 2) & 0x33) != (fore & 0x33) || ((back >> 2) & 0x33) != (back & 0x33) || key;
  if (needsSource) {
    s = LookupDC(srcDC);
    if (!s || !s->Surface()) return false;
  }
  if (sw == 0 || sh == 0) {
    if (needsSource) return true;
  }
  const Mapping m = MapRects(*d, x, y, w, h, s.get(), sx, sy, sw, sh);
  GdiBitmap& dst = *d->Surface();
  const PatternSource pattern = PatternSource::FromBrush(*d, d->state.brush);
  if (!needsSource) {
    RasterOp(*d, Region::FromRect(m.dst), &pattern, nullptr, fore);
    return true;
  }
  // A blit within one bitmap reads from a copy, so that overlapping moves come out right.
  std::optional<GdiBitmap> own;
  if (s->Surface() == &dst) {
    own.emplace();
    own->CopyFrom(dst);
  }
  const GdiBitmap& src = own ? *own : *s->Surface();
  const Converter conv(src, dst, *s, *d);
  const int mode = d->state.stretchMode;
  const double ax = std::abs(m.scaleX), ay = std::abs(m.scaleY);
  const bool halftone = mode == HALFTONE && (ax > 1 || ay > 1);
  const bool monoMerge = (mode == BLACKONWHITE || mode == WHITEONBLACK) && src.BitsPerPixel() == 1 &&
                         dst.BitsPerPixel() == 1 && (ax > 1 || ay > 1);
  const int32_t left = m.dst.left, top = m.dst.top;
  SourceSampler sampler = [&](int32_t px, int32_t py, uint32_t& out) -> bool {
    const int64_t ox = px - left, oy = py - top;
    if (!halftone && !monoMerge) {
      const int64_t qx = Pick(m.sx0, m.scaleX, ox), qy = Pick(m.sy0, m.scaleY, oy);
      if (qx < 0 || qy < 0 || qx >= src.Width() || qy >= src.Height()) return false;
      const uint32_t v = src.GetRaw(int32_t(qx), int32_t(qy));
      if (key && (src.RawToColor(v) & 0xFFFFFF) == (*key & 0xFFFFFF)) return false;
      out = conv.FromRaw(v);
      return true;
    }
    // The block of source pixels that this destination pixel covers.
    const double fx0 = m.sx0 + double(ox) * m.scaleX, fx1 = fx0 + m.scaleX;
    const double fy0 = m.sy0 + double(oy) * m.scaleY, fy1 = fy0 + m.scaleY;
    int64_t x0 = int64_t(std::floor(std::min(fx0, fx1))), x1 = int64_t(std::ceil(std::max(fx0, fx1)));
    int64_t y0 = int64_t(std::floor(std::min(fy0, fy1))), y1 = int64_t(std::ceil(std::max(fy0, fy1)));
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(std::max(x1, x0 + 1), src.Width());
    y1 = std::min<int64_t>(std::max(y1, y0 + 1), src.Height());
    if (x0 >= x1 || y0 >= y1) return false;
    if (monoMerge) {
      uint32_t acc = mode == BLACKONWHITE ? 1 : 0;
      for (int64_t yy = y0; yy < y1; ++yy)
        for (int64_t xx = x0; xx < x1; ++xx) {
          const uint32_t v = src.GetRaw(int32_t(xx), int32_t(yy));
          acc = mode == BLACKONWHITE ? (acc & v) : (acc | v);
        }
      out = acc;
      return true;
    }
    uint64_t r = 0, g = 0, b = 0, n = 0;
    for (int64_t yy = y0; yy < y1; ++yy)
      for (int64_t xx = x0; xx < x1; ++xx) {
        const COLORREF c = src.GetColor(int32_t(xx), int32_t(yy));
        r += GetRValue(c);
        g += GetGValue(c);
        b += GetBValue(c);
        ++n;
      }
    out = conv.FromColor(RGB(uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((b + n / 2) / n)));
    return true;
  };
  if (!mask) {
    // Unstretched copies between equal formats move whole rows.
    const bool plainCopy = fore == 0xCC && conv.raw && m.scaleX == 1 && m.scaleY == 1 && !key &&
                           src.BitsPerPixel() >= 8 && &src != &dst;
    if (plainCopy) {
      const Region area = Region::Combine(Region::FromRect(m.dst), d->Drawable(), Region::And);
      const int bytes = src.BitsPerPixel() / 8;
      for (const Region::Band& band : area.Bands())
        for (int32_t py = band.top; py < band.bottom; ++py)
          for (size_t i = 0; i < band.xs.size(); i += 2) {
            const int64_t qy = Pick(m.sy0, 1, py - top);
            if (qy < 0 || qy >= src.Height()) continue;
            int64_t qx0 = Pick(m.sx0, 1, band.xs[i] - left), qx1 = qx0 + (band.xs[i + 1] - band.xs[i]);
            int64_t px0 = band.xs[i];
            if (qx0 < 0) {
              px0 -= qx0;
              qx0 = 0;
            }
            qx1 = std::min<int64_t>(qx1, src.Width());
            if (qx1 <= qx0) continue;
            std::memcpy(dst.Row(py) + px0 * bytes, src.Row(int32_t(qy)) + qx0 * bytes, size_t((qx1 - qx0) * bytes));
          }
      return true;
    }
    if (fore == 0xCC && !key && !halftone && !monoMerge) {
      // Plain copies (stretched or converting) go pixel by pixel without the general machinery.
      const Region area = Region::Combine(Region::FromRect(m.dst), d->Drawable(), Region::And);
      const bool alpha32 = dst.BitsPerPixel() == 32 && src.BitsPerPixel() == 32;
      for (const Region::Band& band : area.Bands())
        for (int32_t py = band.top; py < band.bottom; ++py) {
          const int64_t qy = Pick(m.sy0, m.scaleY, py - top);
          if (qy < 0 || qy >= src.Height()) continue;
          for (size_t i = 0; i < band.xs.size(); i += 2)
            for (int32_t px = band.xs[i]; px < band.xs[i + 1]; ++px) {
              const int64_t qx = Pick(m.sx0, m.scaleX, px - left);
              if (qx < 0 || qx >= src.Width()) continue;
              uint32_t v = conv.FromRaw(src.GetRaw(int32_t(qx), int32_t(qy)));
              if (dst.BitsPerPixel() == 32 && !alpha32) v &= 0x00FFFFFF;
              dst.SetRaw(px, py, v);
            }
        }
      return true;
    }
    RasterOp(*d, Region::FromRect(m.dst), &pattern, &sampler, fore);
    return true;
  }
  // MaskBlt: two passes, each over the pixels whose mask bit selects its operation.
  Region::Span span{};
  Spans ones, zeros;
  for (int32_t py = m.dst.top; py < m.dst.bottom; ++py) {
    const int64_t my2 = int64_t(my) + (py - m.dst.top);
    for (int32_t px = m.dst.left; px < m.dst.right; ++px) {
      const int64_t mx2 = int64_t(mx) + (px - m.dst.left);
      const bool bit = mx2 >= 0 && my2 >= 0 && mx2 < mask->Width() && my2 < mask->Height() &&
                       mask->GetRaw(int32_t(mx2), int32_t(my2));
      span = Region::Span{py, px, px + 1};
      (bit ? ones : zeros).push_back(span);
    }
  }
  RasterOp(*d, Region::FromSpans(std::move(ones)), &pattern, &sampler, fore);
  RasterOp(*d, Region::FromSpans(std::move(zeros)), &pattern, &sampler, back);
  return true;
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  auto d = LookupDC(dc);
  const GdiBitmap* s = d ? d->Surface() : nullptr;
  const int bpp = s ? s->BitsPerPixel() : 32;
  if (width < 0 || height < 0) return nullptr;
  try {
    auto b = std::make_shared<GdiBitmap>(width, height, bpp, s && s->Is565());
    if (s && bpp <= 8) b->SetColors(s->Colors());
    return static_cast<HBITMAP>(RegisterGdiObject(b));
  } catch (const std::exception&) {
    return nullptr;
  }
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bpp, const void* bits) {
  if (width < 0 || height < 0 || planes != 1) return nullptr;
  const int depth = bpp <= 1 ? 1 : bpp <= 4 ? 4 : bpp <= 8 ? 8 : bpp <= 16 ? 16 : bpp <= 24 ? 24 : 32;
  std::shared_ptr<GdiBitmap> b;
  try {
    b = std::make_shared<GdiBitmap>(width, height, depth);
  } catch (const std::exception&) {
    return nullptr;
  }
  if (bits) {
    const int64_t srcStride = ((int64_t(width) * depth + 15) / 16) * 2;
    const int64_t rowBytes = (int64_t(width) * depth + 7) / 8;
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(b->Row(y), static_cast<const uint8_t*>(bits) + srcStride * y, size_t(rowBytes));
  }
  return static_cast<HBITMAP>(RegisterGdiObject(b));
}

namespace {

size_t TableEntries(const BITMAPINFOHEADER& h) {
  if (h.biBitCount > 8) return h.biCompression == BI_BITFIELDS ? 3 : 0;
  const size_t max = size_t(1) << h.biBitCount;
  return h.biClrUsed && h.biClrUsed < max ? h.biClrUsed : max;
}

// Decodes a caller's DIB (header + table in `info`, pixels at `bits`) through the BMP reader.
std::shared_ptr<GdiBitmap> DecodeDib(const BITMAPINFO* info, const void* bits) {
  if (!info || !bits) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biBitCount == 0) return nullptr;
  const int64_t absH = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  if (int64_t(h.biWidth) * absH > kMaxBitmapPixels) return nullptr;
  int64_t bitsSize = DibStride(h.biWidth, h.biBitCount) * absH;
  if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) bitsSize = h.biSizeImage;
  const size_t table = std::min<size_t>(TableEntries(h), 256);
  std::vector<uint8_t> dib(40 + table * 4 + size_t(bitsSize));
  BITMAPINFOHEADER copy = h;
  copy.biSize = 40;
  std::memcpy(dib.data(), &copy, 40);
  std::memcpy(dib.data() + 40, info->bmiColors, table * 4);
  std::memcpy(dib.data() + 40 + table * 4, bits, size_t(bitsSize));
  try {
    return ReadDib(dib, int64_t(40 + table * 4), false).image;
  } catch (const std::exception&) {
    return nullptr;
  }
}

// A temporary memory DC over a decoded DIB, for the DIB-to-device functions.
struct TempDC {
  HDC dc = nullptr;
  explicit TempDC(std::shared_ptr<GdiBitmap> b) {
    dc = CreateCompatibleDC(nullptr);
    LookupDC(dc)->state.bitmap = std::move(b);
  }
  ~TempDC() { DeleteDC(dc); }
};

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD) {
  if (!info || section || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biWidth <= 0 || h.biHeight == 0) return nullptr;
  if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)))
    return nullptr;
  const int64_t absH = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  std::shared_ptr<GdiBitmap> b;
  try {
    bool rgb565 = false;
    if (h.biCompression == BI_BITFIELDS && h.biBitCount == 16) {
      const auto* masks = reinterpret_cast<const DWORD*>(info->bmiColors);
      rgb565 = masks[0] == 0xF800;
    }
    b = std::make_shared<GdiBitmap>(h.biWidth, int32_t(absH), h.biBitCount, rgb565);
  } catch (const std::exception&) {
    return nullptr;
  }
  if (h.biBitCount <= 8) {
    const size_t n = std::min<size_t>(TableEntries(h), 256);
    b->SetColors(std::span<const RGBQUAD>(info->bmiColors, n));
  }
  b->SetBottomUp(h.biHeight > 0);
  if (bits) *bits = b->Bits().data();
  return static_cast<HBITMAP>(RegisterGdiObject(b));
}

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
  if (!header) return nullptr;
  if ((init & CBM_INIT) && bits && info && usage == DIB_RGB_COLORS) {
    auto b = DecodeDib(info, bits);
    return b ? static_cast<HBITMAP>(RegisterGdiObject(b)) : nullptr;
  }
  const int64_t absH = header->biHeight < 0 ? -int64_t(header->biHeight) : header->biHeight;
  try {
    auto b = std::make_shared<GdiBitmap>(header->biWidth, int32_t(absH), 32);
    return static_cast<HBITMAP>(RegisterGdiObject(b));
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return DoStretch(dst, x, y, w, h, src, sx, sy, w, h, rop, nullptr, 0, 0, 0, nullptr);
}

bool StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  return DoStretch(dst, x, y, w, h, src, sx, sy, sw, sh, rop, nullptr, 0, 0, 0, nullptr);
}

bool PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
  const uint8_t r = Rop3Of(rop);
  if (((r >> 2) & 0x33) != (r & 0x33)) return false;  // no source allowed
  return DoStretch(dc, x, y, w, h, nullptr, 0, 0, w, h, rop, nullptr, 0, 0, 0, nullptr);
}

bool MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my, DWORD rop4) {
  if (!mask) return DoStretch(dst, x, y, w, h, src, sx, sy, w, h, rop4 & 0xFFFFFF, nullptr, 0, 0, 0, nullptr);
  auto m = LookupGdi<GdiBitmap>(mask);
  if (!m || m->BitsPerPixel() != 1) return false;
  return DoStretch(dst, x, y, w, h, src, sx, sy, w, h, rop4 & 0xFFFFFF, m.get(), mx, my, rop4, nullptr);
}

bool TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT transparent) {
  if (w < 0 || h < 0 || sw < 0 || sh < 0) return false;
  // Point sampling, whatever the stretch mode, so that the key colour is never blended.
  auto d = LookupDC(dst);
  if (!d) return false;
  const int saved = d->state.stretchMode;
  d->state.stretchMode = COLORONCOLOR;
  const COLORREF key = transparent;
  const bool ok = DoStretch(dst, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY, nullptr, 0, 0, 0, &key);
  d->state.stretchMode = saved;
  return ok;
}

int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop) {
  if (usage != DIB_RGB_COLORS) return 0;
  auto b = DecodeDib(info, bits);
  if (!b) return 0;
  // Source coordinates of a DIB count from its lower-left corner.
  const int height = b->Height();
  TempDC temp(b);
  const int syTop = height - sy - sh;
  if (!StretchBlt(dc, x, y, w, h, temp.dc, sx, syTop, sw, sh, rop)) return 0;
  return height;
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!info || startScan != 0) return 0;  // banded transfers are not used here
  if (usage != DIB_RGB_COLORS) return 0;
  auto b = DecodeDib(info, bits);
  if (!b) return 0;
  const int height = b->Height();
  TempDC temp(b);
  if (!BitBlt(dc, x, y, int(w), int(h), temp.dc, sx, height - sy - int(h), SRCCOPY)) return 0;
  return int(std::min<UINT>(lines, UINT(height)));
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  auto b = LookupGdi<GdiBitmap>(bitmap);
  if (!b || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (!bits) {
    if (h.biBitCount == 0) {
      h.biWidth = b->Width();
      h.biHeight = b->Height();
      h.biPlanes = 1;
      h.biBitCount = uint16_t(b->BitsPerPixel());
      h.biCompression = BI_RGB;
    }
    h.biSizeImage = uint32_t(DibStride(h.biWidth, h.biBitCount) * std::abs(int64_t(h.biHeight)));
    if (h.biBitCount <= 8) {
      GdiBitmap probe(1, 1, h.biBitCount);
      const auto& table = b->BitsPerPixel() == h.biBitCount ? b->Colors() : probe.Colors();
      std::memcpy(info->bmiColors, table.data(), std::min<size_t>(table.size(), 256) * 4);
    }
    return b->Height();
  }
  const int bpp = h.biBitCount;
  if ((bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) || h.biCompression != BI_RGB)
    return 0;
  const bool topDown = h.biHeight < 0;
  const int64_t height = b->Height();
  const int64_t stride = DibStride(b->Width(), bpp);
  // The requested format, converted once; the caller's table describes indexed output.
  GdiBitmap conv(b->Width(), b->Height(), bpp);
  if (bpp <= 8 && bpp == b->BitsPerPixel()) conv.SetColors(b->Colors());
  for (int32_t y = 0; y < b->Height(); ++y)
    for (int32_t x = 0; x < b->Width(); ++x) {
      if (bpp == b->BitsPerPixel() && !b->Is565())
        conv.SetRaw(x, y, b->GetRaw(x, y));
      else
        conv.SetColor(x, y, b->GetColor(x, y));
    }
  if (bpp <= 8) std::memcpy(info->bmiColors, conv.Colors().data(), conv.Colors().size() * 4);
  UINT copied = 0;
  for (UINT i = 0; i < lines && int64_t(start) + i < height; ++i, ++copied) {
    const int64_t fromBottom = int64_t(start) + i;
    const int32_t row = int32_t(height - 1 - fromBottom);
    uint8_t* outRow = static_cast<uint8_t*>(bits) + stride * (topDown ? int64_t(lines) - 1 - i : int64_t(i));
    std::memcpy(outRow, conv.Row(row), size_t(stride));
  }
  return int(copied);
}

int SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  auto b = LookupGdi<GdiBitmap>(bitmap);
  if (!b || usage != DIB_RGB_COLORS || start != 0) return 0;
  auto src = DecodeDib(info, bits);
  if (!src) return 0;
  const int32_t w = std::min(b->Width(), src->Width());
  const int32_t rows = std::min<int32_t>({int32_t(lines), b->Height(), src->Height()});
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t sy = src->Height() - 1 - i, dy = b->Height() - 1 - i;
    for (int32_t x = 0; x < w; ++x) b->SetColor(x, dy, src->GetColor(x, sy));
  }
  return rows;
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  auto o = LookupGdiObject(object);
  if (!o) return 0;
  auto put = [&](const void* v, int n) {
    if (!out) return n;
    const int k = std::min(n, size);
    std::memcpy(out, v, size_t(std::max(k, 0)));
    return k;
  };
  if (auto b = std::dynamic_pointer_cast<GdiBitmap>(o)) {
    BITMAP bm;
    bm.bmWidth = b->Width();
    bm.bmHeight = b->Height();
    bm.bmWidthBytes = LONG(((int64_t(b->Width()) * b->BitsPerPixel() + 15) / 16) * 2);
    bm.bmBitsPixel = WORD(b->BitsPerPixel());
    bm.bmBits = b->BottomUp() ? b->Bits().data() : nullptr;
    return put(&bm, sizeof bm);
  }
  if (auto p = std::dynamic_pointer_cast<GdiPen>(o)) {
    LOGPEN lp;
    lp.lopnStyle = p->style;
    lp.lopnWidth.x = p->width;
    lp.lopnColor = p->color;
    return put(&lp, sizeof lp);
  }
  if (auto br = std::dynamic_pointer_cast<GdiBrush>(o)) {
    LOGBRUSH lb;
    lb.lbStyle = br->style;
    lb.lbColor = br->color;
    lb.lbHatch = uintptr_t(br->hatch);
    return put(&lb, sizeof lb);
  }
  if (auto f = std::dynamic_pointer_cast<GdiFont>(o)) {
    const LOGFONTA lf = ToLogFontA(f->logFont);
    return put(&lf, sizeof lf);
  }
  if (auto pal = std::dynamic_pointer_cast<GdiPalette>(o)) {
    const WORD n = WORD(pal->entries.size());
    return put(&n, sizeof n);
  }
  return 0;
}

int GetObjectW(HGDIOBJ object, int size, void* out) {
  if (auto f = LookupGdi<GdiFont>(object)) {
    if (!out) return int(sizeof(LOGFONTW));
    const int k = std::min<int>(size, sizeof(LOGFONTW));
    std::memcpy(out, &f->logFont, size_t(std::max(k, 0)));
    return k;
  }
  return GetObjectA(object, size, out);
}
