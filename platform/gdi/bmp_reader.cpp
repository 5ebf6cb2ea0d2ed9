#include "platform/gdi/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/gdi/dib_layout.h"

namespace {

using dib::Bytes;
using dib::Header;
using dib::Invalid;

// Run-length codes read from the bytes at hand.
struct HeldCodes {
  const Bytes& b;
  int64_t pos;
  bool Has(int64_t n) const { return b.Has(pos, n); }
  uint8_t Byte() { return b.U8(pos++); }
  void Skip(int64_t n) { pos += n; }
};

void DecodeRle(const Bytes& b, int64_t pos, GdiBitmap& out, int bpp) {
  HeldCodes codes{b, pos};
  dib::RunState s{0, out.Height() - 1};  // RLE bitmaps are always bottom-up
  dib::WalkRuns(
      codes, s, out.Width(), bpp, 0, [&](int64_t x, int64_t y, uint8_t index) { out.SetRaw(int32_t(x), int32_t(y), index); },
      [](const dib::RunState&) {});
}

// The bytes between rows of uncompressed bits from `pos` on, once they are known to be there.
int64_t RequireRows(const Bytes& b, int64_t pos, const Header& h) {
  dib::RequireBits(h, int64_t(b.size()) - pos);
  return DibStride(h.width, h.bpp);
}

void CopyRows(const Bytes& b, int64_t pos, const Header& h, GdiBitmap& out) {
  const int64_t stride = RequireRows(b, pos, h);
  for (int64_t row = 0; row < h.height; ++row) {
    const int64_t y = h.topDown ? row : h.height - 1 - row;
    dib::UnpackRow(h, b.At(pos + row * stride), out.Row(int32_t(y)));
  }
}

// The pixels of a parsed header: `b` holds them from `pos` on (for icons followed by the
// AND mask).
DibImage DecodeBits(const Header& h, const std::vector<RGBQUAD>& table, const Bytes& b, int64_t pos,
                    bool iconImage) {
  const dib::Layout layout = dib::LayoutOf(h);
  // Allocate only what the data can back.
  dib::RequireBits(h, int64_t(b.size()) - pos);
  DibImage result;
  result.image = std::make_shared<GdiBitmap>(int32_t(h.width), int32_t(h.height), layout.bpp, layout.rgb565);
  GdiBitmap& out = *result.image;
  if (!table.empty()) out.SetColors(table);
  out.xPelsPerMeter = h.xppm;
  out.yPelsPerMeter = h.yppm;

  if (h.RunLength()) {
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
  Header h = dib::ParseHeader(b, iconImage);
  std::vector<RGBQUAD> table = dib::ReadColorTable(b, h);
  return DecodeBits(h, table, b, dib::BitsStart(h, bitsOffset, int64_t(b.size())), iconImage);
}

DibImage ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits) {
  const Bytes b(info);
  Header h = dib::ParseHeader(b, false);
  std::vector<RGBQUAD> table = dib::ReadColorTable(b, h);
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
  Header h = dib::ParseHeader(b, false);
  dib::ReadColorTable(b, h);
  if (h.bpp != 24 || h.compression != BI_RGB) return {};
  const int64_t pos = dib::BitsStart(h, offBits, int64_t(b.size()));
  const int64_t stride = RequireRows(b, pos, h);
  BmpRows24 rows;
  rows.width = int32_t(h.width);
  rows.height = int32_t(h.height);
  rows.first = b.At(pos + (h.topDown ? 0 : stride * (h.height - 1)));
  rows.step = h.topDown ? stride : -stride;
  return rows;
}
