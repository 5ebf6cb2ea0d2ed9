#include "platform/gdi/dib_layout.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/gdi/dib.h"

namespace dib {

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

int64_t BitsStart(const Header& h, int64_t bitsOffset, int64_t total) {
  return bitsOffset >= h.tableOffset && bitsOffset < total ? bitsOffset : h.tableOffset;
}

void RequireBits(const Header& h, int64_t available) {
  if (h.RunLength()) {
    if (h.width * h.height > available * 1024 + (int64_t(1) << 20)) Invalid();
  } else if (available < DibStride(h.width, h.bpp) * (h.height - 1) + RowBytes(h.width, h.bpp)) {
    Invalid();
  }
}

Layout LayoutOf(const Header& h) {
  Layout l{h.bpp, false};
  if (h.bpp == 16 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS)) {
    if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x1F)
      l.rgb565 = true;
    else if (!(h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x1F))
      l.bpp = 32;
  }
  return l;
}

namespace {

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

}  // namespace

bool RowsAsTheyLie(const Header& h) {
  const bool standard16 =
      h.bpp == 16 && (h.compression == BI_RGB || (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x1F) ||
                      (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x1F));
  const bool standard32 =
      h.bpp == 32 && (h.compression == BI_RGB || (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF));
  return h.bpp <= 8 || h.bpp == 24 || standard16 || standard32;
}

void UnpackRow(const Header& h, const uint8_t* src, uint8_t* dst) {
  if (RowsAsTheyLie(h)) {
    std::memcpy(dst, src, size_t(RowBytes(h.width, h.bpp)));
    return;
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

}  // namespace dib
