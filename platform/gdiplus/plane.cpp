// Pixel planes in the formats the provider keeps, and their premultiplied cairo copies.
#include <algorithm>
#include <cstring>

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {
namespace {

inline uint8_t Mul255(uint32_t x, uint32_t a) {
  const uint32_t t = x * a + 128;
  return uint8_t((t + (t >> 8)) >> 8);
}

inline uint8_t Expand5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Expand6(uint32_t v) { return uint8_t((v << 2) | (v >> 4)); }

ARGB PaletteAt(const std::vector<ARGB>& palette, uint32_t i) {
  return i < palette.size() ? palette[i] : 0xff000000u;
}

std::vector<ARGB> DefaultPalette(PixelFormat format) {
  std::vector<ARGB> p;
  if (format == PixelFormat1bppIndexed) {
    p = {0xff000000u, 0xffffffffu};
  } else if (format == PixelFormat4bppIndexed) {
    static const ARGB vga[16] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                                 0xff008080, 0xff808080, 0xffc0c0c0, 0xffff0000, 0xff00ff00, 0xffffff00,
                                 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    p.assign(std::begin(vga), std::end(vga));
  } else if (format == PixelFormat8bppIndexed) {
    for (uint32_t r = 0; r < 6; ++r)
      for (uint32_t g = 0; g < 6; ++g)
        for (uint32_t b = 0; b < 6; ++b) p.push_back(0xff000000u | (r * 51) << 16 | (g * 51) << 8 | (b * 51));
    for (uint32_t i = 0; p.size() < 256; ++i) {
      const uint32_t v = i * 255 / 39;
      p.push_back(0xff000000u | v << 16 | v << 8 | v);
    }
  }
  return p;
}

uint8_t NearestIndex(const std::vector<ARGB>& palette, ARGB c) {
  uint32_t best = 0;
  int64_t bestDist = INT64_MAX;
  for (uint32_t i = 0; i < palette.size() && i < 256; ++i) {
    const ARGB p = palette[i];
    int64_t d = 0;
    for (int s = 0; s < 32; s += 8) {
      const int64_t e = int64_t((p >> s) & 0xff) - int64_t((c >> s) & 0xff);
      d += e * e;
    }
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return uint8_t(best);
}

}  // namespace

uint32_t Premultiply(ARGB c) {
  const uint32_t a = c >> 24;
  if (a == 255) return c;
  if (a == 0) return 0;
  return a << 24 | uint32_t(Mul255((c >> 16) & 0xff, a)) << 16 | uint32_t(Mul255((c >> 8) & 0xff, a)) << 8 |
         Mul255(c & 0xff, a);
}

ARGB Unpremultiply(uint32_t p) {
  const uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto ch = [&](int s) { return std::min<uint32_t>(255, (((p >> s) & 0xff) * 255 + a / 2) / a); };
  return a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}

uint64_t MaxPixelsForData(uint64_t dataSize) {
  const uint64_t plausible = (uint64_t(1) << 22) + std::min<uint64_t>(dataSize, uint64_t(1) << 32) * 65536;
  return std::min(kMaxPixels, plausible);
}

bool SizeAllowed(uint64_t width, uint64_t height, uint64_t dataSize) {
  if (width == 0 || height == 0 || width > (1u << 30) || height > (1u << 30)) return false;
  return width * height <= MaxPixelsForData(dataSize);
}

PixelFormat DibPixelFormat(int bpp) {
  switch (bpp) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 24: return PixelFormat24bppRGB;
    case 32: return PixelFormat32bppRGB;
    default: return PixelFormatUndefined;
  }
}

bool Plane::Supported(PixelFormat f) {
  switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
      return true;
    default:
      return false;
  }
}

bool Plane::Allocate(int32_t width, int32_t height, PixelFormat format) {
  if (!Supported(format) || width <= 0 || height <= 0) return false;
  if (uint64_t(width) * uint64_t(height) > kMaxPixels) return false;
  const uint64_t stride = ((uint64_t(width) * GetPixelFormatSize(format) + 31) / 32) * 4;
  if (stride > INT32_MAX) return false;
  owned_.assign(size_t(stride * uint64_t(height)), 0);
  format_ = format;
  width_ = width;
  height_ = height;
  stride_ = int32_t(stride);
  scan0_ = owned_.data();
  palette_ = DefaultPalette(format);
  return true;
}

void Plane::Borrow(uint8_t* scan0, int32_t stride, int32_t width, int32_t height, PixelFormat format) {
  owned_.clear();
  scan0_ = scan0;
  stride_ = stride;
  width_ = width;
  height_ = height;
  format_ = format;
  palette_ = DefaultPalette(format);
}

Plane Plane::Clone() const {
  Plane p;
  if (empty()) return p;
  if (!p.Allocate(width_, height_, format_)) throw std::bad_alloc();
  const size_t rowBytes = (size_t(width_) * GetPixelFormatSize(format_) + 7) / 8;
  for (int32_t y = 0; y < height_; ++y) std::memcpy(p.Row(y), Row(y), rowBytes);
  p.palette_ = palette_;
  return p;
}

