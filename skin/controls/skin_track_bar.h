// Track bars drawn through their custom-draw notifications: the channel from the skin's "Track"
// picture ("TRACKVERT" for vertical bars), stretched along the channel with its caps kept and
// centred across it; the thumb from "Trackbar.ThumbHorz" ("Trackbar.ThumbVert" first for
// vertical bars), frame 2 of 5, magenta transparent. The tics stay the bar's own.
#pragma once

#include "platform/user/notify.h"
#include "skin/controls/skin_control.h"

class TSkinTrackBar : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinTrackBar"; }
  bool BeforeMessage(TMessage& message) override;
  void ApplyColor() override;

  // The answer to one custom-draw stage, having drawn what the skin draws.
  LRESULT CustomDraw(NMCUSTOMDRAW& cd);

 private:
  void DrawChannel(HDC dc);
  void DrawThumb(HDC dc);
};
