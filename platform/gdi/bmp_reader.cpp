#include "platform/gdi/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/gdi/graphics_errors.h"

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidBitmap); }

// Bounds-checked little-endian reads over the input.
class Bytes {
 public:
  explicit Bytes(std::span<const uint8_t> d) : d_(d) {}
  size_t size() const { return d_.size(); }
  bool Has(int64_t offset, int64_t count) const {
    return offset >= 0 && count >= 0 && uint64_t(offset) + uint64_t(count) <= d_.size();
  }
  uint8_t U8(int64_t o) const {
    if (!Has(o, 1)) Invalid();
    return d_[size_t(o)];
  }
  uint16_t U16(int64_t o) const { return uint16_t(U8(o) | (U8(o + 1) << 8)); }
  uint32_t U32(int64_t o) const { return uint32_t(U16(o)) | (uint32_t(U16(o + 2)) << 16); }
  int32_t I32(int64_t o) const { return int32_t(U32(o)); }
  const uint8_t* At(int64_t o) const { return d_.data() + o; }

 private:
  std::span<const uint8_t> d_;
};

struct Header {
  int64_t width = 0, height = 0;  // height > 0: bottom-up
  bool topDown = false;
  int bpp = 0;
  uint32_t compression = BI_RGB;
  uint32_t clrUsed = 0;
  int32_t xppm = 0, yppm = 0;
  bool core = false;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  int64_t tableOffset = 0;
};

Header ParseHeader(const Bytes& b, bool iconImage) {
  Header h;
  const uint32_t size = b.U32(0);
  if (size < 12 || !b.Has(0, size)) Invalid();
  if (size == 12) {
    h.core = true;
    h.width = b.U16(4);
    h.height = b.U16(6);
    h.bpp = b.U16(10);
  } else if (size >= 16) {
    h.width = b.I32(4);
    h.height = b.I32(8);
    h.bpp = b.U16(14);
    if (size >= 20) h.compression = b.U32(16);
    if (size >= 32) {
      h.xppm = b.I32(24);
      h.yppm = b.I32(28);
    }
    if (size >= 36) h.clrUsed = b.U32(32);
    const bool os2v2 = size != 40 && size != 52 && size != 56 && size < 108;
    // OS/2 2.x numbers its own compressions 3 (Huffman) and 4 (24-bit RLE): not supported.
    if (os2v2 && h.compression > BI_RLE4) Invalid();
  } else {
    Invalid();
  }
  int64_t pos = size;
  if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
    const int count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
    if (size >= 52) {
      for (int i = 0; i < 3; ++i) h.masks[i] = b.U32(40 + 4 * i);
      if (size >= 56) h.masks[3] = b.U32(52);
    } else {
      for (int i = 0; i < count; ++i) h.masks[i] = b.U32(pos + 4 * i);
      pos += 4 * count;
    }
  }
  h.tableOffset = pos;
  if (h.height < 0) {
    h.height = -h.height;  // 64 bits: INT32_MIN is safe
    h.topDown = true;
  }
  if (iconImage) h.height /= 2;
  if (h.width <= 0 || h.height <= 0) Invalid();
  CheckBitmapSize(h.width, h.height);
  switch (h.compression) {
    case BI_RGB:
      if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32) Invalid();
      break;
    case BI_RLE8:
      if (h.bpp != 8 || h.topDown) Invalid();
      break;
    case BI_RLE4:
      if (h.bpp != 4 || h.topDown) Invalid();
      break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (h.bpp != 16 && h.bpp != 32) Invalid();
      if (!h.masks[0] && !h.masks[1] && !h.masks[2]) {
        h.compression = BI_RGB;  // no masks given: the default layout
      }
      break;
    default: Invalid();
  }
  return h;
}

std::vector<RGBQUAD> ReadColorTable(const Bytes& b, Header& h) {
  std::vector<RGBQUAD> table;
  const int entrySize = h.core ? 3 : 4;
  int64_t count = 0;
  if (h.bpp <= 8) {
    const int64_t max = int64_t(1) << h.bpp;
    count = (h.clrUsed == 0 || h.clrUsed > max) ? max : h.clrUsed;
    // A table cut short by the end of the data keeps the entries that are there.
    const int64_t available = std::max<int64_t>(0, (int64_t(b.size()) - h.tableOffset) / entrySize);
    const int64_t n = std::min(count, available);
    for (int64_t i = 0; i < n; ++i) {
      const int64_t o = h.tableOffset + i * entrySize;
      table.push_back(RGBQUAD{b.U8(o), b.U8(o + 1), b.U8(o + 2), 0});
    }
    if (table.empty()) Invalid();
  } else if (h.clrUsed <= 256) {
    count = h.clrUsed;  // an optional table for palette devices: skipped
  }
  h.tableOffset += count * entrySize;
  return table;
}

