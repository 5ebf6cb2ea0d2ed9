// Up-down arrows: two halves (stacked, or side by side for horizontal controls), each with its
// own state, drawn from the skin's "UpDown.Vert" or "UpDown.Horz" element with its glyphs, or,
// without the element, as framed rectangles with a small arrow. Only a press lights a half: the
// wrapper does not track the cursor passing over the arrows.
#pragma once

#include "skin/controls/skin_control.h"

// The state of one half: 1 normal; the half under the cursor 2 when pressed, else 4 when hot;
// 3 when the control is disabled.
int UpDownHalfState(bool underCursor, uint8_t mouse, bool enabled);

class TSkinUpDown : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinUpDown"; }
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  bool Embedded = false;  // made by an edit or tab wrapper for its child

 private:
  void PaintHalf(HDC dc, const RECT& r, int direction, int state, bool horizontal);
  TBitmap buffer_;
};
