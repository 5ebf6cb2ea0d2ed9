// The TrueType rasterizer on small fonts made byte by byte: glyph keys of every form, symbolic
// fonts, outline recording (implied points, composites, nesting), the shape cache and widths.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <string>
#include <vector>

#include "pdf/fonts/formats/truetype/truetype_outline.h"
#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "tests/pdf/fonts/sfnt_builder.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace sfnttest;
using canvastest::RecordingCanvas;

namespace {

// Glyph n is a square of side 10 * n at the origin, so the drawing tells which glyph it was.
std::string NumberedSquare(int n) {
  const int s = 10 * n;
  return SimpleGlyph({{{0, 0}, {s, 0}, {s, s}, {0, s}}});
}

std::vector<std::string> Squares(int count) {
  std::vector<std::string> glyphs{""};
  for (int n = 1; n < count; ++n) glyphs.push_back(NumberedSquare(n));
  return glyphs;
}

// The side of the square drawn (its second point's x), 0 when nothing was drawn.
int Drawn(TPDFTrueTypeRasterizer2& r, const std::string& key, bool* result = nullptr) {
  RecordingCanvas canvas;
  double x = 0, y = 0;
  const bool found = r.DrawGlyph(x, y, 0, key, kIdentityMatrix, &canvas);
  if (result != nullptr) *result = found;
  if (canvas.calls.size() < 2) return 0;
  double px = 0, py = 0;
  std::sscanf(canvas.calls[1].c_str(), "L %lf %lf", &px, &py);
  return int(px / 10);
}

std::vector<std::string> Calls(TPDFTrueTypeRasterizer2& r, const std::string& key,
                               const TPDFMatrix& m = kIdentityMatrix, double x = 0, double y = 0) {
  RecordingCanvas canvas;
  r.DrawGlyph(x, y, 0, key, m, &canvas);
  return canvas.calls;
}

Component Part(int glyph, int dx, int dy, uint16_t flags = 3, std::vector<double> scale = {}) {
  Component c;
  c.glyph = glyph;
  c.dx = dx;
  c.dy = dy;
  c.flags = flags;
  c.scale = std::move(scale);
  return c;
}

}  // namespace

TEST(TrueTypeRasterizer, KeysThroughUnicodeCmapAndNames) {
  // Glyph 3 is "A" (U+0041), 4 is "B", 5 "uni0416", 6 "foo"; (1,0) maps Mac code 0x41 to 7.
  std::vector<uint8_t> mac(256, 0);
  mac[0x41] = 7;
  mac[0xC0] = 8;  // questiondown in MacRoman
  const std::string cmap = Cmap({{1, 0, CmapFormat0(mac)}, {3, 1, CmapFormat4({{0x41, 0x42, 3 - 0x41}, {0x416, 0x416, 5 - 0x416}})}});
  const std::string post = Post20({".notdef", "x1", "x2", "A", "B", "uni0416", "foo", "x7", "x8"});
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(Font(Squares(9), cmap, post));
  const struct {
    const char* key;
    int glyph;
  } cases[] = {{"U+0041", 3}, {"U+0042", 4}, {"U+0416", 5}, {"U+0043", 0}, {"PS:foo", 6}, {"PS:x7", 7},
               {"GID:3", 3},  {"GID:8", 8},  {"GID:0", 0},  {"A", 3},      {"B", 4},
               {"foo", 6},    {"uni0416", 5}, {"questiondown", 8}, {"Zcaron", 0}, {"", 0}, {"GID:-2", 0}};
  for (const auto& c : cases) {
    // A font with glyphs answers true for every key.
    bool found = false;
    EXPECT_EQ(Drawn(r, c.key, &found), c.glyph) << c.key;
    EXPECT_TRUE(found) << c.key;
    EXPECT_EQ(r.FindGlyph(c.key), c.glyph) << c.key;
  }
  // An index beyond the font is named but has nothing to draw.
  EXPECT_EQ(r.FindGlyph("GID:9"), 9);
  bool found = false;
  EXPECT_EQ(Drawn(r, "GID:9", &found), 0);
  EXPECT_TRUE(found);
}

TEST(TrueTypeRasterizer, UnicodeKeyFallsBackToPostNames) {
  // No (3,1) subtable: U+0041 goes through the glyph list's name for it.
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(Font(Squares(4), "", Post20({".notdef", "B", "A", "uni0041"})));
  EXPECT_EQ(r.FindGlyph("U+0041"), 2);
  EXPECT_EQ(r.FindGlyph("U+0042"), 1);
  EXPECT_EQ(r.FindGlyph("uni0042"), 1);
  EXPECT_EQ(r.FindGlyph("U+2603"), 0);
}

