// A button's glyph and caption laid out together: the glyph beside the caption on the side the
// layout names, the pair placed by Margin (from that side) and Spacing (between them), either
// given or (as -1) shared out so that the pair sits centred.
#pragma once

#include <string>

#include "platform/forms/classes.h"
#include "platform/gdi/bitmap.h"
#include "platform/user/wintypes.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
const TEnumInfo& ButtonLayoutEnumInfo();

struct TGlyphPlace {
  POINT Glyph{};
  RECT Text{};
};

// `glyph` and `text` are the sizes of the glyph (0 x 0 without one) and the caption;
// `centred`: the control's alignment is centred, which makes the margin follow the spacing.
TGlyphPlace PlaceGlyph(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin, int spacing,
                       bool centred);
// Frame k (from 1) of a strip of `count` glyphs side by side, as a bitmap of its own; a frame
// the strip lacks gives the first.
void GlyphFrame(TBitmap& strip, int count, int frame, TBitmap& out);
