#include "platform/gdi/metafile/emf_dib.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/emf_reader.h"

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidBitmap); }

uint32_t U32(std::span<const uint8_t> b, size_t off) {
  return off + 4 <= b.size() ? uint32_t(b[off]) | (uint32_t(b[off + 1]) << 8) | (uint32_t(b[off + 2]) << 16) |
                                   (uint32_t(b[off + 3]) << 24)
                             : 0;
}

// A header whose colour table holds 16-bit palette indices, rewritten with the colours they
// name so that the reader sees an ordinary table.
std::vector<uint8_t> ResolvePaletteIndices(std::span<const uint8_t> info, std::span<const PALETTEENTRY> palette) {
  const uint32_t headerSize = U32(info, 0);
  if (headerSize < 16 || headerSize > info.size()) Invalid();
  const int bpp = info[14] | (info[15] << 8);
  const uint32_t clrUsed = headerSize >= 36 ? U32(info, 32) : 0;
  size_t entries = 0;
  if (bpp >= 1 && bpp <= 8) {
    const size_t max = size_t(1) << bpp;
    entries = clrUsed == 0 || clrUsed > max ? max : clrUsed;
  }
  const std::vector<RGBQUAD> fallback = DefaultColorTable(8);
  std::vector<uint8_t> out(info.begin(), info.begin() + headerSize);
  for (size_t i = 0; i < entries; ++i) {
    const size_t at = headerSize + 2 * i;
    const size_t index = at + 2 <= info.size() ? size_t(info[at] | (info[at + 1] << 8)) : 0;
    RGBQUAD q;
    if (!palette.empty()) {
      const PALETTEENTRY& e = palette[std::min(index, palette.size() - 1)];
      q = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
    } else {
      q = fallback[std::min(index, fallback.size() - 1)];
    }
    out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  }
  return out;
}

}  // namespace

std::shared_ptr<GdiBitmap> DecodeDibParts(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                                          uint32_t usage, std::span<const PALETTEENTRY> palette) {
  if (info.size() < 16) Invalid();
  const uint32_t compression = U32(info, 0) >= 20 ? U32(info, 16) : BI_RGB;
  // JPEG and PNG bitmaps are for printers; the platform's screen drivers refuse them too.
  if (compression == BI_JPEG || compression == BI_PNG) throw EInvalidGraphic("Compressed bitmap not supported");
  if (usage == DIB_PAL_COLORS) {
    const std::vector<uint8_t> resolved = ResolvePaletteIndices(info, palette);
    return ReadDib(resolved, bits).image;
  }
  return ReadDib(info, bits).image;
}

std::shared_ptr<GdiBitmap> DecodeRecordDib(const ENHMETARECORD& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                                           uint32_t cbBits, uint32_t usage, std::span<const PALETTEENTRY> palette,
                                           int64_t rows) {
  if (RecordCarriesNoDib(offBmi, cbBmi, cbBits)) return nullptr;
  if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits) || cbBmi < 12) Invalid();
  std::span<const uint8_t> info = r.Slice(offBmi, cbBmi);
  std::span<const uint8_t> bits = r.Slice(offBits, cbBits);
  if (rows < 0 || U32(info, 0) < 16) return DecodeDibParts(info, bits, usage, palette);
  // A record with some scan lines only: the header is told the rows it really has.
  std::vector<uint8_t> header(info.begin(), info.end());
  const int32_t height = int32_t(U32(info, 8));
  const int64_t absHeight = height < 0 ? -int64_t(height) : int64_t(height);
  const int32_t have = int32_t(std::clamp<int64_t>(rows, 1, std::max<int64_t>(absHeight, 1)));
  const int32_t value = height < 0 ? -have : have;
  std::memcpy(header.data() + 8, &value, 4);
  return DecodeDibParts(header, bits, usage, palette);
}

std::shared_ptr<GdiBitmap> DecodeRecordDib24(const ENHMETARECORD& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                                             uint32_t cbBits, uint32_t usage, std::span<const PALETTEENTRY> palette,
                                             int64_t rows) {
  auto b = DecodeRecordDib(r, offBmi, cbBmi, offBits, cbBits, usage, palette, rows);
  if (b && b->BitsPerPixel() != 24) b->Convert(24);
  return b;
}
