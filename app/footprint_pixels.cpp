#include "app/footprint_pixels.h"

#include <algorithm>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/dib.h"

namespace Tarnwick1 {

namespace {

// round(num / den) with halves to even, for num >= 0 and den > 0, exactly.
int64_t DivRoundHalfEven(int64_t num, int64_t den) {
  int64_t q = num / den;
  const int64_t twice = 2 * (num % den);
  if (twice > den || (twice == den && (q & 1) != 0)) ++q;
  return q;
}

}  // namespace

int32_t ColourShare(int32_t part, int32_t total) {
  // Pure black has no shares; it counts as neutral grey (each channel a third).
  if (total <= 0) return 33;
  return static_cast<int32_t>(DivRoundHalfEven(100 * int64_t(part), total));
}

std::vector<int32_t> SamplePositions(int64_t length, int32_t side) {
  std::vector<int32_t> at(static_cast<size_t>(std::max(side, 0)));
  for (int32_t i = 0; i < side; ++i) at[size_t(i)] = static_cast<int32_t>((2 * int64_t(i) + 1) * length / (2 * int64_t(side)));
  return at;
}

int32_t LeadingDigit(int32_t share) {
  int32_t d = share < 0 ? -share : share;
  while (d >= 10) d /= 10;
  return d;
}

namespace {

// The square's pixel (x, y) is the page's pixel sample(sx, sy, out) at the centre of its span;
// white without a page.
template <class Sample>
void Reduce(int64_t w, int64_t h, int32_t side, TBitmap& square, Sample sample) {
  square.SetPixelFormat(pf24bit);
  const int32_t n = std::max(side, 0);
  square.SetSize(n, n);
  if (n == 0) return;
  if (w <= 0 || h <= 0) {
    for (int32_t y = 0; y < n; ++y) std::fill_n(square.ScanLine(y), 3 * size_t(n), uint8_t(255));
    return;
  }
  const std::vector<int32_t> columns = SamplePositions(w, n), rows = SamplePositions(h, n);
  for (int32_t y = 0; y < n; ++y) {
    uint8_t* out = square.ScanLine(y);
    for (int32_t x = 0; x < n; ++x) sample(columns[size_t(x)], rows[size_t(y)], out + 3 * x);
  }
}

void CopyPixel(const uint8_t* row, int32_t sx, uint8_t* out) {
  out[0] = row[3 * sx];
  out[1] = row[3 * sx + 1];
  out[2] = row[3 * sx + 2];
}

}  // namespace

void ReduceToSquare(const GdiBitmap& page, int32_t side, TBitmap& square) {
  const bool direct24 = page.BitsPerPixel() == 24;
  Reduce(page.Width(), page.Height(), side, square, [&](int32_t sx, int32_t sy, uint8_t* out) {
    if (direct24) return CopyPixel(page.Row(sy), sx, out);
    const COLORREF c = page.GetColor(sx, sy);
    out[0] = static_cast<uint8_t>(c >> 16);
    out[1] = static_cast<uint8_t>(c >> 8);
    out[2] = static_cast<uint8_t>(c);
  });
}

void ReduceToSquare(int32_t width, int32_t height, int32_t side, const TPagePixel& pixel, TBitmap& square) {
  Reduce(width, height, side, square, pixel);
}

void ReduceToSquare(const BmpRows24& page, int32_t side, TBitmap& square) {
  Reduce(page.Empty() ? 0 : page.width, page.height, side, square,
         [&](int32_t sx, int32_t sy, uint8_t* out) { CopyPixel(page.Row(sy), sx, out); });
}

std::array<int32_t, kGridValues> MeasureCells(TBitmap& square, int32_t cellSize) {
  std::array<int32_t, kGridValues> values{};
  const int32_t side = square.Width();
  if (cellSize < 1 || side < 1 || square.Height() < 1) return values;
  square.SetPixelFormat(pf24bit);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      int64_t sr = 0, sg = 0, sb = 0;
      for (int64_t y = int64_t(r) * cellSize; y < int64_t(r + 1) * cellSize; ++y) {
        const uint8_t* row = square.ScanLine(static_cast<int32_t>(std::min<int64_t>(y, square.Height() - 1)));
        for (int64_t x = int64_t(c) * cellSize; x < int64_t(c + 1) * cellSize; ++x) {
          const int64_t cx = std::min<int64_t>(x, side - 1);
          const int32_t b = row[3 * cx], g = row[3 * cx + 1], red = row[3 * cx + 2];
          const int32_t t = red + g + b;
          sr += LeadingDigit(ColourShare(red, t));
          sg += LeadingDigit(ColourShare(g, t));
          sb += LeadingDigit(ColourShare(b, t));
        }
      }
      const int64_t s = sr + sg + sb;
      int32_t* cell = &values[size_t(3 * (4 * r + c))];
      if (s > 0) {
        cell[0] = static_cast<int32_t>(DivRoundHalfEven(100 * sr, s));
        cell[1] = static_cast<int32_t>(DivRoundHalfEven(100 * sg, s));
        cell[2] = static_cast<int32_t>(DivRoundHalfEven(100 * sb, s));
      }
    }
  }
  return values;
}

std::string ClassifyColours(TBitmap& square) {
  const int32_t w = square.Width(), h = square.Height();
  if (w < 1 || h < 1) return {};
  square.SetPixelFormat(pf24bit);
  bool grey = false;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = square.ScanLine(y);
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
      const bool allEqual = r == g && g == b;
      const bool midTone = (r > 0 && r < 255) || (g > 0 && g < 255) || (b > 0 && b < 255);
      if (!allEqual && midTone) return "CO";
      const bool black = r == 0 && g == 0 && b == 0;
      const bool white = r == 255 && g == 255 && b == 255;
      if (!black && !white) grey = true;
    }
  }
  return grey ? "GR" : "BW";
}

}  // namespace Tarnwick1