uint8_t Plane::Index(int32_t y, int32_t x) const {
  const uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat1bppIndexed:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat4bppIndexed:
      return (x & 1) ? row[x >> 1] & 0x0f : row[x >> 1] >> 4;
    case PixelFormat8bppIndexed:
      return row[x];
    default:
      return 0;
  }
}

void Plane::SetIndex(int32_t y, int32_t x, uint8_t v) {
  uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat1bppIndexed: {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case PixelFormat4bppIndexed:
      row[x >> 1] = (x & 1) ? uint8_t((row[x >> 1] & 0xf0) | (v & 0x0f)) : uint8_t((row[x >> 1] & 0x0f) | (v << 4));
      break;
    case PixelFormat8bppIndexed:
      row[x] = v;
      break;
    default:
      break;
  }
}

void Plane::ReadARGB(int32_t y, int32_t x, int32_t n, ARGB* out) const {
  const uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
      for (int32_t i = 0; i < n; ++i) out[i] = PaletteAt(palette_, Index(y, x + i));
      break;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
      for (int32_t i = 0; i < n; ++i) {
        const uint8_t* p = row + size_t(x + i) * 2;
        const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
        uint32_t a = 255, r, g, b = Expand5(v & 31);
        if (format_ == PixelFormat16bppRGB565) {
          r = Expand5((v >> 11) & 31);
          g = Expand6((v >> 5) & 63);
        } else {
          r = Expand5((v >> 10) & 31);
          g = Expand5((v >> 5) & 31);
          if (format_ == PixelFormat16bppARGB1555) a = (v & 0x8000) ? 255 : 0;
        }
        out[i] = a << 24 | r << 16 | g << 8 | b;
      }
      break;
    case PixelFormat24bppRGB:
      for (int32_t i = 0; i < n; ++i) {
        const uint8_t* p = row + size_t(x + i) * 3;
        out[i] = 0xff000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      }
      break;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
      for (int32_t i = 0; i < n; ++i) {
        const uint8_t* p = row + size_t(x + i) * 4;
        const uint32_t v = uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        out[i] = format_ == PixelFormat32bppRGB ? (v | 0xff000000u) : format_ == PixelFormat32bppPARGB ? Unpremultiply(v) : v;
      }
      break;
    default:
      std::fill(out, out + n, 0u);
  }
}

void Plane::WriteARGB(int32_t y, int32_t x, int32_t n, const ARGB* in) {
  uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed: {
      ARGB last = 0;
      uint8_t lastIndex = NearestIndex(palette_, 0);
      for (int32_t i = 0; i < n; ++i) {
        if (in[i] != last) {
          last = in[i];
          lastIndex = NearestIndex(palette_, last);
        }
        SetIndex(y, x + i, lastIndex);
      }
      break;
    }
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
      for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = in[i], r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
        uint32_t v;
        if (format_ == PixelFormat16bppRGB565)
          v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        else
          v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3) | ((format_ == PixelFormat16bppARGB1555 && (c >> 24) >= 128) ? 0x8000 : 0);
        uint8_t* p = row + size_t(x + i) * 2;
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
      }
      break;
    case PixelFormat24bppRGB:
      for (int32_t i = 0; i < n; ++i) {
        uint8_t* p = row + size_t(x + i) * 3;
        p[0] = uint8_t(in[i]);
        p[1] = uint8_t(in[i] >> 8);
        p[2] = uint8_t(in[i] >> 16);
      }
      break;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
      for (int32_t i = 0; i < n; ++i) {
        uint32_t v = in[i];
        if (format_ == PixelFormat32bppRGB) v |= 0xff000000u;
        if (format_ == PixelFormat32bppPARGB) v = Premultiply(v);
        uint8_t* p = row + size_t(x + i) * 4;
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v >> 16);
        p[3] = uint8_t(v >> 24);
      }
      break;
    default:
      break;
  }
}

SurfacePtr PlaneToSurface(const Plane& plane, int32_t x, int32_t y, int32_t w, int32_t h, const RowAdjust& adjust) {
  if (w <= 0 || h <= 0) return nullptr;
  SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(s.get());
  uint8_t* data = cairo_image_surface_get_data(s.get());
  const int stride = cairo_image_surface_get_stride(s.get());
  for (int32_t r = 0; r < h; ++r) {
    uint32_t* dst = reinterpret_cast<uint32_t*>(data + size_t(r) * size_t(stride));
    if (plane.format() == PixelFormat24bppRGB && !adjust) {
      const uint8_t* p = plane.Row(y + r) + size_t(x) * 3;
      for (int32_t i = 0; i < w; ++i, p += 3) dst[i] = 0xff000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      continue;
    }
    plane.ReadARGB(y + r, x, w, dst);
    if (adjust) adjust(dst, w);
    for (int32_t i = 0; i < w; ++i) dst[i] = Premultiply(dst[i]);
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

cairo_surface_t* ImageData::Surface() {
  if (!cached || cachedGeneration != generation) {
    cached = PlaneToSurface(plane, 0, 0, plane.width(), plane.height());
    cachedGeneration = generation;
  }
  return cached.get();
}

}  // namespace gdiplus
