// Font names to installed faces, the CJK substitute tables, character sets of CMaps, and the
// collection's loading and selection of font dictionaries.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/font_substitutes.h"
#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "pdf/fonts/type3_rasterizer.h"
#include "platform/gdi/canvas.h"
#include "tests/pdf/fonts/font_doc.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/support/test_support.h"

TEST(FontNames, NormalizeFontName) {
  if (!testsupport::FontsPinned()) GTEST_SKIP() << "fonts are not pinned";
  struct {
    const char* base;
    int32_t flags;
    const char* face;
    int style;
  } cases[] = {
      {"Arial,BoldMT", 0, "Arial", fsBold},
      {"TimesNewRomanPS-BoldItalicMT", 0, "Times New Roman", fsBold | fsItalic},
      {"Helvetica-Oblique", 0, "Arial", fsItalic},
      {"Roman", 0, "Times New Roman", 0},
      {"ABCDEF+Helvetica", 0, "Arial", 0},
      {"Courier-Bold", 0, "Courier New", fsBold},
      {"NoSuchFace", 66, "Times New Roman", fsItalic},
      {"NoSuchFace", 3, "Times New Roman", 0},
      {"NoSuchFace", 1, "Courier", 0},
      {"NoSuchFace", 0, "Arial", 0},
      {"LiberationSans-Bold", 0, "Liberation Sans", fsBold},
      {"DejaVuSerif", 0, "DejaVu Serif", 0},
      {"abcdef+DejaVuSans", 0, "Arial", 0},  // small letters are no subset tag, but "+" cuts
  };
  for (const auto& c : cases) {
    TFont font;
    TPDFFontCollection::NormalizeFontName(font, c.base, c.flags);
    EXPECT_EQ(font.Name(), c.face) << c.base;
    EXPECT_EQ(font.Style(), c.style) << c.base;
  }
}

TEST(FontNames, StandardPatterns) {
  EXPECT_EQ(StandardFontPattern("Helvetica"), 5);
  EXPECT_EQ(StandardFontPattern("Times-BoldItalic"), 12);
  EXPECT_EQ(StandardFontPattern("Roman"), 9);
  EXPECT_EQ(StandardFontPattern("Symbol"), 13);
  EXPECT_EQ(StandardFontPattern("Garamond"), 0);
  EXPECT_EQ(StripSubsetTag("ABCDEF+Foo"), "Foo");
  EXPECT_EQ(StripSubsetTag("ABCDeF+Foo"), "ABCDeF+Foo");
  EXPECT_EQ(StripSubsetTag("ABCDEF+"), "ABCDEF+");
}

TEST(FontNames, CJKSubstituteTables) {
  struct {
    TCJKRoad road;
    const char* base;
    int32_t flags;
    const char* panose;
    const char* face;
  } cases[] = {
      {TCJKRoad::CIDType1, "Ryumin-Light-90ms-RKSJ-H", 0, "", "MS Mincho"},
      {TCJKRoad::CIDType1, "HYGoThic-Medium", 0, "", "Dotum"},
      {TCJKRoad::CIDType1, "Unknown", 1 | 2, "", "MS PMincho"},
      {TCJKRoad::CIDType1, "Unknown", 4, "", "MS Gothic"},
      {TCJKRoad::CompositeTrueType, "HGPSoeiKakugothicUB", 14, "", "MS PMincho"},
      {TCJKRoad::CompositeTrueType, "HGPSoeiKakugothicUB", 4, "", "MS PGothic"},
      {TCJKRoad::CompositeTrueType, "SimSun,Bold", 0, "", "SimSun"},
      {TCJKRoad::CompositeTrueType, "Unknown", 0, "\x02\x0b\x06\x09", "MS PGothic"},
      {TCJKRoad::CompositeTrueType, "Unknown", 0, "\x02\x02\x06\x09", "MS PMincho"},
      {TCJKRoad::CompositeTrueType, "Unknown", 0, "", "Unknown"},
      {TCJKRoad::CompositeTrueType, "Unknown", 1, "", "MS Mincho"},
  };
  for (const auto& c : cases) {
    uint8_t charSet = 0;
    EXPECT_EQ(CJKSubstituteFace(c.road, c.base, c.flags, c.panose, charSet), c.face) << c.base;
  }
  uint8_t charSet = 0;
  CJKSubstituteFace(TCJKRoad::CompositeTrueType, "MS-Mincho", 0, "", charSet);
  EXPECT_EQ(charSet, 128);
  EXPECT_EQ(CIDCourierName("CourierStd-BoldOblique"), "Courier,BoldItalic");
  EXPECT_EQ(CIDCourierName("CourierStd"), "Courier");
}

