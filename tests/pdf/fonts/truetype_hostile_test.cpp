// Hostile sfnt data: lying directories, glyphs outside their tables, composite loops and
// explosions, huge point and code counts, truncated and mutated fonts. Nothing may crash, hang
// or read outside the data (the sanitizer build checks the last).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "pdf/fonts/formats/truetype/truetype_outline.h"
#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "tests/pdf/fonts/sfnt_builder.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/support/test_support.h"

using namespace sfnttest;

namespace {

std::string Square() { return SimpleGlyph({{{0, 0}, {10, 0}, {10, 10}}}); }

// Draws every glyph (up to a limit) and a few keys of other forms; the number of canvas calls.
size_t DrawAll(const std::string& data, int limit = 300) {
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(data);
  canvastest::RecordingCanvas canvas;
  const int count = std::min(r.Parser.GlyphCount(), limit);
  for (int g = 0; g < count; ++g) {
    double x = 0, y = 0;
    r.DrawGlyph(x, y, 0, GlyphKeyGID(g), kIdentityMatrix, &canvas);
  }
  for (const char* key : {"U+0041", "A", "uni0041", "CID:65", "PS:A"}) {
    double x = 0, y = 0;
    r.DrawGlyph(x, y, 0, key, kIdentityMatrix, &canvas);
  }
  return canvas.calls.size();
}

// Draws one glyph; the number of canvas calls (four for each square drawn).
size_t DrawOne(const std::string& data, int glyph) {
  TPDFTrueTypeRasterizer2 r;
  r.Parser.LoadFromString(data);
  canvastest::RecordingCanvas canvas;
  double x = 0, y = 0;
  r.DrawGlyph(x, y, 0, GlyphKeyGID(glyph), kIdentityMatrix, &canvas);
  return canvas.calls.size();
}

}  // namespace

TEST(TrueTypeHostile, LyingDirectory) {
  // Every table beyond the data, or running past it.
  const std::string good = Font({"", Square()}, Cmap({{3, 1, CmapFormat4({{0x41, 0x41, -0x40}})}}), Post(0x00020000));
  for (const uint32_t offset : {0xFFFFFFF0u, 0x7FFFFFFFu, uint32_t(good.size()), uint32_t(good.size() - 2)}) {
    std::string bad = good;
    for (size_t rec = 12; rec + 16 <= 12 + 16 * 7; rec += 16) {
      const std::string o = BE32(offset), l = BE32(0xFFFFFFFF);
      bad.replace(rec + 8, 4, o);
      bad.replace(rec + 12, 4, l);
    }
    TPDFTrueTypeParser p;
    p.LoadFromString(bad);
    EXPECT_TRUE(p.Loaded());
    EXPECT_LE(p.GlyphCount(), 65535);
    DrawAll(bad);
  }
  // A directory that claims 65535 tables in a few bytes.
  std::string many = BE32(0x00010000) + BE16(65535) + std::string(6, '\0') + "head" + BE32(0) + BE32(0) + BE32(54);
  TPDFTrueTypeParser p;
  p.LoadFromString(many);
  EXPECT_EQ(p.Tables().size(), 1u);
}

TEST(TrueTypeHostile, GlyphsOutsideTheirTables) {
  std::string glyf, loca;
  GlyfAndLoca({"", Square()}, 1, glyf, loca);
  // loca of glyph 2 points far beyond glyf and the data; glyph 3 runs backwards.
  loca = BE32(0) + BE32(0) + BE32(uint32_t(glyf.size())) + BE32(0xFFFFFF) + BE32(4);
  Builder b;
  b.Add("head", Head(1000, 1));
  b.Add("maxp", Maxp(4));
  b.Add("loca", loca);
  b.Add("glyf", glyf);
  TPDFTrueTypeParser p;
  p.LoadFromString(b.Build());
  EXPECT_TRUE(p.GetGlyph(1).Valid);
  EXPECT_FALSE(p.GetGlyph(2).Valid);
  EXPECT_EQ(p.GetGlyph(3).Points.size(), 0u);
  // A glyph whose loca length is shorter than its outline is not read past its end.
  std::string shortGlyf, shortLoca;
  GlyfAndLoca({"", Square(), Square()}, 1, shortGlyf, shortLoca);
  shortLoca.replace(8, 4, BE32(uint32_t(Square().size() - 3)));
  Builder c;
  c.Add("head", Head(1000, 1));
  c.Add("maxp", Maxp(3));
  c.Add("loca", shortLoca);
  c.Add("glyf", shortGlyf);
  p.LoadFromString(c.Build());
  EXPECT_FALSE(p.GetGlyph(1).Valid);
  DrawAll(c.Build());
}

