// The pixel side of the footprint: shares and digits, cells, the reduction and the colour class.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>

#include "app/footprint_pixels.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/dib.h"
#include "platform/rtl/streams.h"

using namespace Tarnwick1;

namespace {

struct Rgb {
  int r, g, b;
};

// A 24-bit square of side n whose pixel (x, y) comes from `colour`.
void Paint(TBitmap& bmp, int w, int h, const std::function<Rgb(int, int)>& colour) {
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const Rgb c = colour(x, y);
      row[3 * x] = uint8_t(c.b);
      row[3 * x + 1] = uint8_t(c.g);
      row[3 * x + 2] = uint8_t(c.r);
    }
  }
}

std::tuple<int, int, int> Cell(const std::array<int32_t, kGridValues>& v, int cell) {
  return {v[size_t(3 * cell)], v[size_t(3 * cell + 1)], v[size_t(3 * cell + 2)]};
}

}  // namespace

TEST(ColourShares, SharesAndLeadingDigits) {
  struct Case {
    Rgb pixel;
    int shares[3];
    int digits[3];
  } cases[] = {
      {{255, 0, 0}, {100, 0, 0}, {1, 0, 0}},
      {{128, 128, 128}, {33, 33, 33}, {3, 3, 3}},
      {{200, 100, 0}, {67, 33, 0}, {6, 3, 0}},
      {{10, 10, 235}, {4, 4, 92}, {4, 4, 9}},
      {{0, 0, 0}, {33, 33, 33}, {3, 3, 3}},     // black is neutral
      {{1, 1, 6}, {12, 12, 75}, {1, 1, 7}},     // 12.5 rounds to the even 12
      {{3, 1, 4}, {38, 12, 50}, {3, 1, 5}},     // 37.5 -> 38, 12.5 -> 12
      {{255, 255, 0}, {50, 50, 0}, {5, 5, 0}},
  };
  for (const auto& c : cases) {
    const int t = c.pixel.r + c.pixel.g + c.pixel.b;
    const int in[3] = {c.pixel.r, c.pixel.g, c.pixel.b};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(ColourShare(in[i], t), c.shares[i]) << c.pixel.r << "," << c.pixel.g << "," << c.pixel.b;
      EXPECT_EQ(LeadingDigit(ColourShare(in[i], t)), c.digits[i]);
    }
  }
  for (auto [share, digit] : {std::pair{0, 0}, {7, 7}, {45, 4}, {100, 1}, {99, 9}, {10, 1}}) EXPECT_EQ(LeadingDigit(share), digit);
}

// With a cell size of 1 every cell is one pixel: its values are the shares of its digits.
TEST(Cells, OnePixelCells) {
  struct Case {
    Rgb pixel;
    int values[3];
  } cases[] = {
      {{255, 0, 0}, {100, 0, 0}}, {{128, 128, 128}, {33, 33, 33}}, {{200, 100, 0}, {67, 33, 0}},
      {{10, 10, 235}, {24, 24, 53}}, {{0, 0, 0}, {33, 33, 33}}, {{255, 255, 255}, {33, 33, 33}},
  };
  for (const auto& c : cases) {
    TBitmap square;
    Paint(square, 4, 4, [&](int, int) { return c.pixel; });
    const auto v = MeasureCells(square, 1);
    for (int cell = 0; cell < 16; ++cell)
      EXPECT_EQ(Cell(v, cell), std::make_tuple(c.values[0], c.values[1], c.values[2])) << cell;
  }
}

// The cells are in row-major order and each sums the digits of all its pixels.
TEST(Cells, RowMajorOrderAndSums) {
  TBitmap square;
  // Cell (c, r) of 2 x 2 pixels: red in column 0 and 2, green in 1 and 3 for row 0; the lower
  // cells hold one blue pixel and three white ones.
  Paint(square, 8, 8, [](int x, int y) -> Rgb {
    if (y < 2) return (x / 2) % 2 == 0 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
    return (x % 2 == 0 && y % 2 == 0) ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
  });
  const auto v = MeasureCells(square, 2);
  EXPECT_EQ(Cell(v, 0), std::make_tuple(100, 0, 0));
  EXPECT_EQ(Cell(v, 1), std::make_tuple(0, 100, 0));
  EXPECT_EQ(Cell(v, 2), std::make_tuple(100, 0, 0));
  EXPECT_EQ(Cell(v, 3), std::make_tuple(0, 100, 0));
  // Blue digits 0, 0, 1 plus three whites 3, 3, 3: sums 9, 9, 10 -> 32.1, 32.1, 35.7.
  for (int cell = 4; cell < 16; ++cell) EXPECT_EQ(Cell(v, cell), std::make_tuple(32, 32, 36)) << cell;
}

