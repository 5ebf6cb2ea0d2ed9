// Check boxes and radio buttons drawn with the skin's box pictures (a strip of frames with
// magenta transparent) beside the caption. The native control keeps its clicks, keyboard and
// notifications; the wrapper paints it whole whenever the skin has the picture.
#pragma once

#include "skin/controls/skin_control.h"

// The frame of a check box's strip: check is 1 unchecked, 2 checked or 4 (a foreign control's
// "gray" state), moved on by 2 when disabled; an indeterminate button (its window says so) has
// the strip's grayed frame.
int CheckBoxFrame(int frames, int check, bool disabled, bool indeterminate);
// The frame of a radio button's strip: check is 1 or 2.
int RadioButtonFrame(int frames, int check, bool disabled);

class TSkinCheckBox : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinCheckBox"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) override;
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  bool Skinned = false;
  bool ParentBackground = false;
  int CheckState = 0;  // 0 until the first BM_SETCHECK, then its WParam + 1

 protected:
  virtual bool Radio() const { return false; }
  const TBitmap* Picture() const;
  int Frames() const;
  // The frame to draw, from the control's state.
  virtual int FrameNow();
  void PaintBox(HDC dc, const RECT& rect, int frame);
};

class TSkinRadioButton : public TSkinCheckBox {
 public:
  const char* KindName() const override { return "TSkinRadioButton"; }

 protected:
  bool Radio() const override { return true; }
  int FrameNow() override;
};
