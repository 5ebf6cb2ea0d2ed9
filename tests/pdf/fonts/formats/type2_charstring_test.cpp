// The Type 2 charstring interpreter: numbers, widths, hints and masks, the path operators and
// their tags, subroutines with their bias, arithmetic, flex, endchar accents, hostile charstrings.
#include <gtest/gtest.h>

#include <algorithm>

#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "pdf/render/canvas/generic_canvas.h"
#include "tests/pdf/fonts/formats/cff_builder.h"

using namespace glyphtest;

namespace {

struct TType2Font {
  TType2Font() { d.FontKind = TPDFType1Decoder::kType2Charstrings; }
  void Glyph(const std::string& name, const std::string& cs) { d.AddCharString(name, cs); }
  TGlyphCommandList Commands(const std::string& cs, bool* found = nullptr) {
    d.ClearCharStrings();
    for (const auto& [name, data] : extra) d.AddCharString(name, data);
    d.AddCharString("g", cs);
    const bool ok = d.ConvertType2Glyph("g");
    if (found != nullptr) *found = ok;
    return d.GlyphCommands;
  }
  TPDFType1Decoder d;
  std::vector<std::pair<std::string, std::string>> extra;
};

TGlyphCommandList L(std::initializer_list<const char*> entries) {
  TGlyphCommandList out{"hsbw(0,0)"};
  for (const char* e : entries) out.push_back(e);
  return out;
}

}  // namespace

TEST(Type2Charstring, NumbersInEveryEncoding) {
  TType2Font f;
  EXPECT_EQ(f.Commands(TType2().Raw({28, 0x80, 0x00, 255, 0x00, 0x01, 0x80, 0x00}).O(5)),
            L({"rlineto(-32768,1.5)"}));
  EXPECT_EQ(f.Commands(TType2().Raw({139, 247, 0, 251, 0, 32, 246, 254, 255}).N(0).O(7)),
            L({"rlineto(0,0)", "rlineto(108,0)", "rlineto(0,-108)", "rlineto(-107,0)", "rlineto(0,107)",
               "rlineto(-1131,0)", "rlineto(0,0)"}));
  // A 28 without three bytes after it, a 255 without five, are skipped alone; a two-byte
  // number cut off ends the charstring.
  EXPECT_EQ(f.Commands(TType2().N(1).Raw({28, 139, 139})), L({}));
  EXPECT_EQ(f.Commands(TType2().N(5).N(6).O(5).Raw({255, 139, 139, 139, 5})), L({"rlineto(5,6)", "rlineto(0,0)"}));
  EXPECT_EQ(f.Commands(TType2().N(5).N(6).O(5).Raw({247})), L({"rlineto(5,6)"}));
}

TEST(Type2Charstring, WidthIsTakenAndDropped) {
  TType2Font f;
  EXPECT_EQ(f.Commands(TType2().N(500).N(10).N(20).O(21).N(30).N(40).O(21).O(14)),
            L({"rmoveto(10,20)", "rmoveto(30,40)", "endchar"}));
  // hmoveto with one operand moves by it, and the width stays pending for the next operator.
  EXPECT_EQ(f.Commands(TType2().N(15).O(22).N(600).N(7).O(4).O(14)), L({"rmoveto(15,0)", "rmoveto(0, 7)", "endchar"}));
  // Once taken, an odd count at rmoveto drops the bottom operand.
  EXPECT_EQ(f.Commands(TType2().N(600).N(5).O(22).N(1).N(2).N(3).O(21).O(14)),
            L({"rmoveto(5,0)", "rmoveto(2,3)", "endchar"}));
  // A width before the stems; endchar keeps at most four operands.
  EXPECT_EQ(f.Commands(TType2().N(400).N(10).N(20).O(1).O(14)), L({"hstem(10,20)", "endchar"}));
  EXPECT_EQ(f.Commands(TType2().N(400).O(14)), L({"endchar"}));
}

