// Buttons with a glyph: TSkinBitButton draws the button element with the glyph laid out beside
// the caption (frame 3 of the glyph strip pressed, frame 2 disabled and greyed, frame 1
// otherwise); TSkinSpeedButton does the same for speed buttons, whose down state shows the
// pressed frame and glyph frame 4, and whose flat kind shows the element only pressed or hot.
#pragma once

#include <string>

#include "platform/forms/button_glyph.h"
#include "skin/controls/skin_button.h"

// The glyph frame a bit button shows in a button state: 3 pressed, 2 disabled, 1 otherwise.
int BitButtonGlyphFrame(int state);
// A speed button's: 1 normal and hot, 3 pressed, 2 disabled, 4 down.
int SpeedButtonGlyphFrame(int state, bool down);
// "blglyphleft" ... "blglyphbottom" (any case); anything else is left.
TButtonLayout GlyphLayoutOf(const std::string& text);

class TSkinBitButton : public TSkinButton {
 public:
  const char* KindName() const override { return "TSkinBitButton"; }
  void PaintControl(HDC dc, const RECT& rect) override;

  std::string GlyphProperty;  // a graphic property to take the glyph from instead

 protected:
  // Face (the element unless `element` is false), glyph frame and caption, copied to the DC.
  void PaintGlyphButton(HDC dc, const RECT& rect, int state, int glyphFrame, bool element);

 private:
  // The glyph frame into `out`; false without a glyph. `fromList`: drawn from the image list.
  bool TakeGlyph(int frame, bool enabled, TBitmap& out, bool& fromList, int& listIndex);
};

// A speed button has no window: it is painted on its parent's DC, in paints of the parent and
// through its canvas when its state changes.
class TSkinSpeedButton : public TSkinBitButton {
 public:
  const char* KindName() const override { return "TSkinSpeedButton"; }
  void AttachGraphic(TGraphicControl* control, TWinSkinForm* formSkin, TSkinData* skinData, int attachData);
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintWindow(HDC dc) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  bool Painting = false;
};
