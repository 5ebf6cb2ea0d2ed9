// The pixel side of the footprint: reducing the rendered page to the small square, measuring
// the 4 x 4 grid of cells and classifying the colours.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/footprint.h"

struct BmpRows24;
class GdiBitmap;
class TBitmap;

namespace Tarnwick1 {

// round(100 * part / total) with halves to even; a total of 0 (a black pixel) gives 33.
int32_t ColourShare(int32_t part, int32_t total);
// The first digit of a share's decimal text: 7 -> 7, 45 -> 4, 100 -> 1.
int32_t LeadingDigit(int32_t share);

// Where the side samples of a page's length lie: sample i at floor((i + 0.5) * length / side).
std::vector<int32_t> SamplePositions(int64_t length, int32_t side);

// Point-samples the page into a 24-bit square of side `side` (nothing for a side below 1):
// square pixel x takes page column floor((x + 0.5) * width / side), rows alike. Colours are
// never averaged.
void ReduceToSquare(const GdiBitmap& page, int32_t side, TBitmap& square);
// The same from the rows of a 24-bit BMP file read in place.
void ReduceToSquare(const BmpRows24& page, int32_t side, TBitmap& square);
// The same from a page of width x height that gives its pixel (x, y) as blue, green, red.
using TPagePixel = std::function<void(int32_t x, int32_t y, uint8_t* bgr)>;
void ReduceToSquare(int32_t width, int32_t height, int32_t side, const TPagePixel& pixel, TBitmap& square);

// The 48 grid values of a 24-bit square: cell (c, r) covers the square's pixels from
// (c * cellSize, r * cellSize) to ((c + 1) * cellSize, (r + 1) * cellSize) exclusive, reading the
// last row and column where it reaches past the square. Every pixel adds the leading digits of
// its three shares (a black pixel adds 3, 3, 3); a cell's values are its sums' shares. A cell
// without pixels (cellSize below 1 or an empty square) holds 0, 0, 0.
std::array<int32_t, kGridValues> MeasureCells(TBitmap& square, int32_t cellSize);

// "CO" when some pixel has unequal channels and one channel strictly between 0 and 255; else
// "GR" when some pixel is neither pure black nor pure white; else "BW"; empty without pixels.
std::string ClassifyColours(TBitmap& square);

}  // namespace Tarnwick1
