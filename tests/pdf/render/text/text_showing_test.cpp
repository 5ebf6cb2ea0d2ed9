// Text showing through the page render: advances, horizontal scaling, rendering modes, hidden
// content and Type 3 glyph procedures, judged by where the ink lands. A Type 3 font whose glyph
// "a" is a filled square 1000 units wide makes every advance visible at whole pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/pdf/fonts/formats/cff_builder.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

struct Ink {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1, count = 0;
};

Ink InkOf(const testraster::Raster& r) {
  Ink k;
  for (int y = 0; y < r.Height; ++y)
    for (int x = 0; x < r.Width; ++x) {
      const uint8_t* p = r.At(x, y);
      if (std::min({p[0], p[1], p[2]}) >= 128) continue;
      k.x0 = std::min(k.x0, x), k.x1 = std::max(k.x1, x);
      k.y0 = std::min(k.y0, y), k.y1 = std::max(k.y1, y);
      ++k.count;
    }
  return k;
}

// A page whose /F1 is the square font; extra is glyph "b"'s procedure.
testraster::Raster Render(const std::string& content, std::string* error = nullptr,
                          const std::string& glyphB = "1000 0 0 0 1000 1000 d1", bool gdiplus = false,
                          bool cairo = false) {
  TestPdf pdf;
  const int a = pdf.AddStream("<< >>", "1000 0 0 0 1000 1000 d1 0 0 m 1000 0 l 1000 1000 l 0 1000 l h f");
  const int b = pdf.AddStream("<< >>", glyphB);
  const int font = pdf.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 "
                           "0] /CharProcs << /a " + std::to_string(a) + " 0 R /b " + std::to_string(b) +
                           " 0 R >> /Encoding << /Differences [97 /a /b] >> /FirstChar 97 /LastChar 98 "
                           "/Widths [1000 1000] /Resources << /Font << /F1 " + std::to_string(a + 2) +
                           " 0 R >> >> >>");
  EXPECT_EQ(font, a + 2);
  const int page = pdf.AddPage(content, "<< /Font << /F1 " + std::to_string(font) + " 0 R /F2 << /Type /Font "
                                       "/Subtype /Type1 /BaseFont /Helvetica >> >> >>",
                               "[0 0 200 100]");
  return cairo ? rendertest::RenderOursCairo(pdf, page, error) : rendertest::RenderOurs(pdf, page, error, 72, gdiplus);
}

}  // namespace

TEST(TextShowing, AdvancesAndScaling) {
  struct {
    const char* name;
    std::string content;
    int x0, x1, count;  // ink columns and pixel count (-1: not checked)
  } cases[] = {
      {"one glyph", "BT /F1 20 Tf 10 10 Td (a) Tj ET", 10, 29, 400},
      {"advance", "BT /F1 20 Tf 10 10 Td (aa) Tj ET", 10, 49, 800},
      {"TJ moves back by n / 1000 of the size", "BT /F1 20 Tf 10 10 Td [(a) 500 (a)] TJ ET", 10, 39, -1},
      // 50 % scaling: each square is 10 wide and the next starts 10 further: applied once.
      {"horizontal scaling", "BT /F1 20 Tf 50 Tz 10 10 Td (aa) Tj ET", 10, 29, 400},
      {"character spacing", "BT /F1 20 Tf 5 Tc 10 10 Td (aa) Tj ET", 10, 54, 800},
      {"size zero shows nothing and does not move", "BT /F1 0 Tf 10 10 Td (a) Tj /F1 20 Tf (a) Tj ET", 10, 29, 400},
      // Helvetica's "H" is 722 / 1000 em wide: the visible one starts 14.44 points on.
      {"mode 3 advances without ink", "BT /F2 20 Tf 10 10 Td 3 Tr (H) Tj 0 Tr (H) Tj ET", 26, 36, -1},
  };
  for (const auto& c : cases) {
    std::string error;
    const Ink ink = InkOf(Render(c.content, &error));
    EXPECT_EQ(error, "") << c.name;
    EXPECT_EQ(ink.x0, c.x0) << c.name;
    EXPECT_EQ(ink.x1, c.x1) << c.name;
    if (c.count >= 0) { EXPECT_EQ(ink.count, c.count) << c.name; }
  }
}

