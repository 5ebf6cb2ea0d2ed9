// The class library's media player, as far as its row of buttons: play, pause, stop, next,
// previous, step, back, record and eject, each visible or not, enabled or not and coloured or
// not by the sets of the same names. The visible buttons share the width equally; a press and
// a release on the same enabled button run OnClick with that button. Nothing is played.
#pragma once

#include <vector>

#include "platform/forms/controls.h"

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
inline constexpr int kMediaButtons = 9;
using TButtonSet = int;  // bit i: TMPBtnType i
const TEnumInfo& MPBtnTypeEnumInfo();
using TMPBtnClickEvent = std::function<void(TObject* Sender, TMPBtnType Button, bool& DoDefault)>;

// The visible buttons' rectangles (one per button, empty for the hidden ones) in a client
// rectangle of this width and height.
std::vector<RECT> MediaButtonRects(TButtonSet visible, int width, int height);

class TMediaPlayer : public TWinControl {
 public:
  explicit TMediaPlayer(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TButtonSet VisibleButtons() const { return visible_; }
  void SetVisibleButtons(TButtonSet v);
  TButtonSet EnabledButtons() const { return enabled_; }
  void SetEnabledButtons(TButtonSet v);
  TButtonSet ColoredButtons() const { return colored_; }
  void SetColoredButtons(TButtonSet v);
  TMPBtnClickEvent OnButtonClick;  // published as OnClick

 protected:
  void WndProc(TMessage& message) override;

 private:
  int ButtonAt(int x, int y) const;
  void Paint();
  TButtonSet visible_ = 0x1FF, enabled_ = 0x1FF, colored_ = 0x1FF;
  int pressed_ = -1;
};