int MaskShift(uint32_t m) { return m ? std::countr_zero(m) : 0; }
int MaskBits(uint32_t m) { return m ? std::popcount(m >> MaskShift(m)) : 0; }

// One channel scaled from its mask's width to 8 bits.
uint8_t Channel(uint32_t v, uint32_t mask) {
  if (!mask) return 0;
  const uint32_t c = (v & mask) >> MaskShift(mask);
  const int bits = std::min(MaskBits(mask), 32);
  if (bits >= 8) return uint8_t(c >> (bits - 8));
  const uint32_t max = (1u << bits) - 1;
  return uint8_t((c * 255 + max / 2) / max);
}

void DecodeRle(const Bytes& b, int64_t pos, GdiBitmap& out, int bpp) {
  const int64_t w = out.Width(), h = out.Height();
  int64_t x = 0, y = h - 1;  // RLE bitmaps are always bottom-up
  auto put = [&](uint32_t index) {
    if (x < w && y >= 0) out.SetRaw(int32_t(x), int32_t(y), index);
    ++x;
  };
  // Every step consumes at least two bytes, so the loop ends with the data.
  while (y >= 0 && b.Has(pos, 2)) {
    const uint8_t n = b.U8(pos), c = b.U8(pos + 1);
    pos += 2;
    if (n > 0) {
      for (int i = 0; i < n && x < w; ++i) put(bpp == 8 ? c : ((i & 1) ? (c & 0x0F) : (c >> 4)));
      continue;
    }
    if (c == 0) {  // end of line
      x = 0;
      --y;
    } else if (c == 1) {  // end of bitmap
      break;
    } else if (c == 2) {  // delta
      if (!b.Has(pos, 2)) break;
      x += b.U8(pos);
      y -= b.U8(pos + 1);
      pos += 2;
    } else {  // absolute run of c pixels, padded to a 16-bit boundary
      const int64_t bytes = bpp == 8 ? c : (c + 1) / 2;
      if (!b.Has(pos, bytes)) break;
      for (int i = 0; i < c; ++i) {
        const uint8_t v = b.U8(pos + (bpp == 8 ? i : i / 2));
        put(bpp == 8 ? v : ((i & 1) ? (v & 0x0F) : (v >> 4)));
      }
      pos += (bytes + 1) & ~int64_t(1);
    }
  }
}

int64_t RowBytes(int64_t width, int bpp) { return (width * bpp + 7) / 8; }

// The bytes between rows of uncompressed bits from `pos` on, once they are known to be there.
int64_t RequireRows(const Bytes& b, int64_t pos, const Header& h) {
  const int64_t stride = DibStride(h.width, h.bpp);
  // The last row may lack its padding; anything shorter is truncated data.
  if (!b.Has(pos, stride * (h.height - 1) + RowBytes(h.width, h.bpp))) Invalid();
  return stride;
}

// Where the bits start: at the offset the file gives when it lies past the colour table.
int64_t BitsStart(const Bytes& b, const Header& h, int64_t bitsOffset) {
  return bitsOffset >= h.tableOffset && bitsOffset < int64_t(b.size()) ? bitsOffset : h.tableOffset;
}

void CopyRows(const Bytes& b, int64_t pos, const Header& h, GdiBitmap& out) {
  const int64_t stride = RequireRows(b, pos, h);
  const bool standard16 =
      h.bpp == 16 && (h.compression == BI_RGB || (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x1F) ||
                      (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x1F));
  const bool standard32 =
      h.bpp == 32 && (h.compression == BI_RGB ||
                      (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF));
  const bool direct = h.bpp <= 8 || h.bpp == 24 || standard16 || standard32;
  for (int64_t row = 0; row < h.height; ++row) {
    const int64_t y = h.topDown ? row : h.height - 1 - row;
    const uint8_t* src = b.At(pos + row * stride);
    uint8_t* dst = out.Row(int32_t(y));
    if (direct) {
      std::memcpy(dst, src, size_t(RowBytes(h.width, h.bpp)));
      continue;
    }
    // Any other bit fields: unpacked into 32-bit BGRA.
    for (int64_t x = 0; x < h.width; ++x) {
      uint32_t v;
      if (h.bpp == 16) {
        v = uint32_t(src[2 * x]) | (uint32_t(src[2 * x + 1]) << 8);
      } else {
        v = uint32_t(src[4 * x]) | (uint32_t(src[4 * x + 1]) << 8) | (uint32_t(src[4 * x + 2]) << 16) |
            (uint32_t(src[4 * x + 3]) << 24);
      }
      uint8_t* p = dst + 4 * x;
      p[0] = Channel(v, h.masks[2]);
      p[1] = Channel(v, h.masks[1]);
      p[2] = Channel(v, h.masks[0]);
      p[3] = Channel(v, h.masks[3]);
    }
  }
}

}  // namespace