TEST(TextShowing, Type3GlyphsDoNotRunThemselves) {
  // Glyph "b" shows "b" and "a" of its own font: the inner "b" is not run again (it only
  // advances), the "a" is drawn one em to the right.
  std::string error;
  const Ink ink = InkOf(Render("BT /F1 20 Tf 10 10 Td (b) Tj ET", &error,
                               "1000 0 0 0 1000 1000 d1 BT /F1 1000 Tf (ba) Tj ET"));
  EXPECT_EQ(error, "");
  EXPECT_EQ(ink.x0, 30);
  EXPECT_EQ(ink.x1, 49);
  EXPECT_EQ(ink.count, 400);
}

TEST(TextShowing, ClipModeClipsToTheGlyphs) {
  // The GDI+ canvas clips (plain GDI does not).
  std::string error;
  const std::string none = "1000 0 0 0 1000 1000 d1";
  const Ink text = InkOf(Render("BT /F2 40 Tf 10 30 Td (HI) Tj ET", &error, none, true));
  const Ink clipped = InkOf(Render("BT /F2 40 Tf 10 30 Td 7 Tr (HI) Tj ET 0 0 200 100 re f", &error, none, true));
  EXPECT_EQ(error, "");
  ASSERT_GT(text.count, 0);
  EXPECT_NEAR(clipped.x0, text.x0, 1);
  EXPECT_NEAR(clipped.x1, text.x1, 1);
  EXPECT_NEAR(clipped.y0, text.y0, 1);
  EXPECT_NEAR(clipped.y1, text.y1, 1);
  EXPECT_NEAR(clipped.count, text.count, text.count / 10);
}

TEST(TextShowing, SymbolAndDingbatsDrawTheirOwnGlyphs) {
  // Symbol through the installed symbol face, ZapfDingbats through the built-in face: each
  // draws one glyph per code (the two faces have no Latin letters to fall back on).
  for (const char* base : {"Symbol", "ZapfDingbats"}) {
    TestPdf pdf;
    const int font = pdf.Add(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + base + " >>");
    const int page = pdf.AddPage("BT /F1 40 Tf 10 30 Td (abg3) Tj ET", "<< /Font << /F1 " + std::to_string(font) +
                                 " 0 R >> >>", "[0 0 200 100]");
    std::string error;
    const Ink ink = InkOf(rendertest::RenderOurs(pdf, page, &error, 72, false));
    EXPECT_EQ(error, "") << base;
    EXPECT_GT(ink.count, 300) << base;
    EXPECT_GT(ink.x1 - ink.x0, 60) << base;
  }
}

