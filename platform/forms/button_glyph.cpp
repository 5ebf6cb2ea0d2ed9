#include "platform/forms/button_glyph.h"

#include <algorithm>

#include "platform/gdi/blit.h"

const TEnumInfo& ButtonLayoutEnumInfo() {
  static const TEnumInfo e{"TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
  return e;
}

TGlyphPlace PlaceGlyph(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin, int spacing,
                       bool centred) {
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  const int extent = horizontal ? client.right - client.left : client.bottom - client.top;
  const int across = horizontal ? client.bottom - client.top : client.right - client.left;
  const int g = horizontal ? glyph.cx : glyph.cy, t = horizontal ? text.cx : text.cy;
  if (g == 0 || t == 0) spacing = 0;
  if (margin != -1 && !centred) {
    if (spacing == -1) spacing = (extent - margin - g - t) / 2;
  } else if (spacing != -1) {
    margin = (extent - (g + spacing + t) + 1) / 2;
  } else {
    margin = spacing = (extent - g - t) / 3;
  }
  const bool nearSide = layout == blGlyphLeft || layout == blGlyphTop;
  const int glyphAt = nearSide ? margin : extent - margin - g;
  const int textAt = nearSide ? margin + g + spacing : extent - margin - g - spacing - t;
  const int glyphAcross = (across - (horizontal ? glyph.cy : glyph.cx) + 1) / 2;
  const int textAcross = (across - (horizontal ? text.cy : text.cx) + 1) / 2;
  TGlyphPlace p;
  if (horizontal) {
    p.Glyph = POINT{client.left + glyphAt, client.top + glyphAcross};
    p.Text = RECT{client.left + textAt, client.top + textAcross, client.left + textAt + t,
                  client.top + textAcross + text.cy};
  } else {
    p.Glyph = POINT{client.left + glyphAcross, client.top + glyphAt};
    p.Text = RECT{client.left + textAcross, client.top + textAt, client.left + textAcross + text.cx,
                  client.top + textAt + t};
  }
  return p;
}

void GlyphFrame(TBitmap& strip, int count, int frame, TBitmap& out) {
  count = std::max(count, 1);
  const int w = strip.Width() / count, h = strip.Height();
  out.SetPixelFormat(pf24bit);
  out.SetSize(std::max(w, 0), h);
  if (w <= 0 || h <= 0) return;
  if (frame < 1 || frame > count) frame = 1;  // a frame the strip lacks: the first
  BitBlt(out.Canvas().Handle(), 0, 0, w, h, strip.Canvas().Handle(), (frame - 1) * w, 0, SRCCOPY);
}