TEST(Cells, SizesThatDoNotTileTheSquare) {
  // A square of 10 with cells of 2 reads only the top-left 8 x 8: the red border is never seen.
  TBitmap ten;
  Paint(ten, 10, 10, [](int x, int y) { return x >= 8 || y >= 8 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; });
  auto v = MeasureCells(ten, 2);
  for (int cell = 0; cell < 16; ++cell) EXPECT_EQ(Cell(v, cell), std::make_tuple(0, 0, 100)) << cell;

  // A square of 6 with cells of 2 reaches past it: the last row and column are read again.
  TBitmap six;
  Paint(six, 6, 6, [](int x, int y) { return x == 5 || y == 5 ? Rgb{255, 0, 0} : Rgb{0, 255, 0}; });
  v = MeasureCells(six, 2);
  EXPECT_EQ(Cell(v, 0), std::make_tuple(0, 100, 0));
  EXPECT_EQ(Cell(v, 3), std::make_tuple(100, 0, 0));   // columns 6, 7 -> 5
  EXPECT_EQ(Cell(v, 15), std::make_tuple(100, 0, 0));
  EXPECT_EQ(Cell(v, 2), std::make_tuple(50, 50, 0));   // columns 4, 5: one green, one red per row

  // Cells without pixels hold zeros.
  TBitmap two;
  Paint(two, 2, 2, [](int, int) { return Rgb{255, 0, 0}; });
  v = MeasureCells(two, 0);
  for (int32_t x : v) EXPECT_EQ(x, 0);
  TBitmap empty;
  v = MeasureCells(empty, 1);
  for (int32_t x : v) EXPECT_EQ(x, 0);
}

TEST(ColourClass, Table) {
  struct Case {
    const char* name;
    std::function<Rgb(int, int)> colour;
    const char* expected;
  } cases[] = {
      {"white", [](int, int) { return Rgb{255, 255, 255}; }, "BW"},
      {"black and white", [](int x, int) { return x % 2 ? Rgb{0, 0, 0} : Rgb{255, 255, 255}; }, "BW"},
      {"one dark grey", [](int x, int y) { return x == 2 && y == 3 ? Rgb{10, 10, 10} : Rgb{255, 255, 255}; }, "GR"},
      {"one orange", [](int x, int y) { return x == 3 && y == 3 ? Rgb{255, 128, 0} : Rgb{255, 255, 255}; }, "CO"},
      {"pure red", [](int, int) { return Rgb{255, 0, 0}; }, "GR"},
      {"pure yellow and black", [](int x, int) { return x ? Rgb{255, 255, 0} : Rgb{0, 0, 0}; }, "GR"},
      {"grey then colour", [](int x, int y) { return x == 0 && y == 0 ? Rgb{50, 50, 50} : Rgb{1, 2, 3}; }, "CO"},
  };
  for (const auto& c : cases) {
    TBitmap square;
    Paint(square, 4, 4, c.colour);
    EXPECT_EQ(ClassifyColours(square), c.expected) << c.name;
  }
  TBitmap empty;
  EXPECT_EQ(ClassifyColours(empty), "");
}

// Every square pixel takes the page pixel at the centre of its span; nothing is averaged.
TEST(Reduce, PointSamplesFromSpanCentres) {
  TBitmap page;
  Paint(page, 9, 6, [](int x, int y) { return Rgb{x * 20, y * 40, 7}; });
  TBitmap square;
  ReduceToSquare(page.Dib(), 4, square);
  ASSERT_EQ(square.Width(), 4);
  ASSERT_EQ(square.Height(), 4);
  // Columns floor((x + 0.5) * 9 / 4) = 1, 3, 5, 7; rows floor((y + 0.5) * 6 / 4) = 0, 2, 3, 5.
  const int cols[] = {1, 3, 5, 7}, rows[] = {0, 2, 3, 5};
  for (int y = 0; y < 4; ++y) {
    const uint8_t* row = square.ScanLine(y);
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(row[3 * x + 2], cols[x] * 20) << x << "," << y;
      EXPECT_EQ(row[3 * x + 1], rows[y] * 40) << x << "," << y;
      EXPECT_EQ(row[3 * x], 7);
    }
  }
  // Enlarging repeats pixels; a 32-bit page is read through its colours.
  TBitmap small;
  Paint(small, 2, 1, [](int x, int) { return x ? Rgb{0, 0, 255} : Rgb{255, 0, 0}; });
  small.SetPixelFormat(pf32bit);
  ReduceToSquare(small.Dib(), 4, square);
  for (int y = 0; y < 4; ++y) {
    const uint8_t* row = square.ScanLine(y);
    EXPECT_EQ(row[2], 255);
    EXPECT_EQ(row[3 + 2], 255);
    EXPECT_EQ(row[6], 255);
    EXPECT_EQ(row[9], 255);
  }
  ReduceToSquare(page.Dib(), 0, square);
  EXPECT_TRUE(square.Empty());
}

// The page's BMP read in place gives the square its decoded bitmap gives, for squares smaller
// and larger than the page.
TEST(Reduce, RowsInPlaceSampleLikeTheBitmap) {
  TBitmap page;
  Paint(page, 13, 7, [](int x, int y) { return Rgb{x * 19, y * 33, (x * y * 5) % 256}; });
  TMemoryStream bmp;
  page.SaveToStream(bmp);
  const BmpRows24 rows = ViewBmpRows24(bmp.Bytes());
  ASSERT_FALSE(rows.Empty());
  for (int side : {0, 1, 4, 9, 20}) {
    TBitmap fromBitmap, fromRows;
    ReduceToSquare(page.Dib(), side, fromBitmap);
    ReduceToSquare(rows, side, fromRows);
    ASSERT_EQ(fromRows.Width(), side);
    for (int y = 0; y < side; ++y)
      EXPECT_EQ(std::memcmp(fromBitmap.ScanLine(y), fromRows.ScanLine(y), size_t(side) * 3), 0) << side << " " << y;
  }
}