TEST(TrueTypeRasterizer, SymbolicFontsMatchLowBytes) {
  const std::string cmap = Cmap({{3, 0, CmapFormat4({{0xF000, 0xF000, 2 - 0xF000}, {0xF041, 0xF042, 4 - 0xF041}})}});
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(Font(Squares(6), cmap, ""));
  EXPECT_EQ(r.FindGlyph("CID:65"), 0);
  EXPECT_EQ(r.FindGlyph("GID:0"), 0);
  r.SetSymbolic(32);
  EXPECT_FALSE(r.IsSymbolic);
  r.SetSymbolic(4 | 32);
  EXPECT_TRUE(r.IsSymbolic);
  EXPECT_EQ(r.FindGlyph("CID:65"), 4);
  EXPECT_EQ(r.FindGlyph("CID:66"), 5);
  EXPECT_EQ(r.FindGlyph("GID:0"), 2);  // the first (3,0) code whose low byte is 0
  EXPECT_EQ(r.FindGlyph("GID:3"), 3);  // a glyph index wins
  EXPECT_EQ(r.FindGlyph("CID:x"), 2);  // not a number: 0
  // The Macintosh and Unicode subtables follow the symbol one.
  const std::string more = Cmap({{1, 0, CmapFormat6(0x30, {1, 3})}, {3, 1, CmapFormat6(0x133, {5})}});
  TPDFTrueTypeRasterizer2 s;
  s.Parser.LoadFromString(Font(Squares(6), more, ""));
  s.SetSymbolic(4);
  EXPECT_EQ(s.FindGlyph("CID:49"), 3);
  EXPECT_EQ(s.FindGlyph("CID:51"), 5);  // 0x133 has 0x33 as its low byte
}

TEST(TrueTypeRasterizer, FontWithoutGlyphsDrawsNothing) {
  TPDFTrueTypeRasterizer2 r;
  EXPECT_EQ(Drawn(r, "GID:1"), 0);
  bool found = true;
  Drawn(r, "GID:1", &found);
  EXPECT_FALSE(found);
  EXPECT_EQ(r.ShapeCache.Count(), 0);
  EXPECT_EQ(r.GetFontMatrixScale(), 1.0);
}

