// Foreign check boxes and radio buttons that take custom glyphs: the wrapper builds a glyph
// strip from the skin's check-box or radio picture and hands it to the control's published
// "CustomGlyphs" bitmap (Mode 1 check box, 2 radio button) or to the "Glyph" of its
// "Properties" object (Mode 3); the control draws itself with them.
#pragma once

#include "skin/controls/skin_control.h"

// The picture's frame (from 1) each slot of the strip takes, 0 for a slot left empty: the
// check box's 9 slots take frames 1, 2, 5, 1, 2, 5, 3, 4, 5 (frame 5, the grayed state, only
// when the picture has 5 frames). Radio buttons use the same order.
int ObjImageSlotFrame(int slot, int frames);
inline constexpr int kObjImageSlots = 9;

class TSkinObjImage : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinObjImage"; }
  bool IsContainer() const override { return true; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void ApplyColor() override;
  void RestoreColor() override;

  int Mode = 0;

  // The strip of glyphs for Mode 1 or 2 (empty without the skin's picture).
  void BuildStrip(TBitmap& out) const;

 private:
  void HandOver();
};
