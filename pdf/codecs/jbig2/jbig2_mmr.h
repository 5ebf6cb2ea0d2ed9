// MMR-coded (T.6 two-dimensional) bitmaps inside JBIG2 segments, read with the fax decoder's
// row decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace jbig2 {

class TJBIG2Bitmap;

class TMMRDecoder {
 public:
  // Decodes the rows of bitmap (all 0 on entry) from data and answers the bytes they took,
  // counting an end-of-facsimile block after them when consumeEOFB is set. Rows the data do
  // not reach stay 0.
  static size_t ReadRegion(TJBIG2Bitmap& bitmap, std::span<const uint8_t> data, bool consumeEOFB);
};

}  // namespace jbig2
