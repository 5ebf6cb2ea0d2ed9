// The glyph rasterizer of TrueType font data: an embedded FontFile2, a font file outside the
// document, or the data of an installed font read back through GetFontData. Outlines are read
// from the font's own tables, recorded once per glyph key in units of 1/1000 em and replayed
// under each caller's matrix.
//
// Keys: "U+" + four hexadecimal digits, "PS:" + glyph name, "GID:" + glyph index, a glyph name
// (through the Unicode cmap, the Macintosh cmap and the post names), "uni" + four hexadecimal
// digits; symbolic fonts also match the number after the key's first four characters against
// the low byte of their symbol, Macintosh and Unicode cmap codes. Glyph 0 is never drawn.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "pdf/core/encodings/font_encodings.h"
#include "pdf/fonts/font_rasterizer.h"
#include "pdf/fonts/formats/truetype/truetype_parser.h"

class TBitmap;
class TFont;

class TPDFTrueTypeRasterizer2 : public TPDFFontRasterizer {
 public:
  // Installed fonts larger than this are replaced by "Arial".
  static constexpr int64_t kMaxSystemFontSize = 104857600;

  TPDFTrueTypeRasterizer2();
  ~TPDFTrueTypeRasterizer2() override;

  // Outlines in 1/1000 em offset by (x, y), mapped through matrix onto the canvas. True for
  // every key of a font that has glyphs, whether or not the key names one (a key naming none,
  // or glyph 0, draws nothing); a font without glyphs answers false and records nothing.
  bool DrawGlyph(double& x, double& y, uint8_t flag, const std::string& key, const TPDFMatrix& matrix,
                 TPDFGenericCanvas* canvas) override;
  double GetFontMatrixScale() override { return 1.0; }

  // The font descriptor's flags: symbolic when the value 4 is set.
  void SetSymbolic(int32_t flags) { IsSymbolic = (flags & 4) == 4; }
  // The installed face to read back: the collection sets its name and style before
  // LoadSystemFontData.
  TFont& GetFont();
  // Fills Parser from the data of the face GetFont names (a face of a collection file is read
  // with its offsets rebased); a face larger than kMaxSystemFontSize is replaced by "Arial".
  // Data that cannot be fetched leaves Parser empty.
  void LoadSystemFontData();
  // Each code whose name the font's post table knows gets that glyph's advance width; other
  // codes keep theirs.
  void SetEncodingWidths(const TGlyphNames& names, TEncodingWidths& widths) const;

  // The glyph index a key names; 0 when none.
  int FindGlyph(std::string_view key) const;
  // The key that draws a simple font's code whose encoding gives it the glyph name `name`, the
  // cmaps tried in the order the PDF format gives TrueType programs. A symbolic font draws the
  // code's own glyph ("CID:" keys), except that where its dictionary names an encoding
  // (encodingNamed) the name's character in the Unicode cmap comes first. Any other font draws
  // the name, and where the program finds no glyph by it, the code's glyph: the code as a
  // Unicode value, then as a symbol code.
  std::string SimpleFontKey(uint8_t code, const std::string& name, bool encodingNamed) const;

  bool IsSymbolic = false;
  TPDFTrueTypeParser Parser;
  TPDFGlyphShapeCache ShapeCache;
  // A 10 x 10 24-bit bitmap whose canvas holds the installed face; its device context answers
  // GetFontData.
  std::unique_ptr<TBitmap> WorkBitmap;
  // The loaded installed font has a "CFF " table: its data stays in FontData for a CFF reader.
  bool HasCFF = false;
  std::string FontData;

 private:
  int FindSymbolGlyph(std::string_view key) const;
  // The first glyph of the symbol, Macintosh and Unicode cmaps whose code has n as its low byte.
  int FindSymbolCode(int64_t n) const;
  // The glyph of a glyph name's character in the Unicode cmap; 0 when none.
  int FindCharacterGlyph(std::string_view name) const;
  int FindUnicodeGlyph(uint32_t u) const;
  int FindNamedGlyph(std::string_view name) const;
};