TEST(Type2Charstring, StemsAndMasks) {
  TType2Font f;
  // Nine stems by hstemhm and vstemhm: hintmask takes two bytes and writes nine flags.
  TType2 cs;
  for (int i = 0; i < 10; ++i) cs.N(i);
  cs.O(18);
  for (int i = 0; i < 8; ++i) cs.N(i);
  cs.O(23).O(19).Raw({0xA5, 0x80}).N(1).N(2).O(21).O(14);
  EXPECT_EQ(f.Commands(cs), L({"hstem(0,1,2,3,4,5,6,7,8,9)", "vstem(0,1,2,3,4,5,6,7)", "hintmask(1,0,1,0,0,1,0,1,1)",
                               "rmoveto(1,2)", "endchar"}));
  // Operands before hintmask are vertical stems; cntrmask without stems takes no byte;
  // hintmask without stems still takes one.
  EXPECT_EQ(f.Commands(TType2().N(5).N(6).O(19).Raw({0x40}).O(14)), L({"vstem(5,6)", "hintmask(0)", "endchar"}));
  EXPECT_EQ(f.Commands(TType2().O(20).N(1).N(2).O(5)), L({"cntrmask()", "rlineto(1,2)"}));
  EXPECT_EQ(f.Commands(TType2().O(19).Raw({0xFF}).N(1).N(2).O(5)), L({"hintmask()", "rlineto(1,2)"}));
  // A mask at the very end.
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).O(1).O(19)), L({"hstem(1,2)", "hintmask(0)"}));
  // Once the width is taken, an odd count leaves the bottom operand out; an empty stem operator
  // still counts one stem. A mask byte that is the charstring's last byte reads as 0.
  EXPECT_EQ(f.Commands(TType2().N(600).N(1).N(2).O(1).N(7).N(8).N(9).O(3).O(3).O(20).Raw({0xE0})),
            L({"hstem(1,2)", "vstem(8,9)", "vstem()", "cntrmask(0,0,0)"}));
  EXPECT_EQ(f.Commands(TType2().N(600).N(1).N(2).O(1).N(7).N(8).N(9).O(3).O(3).O(20).Raw({0xE0}).O(14)),
            L({"hstem(1,2)", "vstem(8,9)", "vstem()", "cntrmask(1,1,1)", "endchar"}));
}

TEST(Type2Charstring, LinesAndCurvesWithTheirTags) {
  TType2Font f;
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).O(5)), L({"rlineto(1,2)", "rlineto(3,4)"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).O(6)), L({"rlineto(1,0)", "rlineto(0,2)", "rlineto(3,0)"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).O(7)), L({"rlineto(0,1)", "rlineto(2,0)"}));
  // rrcurveto leaves operands that do not fill a curve on the stack.
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).O(8).N(8).O(5)),
            L({"rrcurveto(1,2,3,4,5,6) rr", "rlineto(7,8)"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).O(24)),
            L({"rrcurveto(1,2,3,4,5,6)", "rlineto(7,8) cl"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).O(25)),
            L({"rlineto(1,2)", "rrcurveto(3,4,5,6,7,8) lc"}));
  EXPECT_EQ(f.Commands(TType2().N(9).N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).O(26)),
            L({"rrcurveto(9,1,2,3,0,4) vv", "rrcurveto(0,5,6,7,0,8) vv"}));
  EXPECT_EQ(f.Commands(TType2().N(9).N(1).N(2).N(3).N(4).O(27)), L({"rrcurveto(1,9,2,3,4,0) hh"}));
}

TEST(Type2Charstring, AlternatingCurves) {
  TType2Font f;
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).O(30)), L({"rrcurveto(0,1,2,3,4,0) vh1"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).O(30)), L({"rrcurveto(0,1,2,3,4,5) vh1"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).N(9).N(10).N(11).N(12).N(13).O(30)),
            L({"rrcurveto(0,1,2,3,4,0) vh1", "rrcurveto(5,0,6,7,0,8) vh2", "rrcurveto(0,9,10,11,12,13) vh3"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).N(9).O(30)),
            L({"rrcurveto(0,1,2,3,4,0) vh4", "rrcurveto(5,0,6,7,9,8) vh5"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).O(31)), L({"rrcurveto(1,0,2,3,0,4) hv1"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).O(31)),
            L({"rrcurveto(1,0,2,3,0,4) hv4", "rrcurveto(0,5,6,7,8,0) hv5"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).N(9).N(10).N(11).N(12).N(13).O(31)),
            L({"rrcurveto(1,0,2,3,0,4) hv1", "rrcurveto(0,5,6,7,8,0) hv2", "rrcurveto(9,0,10,11,13,12) hv3"}));
  // Counts that fit neither form are dropped.
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).O(30).N(1).N(2).O(5)), L({"rlineto(1,2)"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).O(31)), L({}));
}

