// Turning rows of TIFF samples into bitmap pixels, for the page decoder.
#pragma once

#include <cstdint>
#include <vector>

#include "pdf/codecs/tiff/tiff_reader.h"

// Bytes a row of samples must have readable beyond its end.
inline constexpr size_t kSampleReadSlack = 8;

// Reads one row of samples (the file's layout: SamplesPerPixel samples of BitsPerSample bits
// per pixel, packed, most significant bit first) and writes bitmap pixels.
class TTIFFPixelConverter {
 public:
  // Chooses the bitmap format for the page; false when its layout cannot be shown.
  bool Init(const TPDFTIFFPage& page);

  TPixelFormat Format() const { return format_; }
  // Whether Convert copies the samples as they are (1-bit bilevel, 8-bit grey of min-is-black).
  bool Copies() const { return format_ == pf1bit || (format_ == pf8bit && bits_ == 8 && samples_ == 1 && !invert_); }
  // The colour table of a 1-bit or 8-bit target.
  const std::vector<RGBQUAD>& Colors() const { return colors_; }

  // Converts Count pixels starting at Source (whose first pixel begins on a byte boundary) into
  // Target, which points at the first of those pixels in the bitmap row; for a 1-bit target
  // the first pixel's position is a multiple of 8.
  void Convert(const uint8_t* Source, uint32_t Count, uint8_t* Target) const;

 private:
  // Sample s of pixel x of the row, scaled to 8 bits.
  uint8_t Sample8(const uint8_t* row, uint64_t index) const;
  uint32_t RawSample(const uint8_t* row, uint64_t index) const;

  TPixelFormat format_ = pf24bit;
  uint8_t photometric_ = 0;
  uint32_t bits_ = 8;
  uint32_t samples_ = 1;
  bool bigEndian_ = false;
  bool invert_ = false;   // white is zero
  std::vector<RGBQUAD> colors_;
  std::vector<uint8_t> palette_;  // photometric 3: 3 bytes (r, g, b) per index
};

// Undoes horizontal differencing on one row of Count pixels (8, 16 or 32 bits per sample).
void UndoHorizontalPredictor(uint8_t* row, uint32_t count, uint32_t samples, uint32_t bits, bool bigEndian);
