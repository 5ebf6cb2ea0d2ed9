// The generic region and generic refinement region decoding procedures, which every region
// and dictionary segment builds on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "pdf/codecs/jbig2/jbig2_arithmetic.h"
#include "pdf/codecs/jbig2/jbig2_bitmap.h"

namespace jbig2 {

class TMMRDecoder;

// Columns or rows [Begin, End).
struct TIndexRange {
  int64_t Begin = 0, End = 0;
};

struct TGenericRegionParams {
  int Template = 0;
  bool TPGDON = false;
  // Adaptive pixels: four for template 0, the first one for the others (pattern
  // dictionaries place the first one a pattern's width to the left, beyond a signed byte).
  std::array<int32_t, 4> AdaptiveX{};
  std::array<int32_t, 4> AdaptiveY{};
  // When set, the columns of row y that are coded; the others are not decoded and stay 0, and
  // are not visited either (a row of a halftone grid may hold millions of skipped cells).
  std::function<TIndexRange(int32_t y)> CodedColumns;
};

// Arithmetic-coded generic region into bitmap (all 0 on entry), with the decoder's generic
// statistics. Rows after the coded data ran out stay 0: decoding them from the zeros past the
// end would cost every region the pixels it states, however few bytes state them. Answers
// the pixels decoded.
int64_t ReadGenericRegion(TJBIG2Bitmap& bitmap, TArithmeticDecoder& decoder, const TGenericRegionParams& params);

// MMR-coded generic region into bitmap (all 0 on entry), read with mmr from a reset on.
// Then the decoder passes over the rest of the mmrDataLength coded bytes, or, given a
// negative length, only looks at the next 24 bits (where an end-of-block code stands).
// Answers the rows decoded: the rows after them are white.
int64_t ReadMMRGenericRegion(TJBIG2Bitmap& bitmap, TMMRDecoder& mmr, int64_t mmrDataLength);

struct TRefinementRegionParams {
  int Template = 0;
  bool TPGRON = false;
  std::array<int8_t, 2> AdaptiveX{};
  std::array<int8_t, 2> AdaptiveY{};
  const TJBIG2Bitmap* Reference = nullptr;
  int64_t ReferenceDX = 0;
  int64_t ReferenceDY = 0;
};

// Arithmetic-coded refinement of params.Reference into bitmap (all 0 on entry), with the
// decoder's refinement statistics. Rows after the coded data ran out stay 0. Answers the
// pixels decoded.
int64_t ReadGenericRefinementRegion(TJBIG2Bitmap& bitmap, TArithmeticDecoder& decoder,
                                    const TRefinementRegionParams& params);

// The contexts of the typical-prediction decisions in this decoder's context numbering: the
// standard's pixel patterns (0x9B25, 0x0795, 0x00E5 and 0x0195 in its own numbering, the
// adaptive pixels included), and for refinement the reference pixel at the current place.
inline constexpr uint32_t kGenericSLTPContext[4] = {0x3953, 0x079A, 0x0E3, 0x18B};
inline constexpr uint32_t kRefinementSLTPContext[2] = {0x0040, 0x0008};

}  // namespace jbig2
