#include "pdf/codecs/jbig2/jbig2_generic.h"

#include <algorithm>
#include <cstring>

namespace jbig2 {

namespace {

// Where each template's fixed pixels lie: bits taken from row y-2 and row y-1 (reaching
// ahead to x + lookahead), from row y (left of x), and the adaptive pixel count. Each group
// keeps its leftmost pixel in its highest bit; row y-2 is highest, the adaptive pixels lowest.
struct TTemplateShape {
  int Bits2, Ahead2, Bits1, Ahead1, Bits0, Adaptive;
};
constexpr TTemplateShape kShapes[4] = {
    {3, 1, 5, 2, 4, 4},
    {4, 2, 5, 2, 3, 1},
    {3, 1, 4, 1, 2, 1},
    {0, 0, 5, 1, 4, 1},
};

inline uint32_t BitAt(const uint8_t* row, int64_t x, int64_t width) {
  if (row == nullptr || x < 0 || x >= width) return 0;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

}  // namespace

int64_t ReadGenericRegion(TJBIG2Bitmap& bitmap, TArithmeticDecoder& decoder, const TGenericRegionParams& params) {
  const int t = params.Template & 3;
  const TTemplateShape& shape = kShapes[t];
  const int32_t width = bitmap.Width(), height = bitmap.Height();
  TArithmeticDecoderStats& stats = decoder.GenericStats();
  const uint32_t mask2 = (1u << shape.Bits2) - 1, mask1 = (1u << shape.Bits1) - 1, mask0 = (1u << shape.Bits0) - 1;
  const int shift0 = shape.Adaptive, shift1 = shift0 + shape.Bits0, shift2 = shift1 + shape.Bits1;
  // Rows without pixels take no decisions unless each row says whether it repeats the last:
  // walking up to 2^28 of them would be work that no data pays for.
  if (width == 0 && !params.TPGDON) return 0;
  int64_t decoded = 0;
  int ltp = 0;
  for (int32_t y = 0; y < height; ++y) {
    if (decoder.Exhausted()) return decoded;
    if (params.TPGDON) {
      ltp ^= decoder.DecodeBit(stats, kGenericSLTPContext[t]);
      if (ltp) {
        // A row like the one above (the first row copies the empty row before it).
        if (y > 0) bitmap.DuplicateRow(y, y - 1);
        continue;
      }
    }
    TIndexRange columns{0, width};
    if (params.CodedColumns) {
      columns = params.CodedColumns(y);
      columns.Begin = std::clamp<int64_t>(columns.Begin, 0, width);
      columns.End = std::clamp<int64_t>(columns.End, columns.Begin, width);
      if (columns.Begin == columns.End) continue;
    }
    const uint8_t* row2 = shape.Bits2 && y >= 2 ? bitmap.Row(y - 2) : nullptr;
    const uint8_t* row1 = y >= 1 ? bitmap.Row(y - 1) : nullptr;
    uint8_t* row0 = bitmap.Row(y);
    // The windows over the rows above start a few pixels left of the first coded column (the
    // masks keep what each template uses); pixels of this row before it are 0.
    uint32_t w2 = 0, w1 = 0, w0 = 0;
    for (int64_t p = columns.Begin - 8; p < columns.Begin + shape.Ahead2; ++p) w2 = (w2 << 1) | BitAt(row2, p, width);
    for (int64_t p = columns.Begin - 8; p < columns.Begin + shape.Ahead1; ++p) w1 = (w1 << 1) | BitAt(row1, p, width);
    for (int64_t x = columns.Begin; x < columns.End; ++x) {
      if ((x & 4095) == 4095 && decoder.Exhausted()) return decoded + (x - columns.Begin);
      w2 = (w2 << 1) | BitAt(row2, x + shape.Ahead2, width);
      w1 = (w1 << 1) | BitAt(row1, x + shape.Ahead1, width);
      uint32_t context = ((w2 & mask2) << shift2) | ((w1 & mask1) << shift1) | ((w0 & mask0) << shift0);
      for (int i = 0; i < shape.Adaptive; ++i)
        context |= uint32_t(bitmap.GetPixel(x + params.AdaptiveX[size_t(i)], int64_t{y} + params.AdaptiveY[size_t(i)]))
                   << (shape.Adaptive - 1 - i);
      const uint32_t pixel = uint32_t(decoder.DecodeBit(stats, context));
      if (pixel) row0[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
      w0 = (w0 << 1) | pixel;
    }
    decoded += columns.End - columns.Begin;
  }
  return decoded;
}

namespace {

// Context of one refinement pixel: new-bitmap pixels first, then the reference's, then the
// adaptive pixels (template 0 only), each group's leftmost pixel in its highest bit.
inline uint32_t RefinementContext(const TJBIG2Bitmap& b, const TJBIG2Bitmap& r, int t, int64_t x, int64_t y,
                                  int64_t rx, int64_t ry, const TRefinementRegionParams& p) {
  if (t == 0) {
    return uint32_t(b.GetPixel(x, y - 1)) << 12 | uint32_t(b.GetPixel(x + 1, y - 1)) << 11 |
           uint32_t(b.GetPixel(x - 1, y)) << 10 | uint32_t(r.GetPixel(rx, ry - 1)) << 9 |
           uint32_t(r.GetPixel(rx + 1, ry - 1)) << 8 | uint32_t(r.GetPixel(rx - 1, ry)) << 7 |
           uint32_t(r.GetPixel(rx, ry)) << 6 | uint32_t(r.GetPixel(rx + 1, ry)) << 5 |
           uint32_t(r.GetPixel(rx - 1, ry + 1)) << 4 | uint32_t(r.GetPixel(rx, ry + 1)) << 3 |
           uint32_t(r.GetPixel(rx + 1, ry + 1)) << 2 |
           uint32_t(b.GetPixel(x + p.AdaptiveX[0], y + p.AdaptiveY[0])) << 1 |
           uint32_t(r.GetPixel(rx + p.AdaptiveX[1], ry + p.AdaptiveY[1]));
  }
  return uint32_t(b.GetPixel(x - 1, y - 1)) << 9 | uint32_t(b.GetPixel(x, y - 1)) << 8 |
         uint32_t(b.GetPixel(x + 1, y - 1)) << 7 | uint32_t(b.GetPixel(x - 1, y)) << 6 |
         uint32_t(r.GetPixel(rx, ry - 1)) << 5 | uint32_t(r.GetPixel(rx - 1, ry)) << 4 |
         uint32_t(r.GetPixel(rx, ry)) << 3 | uint32_t(r.GetPixel(rx + 1, ry)) << 2 |
         uint32_t(r.GetPixel(rx, ry + 1)) << 1 | uint32_t(r.GetPixel(rx + 1, ry + 1));
}

// The value all nine reference pixels around (rx, ry) share, or -1.
inline int TypicalValue(const TJBIG2Bitmap& r, int64_t rx, int64_t ry) {
  const int v = r.GetPixel(rx, ry);
  for (int64_t dy = -1; dy <= 1; ++dy)
    for (int64_t dx = -1; dx <= 1; ++dx)
      if (r.GetPixel(rx + dx, ry + dy) != v) return -1;
  return v;
}

}  // namespace

int64_t ReadGenericRefinementRegion(TJBIG2Bitmap& bitmap, TArithmeticDecoder& decoder,
                                    const TRefinementRegionParams& params) {
  static const TJBIG2Bitmap kEmpty(0, 0);
  const TJBIG2Bitmap& reference = params.Reference ? *params.Reference : kEmpty;
  const int t = params.Template & 1;
  TArithmeticDecoderStats& stats = decoder.RefinementStats();
  if (bitmap.Width() == 0 && !params.TPGRON) return 0;
  int64_t decoded = 0;
  int ltp = 0;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    if (decoder.Exhausted()) return decoded;
    if (params.TPGRON) ltp ^= decoder.DecodeBit(stats, kRefinementSLTPContext[t]);
    const int64_t ry = int64_t{y} - params.ReferenceDY;
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      if ((x & 4095) == 4095 && decoder.Exhausted()) return decoded + x;
      const int64_t rx = int64_t{x} - params.ReferenceDX;
      int pixel = ltp ? TypicalValue(reference, rx, ry) : -1;
      if (pixel < 0) pixel = decoder.DecodeBit(stats, RefinementContext(bitmap, reference, t, x, y, rx, ry, params));
      if (pixel) bitmap.SetPixel(x, y, 1);
    }
    decoded += bitmap.Width();
  }
  return decoded;
}

}  // namespace jbig2