TEST(Type2Charstring, SubroutineBias) {
  struct Case {
    size_t count;
    int operand;
  } cases[] = {{100, -107}, {2000, -1131}, {40000, -32768}};
  for (const Case& c : cases) {
    TType2Font f;
    f.d.Subrs.assign(c.count, TType2().N(1).N(1).O(5).O(11));
    f.d.Subrs[0] = TType2().N(7).N(7).O(5).O(11);
    f.d.GlobalSubrs = f.d.Subrs;
    EXPECT_EQ(f.Commands(TType2().N(c.operand).O(10).N(c.operand).O(29)), L({"rlineto(7,7)", "rlineto(7,7)"}))
        << c.count;
  }
  TType2Font f;
  f.d.Subrs = {TType2().N(1).N(1).O(5)};
  // Outside the list: nothing.
  EXPECT_EQ(f.Commands(TType2().N(-106).O(10).N(-108).O(10).N(0).O(29)), L({}));
}

TEST(Type2Charstring, ArithmeticAndStackOperators) {
  TType2Font f;
  auto curve = [](const char* six) { return L({(std::string("rrcurveto(") + six + ") rr").c_str()}); };
  // roll: 1 2 3, 3 1 roll -> 3 1 2; index: 5 6, 0 index -> 5 6 6.
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(3).N(1).O(1230).N(4).N(5).N(6).O(8)), curve("3,1,2,4,5,6"));
  EXPECT_EQ(f.Commands(TType2().N(5).N(6).N(0).O(1229).N(7).N(8).N(9).O(8)), curve("5,6,6,7,8,9"));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(3).N(-1).O(1230).N(4).N(5).N(6).O(8)), curve("2,3,1,4,5,6"));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(5).N(1).O(1230).N(3).N(4).N(5).N(6).O(8)), curve("1,2,3,4,5,6"));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(-3).O(1229).N(3).N(4).N(5).O(8)), curve("1,2,2,3,4,5"));
  EXPECT_EQ(f.Commands(TType2()
                           .N(7).N(2).O(1210)     // add 9
                           .N(7).N(2).O(1211)     // sub 5
                           .N(7).N(2).O(1212)     // div 3.5
                           .N(7).O(1214)          // neg -7
                           .N(-3).O(1209)         // abs 3
                           .N(3).N(4).O(1224)     // mul 12
                           .O(8)),
            curve("9,5,3.5,-7,3,12"));
  EXPECT_EQ(f.Commands(TType2()
                           .N(1).N(0).O(1203)       // and 0
                           .N(1).N(0).O(1204)       // or 1
                           .N(0).O(1205)            // not 1
                           .N(4).N(4).O(1215)       // eq 1
                           .N(16).O(1226)           // sqrt 4
                           .N(-4).O(1226)           // sqrt of a negative: 0
                           .O(8)),
            curve("0,1,1,1,4,0"));
  EXPECT_EQ(f.Commands(TType2()
                           .N(10).N(20).N(1).N(2).O(1222)  // ifelse: 1 <= 2 -> 10
                           .N(10).N(20).N(3).N(2).O(1222)  // 3 > 2 -> 20
                           .N(5).N(0).O(1212)              // div by 0 -> 0
                           .N(8).O(1227)                   // dup
                           .N(1).N(2).O(1228)              // exch
                           .O(1218)                        // drop the 1
                           .O(8)),
            curve("10,20,0,8,8,2"));
  // put and get over the 33 slots of the transient array.
  EXPECT_EQ(f.Commands(TType2().N(42).N(32).O(1220).N(32).O(1221).N(7).N(33).O(1220).N(33).O(1221).N(5).O(5)),
            L({"rlineto(42,5)"}));
  // random gives a value in (0, 1].
  f.Commands(TType2().O(1223).N(0).O(5));
  const double r = std::stod(f.d.GlyphCommands[1].substr(8));
  EXPECT_GT(r, 0);
  EXPECT_LE(r, 1);
}

