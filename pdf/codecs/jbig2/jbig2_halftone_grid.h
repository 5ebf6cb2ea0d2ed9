// Where the cells of a halftone grid fall, and which of them can reach their region.
#pragma once

#include <cstdint>

#include "pdf/codecs/jbig2/jbig2_generic.h"

namespace jbig2 {

struct THalftoneGrid {
  int64_t Width = 0, Height = 0;
  // Origin and steps in 1/256 pixel.
  int64_t X = 0, Y = 0, StepX = 0, StepY = 0;

  // Top-left pixel of the pattern of cell (mg, ng): row mg, column ng.
  int64_t CellX(int64_t mg, int64_t ng) const { return (X + mg * StepY + ng * StepX) >> 8; }
  int64_t CellY(int64_t mg, int64_t ng) const { return (Y + mg * StepX - ng * StepY) >> 8; }

  // The cells of row mg whose pattern overlaps a region of regionWidth x regionHeight pixels.
  // Along a row the cells move right and up only, so they enter and leave the region once:
  // one run of columns, found without visiting the others.
  TIndexRange ReachingCells(int64_t mg, int64_t patternWidth, int64_t patternHeight, int64_t regionWidth,
                            int64_t regionHeight) const;
  // The rows whose cells can reach the region (those whose first and last cell place it
  // within their span); no row outside them has a cell that does.
  TIndexRange ReachingRows(int64_t patternWidth, int64_t patternHeight, int64_t regionWidth,
                           int64_t regionHeight) const;
};

}  // namespace jbig2
