// Test-side encoding of pattern dictionaries and halftone regions.
#pragma once

#include "tests/pdf/codecs/jbig2/jbig2_test_encoder.h"

namespace jbig2_test {

struct HalftoneOptions {
  bool MMR = false;
  int Template = 0;
  bool Skip = false;
  int CombOp = 0;
  int DefPixel = 0;
  uint32_t GridWidth = 0, GridHeight = 0;
  int32_t GridX = 0, GridY = 0;  // in 1/256 pixel
  uint16_t StepX = 0, StepY = 0;
};

// Pattern dictionary data part: patterns all of one size, side by side.
std::string PatternDictionaryData(const std::vector<Bitmap>& patterns, bool mmr, int tmpl);
// Halftone region data part (region information included); values has GridWidth * GridHeight
// gray values, row by row, each below 2^bits where bits is the pattern count's code length.
std::string HalftoneRegionData(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t op,
                               const std::vector<Bitmap>& patterns, const std::vector<uint32_t>& values,
                               const HalftoneOptions& o);
// The region as the standard draws it.
Bitmap DrawHalftone(uint32_t width, uint32_t height, const std::vector<Bitmap>& patterns,
                    const std::vector<uint32_t>& values, const HalftoneOptions& o);

}  // namespace jbig2_test