// Type 3 glyphs paint themselves; a path a glyph builds and leaves unpainted is painted, or
// clipped to, by the rendering mode like the outline of any other font. Text the mode makes
// invisible runs no glyph procedure.
TEST(TextShowing, Type3TextIsPaintedAndClippedByTheMode) {
  const std::string open = "1000 0 0 0 1000 1000 d1 0 0 m 1000 0 l 1000 1000 l 0 1000 l h";
  const std::string closed = "1000 0 0 0 1000 1000 d1 0 0 m 1000 0 l 1000 1000 l 0 1000 l h f";
  struct {
    const char* name;
    std::string content;
    std::string glyphB;
    int x0, x1, count;  // ink columns and pixel count (-1: not checked)
  } cases[] = {
      {"a path left open is filled in mode 0", "BT /F1 20 Tf 10 10 Td (b) Tj ET", open, 10, 29, 400},
      {"next to a glyph that fills itself", "BT /F1 20 Tf 10 10 Td (ab) Tj ET", open, 10, 49, 800},
      {"mode 4 fills and clips to it", "BT /F1 20 Tf 10 10 Td 4 Tr (b) Tj ET 0 0 200 100 re f", open, 10, 29, 400},
      {"mode 6 too", "BT /F1 20 Tf 10 10 Td 6 Tr (b) Tj ET 0 0 200 100 re f", open, 9, 30, -1},
      {"a glyph that painted itself sets no clip", "BT /F1 20 Tf 10 10 Td 4 Tr (a) Tj ET 1 0 0 rg 50 0 150 100 re f",
       closed, 10, 199, 400 + 150 * 100},
      {"mode 3 runs no glyph and still advances", "BT /F1 20 Tf 10 10 Td 3 Tr (ab) Tj 0 Tr (a) Tj ET", closed, 50, 69,
       400},
      {"mode 7 runs no glyph", "BT /F1 20 Tf 10 10 Td 7 Tr (a) Tj ET", closed, 1 << 30, -1, 0},
      {"so a path it would leave clips nothing", "BT /F1 20 Tf 10 10 Td 7 Tr (b) Tj ET 0 0 200 100 re f", open, 0,
       199, 20000},
  };
  for (const bool cairo : {false, true}) {
    for (const auto& c : cases) {
      std::string error;
      const Ink ink = InkOf(Render(c.content, &error, c.glyphB, true, cairo));
      const std::string what = std::string(c.name) + (cairo ? " (cairo)" : " (GDI+)");
      EXPECT_EQ(error, "") << what;
      EXPECT_EQ(ink.x0, c.x0) << what;
      EXPECT_EQ(ink.x1, c.x1) << what;
      if (c.count >= 0) { EXPECT_EQ(ink.count, c.count) << what; }
    }
  }
  // Mode 1 strokes the path: a frame around the square, not the square.
  std::string error;
  const Ink frame = InkOf(Render("BT /F1 20 Tf 10 10 Td 1 Tr (b) Tj ET", &error, open, true));
  EXPECT_EQ(error, "");
  EXPECT_NEAR(frame.x0, 10, 1);
  EXPECT_NEAR(frame.x1, 30, 1);
  EXPECT_GT(frame.count, 40);
  EXPECT_LT(frame.count, 200);
}

namespace {

// A Type 3 font whose glyph "a" is a filled one-em square, 1000 units wide.
int AddSquareFont(TestPdf& pdf) {
  const int square = pdf.AddStream("<< >>", "1000 0 0 0 1000 1000 d1 0 0 m 1000 0 l 1000 1000 l 0 1000 l h f");
  return pdf.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
                 "/CharProcs << /a " + std::to_string(square) + " 0 R >> /Encoding << /Differences [97 /a] >> "
                 "/FirstChar 97 /LastChar 97 /Widths [1000] >>");
}

// Where a one-em square of a Type 3 font lands after a string of the composite font of object
// type0, shown at size 20 in mode 3 from (10, 70) in the text state that state sets.
Ink SquareAfterType0(TestPdf& pdf, int type0, const std::string& state, const std::string& shown) {
  const int type3 = AddSquareFont(pdf);
  const int page = pdf.AddPage("BT /F1 20 Tf 10 70 Td 3 Tr " + state + " " + shown +
                                   " Tj 0 Tr 0 Tc /F2 20 Tf (a) Tj ET",
                               "<< /Font << /F1 " + std::to_string(type0) + " 0 R /F2 " + std::to_string(type3) +
                                   " 0 R >> >>",
                               "[0 0 200 100]");
  std::string error;
  const Ink ink = InkOf(rendertest::RenderOurs(pdf, page, &error, 72, true));
  EXPECT_EQ(error, "") << state << " " << shown;
  return ink;
}

