// Glyph command lists played into shapes, the command and shape caches, and the lookup of a
// charstring by glyph key.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "pdf/fonts/font_rasterizer.h"
#include "pdf/fonts/formats/charstrings/glyph_drawing.h"
#include "pdf/render/canvas/generic_canvas.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

namespace {

using canvastest::RecordingCanvas;

std::vector<std::string> Play(const TGlyphCommandList& commands, bool* ended = nullptr) {
  TPDFGenericShape shape;
  const bool result = PlayGlyphCommands(commands, shape);
  if (ended != nullptr) *ended = result;
  RecordingCanvas canvas;
  shape.DrawTo(canvas, kIdentityMatrix);
  return canvas.calls;
}

struct PlayCase {
  const char* name;
  TGlyphCommandList commands;
  std::vector<std::string> calls;
  bool ended;
};

TEST(GlyphCommands, PlayTable) {
  const std::vector<PlayCase> cases = {
      {"cff glyph starts at origin", {"hsbw(0,0)", "rmoveto(10,20)", "rlineto(5,0)", "endchar"},
       {"M 10 20", "L 15 20", "Z"}, true},
      {"type1 side bearing", {"hsbw(50,600)", "rmoveto(0,0)", "rlineto(0,100)", "closepath", "endchar"},
       {"M 50 0", "L 50 100", "Z"}, true},
      {"sbw sets both", {"sbw(5,7,600,0)", "rmoveto(1,1)", "endchar"}, {"M 6 8", "Z"}, true},
      {"curve relative", {"hsbw(0,0)", "rmoveto(0,0)", "rrcurveto(0,12.5,4,8,10,0) vh1"},
       {"M 0 0", "C 0 12.5 4 20.5 14 20.5"}, false},
      {"h and v moves", {"hsbw(0,0)", "hmoveto(5)", "vmoveto(6)"}, {"M 5 0", "Z", "M 5 6"}, false},
      {"move closes open subpath", {"rmoveto(1,1)", "rlineto(1,0)", "rmoveto(5,5)", "closepath", "closepath"},
       {"M 1 1", "L 2 1", "Z", "M 7 6", "Z"}, false},
      {"setcurrentpoint records nothing", {"setcurrentpoint(100,200)", "rlineto(1,1)"}, {"L 101 201"}, false},
      {"flex two curves",
       {"rmoveto(0,0)", "flex(10,0, 1,2, 3,4, 5,6, 7,8, 9,10, 11,12)"},
       {"M 0 0", "C 11 2 14 6 19 12", "C 26 20 35 30 46 42"}, false},
      {"t2flex depth ignored",
       {"rmoveto(0,0)", "t2flex(10,0,5,2,8,0,8,0,5,-2,10,0,50)"},
       {"M 0 0", "C 10 0 15 2 23 2", "C 31 2 36 0 46 0"}, false},
      {"t2flex depth 0 same",
       {"rmoveto(0,0)", "t2flex(10,0,5,2,8,0,8,0,5,-2,10,0,0)"},
       {"M 0 0", "C 10 0 15 2 23 2", "C 31 2 36 0 46 0"}, false},
      {"seac accent origin",
       {"hsbw(20,500)", "rmoveto(0,0)", "rlineto(10,0)", "endchar", "seac(0,100,300)", "hsbw(40,300)",
        "rmoveto(0,0)", "rlineto(0,5)", "endchar"},
       {"M 20 0", "L 30 0", "Z", "M 120 300", "L 120 305", "Z"}, true},
      {"hints and leftovers ignored",
       {"hsbw(0,0)", "hintmask(1,0,1)", "12", "Unknown: 31", "hstem(1,2,3,4)", "rmoveto(3,4)"}, {"M 3 4"}, false},
      // The end closes what is open; a close without an open subpath records nothing.
      {"endchar closes the last contour", {"rmoveto(0,0)", "rlineto(10,0)", "rlineto(0,10)", "endchar", "endchar"},
       {"M 0 0", "L 10 0", "L 10 10", "Z"}, true},
      {"nothing to close", {"closepath", "hsbw(0,0)", "endchar"}, {}, true},
      {"malformed arguments read as zero", {"rmoveto(abc, 4", "rlineto()"}, {"M 0 4", "L 0 4"}, false},
  };
  for (const PlayCase& c : cases) {
    bool ended = false;
    EXPECT_EQ(Play(c.commands, &ended), c.calls) << c.name;
    EXPECT_EQ(ended, c.ended) << c.name;
  }
}

TEST(GlyphCommands, FormatAndParse) {
  EXPECT_EQ(GlyphNumber(12), "12");
  EXPECT_EQ(GlyphNumber(-0.5), "-0.5");
  EXPECT_EQ(GlyphNumber(1.0 / 3.0), "0.333333");
  EXPECT_EQ(GlyphCommand("rrcurveto", {"0", "12.5", "4", "8", "10", "0"}, "vh1"), "rrcurveto(0,12.5,4,8,10,0) vh1");
  EXPECT_EQ(GlyphCommand("hsbw", {"0", "0"}), "hsbw(0,0)");
  EXPECT_EQ(GlyphCommandName("rmoveto(0, 5)"), "rmoveto");
  EXPECT_EQ(GlyphCommandName("endchar"), "endchar");
  EXPECT_EQ(GlyphCommandArgs("rmoveto(0, 5)"), (std::vector<double>{0, 5}));
  EXPECT_EQ(GlyphCommandArgs("rlineto(1.25,-3) cl"), (std::vector<double>{1.25, -3}));
}

TEST(GlyphCommands, CharStringIndexByKey) {
  const std::map<std::string, int> names = {{"A", 1}, {"CID:7", 2}, {".notdef", 0}};
  auto indexOf = [&names](std::string_view name) {
    const auto it = names.find(std::string(name));
    return it == names.end() ? -1 : it->second;
  };
  EXPECT_EQ(FindCharStringIndex("A", indexOf, 5), 1);
  EXPECT_EQ(FindCharStringIndex("GID:7", indexOf, 5), 2);  // the CID name first
  EXPECT_EQ(FindCharStringIndex("GID:4", indexOf, 5), 4);
  EXPECT_EQ(FindCharStringIndex("GID:5", indexOf, 5), -1);
  EXPECT_EQ(FindCharStringIndex("GID:-1", indexOf, 5), -1);
  EXPECT_EQ(FindCharStringIndex("GID:x", indexOf, 5), -1);
  EXPECT_EQ(FindCharStringIndex("B", indexOf, 5), -1);
  EXPECT_EQ(FindCharStringIndex("A", indexOf, 1), -1);
  // A CID-keyed program's glyph indexes are no CIDs: a CID it lacks is its notdef glyph.
  EXPECT_EQ(FindCharStringIndex("GID:7", indexOf, 5, true), 2);
  EXPECT_EQ(FindCharStringIndex("GID:4", indexOf, 5, true), 0);
}

TEST(GlyphCommands, DrawCachesShapesAndLaterCallsAnswerTrue) {
  TPDFGlyphShapeCache shapes;
  int produced = 0;
  const TGlyphCommandSource source = [&produced](const std::string& key, TGlyphCommandList& commands) {
    ++produced;
    if (key != "a") return false;
    commands = {"hsbw(0,0)", "rmoveto(10,0)", "rlineto(0,10)", "endchar"};
    return true;
  };
  const TPDFMatrix m = {2, 0, 0, 2, 100, 100};
  RecordingCanvas first, second, half;
  EXPECT_TRUE(DrawCommandGlyph(1, 0, "a", m, 1.0, shapes, source, &first));
  EXPECT_TRUE(DrawCommandGlyph(1, 0, "a", m, 1.0, shapes, source, &second));
  EXPECT_EQ(produced, 1);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"M 122 100", "L 122 120", "Z"}));
  EXPECT_EQ(second.calls, first.calls);
  // The offset is in the font's own units: scaled with the outline.
  EXPECT_TRUE(DrawCommandGlyph(2, 0, "a", m, 0.5, shapes, source, &half));
  EXPECT_EQ(half.calls, (std::vector<std::string>{"M 112 100", "L 112 110", "Z"}));
  // A missing key is cached empty: the call that looks it up answers false, later calls take
  // the empty shape and answer true.
  RecordingCanvas none;
  EXPECT_FALSE(DrawCommandGlyph(0, 0, "zz", m, 1.0, shapes, source, &none));
  EXPECT_TRUE(DrawCommandGlyph(0, 0, "zz", m, 1.0, shapes, source, &none));
  EXPECT_TRUE(none.calls.empty());
  EXPECT_EQ(produced, 2);
  EXPECT_EQ(shapes.Count(), 2);
  // Without a canvas the shape is still recorded and nothing breaks.
  EXPECT_TRUE(DrawCommandGlyph(0, 0, "a", m, 1.0, shapes, source, nullptr));
}

