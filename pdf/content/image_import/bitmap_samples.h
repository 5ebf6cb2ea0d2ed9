// How the scan lines of a bitmap become the samples of its image XObject: the colour space,
// depth and Decode the XObject states, chosen from the bitmap's depth and colours, and the
// conversion of one scan line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi_types.h"

struct TPDFImagePageInfo;

class TBitmapSamples {
 public:
  // bitsPerPixel and colours of the bitmap; page: the photometric values of a TIFF page, or
  // nullptr; gray: 8-bit lines hold grey levels (else so only when the colours are the grey
  // ramp).
  TBitmapSamples(int bitsPerPixel, const std::vector<RGBQUAD>& colors, const TPDFImagePageInfo* page, bool gray);
  // Lines of 1 to 8, 24 or 32 bits as DeviceRGB samples whatever their colours.
  static TBitmapSamples Colour(int bitsPerPixel, const std::vector<RGBQUAD>& colors);

  const std::string& ColorSpace() const { return colorSpace_; }
  int Bits() const { return bits_; }
  const std::vector<int>& Decode() const { return decode_; }
  int64_t RowBytes(int width) const;
  // False for 16-bit bitmaps, whose pixels only the bitmap itself can read.
  bool ConvertsLines() const { return kind_ != kPacked16; }
  // Whether a scan line's samples are its bytes as they are (1-bit and grey bitmaps).
  bool Copies() const { return kind_ == kMono || kind_ == kGrey; }
  // One scan line of `width` pixels to a row of samples.
  void Convert(const uint8_t* line, int width, uint8_t* samples) const;

 private:
  enum Kind { kCMYK, kMono, kGrey, kRGB24, kRGB32, kPalette, kPacked16 };
  void UsePalette(const std::vector<RGBQUAD>& colors);

  Kind kind_ = kRGB24;
  int bpp_ = 24;
  std::string colorSpace_ = "DeviceRGB";
  int bits_ = 8;
  std::vector<int> decode_;
  // Palette bitmaps: the colour of every index (those beyond the table black).
  std::array<std::array<uint8_t, 3>, 256> table_{};
};