TEST(TrueTypeHostile, HugePointCounts) {
  // End points claiming 65536 points in a handful of bytes; end points that fall back.
  const std::string huge = BE16(1) + std::string(8, '\0') + BE16(65535) + BE16(0) + std::string(4, '\x01');
  const std::string falling = BE16(2) + std::string(8, '\0') + BE16(5) + BE16(3) + BE16(0) + std::string(16, '\x01');
  const std::string contours = BE16(32767) + std::string(8, '\0') + std::string(100, '\xFF');
  const std::string font = Font({"", huge, falling, contours}, "", "");
  TPDFTrueTypeParser p;
  p.LoadFromString(font);
  EXPECT_FALSE(p.GetGlyph(1).Valid);
  EXPECT_LE(p.GetGlyph(1).Points.size(), 65536u);
  EXPECT_FALSE(p.GetGlyph(2).Valid);
  EXPECT_FALSE(p.GetGlyph(3).Valid);
  EXPECT_EQ(DrawAll(font), 0u);
}

TEST(TrueTypeHostile, CompositeLoopsAndExplosions) {
  // 1 -> 2 -> 1; 3 uses itself; 4 has 1000 parts of 5, which has 1000 parts of 6, a square.
  std::vector<Component> wide;
  for (int i = 0; i < 1000; ++i) {
    Component c;
    c.glyph = 5;
    wide.push_back(c);
  }
  std::vector<Component> wider = wide;
  for (Component& c : wider) c.glyph = 6;
  Component to1, to2, to3;
  to1.glyph = 1;
  to2.glyph = 2;
  to3.glyph = 3;
  const std::string font =
      Font({"", CompositeGlyph({to2}), CompositeGlyph({to1}), CompositeGlyph({to3, to3}), CompositeGlyph(wide),
            CompositeGlyph(wider), Square()},
           "", "");
  const size_t calls = DrawAll(font);
  // Square 6 drawn directly, plus at most the parts budget for each composite.
  // Four calls per square: the square itself, glyph 5's 1000 parts, and glyph 4 up to the budget.
  EXPECT_LE(calls, size_t(4 * (kMaxCompositeParts + 1000 + 1)));
  EXPECT_GE(calls, size_t(4 * (1000 + 1000 + 1)));
  // The loops again, each composite also holding a square, so that every pass through one
  // draws: the pair that calls each other stops at the depth limit (the square of the deepest
  // level lies beyond it), the glyph that uses itself twice at the parts budget.
  Component square;
  square.glyph = 4;
  const std::string drawn = Font({"", CompositeGlyph({to2, square}), CompositeGlyph({to1, square}),
                                  CompositeGlyph({to3, to3, square}), Square()},
                                 "", "");
  EXPECT_EQ(DrawOne(drawn, 1), size_t(4 * kMaxCompositeDepth));
  const size_t doubled = DrawOne(drawn, 3);
  EXPECT_LE(doubled, size_t(4 * kMaxCompositeParts / 3));
  EXPECT_GE(doubled, size_t(4 * kMaxCompositeDepth));
  // A hundred parts, each an outline of 8,000 points: the reading stops at the work budget, after
  // eight of them, instead of drawing 800,000 points.
  Contour ring;
  for (int i = 0; i < 8000; ++i) ring.push_back(sfnttest::Point{i % 100, i / 100});
  std::vector<Component> rings(100);
  for (Component& c : rings) c.glyph = 2;
  const std::string heavy = Font({"", CompositeGlyph(rings), SimpleGlyph({ring})}, "", "");
  const size_t heavyCalls = DrawOne(heavy, 1);
  EXPECT_LE(heavyCalls, size_t(kMaxRecordedWork));
  EXPECT_GE(heavyCalls, size_t(8 * 8000));
  // A glyph of more parts than any real one has is refused as it is read.
  std::vector<Component> most(1024), tooMany(1025);
  for (Component& c : most) c.glyph = 3;
  for (Component& c : tooMany) c.glyph = 3;
  TPDFTrueTypeParser p;
  p.LoadFromString(Font({"", CompositeGlyph(most), CompositeGlyph(tooMany), Square()}, "", ""));
  EXPECT_TRUE(p.GetGlyph(1).Valid);
  EXPECT_EQ(p.GetGlyph(1).Components.size(), 1024u);
  EXPECT_FALSE(p.GetGlyph(2).Valid);
}

