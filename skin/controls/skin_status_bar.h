// Status bars: every part with its bevel from the skin's "StatusBarEdges" (frame 1 lowered, 2
// raised, 3 none) or, without it, a 3-D frame in the button shadow and highlight colours; the
// part's text in its alignment; simple mode as one lowered part; the size grip from frame 5 of
// "ExtraImages". Owner-drawn parts are handed to the bar's own drawing of such parts: the
// parent is asked to draw inside the bevel.
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
  void DrawBevel(HDC dc, const RECT& r, int frame);
  void DrawPart(HDC dc, RECT r, int frame, std::u16string text, bool rtl);
};
