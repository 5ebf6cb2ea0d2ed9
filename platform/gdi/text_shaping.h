// Text in complex scripts (Arabic, Hebrew, the Indic and South-East Asian scripts) laid out as
// the platform's text layer lays it out for drawing and measuring: the characters put in
// display order by the bidirectional rules on a left-to-right line, and each run of one
// direction, script and font shaped by HarfBuzz over the font's FreeType face (joined letters,
// ligatures, marks on their bases). Other text keeps one glyph per character at its advance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class FontInstance;

struct ShapedGlyph {
  FontInstance* font = nullptr;
  char32_t key = 0;  // a glyph key of the font (FontInstance::GlyphKey)
  int64_t x = 0;     // pen position from the text's left end, pixels
  int32_t y = 0;     // raised by this many pixels from the baseline (y up)
};

struct ShapedText {
  std::vector<ShapedGlyph> glyphs;  // in display order
  int64_t width = 0;
  // Without dx: each code point's share of the advance of the cluster it is in (26.6 pixels).
  std::vector<int64_t> shares;
};

// Whether the text holds a character that needs shaping or reordering.
bool NeedsShaping(const std::u32string& text);

// `dx`, when given, is the advance of each code point as the caller places them (clusters take
// the sum of theirs); otherwise the glyphs' own advances, with charExtra after each character.
ShapedText ShapeText(FontInstance& font, const std::u32string& text, int charExtra, const int* dx);