// The square after text of a composite font whose CMap maps A to CID 5, B to CID 65, the space
// (code 32) to CID 3 and C to CID 32; W gives CID 0 800 and CID 5 250, DW is 500. Written
// vertically (a CMap named "-V"), W2 gives CID 5 the advance -500 and DW2 the others -1000.
Ink CompositeThenSquare(const std::string& shown, const std::string& state, bool vertical) {
  TestPdf pdf;
  const std::string name = vertical ? "/Test-V" : "/Test-H";
  const int cmap = pdf.AddStream("<< /Type /CMap /CMapName " + name + " >>",
                                 "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName " + name +
                                     " def /CMapType 1 def 1 begincodespacerange <00> <FF> endcodespacerange "
                                     "4 begincidrange <41> <41> 5 <42> <42> 65 <20> <20> 3 <43> <43> 32 endcidrange "
                                     "endcmap CMapName currentdict /CMap defineresource pop end end");
  const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Test /CIDSystemInfo << /Registry (Adobe) "
                          "/Ordering (Identity) /Supplement 0 >> /DW 500 /W [0 [800] 5 [250]] /W2 [5 [-500 250 880]] >>");
  const int type0 = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /Test /Encoding " + std::to_string(cmap) +
                            " 0 R /DescendantFonts [" + std::to_string(cid) + " 0 R] >>");
  return SquareAfterType0(pdf, type0, state, shown);
}

// The square's left column after horizontal text: 10 plus the text's advance in points.
int SquareAfter(const std::string& shown, const std::string& state = "") {
  const Ink ink = CompositeThenSquare(shown, state, false);
  EXPECT_EQ(ink.count, 400) << shown;
  return ink.x0;
}

// The square's top row after vertical text: 10 plus the text's advance down the page.
int SquareBelow(const std::string& shown, const std::string& state = "") {
  return CompositeThenSquare(shown, state, true).y0;
}

}  // namespace

// Widths of a composite font: W by the CID its code maps to, DW for a CID that W does not give
// (even where the CID's number, read as a code of the font's CMap, would map to one it gives).
TEST(TextShowing, CompositeWidthsByCIDElseDW) {
  EXPECT_EQ(SquareAfter("(A)"), 15);  // CID 5: 250
  EXPECT_EQ(SquareAfter("(B)"), 20);  // CID 65 is not in W (65 read as a code is CID 5): DW
  EXPECT_EQ(SquareAfter("(C)"), 20);  // CID 32 is not in W: DW
}

// A code the CMap does not map is CID 0 (the notdef glyph) and takes CID 0's width.
TEST(TextShowing, CompositeCodesTheCMapDoesNotMapAreCIDZero) {
  EXPECT_EQ(SquareAfter("(A\\001A)"), 36);  // 250 + 800 + 250
  EXPECT_EQ(SquareAfter("<01>"), 26);
}

// Word spacing goes to the one-byte code 32 of a composite font, whatever CID it maps to, and
// to no other code.
TEST(TextShowing, CompositeWordSpacingGoesToTheOneByteCode32) {
  EXPECT_EQ(SquareAfter("( )", "5 Tw"), 25);  // code 32 (CID 3): DW 10 points and 5 more
  EXPECT_EQ(SquareAfter("(C)", "5 Tw"), 20);  // CID 32 of code 67: DW only
  EXPECT_EQ(SquareAfter("( )"), 20);
}

// Vertical text: W2 gives the advance of the CID a code maps to (DW2 the others), and the
// advance down the line is not scaled by the horizontal scaling.
TEST(TextShowing, VerticalAdvancesByTheCIDsW2) {
  EXPECT_EQ(SquareBelow("(A)"), 20);  // CID 5: 500 / 1000 of 20 points
  EXPECT_EQ(SquareBelow("(B)"), 30);  // CID 65: DW2's 1000
  EXPECT_EQ(SquareBelow("(A)", "50 Tz"), 20);
}

