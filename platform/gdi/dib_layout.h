// How a DIB lays out its picture (for the BMP readers only): its header and colour table read
// from untrusted bytes, the rows it keeps, one row of bits in the layout a bitmap holds them,
// and the walk over run-length codes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/graphics_errors.h"

namespace dib {

[[noreturn]] inline void Invalid() { throw EInvalidGraphic(SInvalidBitmap); }

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

  bool RunLength() const { return compression == BI_RLE8 || compression == BI_RLE4; }
};

// Bytes of header, bit fields and colour table a DIB whose header states `headerSize` can have
// (the table of 256 entries at most).
inline int64_t InfoBytesAtMost(uint32_t headerSize) { return int64_t(headerSize) + 16 + 256 * 4; }

Header ParseHeader(const Bytes& b, bool iconImage);
// Reads the table and moves tableOffset past it (and past an optional table of the other depths).
std::vector<RGBQUAD> ReadColorTable(const Bytes& b, Header& h);
// Where the bits start in data of `total` bytes: at the offset the file gives when it lies past
// the colour table (-1: none given).
int64_t BitsStart(const Header& h, int64_t bitsOffset, int64_t total);
// Raises when `available` bytes from the bits' start cannot back the picture: uncompressed rows
// must all be there (the last one may lack its padding), run-length data cannot expand beyond
// what its codes could describe.
void RequireBits(const Header& h, int64_t available);

// Bytes of a row of bits without padding, and between rows.
inline int64_t RowBytes(int64_t width, int bpp) { return (width * bpp + 7) / 8; }

// The layout of a bitmap holding the picture: its depth (bit fields other than 5-5-5 and 5-6-5
// become 32-bit BGRA) and whether 16 bits are 5-6-5.
struct Layout {
  int bpp = 0;
  bool rgb565 = false;
};
Layout LayoutOf(const Header& h);
// Whether rows of uncompressed bits are already in the bitmap's layout.
bool RowsAsTheyLie(const Header& h);
// One row of uncompressed bits into the bitmap's layout.
void UnpackRow(const Header& h, const uint8_t* src, uint8_t* dst);

// Where a walk over run-length codes stands: the next code, the pixel the next one goes to
// (rows counted from the top; the walk starts at the bottom row and goes up).
struct RunState {
  int64_t x = 0, y = 0;
};

// Walks the codes from `in` (Has(n), Byte(), Skip(n)) while the row is at or below `top`
// (y >= top), calling put(x, y, index) for every pixel inside the picture's width and answering
// at each change of row (row(state)). Every step takes at least two bytes, so the walk ends
// with the data.
template <class Input, class Put, class Row>
void WalkRuns(Input& in, RunState& s, int64_t width, int bpp, int64_t top, Put put, Row row) {
  const bool eight = bpp == 8;
  while (s.y >= top && in.Has(2)) {
    const uint8_t n = in.Byte(), c = in.Byte();
    if (n > 0) {
      for (int i = 0; i < n && s.x < width; ++i, ++s.x) put(s.x, s.y, eight ? c : ((i & 1) ? (c & 0x0F) : (c >> 4)));
      continue;
    }
    if (c == 0) {  // end of line
      s.x = 0;
      --s.y;
      row(s);
    } else if (c == 1) {  // end of bitmap
      break;
    } else if (c == 2) {  // delta
      if (!in.Has(2)) break;
      s.x += in.Byte();
      s.y -= in.Byte();
      row(s);
    } else {  // absolute run of c pixels, padded to a 16-bit boundary
      const int64_t bytes = eight ? c : (c + 1) / 2;
      if (!in.Has(bytes)) break;
      uint8_t v = 0;
      for (int i = 0; i < c; ++i, ++s.x) {
        if (eight || (i & 1) == 0) v = in.Byte();
        if (s.x < width) put(s.x, s.y, eight ? v : ((i & 1) ? (v & 0x0F) : (v >> 4)));
      }
      in.Skip(bytes & 1);
    }
  }
}

}  // namespace dib