namespace {

// The pixels of a parsed header: `b` holds them from `pos` on (for icons followed by the
// AND mask).
DibImage DecodeBits(const Header& h, const std::vector<RGBQUAD>& table, const Bytes& b, int64_t pos,
                    bool iconImage) {
  int outBpp = h.bpp;
  bool rgb565 = false;
  if (h.bpp == 16 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS)) {
    if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x1F)
      rgb565 = true;
    else if (!(h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x1F))
      outBpp = 32;
  }
  const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  // Allocate only what the data can back: uncompressed rows must all be there, and run-length
  // data cannot expand beyond what its codes could describe.
  const int64_t available = int64_t(b.size()) - pos;
  if (!rle && available < DibStride(h.width, h.bpp) * (h.height - 1) + RowBytes(h.width, h.bpp)) Invalid();
  if (rle && h.width * h.height > available * 1024 + (int64_t(1) << 20)) Invalid();
  DibImage result;
  result.image = std::make_shared<GdiBitmap>(int32_t(h.width), int32_t(h.height), outBpp, rgb565);
  GdiBitmap& out = *result.image;
  if (!table.empty()) out.SetColors(table);
  out.xPelsPerMeter = h.xppm;
  out.yPelsPerMeter = h.yppm;

  if (rle) {
    DecodeRle(b, pos, out, h.bpp);
    return result;
  }
  CopyRows(b, pos, h, out);
  if (iconImage) {
    // The AND mask follows the colour bits, one bit per pixel, bottom-up. Icons whose mask is
    // missing (some PNG-era tools leave it out) count as fully opaque.
    const int64_t maskPos = pos + DibStride(h.width, h.bpp) * h.height;
    result.mask = std::make_shared<GdiBitmap>(int32_t(h.width), int32_t(h.height), 1);
    const int64_t stride = DibStride(h.width, 1);
    if (b.Has(maskPos, stride * h.height)) {
      for (int64_t row = 0; row < h.height; ++row)
        std::memcpy(result.mask->Row(int32_t(h.height - 1 - row)), b.At(maskPos + row * stride), size_t(stride));
    }
  }
  return result;
}

}  // namespace

DibImage ReadDib(std::span<const uint8_t> dib, int64_t bitsOffset, bool iconImage) {
  const Bytes b(dib);
  Header h = ParseHeader(b, iconImage);
  std::vector<RGBQUAD> table = ReadColorTable(b, h);
  return DecodeBits(h, table, b, BitsStart(b, h, bitsOffset), iconImage);
}

DibImage ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits) {
  const Bytes b(info);
  Header h = ParseHeader(b, false);
  std::vector<RGBQUAD> table = ReadColorTable(b, h);
  return DecodeBits(h, table, Bytes(bits), 0, false);
}

namespace {

// The DIB of a BMP file and where its bits start in it.
std::span<const uint8_t> FileDib(std::span<const uint8_t> data, int64_t& bitsOffset) {
  const Bytes b(data);
  if (data.size() < 18 || b.U8(0) != 'B' || b.U8(1) != 'M') Invalid();
  bitsOffset = int64_t(b.U32(10)) - 14;
  return data.subspan(14);
}

}  // namespace

std::shared_ptr<GdiBitmap> ReadBmpFile(std::span<const uint8_t> data) {
  int64_t offBits = 0;
  const std::span<const uint8_t> dib = FileDib(data, offBits);
  return ReadDib(dib, offBits, false).image;
}

BmpRows24 ViewBmpRows24(std::span<const uint8_t> data) {
  int64_t offBits = 0;
  const std::span<const uint8_t> dib = FileDib(data, offBits);
  const Bytes b(dib);
  Header h = ParseHeader(b, false);
  ReadColorTable(b, h);
  if (h.bpp != 24 || h.compression != BI_RGB) return {};
  const int64_t pos = BitsStart(b, h, offBits);
  const int64_t stride = RequireRows(b, pos, h);
  BmpRows24 rows;
  rows.width = int32_t(h.width);
  rows.height = int32_t(h.height);
  rows.first = b.At(pos + (h.topDown ? 0 : stride * (h.height - 1)));
  rows.step = h.topDown ? stride : -stride;
  return rows;
}