TEST(GlyphCommands, CommandCacheKeepsCopies) {
  TPDFGlyphCommandCache cache;
  TGlyphCommandList list = {"hsbw(0,0)", "endchar"};
  cache.Store("a", list);
  list.push_back("x");
  TGlyphCommandList out;
  EXPECT_FALSE(cache.Find("A", out));
  ASSERT_TRUE(cache.Find("a", out));
  EXPECT_EQ(out, (TGlyphCommandList{"hsbw(0,0)", "endchar"}));
}

TEST(GlyphKeys, BuildAndParse) {
  EXPECT_EQ(GlyphKeyCID(42), "CID:42");
  EXPECT_EQ(GlyphKeyGID(3), "GID:3");
  EXPECT_EQ(GlyphKeyUnicode(0x41), "U+0041");
  EXPECT_EQ(GlyphKeyUnicode(0x1F600), "U+1F600");
  EXPECT_EQ(GlyphKeyPostScript("Aacute"), "PS:Aacute");
  EXPECT_EQ(GlyphKeyNumber("GID:12", kGlyphKeyGID), 12);
  EXPECT_EQ(GlyphKeyNumber("GID:-3", kGlyphKeyGID), -3);
  EXPECT_FALSE(GlyphKeyNumber("GID:", kGlyphKeyGID));
  EXPECT_FALSE(GlyphKeyNumber("GID:1x", kGlyphKeyGID));
  EXPECT_FALSE(GlyphKeyNumber("GID:99999999999", kGlyphKeyGID));
  EXPECT_FALSE(GlyphKeyNumber("CID:1", kGlyphKeyGID));
  EXPECT_EQ(GlyphKeyHex4("U+00e9", kGlyphKeyUnicode), 0xE9u);
  EXPECT_EQ(GlyphKeyHex4("uni00410042", "uni"), 0x41u);
  EXPECT_FALSE(GlyphKeyHex4("U+00G1", kGlyphKeyUnicode));
  EXPECT_FALSE(GlyphKeyHex4("U+41", kGlyphKeyUnicode));
}

TEST(GlyphShapeCache, AddReplacesAndFinds) {
  TPDFGlyphShapeCache cache;
  EXPECT_EQ(cache.Find("a"), nullptr);
  TPDFCachedGlyph& entry = cache.Add("a");
  entry.Shape->MoveTo(1, 2);
  entry.Found = true;
  ASSERT_NE(cache.Find("a"), nullptr);
  EXPECT_EQ(cache.Find("a")->Shape->Count(), 1);
  EXPECT_EQ(cache.Find("A"), nullptr);
  cache.Add("a");
  EXPECT_EQ(cache.Find("a")->Shape->Count(), 0);
  EXPECT_FALSE(cache.Find("a")->Found);
  RecordingCanvas canvas;
  DrawGlyphShape(*entry.Shape, 0, 0, kIdentityMatrix, &canvas);
  EXPECT_TRUE(canvas.calls.empty());
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
}

}  // namespace