TEST(TrueTypeRasterizer, OutlinesInThousandthsUnderTheMatrix) {
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(Font(Squares(3), "", "", 2000));
  // Square 2 is 20 units: 10 thousandths at 2000 units per em; offset by (5, 0) then scaled.
  EXPECT_EQ(Calls(r, "GID:2", {2, 0, 0, -2, 100, 200}, 5, 0),
            (std::vector<std::string>{"M 110 200", "L 130 200", "L 130 180", "L 110 180", "Z"}));
  EXPECT_EQ(r.ShapeCache.Count(), 1);
  // The cached shape under another matrix.
  EXPECT_EQ(Calls(r, "GID:2"), (std::vector<std::string>{"M 0 0", "L 10 0", "L 10 10", "L 0 10", "Z"}));
  EXPECT_EQ(r.ShapeCache.Count(), 1);
  // A key without a glyph is cached empty; the font has glyphs, so it answers true.
  bool found = false;
  Drawn(r, "nothing", &found);
  EXPECT_TRUE(found);
  found = false;
  Drawn(r, "nothing", &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(r.ShapeCache.Count(), 2);
  // A head whose unit size is 0 counts as 2048 units per em: outlines stay finite.
  TPDFTrueTypeRasterizer2 zero;
  zero.Parser.LoadFromString(Font(Squares(3), "", "", 0));
  EXPECT_EQ(Calls(zero, "GID:2", {2.048, 0, 0, 2.048, 0, 0}),
            (std::vector<std::string>{"M 0 0", "L 20 0", "L 20 20", "L 0 20", "Z"}));
}

TEST(TrueTypeRasterizer, ImpliedOnCurvePoints) {
  const struct {
    const char* name;
    Contour contour;
    std::vector<std::string> calls;
  } cases[] = {
      {"two off-curve points between on-curve ones",
       {{0, 0}, {100, 0, false}, {100, 100, false}, {0, 100}},
       {"M 0 0", "Q 100 0 100 50", "Q 100 100 0 100", "Z"}},
      {"off-curve point before the close",
       {{0, 0}, {100, 0}, {100, 100, false}},
       {"M 0 0", "L 100 0", "Q 100 100 0 0", "Z"}},
      {"contour starting off the curve starts at its last point",
       {{50, 0, false}, {100, 50}, {0, 50}},
       {"M 0 50", "Q 50 0 100 50", "Z"}},
      {"only off-curve points: curves through the midpoints",
       {{0, 0, false}, {100, 0, false}, {100, 100, false}, {0, 100, false}},
       {"M 0 50", "Q 0 0 50 0", "Q 100 0 100 50", "Q 100 100 50 100", "Q 0 100 0 50", "Z"}},
      {"single point", {{7, 8}}, {"M 7 8", "Z"}},
  };
  for (const auto& c : cases) {
    TPDFTrueTypeRasterizer2 r;
    r.Parser.LoadFromString(Font({"", SimpleGlyph({c.contour})}, "", ""));
    EXPECT_EQ(Calls(r, "GID:1"), c.calls) << c.name;
  }
}

TEST(TrueTypeRasterizer, CompositeGlyphs) {
  const std::string base = SimpleGlyph({{{0, 0}, {10, 0}, {10, 10}}});
  const std::vector<std::string> glyphs = {
      "",
      base,
      CompositeGlyph({Part(1, 0, 0), Part(1, 100, 50)}),          // 2: base and a shifted copy
      CompositeGlyph({Part(1, 5, 5, 3, {2.0})}),                  // 3: one scale for both axes
      CompositeGlyph({Part(1, 0, 0, 3, {1.0, -1.0})}),            // 4: x and y scales
      CompositeGlyph({Part(1, 0, 0, 3, {0.0, 1.0, -1.0, 0.0})}),  // 5: two by two (a turn)
      CompositeGlyph({Part(2, 1000, 0)}),                         // 6: a composite of a composite
      CompositeGlyph({Part(7, 0, 0), Part(1, 0, 0)}),             // 7: refers to itself
      CompositeGlyph({Part(1, 0, 0, 1)}),                         // 8: placed by points: no offset
  };
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(Font(glyphs, "", ""));
  EXPECT_EQ(Calls(r, "GID:2"), (std::vector<std::string>{"M 0 0", "L 10 0", "L 10 10", "Z", "M 100 50", "L 110 50",
                                                          "L 110 60", "Z"}));
  EXPECT_EQ(Calls(r, "GID:3"), (std::vector<std::string>{"M 5 5", "L 24.9994 5", "L 24.9994 24.9994", "Z"}));
  EXPECT_EQ(Calls(r, "GID:4"), (std::vector<std::string>{"M 0 0", "L 10 0", "L 10 -10", "Z"}));
  EXPECT_EQ(Calls(r, "GID:5"), (std::vector<std::string>{"M 0 0", "L 0 10", "L -10 10", "Z"}));
  const std::vector<std::string> nested = Calls(r, "GID:6");
  ASSERT_EQ(nested.size(), 8u);
  EXPECT_EQ(nested[0], "M 1000 0");
  EXPECT_EQ(nested[4], "M 1100 50");
  // The self-reference stops at the depth limit: the base once per level, no hang.
  const std::vector<std::string> loop = Calls(r, "GID:7");
  EXPECT_EQ(loop.size(), size_t(4 * kMaxCompositeDepth));
  EXPECT_EQ(Calls(r, "GID:8"), (std::vector<std::string>{"M 0 0", "L 10 0", "L 10 10", "Z"}));
}

TEST(TrueTypeRasterizer, EncodingWidthsFromPostNames) {
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(
      Font({"", "", ""}, "", Post20({".notdef", "A", "space"}), {.unitsPerEm = 2048, .advances = {1024, 2048, 512}}));
  TGlyphNames names;
  names[65] = "A";
  names[32] = "space";
  names[66] = "B";
  TEncodingWidths widths;
  widths.fill(-1);
  r.SetEncodingWidths(names, widths);
  EXPECT_EQ(widths[65], 1000);
  EXPECT_EQ(widths[32], 250);
  EXPECT_EQ(widths[66], -1);
  EXPECT_EQ(widths[0], -1);  // an empty name is no name
}

namespace {

// An outline as its segments: "M x y", "L x y", "Q cx cy x y"; every contour ends where it
// started (a close is the line back to the start) and lines of no length are left out, so
// that two recorders that close contours differently compare equal.
class Outline {
 public:
  void Move(double x, double y) {
    Close();
    start_[0] = cur_[0] = x, start_[1] = cur_[1] = y;
    open_ = true;
    Add("M", {x, y});
  }
  void Line(double x, double y) {
    if (x == cur_[0] && y == cur_[1]) return;
    cur_[0] = x, cur_[1] = y;
    Add("L", {x, y});
  }
  void Quad(double cx, double cy, double x, double y) {
    cur_[0] = x, cur_[1] = y;
    Add("Q", {cx, cy, x, y});
  }
  void Close() {
    if (open_) Line(start_[0], start_[1]);
    open_ = false;
  }
  std::vector<std::string> Segments() {
    Close();
    return segments_;
  }

 private:
  void Add(const char* op, std::initializer_list<double> values) {
    std::string text = op;
    for (double v : values) text += " " + std::to_string(std::lround(v * 100) / 100.0).substr(0, 8);
    segments_.push_back(text);
  }
  double start_[2] = {0, 0}, cur_[2] = {0, 0};
  bool open_ = false;
  std::vector<std::string> segments_;
};

class OutlineCanvas : public TPDFGenericCanvas {
 public:
  Outline outline;
  void NewPath() override {}
  void MoveTo(double x, double y) override { outline.Move(x, y); }
  void LineTo(double x, double y) override { outline.Line(x, y); }
  void CurveTo(double, double, double, double, double, double) override { ADD_FAILURE() << "a cubic curve"; }
  void QuadCurveTo(double cx, double cy, double x, double y) override { outline.Quad(cx, cy, x, y); }
  void ClosePath() override { outline.Close(); }
  void Stroke() override {}
  void Fill() override {}
  void FillAndStroke() override {}
  void DrawImage(TGraphic&, double, double, double, double, double, double) override {}
};

// FreeType's outline of a glyph in font units, unhinted.
std::vector<std::string> FreeTypeOutline(const std::string& font, int glyph) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  Outline outline;
  if (FT_Init_FreeType(&library) != 0) return {"no FreeType"};
  if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(font.data()), FT_Long(font.size()), 0, &face) == 0 &&
      FT_Load_Glyph(face, FT_UInt(glyph), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0) {
    FT_Outline_Funcs funcs{};
    funcs.move_to = [](const FT_Vector* to, void* user) {
      static_cast<Outline*>(user)->Move(double(to->x), double(to->y));
      return 0;
    };
    funcs.line_to = [](const FT_Vector* to, void* user) {
      static_cast<Outline*>(user)->Line(double(to->x), double(to->y));
      return 0;
    };
    funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
      static_cast<Outline*>(user)->Quad(double(c->x), double(c->y), double(to->x), double(to->y));
      return 0;
    };
    funcs.cubic_to = [](const FT_Vector*, const FT_Vector*, const FT_Vector*, void*) { return 1; };
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &outline);
  }
  if (face != nullptr) FT_Done_Face(face);
  FT_Done_FreeType(library);
  return outline.Segments();
}