TEST(TrueTypeHostile, OverlappingCmapSegments) {
  // 4000 segments each covering 0..65534: the subtable stops at 65536 codes.
  std::vector<Segment> segments(4000, Segment{0, 0xFFFE, 0});
  const std::string sub = CmapFormat4(segments);
  // The subtable's length field is 16 bits: it lies, which the reader tolerates.
  const std::string font = Font({"", Square()}, Cmap({{3, 1, sub}, {3, 1, sub}, {0, 3, sub}}), "");
  TPDFTrueTypeParser p;
  p.LoadFromString(font);
  ASSERT_EQ(p.CmapCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(p.CmapAt(i).Codes.size(), 65536u) << i;
    EXPECT_EQ(p.CmapAt(i).GlyphIds.size(), 65536u) << i;
  }
  // Twenty full subtables: the font keeps at most 2^20 codes in all, the first ones whole.
  const std::string full = CmapFormat4({Segment{0, 0xFFFE, 0}});
  const std::vector<std::tuple<int, int, std::string>> records(20, {3, 1, full});
  TPDFTrueTypeParser many;
  many.LoadFromString(Font({"", Square()}, Cmap(records), ""));
  ASSERT_EQ(many.CmapCount(), 20);
  size_t total = 0;
  for (int i = 0; i < many.CmapCount(); ++i) total += many.CmapAt(i).Codes.size();
  EXPECT_LE(total, size_t(1) << 20);
  EXPECT_GE(many.CmapAt(0).Codes.size(), 65535u);
  EXPECT_GE(total, 15 * many.CmapAt(0).Codes.size());
  EXPECT_TRUE(many.CmapAt(19).Codes.empty());
}

TEST(TrueTypeHostile, TruncatedAndMutatedFonts) {
  const std::string path = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "missing " << path;
  const std::string font = testsupport::ReadFile(path);
  for (size_t length = 0; length < font.size(); length += font.size() / 97 + 1) {
    DrawAll(font.substr(0, length), 40);
  }
  // Random bytes written over a small made-up font, deterministic.
  const std::string small = Font({"", Square(), SimpleGlyph({{{0, 0}, {5, 5, false}, {10, 0}}}),
                                  CompositeGlyph({Component{1, 3, 4, 3, {0.5}}})},
                                 Cmap({{3, 1, CmapFormat4({{0x41, 0x43, -0x40}})}, {1, 0, CmapFormat0({0, 1})}}),
                                 Post20({".notdef", "A", "foo", "bar"}));
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = small;
    const int changes = 1 + int(random() % 8);
    for (int k = 0; k < changes; ++k) bad[random() % bad.size()] = char(random());
    DrawAll(bad);
  }
}

// Data past the size any font has is not read (and not copied); up to it a font loads.
TEST(TrueTypeHostile, DataPastTheFontSizeLimitIsNotRead) {
  std::string font = Font({"", Square()}, "", "");
  font.resize(size_t(TPDFTrueTypeParser::kMaxFontSize));
  TPDFTrueTypeParser p;
  p.LoadFromString(font);
  EXPECT_TRUE(p.Loaded());
  EXPECT_EQ(p.GlyphCount(), 2);
  font.push_back('\0');
  p.LoadFromString(font);
  EXPECT_FALSE(p.Loaded());
  EXPECT_EQ(p.GlyphCount(), 0);
}
