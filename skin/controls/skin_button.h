// Push buttons drawn from the skin's button element: a strip of five frames (1 normal,
// 2 pressed, 3 disabled, 4 hot, 5 focused or default) scaled in nine parts, with the caption
// centred over it. The native button keeps its click, keyboard and default-button behaviour;
// the wrapper tracks hover and press itself.
#pragma once

#include "skin/controls/skin_control.h"

class TDataSkinButton;

inline constexpr int kButtonNormal = 1, kButtonPressed = 2, kButtonDisabled = 3, kButtonHot = 4, kButtonFocused = 5;

// A caption with every "||" made a line break.
std::u16string ButtonCaptionText(const std::string& caption);

// The frame of a button: 1; 5 when focused or default; then 2 when pressed, else 4 when hot;
// finally 3 when disabled.
int ButtonState(bool focused, bool isDefault, uint8_t mouse, bool enabled);

class TSkinButton : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinButton"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  TBitmap Buffer;
  bool ParentBackground = false;

 protected:
  // The element to draw with, or nullptr when the skin leaves the native look.
  const TDataSkinButton* Element() const;
  // Background and (unless not `element`) element frame into Buffer; the buffer's DC.
  HDC PaintFace(const RECT& rect, int state, bool element = true);
  // The buffer's font and text colour for a state.
  void PrepareText(int state);
  // The buffer's font and colour selected for a transparent caption; the old font.
  HGDIOBJ SelectText(HDC buffer);
  void Click();
};

// A push button with a drop-down arrow: focus shows the hot frame, the caption stands left of
// the arrow.
class TSkinMenuButton : public TSkinButton {
 public:
  const char* KindName() const override { return "TSkinMenuButton"; }
  void PaintControl(HDC dc, const RECT& rect) override;
};
