// Error-diffusion dithering of 24-bit bitmaps to black and white, for outputs that can only
// show two levels. A colour lookup picks each pixel's output colour; the ditherer spreads the
// difference over the neighbours to the right and on the next two rows, walking the rows in
// alternating directions.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class TBitmap;

// S = 77 R + 150 G + 29 B at or below this value is black (127 x 256: luminance 127 or less).
extern int32_t MonochromeThreshold;

class TColorLookup {
 public:
  TColorLookup() = default;
  virtual ~TColorLookup() = default;
  TColorLookup(const TColorLookup&) = delete;
  TColorLookup& operator=(const TColorLookup&) = delete;

  // The output colour (red, green, blue) for a pixel and its index.
  virtual uint8_t Lookup(uint8_t R, uint8_t G, uint8_t B, std::array<uint8_t, 3>& Colour) = 0;

  int32_t ColorCount = 0;
};

// Index 0 black, 1 white.
class TMonochromeLookup : public TColorLookup {
 public:
  TMonochromeLookup() { ColorCount = 2; }
  uint8_t Lookup(uint8_t R, uint8_t G, uint8_t B, std::array<uint8_t, 3>& Colour) override;
};

class TDitherEngine {
 public:
  // The lookup is not owned and must outlive the engine.
  TDitherEngine(int32_t Width, TColorLookup& Lookup);
  virtual ~TDitherEngine() = default;
  TDitherEngine(const TDitherEngine&) = delete;
  TDitherEngine& operator=(const TDitherEngine&) = delete;

  // The index of the pixel at column X; X then moves one step in Direction.
  virtual uint8_t ProcessPixel(uint8_t R, uint8_t G, uint8_t B);
  // Turns round: the next row starts at the end the last one finished.
  virtual void NextRow();

  int32_t Direction = 1;
  int32_t X = 0;
  TColorLookup* Lookup;
  int32_t Width;

 protected:
  // The output colour of the last ProcessPixel.
  std::array<uint8_t, 3> Colour{};
};

// Error diffusion over a window of five columns and three rows. The accumulated errors are
// kept undivided and divided by Divisor when they are read.
class T5by3Ditherer : public TDitherEngine {
 public:
  T5by3Ditherer(int32_t Width, TColorLookup& Lookup);

  uint8_t ProcessPixel(uint8_t R, uint8_t G, uint8_t B) override;
  void NextRow() override;

  // Adds the weighted error to the accumulators around the pixel. Each pointer addresses the
  // pixel's column in its row; two guard cells on either side take what falls off the edges.
  virtual void Distribute(int32_t* Current, int32_t* Next, int32_t Error, int32_t* AfterNext) = 0;

  int32_t Step = 2;
  int32_t Divisor = 1;

 protected:
  static constexpr int32_t kGuard = 2;
  enum { kCurrent = 0, kNext = 1, kAfterNext = 2 };
  // Rows[channel][row]: channel 0 red, 1 green, 2 blue.
  std::array<std::array<std::vector<int32_t>, 3>, 3> Rows;
};

// The Stucki kernel (weights out of 42).
class TStuckiDitherer : public T5by3Ditherer {
 public:
  TStuckiDitherer(int32_t Width, TColorLookup& Lookup);
  void Distribute(int32_t* Current, int32_t* Next, int32_t Error, int32_t* AfterNext) override;
};

// Dithers a 24-bit bitmap to black and white. An 8-bit target gets one byte per pixel (0
// black, 1 white, for a palette whose entries 0 and 1 are black and white); a 1-bit target
// gets one bit per pixel, most significant first, with the same meaning. False, with the
// target untouched, when the source is empty or not 24 bit, or the target is of another
// depth or smaller than the source.
bool DitherToMonochrome(const TBitmap& Source, TBitmap& Target);
