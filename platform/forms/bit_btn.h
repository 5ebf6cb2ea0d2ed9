// Buttons with a glyph beside the caption. TBitBtn is a push button (of the "Button" class)
// that paints itself: the glyph strip's frame 1 normally, 2 disabled (greyed when the strip has
// no such frame), 3 pressed. TSpeedButton is a button that never takes the focus, can stay
// down (GroupIndex, AllowAllUp, Down; frame 4 while down) and, Flat, shows its face only under
// the mouse or pressed.
#pragma once

#include "platform/forms/button.h"
#include "platform/forms/button_glyph.h"
#include "platform/forms/graphic_control.h"

// What the two buttons share: the glyph and its placement.
class TGlyphHolder {
 public:
  TBitmap* Glyph() const { return &glyph_; }
  void SetGlyph(TBitmap* b);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int n) { numGlyphs_ = n; }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout l) { layout_ = l; }
  int Margin() const { return margin_; }
  void SetMargin(int m) { margin_ = m; }
  int Spacing() const { return spacing_; }
  void SetSpacing(int s) { spacing_ = s; }

 protected:
  // Face, glyph frame and caption into the DC; `pressed` shifts the contents by a pixel.
  void PaintGlyphButton(HDC dc, const RECT& client, const std::u16string& caption, HFONT font, int frame,
                        bool enabled, bool pressed, bool face) const;
  mutable TBitmap glyph_;
  int numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1, spacing_ = 4;
};

class TBitBtn : public TButton, public TGlyphHolder {
 public:
  explicit TBitBtn(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

 protected:
  void WndProc(TMessage& message) override;
};

// A speed button has no window of its own: its parent paints it and hands it the mouse.
class TSpeedButton : public TGraphicControl, public TGlyphHolder {
 public:
  explicit TSpeedButton(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool Down() const { return down_; }
  void SetDown(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v) { allowAllUp_ = v; }
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  void Click() override;

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;

 private:
  bool pressed_ = false, hot_ = false, down_ = false, flat_ = false, allowAllUp_ = false;
  int groupIndex_ = 0;
};
