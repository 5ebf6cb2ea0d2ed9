// Status bars: every part with its bevel from the skin's "StatusBarEdges" (frame 1 lowered, 2
// raised, 3 none) or, without it, a 3-D frame in the button shadow and highlight colours; the
// part's text in its alignment; simple mode as one lowered part; the size grip from frame 5 of
// "ExtraImages".
#pragma once

#include "skin/controls/skin_control.h"

// 1 lowered, 2 raised, 3 none, from a part's drawing type (SBT_ flags).
int StatusBevelFrame(WPARAM type);

class TSkinStatusBar : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinStatusBar"; }
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

 private:
  void DrawPart(HDC dc, RECT r, int frame, std::u16string text, bool rtl);
};
