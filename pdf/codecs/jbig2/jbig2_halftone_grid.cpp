#include "pdf/codecs/jbig2/jbig2_halftone_grid.h"

#include <algorithm>

namespace jbig2 {

namespace {

// Rounds toward minus infinity; divisor > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && (a < 0)); }

// Narrows r to the n with n * step >= bound.
void KeepAtLeast(int64_t step, int64_t bound, TIndexRange& r) {
  if (step == 0) {
    if (bound > 0) r.End = r.Begin;
    return;
  }
  r.Begin = std::max(r.Begin, -FloorDiv(-bound, step));
}

// Narrows r to the n with n * step <= bound.
void KeepAtMost(int64_t step, int64_t bound, TIndexRange& r) {
  if (step == 0) {
    if (bound < 0) r.End = r.Begin;
    return;
  }
  r.End = std::min(r.End, FloorDiv(bound, step) + 1);
}

// An empty range is {0, 0}: bounds past either end stay out of the callers' loops.
TIndexRange Settled(TIndexRange r) { return r.Begin < r.End ? r : TIndexRange{}; }

}  // namespace

TIndexRange THalftoneGrid::ReachingCells(int64_t mg, int64_t patternWidth, int64_t patternHeight,
                                          int64_t regionWidth, int64_t regionHeight) const {
  // Column n lies at x = floor((ax + n * StepX) / 256), y = floor((ay - n * StepY) / 256); its
  // pattern reaches the region when x > -patternWidth, x < regionWidth, y > -patternHeight
  // and y < regionHeight, each a bound on n * StepX or n * StepY.
  const int64_t ax = X + mg * StepY, ay = Y + mg * StepX;
  TIndexRange r{0, Width};
  KeepAtLeast(StepX, 256 * (1 - patternWidth) - ax, r);
  KeepAtMost(StepX, 256 * regionWidth - ax - 1, r);
  KeepAtMost(StepY, ay - 256 * (1 - patternHeight), r);
  KeepAtLeast(StepY, ay - 256 * regionHeight + 1, r);
  return Settled(r);
}

TIndexRange THalftoneGrid::ReachingRows(int64_t patternWidth, int64_t patternHeight, int64_t regionWidth,
                                        int64_t regionHeight) const {
  if (Width <= 0) return {};
  // Row mg spans x from its first cell to its last and y from its last cell to its first;
  // with mg the row moves right and down, so each side of the region bounds mg * StepY or
  // mg * StepX.
  const int64_t last = Width - 1;
  TIndexRange r{0, Height};
  KeepAtLeast(StepY, 256 * (1 - patternWidth) - X - last * StepX, r);
  KeepAtMost(StepY, 256 * regionWidth - 1 - X, r);
  KeepAtLeast(StepX, 256 * (1 - patternHeight) - Y, r);
  KeepAtMost(StepX, 256 * regionHeight - 1 - Y + last * StepY, r);
  return Settled(r);
}

}  // namespace jbig2
