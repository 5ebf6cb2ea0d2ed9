// Progress bars drawn from the skin's "Progress" element (frame 1 the empty bar, frame 2 the
// filled part) or, for its draw style 1, from the "Progress.Chunk" element laid over frame 1.
#pragma once

#include "skin/controls/skin_control.h"

// The filled length of a bar `extent` long: (position - minimum) / (maximum - minimum) of it,
// within 0..extent; 0 for an empty or inverted range.
int ProgressFill(int extent, int minimum, int maximum, int position);

class TSkinProgress : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinProgress"; }
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

 private:
  void PaintBar(TBitmap& bar, int fill);
  TBitmap buffer_;
};
