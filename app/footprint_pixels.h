// The pixel side of the footprint: reducing the rendered page to the small square, measuring
// the 4 x 4 grid of cells and classifying the colours.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/footprint.h"

struct BmpRows24;
class GdiBitmap;
class TBitmap;

namespace Tarnwick1 {

// round(100 * part / total) with halves to even; a total of 0 (a black pixel) gives 33.
int32_t ColourShare(int32_t part, int32_t total);
// The first digit of a share's decimal text: 7 -> 7, 45 -> 4, 100 -> 1.
int32_t LeadingDigit(int32_t share);

// Point-samples the page into a 24-bit square of side `side` (nothing for a side below 1):
// square pixel x takes page column floor((x + 0.5) * width / side), rows alike. Colours are
// never averaged.
void ReduceToSquare(const GdiBitmap& page, int32_t side, TBitmap& square);
// The same from the rows of a 24-bit BMP file read in place.
void ReduceToSquare(const BmpRows24& page, int32_t side, TBitmap& square);

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
