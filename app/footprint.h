// The footprint of one image (size, ratio, orientation, pixel count, file type, the colour
// grid of the reduced square and the colour class), the tolerance bounds derived from the
// master's footprint, and the analysis settings. Everything here is module-level state of the
// main unit: one master footprint, one candidate footprint, one set of bounds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/file_stamp.h"

namespace Tarnwick1 {

inline constexpr int kGridCells = 16;
inline constexpr int kGridValues = 48;  // red, green and blue of every cell

// Where a footprint was made from, kept when the file provably did not change while it was
// read: the same name, the same square side and the same stamp later give the same footprint.
struct TFootprintSource {
  std::string FileName;
  int32_t Square = 0;
  TFileStamp Stamp;
};

struct TFootprint {
  int32_t Width = 0;
  int32_t Height = 0;
  double AspectRatio = 0;
  std::string Orientation;  // "Q", "P" or "L"; empty for an image that could not be read
  double NumberOfPixels = 0;
  std::string ImageType;    // the extension with its dot, upper-cased (".JPG")
  std::array<int32_t, kGridValues> ColourDistribution{};  // per cell: red, green, blue (0..100)
  std::string ColourClass;  // "CO", "GR", "BW"; empty when the square has no pixels
  // False when the library could not load or render the file: such a footprint is all zeros
  // and a candidate with it never matches.
  bool Loaded = false;
  std::optional<TFootprintSource> Source;
};

// An integer range whose maximum may be unbounded (a precision of 0).
struct TIntBounds {
  int64_t Min = 0;
  int64_t Max = 0;
  bool Contains(int64_t v) const { return Min <= v && v <= Max; }
};

// The range v * p .. v / p of one master value v = Num / Den under p = Precision / 100, not
// rounded and compared exactly: in doubles, ends that fall on a whole number come out a hair
// off it (35 * 0.8 is 28.000000000000004), and a candidate exactly at an end fails. With a
// precision of 0 there is no maximum.
struct TExactBounds {
  int64_t Num = 0;
  int64_t Den = 1;  // > 0
  int32_t Precision = 0;
  // Whether the value a / b (b > 0) lies within the range, both ends included.
  bool Contains(int64_t a, int64_t b = 1) const;
};

struct TMasterBounds {
  TIntBounds Width;
  TIntBounds Height;
  TExactBounds Ratio;
  TExactBounds Pixels;
  // Per cell: red, green and blue, in the footprint's order.
  std::array<TExactBounds, kGridValues> Colour{};
};

// Module-level analysis state.
extern TFootprint MasterPrint;
extern TFootprint CandidatePrint;
extern TMasterBounds MasterBounds;
extern int32_t PixelsSquare;  // side of the reduced square, read from edit_pix by every analysis
extern int32_t CellSize;      // round(PixelsSquare / 4)
// The precision in whole percent (the tolerance p is Precision / 100); set only by the master
// analysis. Kept whole so that every bound is computed exactly.
extern int32_t Precision;

// The bounds of a master footprint under p = precision / 100: minimum v * p and maximum v / p,
// the integer ones rounded half to even on the exact quotient. With a precision of 0 every
// maximum is unbounded.
TMasterBounds ComputeBounds(const TFootprint& master, int32_t precision);
// n / d rounded to the nearest integer, halves to the even neighbour, computed exactly
// (d != 0; a result past 64 bits is clamped).
int64_t RoundQuotient(__int128 n, __int128 d);
// Width / Height as an exact fraction with a positive denominator (0 / 1 without a height),
// and Width * Height: the ratio and the pixel count the bounds are measured on.
void RatioOf(const TFootprint& print, int64_t& num, int64_t& den);
int64_t PixelCountOf(const TFootprint& print);

// The property string: "640 - 480 - 1.330 - L - 307200 - .JPG-33-33-34-...- CO".
std::string PropertyString(const TFootprint& print);
// The aspect ratio width / height rounded to 3 significant digits (halves away from zero, on
// the exact quotient) and written with exactly 3 decimals ("1.330"); from 1000 on every
// integer digit is kept ("1234.500"). The decimal separator is the locale's; no height gives
// "0.000".
std::string FormatAspectRatio(int32_t width, int32_t height);
// The decimal separator of the user's numeric locale (LC_ALL, LC_NUMERIC, LANG), "." for the
// C locale or when that locale is not installed.
std::string LocaleDecimalSeparator();

// Width, height, ratio, orientation and pixel count of a footprint from its size.
void SetFootprintSize(TFootprint& print, int32_t width, int32_t height);
// ".JPG" for "photo.Jpg"; empty without an extension.
std::string ImageTypeOf(const std::string& fileName);
// Whether two image types name one file type: ".JPG" and ".JPEG" are both JPEG, ".TIF" and
// ".TIFF" both TIFF.
bool SameImageType(const std::string& a, const std::string& b);

}  // namespace Tarnwick1