std::vector<std::string> OurOutline(const std::string& font, int glyph) {
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(font);
  OutlineCanvas canvas;
  double x = 0, y = 0;
  r.DrawGlyph(x, y, 0, "GID:" + std::to_string(glyph), kIdentityMatrix, &canvas);
  return canvas.outline.Segments();
}

}  // namespace

// Where the TrueType format defines an outline (contours that start off the curve, composites
// whose parts are composites, a part's single scale), the recorded outline is FreeType's.
TEST(TrueTypeRasterizer, OutlinesAsFreeTypeReadsThem) {
  const std::string square = SimpleGlyph({{{0, 0}, {20, 0}, {20, 20}, {0, 20}}});
  const std::vector<std::string> glyphs = {
      "",
      square,
      SimpleGlyph({{{50, 0, false}, {100, 50}, {0, 50}}}),                    // 2: starts off, ends on
      SimpleGlyph({{{0, 0, false}, {100, 0}, {100, 100, false}}}),            // 3: starts and ends off
      SimpleGlyph({{{0, 0, false}, {100, 0, false}, {100, 100, false}}}),     // 4: all off
      CompositeGlyph({Part(1, 0, 0), Part(1, 100, 50)}),                       // 5
      CompositeGlyph({Part(5, 1000, 0), Part(1, 0, 500)}),                     // 6: a composite part
      CompositeGlyph({Part(1, 6, 6, 3, {0.5})}),                               // 7: one scale for both axes
      CompositeGlyph({Part(7, 100, 0, 3, {0.5})}),                             // 8: both
  };
  const std::string font = Font(glyphs, "", "");
  const struct {
    const char* name;
    int glyph;
  } cases[] = {{"a contour that starts off the curve starts at its last point", 2},
               {"... or at the midpoint of its last and first points", 3},
               {"a contour of off-curve points only", 4},
               {"a composite", 5},
               {"a composite whose part is a composite", 6},
               {"a part with one scale for both axes", 7},
               {"a scaled composite part of a scaled part", 8}};
  for (const auto& c : cases) {
    const std::vector<std::string> theirs = FreeTypeOutline(font, c.glyph);
    ASSERT_GT(theirs.size(), 1u) << c.name;
    EXPECT_EQ(OurOutline(font, c.glyph), theirs) << c.name;
  }
}