// Horizontal scaling applies once to a TJ adjustment, as to a width: [(H) -1000 (H)] at 50 %
// puts the second H 0.5 x (722 + 1000) / 1000 of the size after the first.
TEST(TextShowing, ScalingAppliesOnceToAdjustments) {
  std::string error;
  const Ink one = InkOf(Render("BT /F2 20 Tf 50 Tz 10 10 Td (H) Tj ET", &error));
  const Ink two = InkOf(Render("BT /F2 20 Tf 50 Tz 10 10 Td [(H) -1000 (H)] TJ ET", &error));
  EXPECT_EQ(error, "");
  ASSERT_GT(one.count, 0);
  EXPECT_NEAR(two.x1 - one.x1, 17.22, 1);
}

// A CFF program whose FontMatrix is twice as fine as 1/1000 (scale 0.5) in a composite font:
// W and the character spacing advance as given, in thousandths of the em.
TEST(TextShowing, CompositeWidthsOfAScaledCffProgram) {
  glyphtest::TCFFBuilder cff;
  cff.CharStrings = {glyphtest::TType2().O(14),
                     glyphtest::TType2().N(0).N(0).O(21).N(2000).O(6).N(2000).O(7).N(-2000).O(6).O(14)};
  cff.TopExtra = glyphtest::DictReal(".0005") + glyphtest::DictInt(0) + glyphtest::DictInt(0) +
                 glyphtest::DictReal(".0005") + glyphtest::DictInt(0) + glyphtest::DictInt(0) + glyphtest::DictOp(1207);
  for (const auto& [state, x0] : {std::pair{std::string(""), 30}, std::pair{std::string("2 Tc"), 32}}) {
    TestPdf pdf;
    const int file = pdf.AddStream("<< /Subtype /CIDFontType0C >>", cff.Build());
    const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Test /Flags 4 /FontBBox [0 0 1000 1000] "
                                   "/ItalicAngle 0 /Ascent 1000 /Descent 0 /CapHeight 1000 /StemV 80 /FontFile3 " +
                                   std::to_string(file) + " 0 R >>");
    const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Test /CIDSystemInfo << /Registry (Adobe) "
                            "/Ordering (Identity) /Supplement 0 >> /FontDescriptor " + std::to_string(descriptor) +
                            " 0 R /DW 1000 >>");
    const int type0 = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /Test /Encoding /Identity-H /DescendantFonts [" +
                              std::to_string(cid) + " 0 R] >>");
    const Ink ink = SquareAfterType0(pdf, type0, state, "<0001>");
    EXPECT_EQ(ink.x0, x0) << state;
    EXPECT_EQ(ink.count, 400) << state;
  }
}

// A showing operator takes its strings off the operand stack: one given no string of its own
// shows nothing and does not move the text position.
TEST(TextShowing, ShownStringsLeaveTheOperandStack) {
  std::string error;
  const Ink ink = InkOf(Render("BT /F1 20 Tf 10 10 Td (a) Tj Tj (a) Tj ET", &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(ink.x0, 10);
  EXPECT_EQ(ink.x1, 49);
  EXPECT_EQ(ink.count, 800);
}

namespace {

// Ink of a CID string in Liberation Sans embedded as an Identity-H CIDFontType2 (CID = glyph
// index unless a CIDToGIDMap says otherwise), with the extra entries given to the Type0 font.
Ink LiberationInk(const std::string& hex, const std::string& cidToGid, const std::string& toUnicode,
                  int flags = 32) {
  const std::string data = testsupport::ReadFile("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
  if (data.empty()) return {};
  TestPdf pdf;
  const int file = pdf.AddStream("<< >>", data);
  const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /LiberationSans /Flags " + std::to_string(flags) +
                                 " /FontBBox [-600 -300 2000 1000] /ItalicAngle 0 /Ascent 905 /Descent -212 "
                                 "/CapHeight 716 /StemV 80 /FontFile2 " +
                                 std::to_string(file) + " 0 R >>");
  std::string map = "/Identity";
  if (!cidToGid.empty()) map = std::to_string(pdf.AddStream("<< >>", cidToGid)) + " 0 R";
  const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /LiberationSans /CIDSystemInfo << /Registry "
                          "(Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " + std::to_string(descriptor) +
                          " 0 R /DW 1000 /CIDToGIDMap " + map + " >>");
  std::string extra;
  if (!toUnicode.empty()) extra = " /ToUnicode " + std::to_string(pdf.AddStream("<< >>", toUnicode)) + " 0 R";
  const int type0 = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /LiberationSans /Encoding /Identity-H "
                            "/DescendantFonts [" + std::to_string(cid) + " 0 R]" + extra + " >>");
  const int page = pdf.AddPage("BT /F1 40 Tf 10 30 Td " + hex + " Tj ET",
                               "<< /Font << /F1 " + std::to_string(type0) + " 0 R >> >>", "[0 0 200 100]");
  std::string error;
  const Ink ink = InkOf(rendertest::RenderOurs(pdf, page, &error, 72, true));
  EXPECT_EQ(error, "");
  return ink;
}

}  // namespace