TEST(Type2Charstring, Flexes) {
  TType2Font f;
  EXPECT_EQ(f.Commands(TType2().N(10).N(20).N(5).N(10).N(10).N(20).N(10).O(1234)),
            L({"t2flex(10,0,20,5,10,0,10,0,20,-5,10,0,50)"}));
  TType2 flex;
  for (int i = 1; i <= 13; ++i) flex.N(i);
  EXPECT_EQ(f.Commands(flex.O(1235)), L({"t2flex(1,2,3,4,5,6,7,8,9,10,11,12,13)"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(2).N(3).N(4).N(5).N(6).N(7).N(8).N(9).O(1236)),
            L({"t2flex(1,2,3,4,5,0,6,0,7,8,9,-14,50)"}));
  // flex1: |dx| 25 > |dy| 5 takes d6 as x; otherwise as y.
  EXPECT_EQ(f.Commands(TType2().N(5).N(1).N(5).N(1).N(5).N(1).N(5).N(1).N(5).N(1).N(9).O(1237)),
            L({"t2flex(5,1,5,1,5,1,5,1,5,1,9,-5,50)"}));
  EXPECT_EQ(f.Commands(TType2().N(1).N(5).N(1).N(5).N(1).N(5).N(1).N(5).N(1).N(5).N(9).O(1237)),
            L({"t2flex(1,5,1,5,1,5,1,5,1,5,-5,9,50)"}));
  // Too few operands read as 0; the stack is cleared after each flex.
  EXPECT_EQ(f.Commands(TType2().N(3).O(1234).N(1).N(2).O(5)), L({"t2flex(3,0,0,0,0,0,0,0,0,0,0,0,50)", "rlineto(1,2)"}));
  EXPECT_EQ(f.Commands(TType2().O(1237)), L({"t2flex(0,0,0,0,0,0,0,0,0,0,0,0,50)"}));
}

TEST(Type2Charstring, EndcharAccent) {
  TType2Font f;
  f.extra = {{"A", TType2().N(0).N(0).O(21).N(100).O(6).O(14)}, {"acute", TType2().N(5).N(50).O(21).N(10).O(7).O(14)}};
  // Codes 65 (A) and 194 (acute) of the standard encoding; a width first.
  EXPECT_EQ(f.Commands(TType2().N(600).N(30).N(200).N(65).N(194).O(14)),
            L({"rmoveto(0,0)", "rlineto(100,0)", "endchar", "seac(0,30,200)", "rmoveto(5,50)", "rlineto(0,10)",
               "endchar", "endchar"}));
  // A missing glyph or a code without a name: only "endchar".
  EXPECT_EQ(f.Commands(TType2().N(30).N(200).N(66).N(194).O(14)), L({"endchar"}));
  EXPECT_EQ(f.Commands(TType2().N(30).N(200).N(65).N(201).O(14)), L({"endchar"}));
  // An accent whose base is itself accented is not followed further.
  f.extra.push_back({"Aacute", TType2().N(0).N(0).N(65).N(194).O(14)});
  f.extra.push_back({"space", TType2().O(14)});
  EXPECT_EQ(f.Commands(TType2().N(0).N(0).N(32).N(194).O(14)),
            L({"endchar", "seac(0,0,0)", "rmoveto(5,50)", "rlineto(0,10)", "endchar", "endchar"}));
}

TEST(Type2Charstring, UnknownOperatorsAreNoted) {
  TType2Font f;
  EXPECT_EQ(f.Commands(TType2().Raw({0, 2, 9, 13, 15, 16, 17}).O(1200).O(1255).N(1).N(2).O(5)),
            L({"Unknown: 0", "Unknown: 2", "Unknown: 9", "Unknown: 13", "Unknown: 15", "Unknown: 16", "Unknown: 17",
               "rlineto(1,2)"}));
}

TEST(Type2Charstring, MissingGlyph) {
  TType2Font f;
  EXPECT_FALSE(f.d.ConvertType2Glyph("none"));
  EXPECT_EQ(f.d.GlyphCommands, L({}));
  bool found = false;
  f.Commands(TType2().O(14), &found);
  EXPECT_TRUE(found);
}

TEST(Type2Hostile, RecursionOverflowAndBlowUp) {
  TType2Font f;
  // A global subroutine that calls itself twice: nesting stops at ten levels.
  f.d.GlobalSubrs = {TType2().N(-107).O(29).N(-107).O(29).N(1).N(0).O(5)};
  const TGlyphCommandList recursive = f.Commands(TType2().N(-107).O(29).O(14));
  EXPECT_EQ(std::count(recursive.begin(), recursive.end(), "rlineto(1,0)"), 1023);
  // Subroutines that call each other many times over hit the step budget.
  f.d.GlobalSubrs = {TType2().N(-107).O(29).N(-107).O(29).N(-107).O(29).N(-107).O(29).N(1).N(0).O(5)};
  bool found = true;
  EXPECT_EQ(f.Commands(TType2().N(-107).O(29).O(14), &found), L({}));
  EXPECT_FALSE(found);
  // The same calls drawing nothing: only the step budget ends their 349,525 runs.
  f.d.GlobalSubrs = {TType2().N(-107).O(29).N(-107).O(29).N(-107).O(29).N(-107).O(29)};
  EXPECT_EQ(f.Commands(TType2().N(-107).O(29).O(14), &found), L({}));
  EXPECT_FALSE(found);
  // Called four times over six levels (1,365 runs), they stay within it.
  f.d.GlobalSubrs.clear();
  for (int n = 0; n < 6; ++n) {
    const int next = n + 1 - 107;
    f.d.GlobalSubrs.push_back(TType2().N(next).O(29).N(next).O(29).N(next).O(29).N(next).O(29));
  }
  EXPECT_EQ(f.Commands(TType2().N(-107).O(29).O(14), &found), L({"endchar"}));
  EXPECT_TRUE(found);
  // Operands past the stack bound.
  TType2 deep;
  for (int i = 0; i < 5000; ++i) deep.N(1);
  EXPECT_EQ(f.Commands(deep.O(5), &found), L({}));
  EXPECT_FALSE(found);
  // Stem counts past the bound.
  TType2 stems;
  for (int i = 0; i < 100; ++i) {
    for (int k = 0; k < 24; ++k) stems.N(k);
    stems.O(1);
  }
  EXPECT_EQ(f.Commands(stems.O(19)), L({}));
  // Arithmetic on an empty stack, index and roll out of range, get of an empty slot.
  EXPECT_EQ(f.Commands(TType2().O(1210).O(1218).O(1229).O(1230).O(1228).O(1227).N(5).O(1221).N(-2).O(1221).O(5)),
            L({"rlineto(,)", "rlineto(,)"}));
}

TEST(Type2Hostile, GlyphCachesStayBounded) {
  // Every glyph expands, through a subroutine called over and over, into some 20000 commands:
  // cached for each of many glyphs they would take gigabytes.
  TPDFType1Decoder d;
  d.FontKind = TPDFType1Decoder::kType2Charstrings;
  TType2 body;
  for (int i = 0; i < 4000; ++i) body.N(1).N(1).O(5);
  d.GlobalSubrs = {body.O(11)};
  TType2 glyph;
  glyph.N(0).N(0).O(21);
  for (int i = 0; i < 5; ++i) glyph.N(-107).O(29);
  glyph.O(14);
  for (int i = 0; i < 30; ++i) d.AddCharString("g" + std::to_string(i), glyph);
  struct TNullCanvas : TPDFGenericCanvas {
    void NewPath() override {}
    void MoveTo(double, double) override {}
    void LineTo(double, double) override { ++lines; }
    void CurveTo(double, double, double, double, double, double) override {}
    void QuadCurveTo(double, double, double, double) override {}
    void ClosePath() override {}
    void Stroke() override {}
    void Fill() override {}
    void FillAndStroke() override {}
    void DrawImage(TGraphic&, double, double, double, double, double, double) override {}
    int64_t lines = 0;
  } canvas;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 30; ++i) {
      double x = 0, y = 0;
      EXPECT_TRUE(d.DrawGlyph(x, y, 0, "g" + std::to_string(i), kIdentityMatrix, &canvas));
    }
  }
  EXPECT_EQ(canvas.lines, 60 * 20000);
  EXPECT_LT(d.CommandCache.Count(), 30);
  EXPECT_LT(d.ShapeCache.Count(), 30);
}
