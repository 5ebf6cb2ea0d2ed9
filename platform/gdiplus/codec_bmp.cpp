// BMP files: every bit depth of the device-independent bitmap, plain, bit fields and RLE.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdiplus/codecs.h"

namespace gdiplus {
namespace {

struct Header {
  int64_t width = 0, height = 0;
  bool topDown = false;
  uint32_t bpp = 0, compression = 0, colorsUsed = 0;
  int32_t xppm = 0, yppm = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool haveMasks = false;
  size_t paletteOffset = 0, paletteEntrySize = 4;
};

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

bool ReadHeader(std::span<const uint8_t> d, Header& h) {
  if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') return false;
  const uint32_t size = Le32(&d[14]);
  if (size < 12 || size > d.size() - 14) return false;
  const uint8_t* p = &d[14];
  if (size == 12) {
    h.width = Le16(p + 4);
    h.height = Le16(p + 6);
    h.bpp = Le16(p + 10);
    h.paletteEntrySize = 3;
    h.paletteOffset = 26;
    return true;
  }
  if (size < 40) return false;
  h.width = int32_t(Le32(p + 4));
  const int32_t height = int32_t(Le32(p + 8));
  h.topDown = height < 0;
  h.height = height < 0 ? -int64_t(height) : height;
  h.bpp = Le16(p + 14);
  h.compression = Le32(p + 16);
  h.xppm = int32_t(Le32(p + 24));
  h.yppm = int32_t(Le32(p + 28));
  h.colorsUsed = Le32(p + 32);
  h.paletteOffset = 14 + size_t(size);
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    const size_t count = h.compression == kAlphaBitFields ? 4 : 3;
    if (size >= 40 + 4 * count) {
      for (size_t i = 0; i < count; ++i) h.masks[i] = Le32(p + 40 + 4 * i);
      if (size >= 56) h.masks[3] = Le32(p + 52);
    } else {
      if (d.size() < h.paletteOffset + 4 * count) return false;
      for (size_t i = 0; i < count; ++i) h.masks[i] = Le32(&d[h.paletteOffset + 4 * i]);
      h.paletteOffset += 4 * count;
    }
    h.haveMasks = true;
  }
  return true;
}

// Value of `v` under `mask`, scaled to 0..255.
uint32_t MaskedChannel(uint32_t v, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  uint32_t bits = 0;
  while (shift + int(bits) < 32 && ((mask >> (shift + int(bits))) & 1)) ++bits;
  const uint64_t value = (v & mask) >> shift;
  const uint64_t max = (uint64_t(1) << bits) - 1;
  return uint32_t((value * 255 + max / 2) / max);
}

void DecodeRle(std::span<const uint8_t> src, Plane& plane, bool four, bool topDown) {
  const int32_t w = plane.width(), h = plane.height();
  int32_t x = 0, row = 0;  // row counts from the first stored row
  auto put = [&](uint8_t v) {
    if (x < w && row < h) plane.SetIndex(topDown ? row : h - 1 - row, x, v);
    ++x;
  };
  size_t i = 0;
  while (i + 1 < src.size() && row < h) {
    const uint8_t count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? ((k & 1) ? value & 0x0f : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (i + 1 >= src.size()) break;
      x += src[i];
      row += src[i + 1];
      i += 2;
    } else {  // absolute run of `value` pixels, padded to 16 bits
      const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
      if (i + bytes > src.size()) break;
      for (int k = 0; k < value; ++k) put(four ? ((k & 1) ? src[i + k / 2] & 0x0f : src[i + k / 2] >> 4) : src[i + k]);
      i += (bytes + 1) & ~size_t(1);
    }
  }
}

}  // namespace