// A composite font draws the glyph its code's CID names (through CIDToGIDMap), whatever its
// ToUnicode CMap says the code's text is; a CIDToGIDMap entry of 0 names the notdef glyph,
// which draws nothing.
TEST(TextShowing, CompositeGlyphsByCIDNotByText) {
  const Ink plain = LiberationInk("<0024>", "", "");  // glyph 36: A
  if (plain.count == 0) GTEST_SKIP() << "needs Liberation Sans";
  const std::string toUnicode = "begincmap 1 begincodespacerange <0000> <FFFF> endcodespacerange "
                                "1 beginbfchar <0024> <0041> endbfchar endcmap";
  const Ink withText = LiberationInk("<0024>", "", toUnicode);
  EXPECT_EQ(withText.count, plain.count);
  EXPECT_EQ(withText.x0, plain.x0);
  EXPECT_EQ(withText.x1, plain.x1);
  // CIDs 0 to 36, all mapped to glyph 0 but CID 1, which is glyph 36.
  std::string map(2 * 37, '\0');
  map[3] = 36;
  EXPECT_EQ(LiberationInk("<0024>", map, "").count, 0);
  EXPECT_EQ(LiberationInk("<0001>", map, "").count, plain.count);
  // Also when the font is symbolic: its cmap's codes never stand in for glyph 0.
  EXPECT_EQ(LiberationInk("<0024>", map, "", 4).count, 0);
  EXPECT_EQ(LiberationInk("<0001>", map, "", 4).count, plain.count);
}

// A Type 3 font given directly in the resources (no object number to find it by) is current
// again after a glyph whose procedure selects another font.
TEST(TextShowing, ADirectType3FontIsCurrentAgainAfterItsGlyph) {
  TestPdf pdf;
  const int a = pdf.AddStream("<< >>", "1000 0 0 0 1000 1000 d1 0 0 m 1000 0 l 1000 1000 l 0 1000 l h f");
  const int b = pdf.AddStream("<< >>", "1000 0 0 0 1000 1000 d1 BT /F2 1 Tf ET");
  const std::string type3 = "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 "
                            "0] /CharProcs << /a " + std::to_string(a) + " 0 R /b " + std::to_string(b) +
                            " 0 R >> /Encoding << /Differences [97 /a /b] >> /FirstChar 97 /LastChar 98 /Widths [1000 "
                            "1000] /Resources << /Font << /F2 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
                            ">> >> >>";
  const int page = pdf.AddPage("BT /F1 20 Tf 10 10 Td (b) Tj (a) Tj ET", "<< /Font << /F1 " + type3 + " >> >>",
                               "[0 0 200 100]");
  std::string error;
  const Ink ink = InkOf(rendertest::RenderOurs(pdf, page, &error, 72, true));
  EXPECT_EQ(error, "");
  EXPECT_EQ(ink.x0, 30);
  EXPECT_EQ(ink.x1, 49);
  EXPECT_EQ(ink.count, 400);
}