TEST(FontNames, CharacterSetsOfCMaps) {
  TPDFFontCollection fonts;
  struct {
    const char* cmap;
    const char* ordering;
    uint8_t charSet;
    bool table;
  } cases[] = {
      {"90ms-RKSJ-H", "Adobe-Japan1-2", 128, true}, {"GBK-EUC-H", "Adobe-GB1-2", 134, true},
      {"KSCms-UHC-H", "Adobe-Korea1-1", 129, true}, {"ETenms-B5-V", "Adobe-CNS1-0", 136, true},
      {"UniGB-UCS2-H", "Adobe-GB1-4", 134, true},  {"Identity-H", "Adobe-Korea1-0", 129, true},
      {"Identity-V", "Adobe-Identity-0", 0, false}, {"UniKS-UCS2-H", "Adobe-Korea1-1", 129, true},
  };
  for (const auto& c : cases) {
    int index = -2;
    TZRXWordPairList* table = nullptr;
    EXPECT_EQ(fonts.GetPredefinedCMapName(c.cmap, c.ordering, index, table), c.charSet) << c.cmap;
    EXPECT_GE(index, 0) << c.cmap;
    EXPECT_EQ(table != nullptr, c.table) << c.cmap;
  }
}

TEST(FontCollection, SelectsEachIndirectFontOnce) {
  FontDoc doc;
  doc.Add(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar -3 /LastChar 900 /Widths [1 2 3 4 5] >>");
  doc.Add(6, "<< /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << >> >>");
  TPDFFontCollection fonts;
  fonts.SelectFont(doc.Ref(5));
  fonts.SelectFont(doc.Ref(5));
  ASSERT_EQ(fonts.FontCount(), 1);
  EXPECT_EQ(fonts.Current()->Widths[0], 4);  // FirstChar -3: codes below 0 are skipped
  EXPECT_EQ(fonts.Current()->Widths[1], 5);
  EXPECT_EQ(fonts.Current()->Widths[65], 667);  // beyond the array: Helvetica's own widths
  fonts.SelectFont(doc.Ref(6));
  EXPECT_EQ(fonts.FontCount(), 2);
  EXPECT_EQ(fonts.Current()->Rasterizer, nullptr);  // font programs are off
  fonts.SelectFontByNumber(5);
  EXPECT_EQ(fonts.Current()->ObjectNumber, 5);
  fonts.SelectFontByNumber(77);
  EXPECT_EQ(fonts.Current()->ObjectNumber, 5);
  auto* direct = PDFCast<TPDFDictionary>(doc.store.ParseObject("<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>"));
  fonts.AddFont(direct);
  fonts.AddFont(direct);
  EXPECT_EQ(fonts.FontCount(), 4);
  EXPECT_EQ(fonts.IndexOfFont(6), 1);
  EXPECT_EQ(fonts.IndexOfFont(0), -1);
}

TEST(FontCollection, RefusesBadComposites) {
  FontDoc doc;
  doc.Add(5, "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [5 0 R] >>");
  doc.Add(6, "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [7 0 R] >>");
  doc.Add(7, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  doc.Add(8, "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [9 0 R] >>");
  doc.Add(9, "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [8 0 R] >>");
  doc.Add(10, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Lonely >>");
  TPDFFontCollection fonts;
  for (int n : {5, 6, 8, 10}) fonts.SelectFont(doc.Ref(n));
  EXPECT_EQ(fonts.FontCount(), 0);
  EXPECT_EQ(fonts.Current(), nullptr);
}

TEST(FontCollection, CompositeFontCodesAndText) {
  FontDoc doc;
  doc.Add(5, "<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding /90ms-RKSJ-H /DescendantFonts [6 0 R] "
             "/ToUnicode 7 0 R >>");
  doc.Add(6, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /X /CIDSystemInfo << /Registry (Adobe) /Ordering "
             "(Japan1) /Supplement 2 >> /DW 500 /W [1125 [1000]] >>");
  auto* tounicode = doc.store.NewStream("1 begincodespacerange <00> <FF> endcodespacerange 1 beginbfchar <889F> "
                                        "<4E9C> endbfchar", false);
  doc.Put(7, tounicode);
  TPDFFontCollection fonts;
  fonts.SelectFont(doc.Ref(5));
  ASSERT_EQ(fonts.FontCount(), 1);
  const TPDFFontCollectionData& f = *fonts.Current();
  EXPECT_TRUE(f.Composite);
  EXPECT_TRUE(f.WordSpaceCode);
  EXPECT_EQ(f.EncodingCMapName, "90ms-RKSJ-H");
  std::vector<uint32_t> codes;
  fonts.StringToCodes(std::string("A\x88\x9F", 3), codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0x41, 0x889F}));
  EXPECT_EQ(fonts.LookupCMap(f.CMapIndex, 0x889F), 1125);
  EXPECT_EQ(f.CIDWidths.Find(1125), 1000);
  EXPECT_EQ(f.CIDWidths.Default, 500);
  EXPECT_EQ(fonts.CodeToUnicode(0x889F), u"\x4E9C");
  EXPECT_EQ(fonts.CodeToUnicode(0x41), u"");
  // Without a program the face is a CJK substitute.
  EXPECT_NE(dynamic_cast<TPDFSimpleTrueTypeRasterizer*>(f.Rasterizer.get()), nullptr);
}

TEST(Type3Rasterizer, GlyphProcedures) {
  FontDoc doc;
  auto* proc = doc.store.NewStream("0 0 0 0 100 100 d1 0 0 m 100 0 l 100 100 l h f", false);
  doc.Put(9, proc);
  auto* font = PDFCast<TPDFDictionary>(doc.Add(
      5, "<< /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /tri 9 0 R /bad 3 >> >>"));
  TPDFType3Rasterizer r;
  int reads = 0;
  r.OnBeforeRead = [&](TPDFStream*, TPDFIndRef*) { ++reads; };
  r.LoadFont(font);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(r.FontMatrix[0], 0.001);
  EXPECT_EQ(r.GetFontMatrixScale(), 1.0);
  EXPECT_EQ(r.GetCharProc("bad"), "");
  canvastest::RecordingCanvas canvas;
  double x = 10, y = 0;
  EXPECT_FALSE(r.DrawGlyph(x, y, 0, "missing", kIdentityMatrix, &canvas));
  EXPECT_TRUE(canvas.calls.empty());
  EXPECT_TRUE(r.DrawGlyph(x, y, 0, "tri", {2, 0, 0, 2, 0, 0}, &canvas));
  // The d1 operands stay on the stack: the triangle is drawn from the points that follow.
  const std::vector<std::string> expected = {"N", "M 20 0", "L 220 0", "L 220 200", "Z", "F"};
  EXPECT_EQ(canvas.calls, expected);
}

// An inline image in a glyph procedure whose colour space names a resource of the font draws
// through that space (here a spot colour whose full tint is blue).
TEST(Type3Rasterizer, InlineImagesTakeTheirSpacesFromTheFontsResources) {
  FontDoc doc;
  const std::string procedure = "20 0 0 20 0 0 cm BI /W 1 /H 1 /CS /Cs1 /BPC 8 ID \xFF EI";
  doc.Put(9, doc.store.NewStream(procedure, false));
  auto* font = PDFCast<TPDFDictionary>(doc.Add(
      5, "<< /Type /Font /Subtype /Type3 /CharProcs << /dot 9 0 R >> /Resources << /ColorSpace << /Cs1 "
         "[/Separation /Spot /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0 1] /N 1 >>] >> >> >>"));
  TPDFType3Rasterizer r;
  r.LoadFont(font);
  auto bitmap = canvastest::WhiteBitmap(20, 20);
  {
    auto canvas = canvastest::CanvasOn(*bitmap, kBackEndGDIPlus);
    double x = 0, y = 0;
    EXPECT_TRUE(r.DrawGlyph(x, y, 0, "dot", kIdentityMatrix, canvas.get()));
  }
  EXPECT_EQ(canvastest::Pixel(*bitmap, 10, 10), 0x0000FFu);
}

// An image mask inside a glyph procedure paints in the colour the renderer hands the font (its
// text fill colour), cached or not.
TEST(Type3Rasterizer, ImageMasksPaintInTheImageContext) {
  FontDoc doc;
  const std::string procedure = "20 0 0 20 0 0 cm BI /IM true /W 2 /H 2 /BPC 1 ID " + std::string(2, '\0') + " EI";
  doc.Put(9, doc.store.NewStream(procedure, false));
  auto* font = PDFCast<TPDFDictionary>(doc.Add(5, "<< /Type /Font /Subtype /Type3 /CharProcs << /dot 9 0 R >> >>"));
  TPDFType3Rasterizer r;
  r.LoadFont(font);
  for (const uint32_t colour : {0x0000FFu, 0x00FF00u}) {  // red, then green (colour values: red low)
    r.ImageContext = int32_t(colour);
    auto bitmap = canvastest::WhiteBitmap(20, 20);
    {
      auto canvas = canvastest::CanvasOn(*bitmap, kBackEndGDIPlus);
      double x = 0, y = 0;
      EXPECT_TRUE(r.DrawGlyph(x, y, 0, "dot", kIdentityMatrix, canvas.get()));
    }
    const uint32_t rgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
    EXPECT_EQ(canvastest::Pixel(*bitmap, 10, 10), rgb);
  }
}