GpStatus DecodeBmp(std::span<const uint8_t> d, ImageData& out) {
  Header h;
  if (!ReadHeader(d, h)) return InvalidParameter;
  if (h.width <= 0 || h.height <= 0 || !SizeAllowed(uint64_t(h.width), uint64_t(h.height), d.size()))
    return InvalidParameter;
  const bool rle = h.compression == kRle8 || h.compression == kRle4;
  if (rle && (h.topDown || (h.compression == kRle8 ? h.bpp != 8 : h.bpp != 4))) return InvalidParameter;
  if (!rle && h.compression != kRgb && !h.haveMasks) return InvalidParameter;
  if (h.haveMasks && h.bpp != 16 && h.bpp != 32) return InvalidParameter;

  PixelFormat format = DibPixelFormat(int(h.bpp));
  // Masks come only with 16 and 32 bits; an alpha mask keeps its alpha.
  if (h.haveMasks)
    format = h.masks[3] ? PixelFormat32bppARGB : h.bpp == 16 ? PixelFormat24bppRGB : PixelFormat32bppRGB;
  else if (h.bpp == 16)
    format = PixelFormat16bppRGB555;
  if (format == PixelFormatUndefined) return InvalidParameter;
  Plane plane;
  if (!plane.Allocate(int32_t(h.width), int32_t(h.height), format)) return OutOfMemory;

  if (h.bpp <= 8) {
    const size_t maxEntries = size_t(1) << h.bpp;
    size_t entries = h.colorsUsed ? std::min<size_t>(h.colorsUsed, maxEntries) : maxEntries;
    if (h.paletteOffset > d.size()) return InvalidParameter;
    entries = std::min(entries, (d.size() - h.paletteOffset) / h.paletteEntrySize);
    plane.palette().clear();
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* e = &d[h.paletteOffset + i * h.paletteEntrySize];
      plane.palette().push_back(0xff000000u | uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0]);
    }
  }
  const uint32_t dataOffset = Le32(&d[10]);
  if (dataOffset == 0 || dataOffset >= d.size()) return InvalidParameter;
  const std::span<const uint8_t> pixels = d.subspan(dataOffset);

  if (rle) {
    DecodeRle(pixels, plane, h.compression == kRle4, false);
  } else {
    const uint64_t stride = ((uint64_t(h.width) * h.bpp + 31) / 32) * 4;
    if (stride * uint64_t(h.height) > pixels.size()) return InvalidParameter;
    const size_t rowBytes = size_t((uint64_t(h.width) * h.bpp + 7) / 8);
    std::vector<ARGB> row(static_cast<size_t>(h.width));
    for (int64_t r = 0; r < h.height; ++r) {
      const uint8_t* src = pixels.data() + size_t(r) * size_t(stride);
      const int32_t y = int32_t(h.topDown ? r : h.height - 1 - r);
      if (!h.haveMasks) {
        std::memcpy(plane.Row(y), src, rowBytes);
        continue;
      }
      for (int64_t x = 0; x < h.width; ++x) {
        const uint32_t v = h.bpp == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        const uint32_t a = h.masks[3] ? MaskedChannel(v, h.masks[3]) : 255;
        row[size_t(x)] = a << 24 | MaskedChannel(v, h.masks[0]) << 16 | MaskedChannel(v, h.masks[1]) << 8 |
                         MaskedChannel(v, h.masks[2]);
      }
      plane.WriteARGB(y, 0, int32_t(h.width), row.data());
    }
  }
  out.plane = std::move(plane);
  out.dpiX = h.xppm > 0 ? float(h.xppm * 0.0254) : 96.0f;
  out.dpiY = h.yppm > 0 ? float(h.yppm * 0.0254) : 96.0f;
  return Ok;
}

GpStatus EncodeBmp(const ImageData& image, std::vector<uint8_t>& out) {
  const Plane& p = image.plane;
  const uint32_t bpp = p.indexed() ? GetPixelFormatSize(p.format())
                       : (p.format() == PixelFormat32bppARGB || p.format() == PixelFormat32bppPARGB) ? 32
                                                                                                     : 24;
  const uint32_t colors = p.indexed() ? uint32_t(std::min<size_t>(p.palette().size(), size_t(1) << bpp)) : 0;
  const uint64_t stride = ((uint64_t(p.width()) * bpp + 31) / 32) * 4;
  const uint64_t offset = 14 + 40 + 4 * uint64_t(colors);
  const uint64_t total = offset + stride * uint64_t(p.height());
  if (total > UINT32_MAX) return ValueOverflow;
  out.assign(size_t(total), 0);
  auto put16 = [&](size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, uint32_t(total));
  put32(10, uint32_t(offset));
  put32(14, 40);
  put32(18, uint32_t(p.width()));
  put32(22, uint32_t(p.height()));
  put16(26, 1);
  put16(28, bpp);
  put32(34, uint32_t(stride * uint64_t(p.height())));
  put32(38, uint32_t(std::lround(image.dpiX / 0.0254)));
  put32(42, uint32_t(std::lround(image.dpiY / 0.0254)));
  put32(46, colors);
  for (uint32_t i = 0; i < colors; ++i) put32(54 + 4 * i, p.palette()[i] & 0x00ffffff);
  std::vector<ARGB> row(static_cast<size_t>(p.width()));
  const size_t rowBytes = size_t((uint64_t(p.width()) * bpp + 7) / 8);
  for (int32_t y = 0; y < p.height(); ++y) {
    uint8_t* dst = out.data() + offset + size_t(p.height() - 1 - y) * size_t(stride);
    if (p.indexed()) {
      std::memcpy(dst, p.Row(y), rowBytes);
      continue;
    }
    p.ReadARGB(y, 0, p.width(), row.data());
    for (int32_t x = 0; x < p.width(); ++x) {
      const ARGB c = row[size_t(x)];
      uint8_t* q = dst + size_t(x) * (bpp / 8);
      q[0] = uint8_t(c);
      q[1] = uint8_t(c >> 8);
      q[2] = uint8_t(c >> 16);
      if (bpp == 32) q[3] = uint8_t(c >> 24);
    }
  }
  return Ok;
}

}  // namespace gdiplus
