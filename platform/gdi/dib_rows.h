// The rows of a DIB read a piece at a time where they lie, top row first, each as a bitmap of
// the picture would hold it (ReadDib's layout), so that a large picture is never held whole:
// uncompressed rows are read a block at a time, run-length rows decoded a segment of rows at a
// time (the codes walked once first to know where each segment's rows begin).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/dib_layout.h"
#include "platform/rtl/byte_source.h"

class TDibRows {
 public:
  // A BMP file (file header, then a DIB), or an icon's image (a DIB whose height covers the
  // image and its AND mask). Raise as ReadBmpFile and ReadDib do.
  static TDibRows OfBmpFile(TSharedBytes file);
  static TDibRows OfIconImage(TSharedBytes dib);

  int32_t Width() const { return int32_t(h_.width); }
  int32_t Height() const { return int32_t(h_.height); }
  int BitsPerPixel() const { return layout_.bpp; }
  bool Is565() const { return layout_.rgb565; }
  const std::vector<RGBQUAD>& Colors() const { return colors_; }
  int32_t XPelsPerMeter() const { return h_.xppm; }
  int32_t YPelsPerMeter() const { return h_.yppm; }
  // An icon's AND mask lies after its bits.
  bool HasMask() const { return maskAt_ >= 0; }

  class TReading {
   public:
    virtual ~TReading() = default;
    // The next row (at most Height rows), valid until the next call.
    virtual const uint8_t* Next() = 0;
    // Its AND mask bits, most significant first (1: transparent); with HasMask only.
    virtual const uint8_t* Mask() const = 0;
  };
  // A reading from the top row.
  std::unique_ptr<TReading> Open() const;

 private:
  TDibRows(TSharedBytes dib, int64_t bitsOffset, bool iconImage);

  class TBlockReading;
  class TRunReading;

  TSharedBytes dib_;
  dib::Header h_;
  dib::Layout layout_;
  std::vector<RGBQUAD> colors_;
  int64_t bits_ = 0;     // where the bits start in dib_
  int64_t maskAt_ = -1;  // where the AND mask starts, -1 without one
};
