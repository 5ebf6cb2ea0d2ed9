// The Type 1 charstring interpreter: numbers, operators, subroutines, flex and hint
// replacement, seac, and hostile charstrings.
#include <gtest/gtest.h>

#include <algorithm>

#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "tests/pdf/fonts/formats/type1_builder.h"

using namespace glyphtest;

namespace {

// A decoder whose charstrings and subroutines are stored plain (lenIV -1).
struct TPlainType1 {
  TPlainType1() { d.LenIV = -1; }
  void Glyph(const std::string& name, const TCharstring& cs) { d.AddCharString(name, cs.Bytes()); }
  void Subr(int number, const TCharstring& cs) {
    d.Subrs.push_back(cs.Bytes());
    d.SubrNumbers.push_back(number);
  }
  // The commands of a glyph.
  TGlyphCommandList Commands(const std::string& name, bool* found = nullptr) {
    const bool ok = d.ConvertType1Glyph(name);
    if (found != nullptr) *found = ok;
    return d.GlyphCommands;
  }
  TPDFType1Decoder d;
};

// The standard flex and hint-replacement subroutines 0 to 3.
void StandardSubrs(TPlainType1& f) {
  f.Subr(0, TCharstring().N(3).N(0).E(16).E(17).E(17).E(33).O(11));
  f.Subr(1, TCharstring().N(0).N(1).E(16).O(11));
  f.Subr(2, TCharstring().N(0).N(2).E(16).O(11));
  f.Subr(3, TCharstring().O(11));
}

}  // namespace

TEST(Type1Charstring, NumbersInEveryEncoding) {
  TPlainType1 f;
  f.Glyph("n", TCharstring().Raw({139, 247, 0, 251, 0, 255, 0xFF, 0xFF, 0xFF, 0x9C, 32, 246, 250, 255, 254, 255}));
  EXPECT_EQ(f.Commands("n"), (TGlyphCommandList{"0", "108", "-108", "-100", "-107", "107", "1131", "-1131"}));
  // A number whose bytes are cut off at the end is dropped.
  f.Glyph("cut", TCharstring().Raw({139, 255, 0, 0, 1}));
  EXPECT_EQ(f.Commands("cut"), (TGlyphCommandList{"0"}));
}

TEST(Type1Charstring, OperatorsBecomeCommands) {
  TPlainType1 f;
  f.Glyph("g", TCharstring()
                   .N(50).N(600).O(13)                              // hsbw
                   .N(10).N(20).O(1).N(30).N(40).O(3)               // hstem vstem
                   .N(5).O(4).N(6).O(22).N(1).N(2).O(21)            // vmoveto hmoveto rmoveto
                   .N(3).N(4).O(5).N(7).O(6).N(8).O(7)              // rlineto hlineto vlineto
                   .N(1).N(2).N(3).N(4).N(5).N(6).O(8)              // rrcurveto
                   .N(1).N(2).N(3).N(4).O(30).N(5).N(6).N(7).N(8).O(31)
                   .O(9).E(0).N(1).N(2).N(3).N(4).N(5).N(6).E(1).E(2)
                   .N(1).N(2).N(3).N(4).E(7).N(9).N(8).E(33).O(14));
  EXPECT_EQ(f.Commands("g"),
            (TGlyphCommandList{"hsbw(50,600)", "hstem(10,20)", "vstem(30,40)", "rmoveto(0,5)", "rmoveto(6,0)",
                               "rmoveto(1,2)", "rlineto(3,4)", "rlineto(7,0)", "rlineto(0,8)",
                               "rrcurveto(1,2,3,4,5,6) rr", "rrcurveto(0,1,2,3,4,0) vh",
                               "rrcurveto(5,0,6,7,0,8) hv", "closepath", "dotsection", "1", "2", "3", "4", "5",
                               "6", "vstem3", "hstem3", "sbw(1,2,3,4)", "setcurrentpoint(9,8)", "endchar"}));
}

TEST(Type1Charstring, DivisionWritesSixDecimals) {
  TPlainType1 f;
  f.Glyph("d", TCharstring().N(1000).N(3).E(12).N(5).N(0).E(12).N(-7).N(2).E(12));
  EXPECT_EQ(f.Commands("d"), (TGlyphCommandList{"333.333333", "0", "-3.5"}));
}

TEST(Type1Charstring, FlexBecomesOneCommandAndSetsTheCurrentPoint) {
  TPlainType1 f;
  StandardSubrs(f);
  TCharstring cs;
  cs.N(0).N(500).O(13).N(100).N(0).O(21).N(1).O(10);
  const int pairs[7][2] = {{10, 0}, {-10, 5}, {20, 10}, {30, 0}, {30, 0}, {20, -10}, {10, -5}};
  for (const auto& p : pairs) cs.N(p[0]).N(p[1]).O(21).N(2).O(10);
  cs.N(50).N(210).N(0).N(0).O(10).O(9).O(14);
  f.Glyph("f", cs);
  EXPECT_EQ(f.Commands("f"), (TGlyphCommandList{"hsbw(0,500)", "rmoveto(100,0)",
                                                "flex(10,0,-10,5,20,10,30,0,30,0,20,-10,10,-5)",
                                                "setcurrentpoint(210,0)", "closepath", "endchar"}));
}

TEST(Type1Charstring, FlexWithTooFewPointsDrawsNothing) {
  TPlainType1 f;
  StandardSubrs(f);
  f.Glyph("f", TCharstring().N(1).O(10).N(5).N(5).O(21).N(2).O(10).N(50).N(1).N(2).N(0).O(10).O(14));
  EXPECT_EQ(f.Commands("f"), (TGlyphCommandList{"setcurrentpoint(1,2)", "endchar"}));
}

TEST(Type1Charstring, HintReplacementDrawsNothing) {
  TPlainType1 f;
  StandardSubrs(f);
  f.Subr(5, TCharstring().N(10).N(20).O(1).O(11));
  f.Glyph("h", TCharstring().N(0).N(500).O(13).N(5).N(1).N(3).E(16).E(17).O(10).O(14));
  // The hint subroutine is not called: its number stays as a leftover operand.
  EXPECT_EQ(f.Commands("h"), (TGlyphCommandList{"hsbw(0,500)", "5", "endchar"}));
}

TEST(Type1Charstring, SeacDrawsTheBaseThenTheAccent) {
  TPlainType1 f;
  f.Glyph("a", TCharstring().N(20).N(500).O(13).N(0).N(0).O(21).N(100).O(6).O(9).O(14));
  f.Glyph("acute", TCharstring().N(30).N(300).O(13).N(5).N(400).O(21).N(50).N(50).O(5).O(9).O(14));
  f.Glyph("aacute", TCharstring().N(20).N(500).O(13).N(30).N(120).N(10).N(97).N(194).E(6));
  EXPECT_EQ(f.Commands("aacute"),
            (TGlyphCommandList{"hsbw(20,500)", "hsbw(20,500)", "rmoveto(0,0)", "rlineto(100,0)", "closepath",
                               "endchar", "seac(30,120,10)", "hsbw(30,300)", "rmoveto(5,400)", "rlineto(50,50)",
                               "closepath", "endchar"}));
  // A code with no StandardEncoding name gives nothing; a named glyph the font lacks draws
  // nothing in its place.
  f.Glyph("bad", TCharstring().N(0).N(0).N(0).N(97).N(201).E(6).O(14));
  EXPECT_EQ(f.Commands("bad"), (TGlyphCommandList{"endchar"}));
  f.Glyph("lacking", TCharstring().N(0).N(7).N(0).N(98).N(200).E(6).O(14));
  EXPECT_EQ(f.Commands("lacking"), (TGlyphCommandList{"seac(0,7,0)", "endchar"}));
}

TEST(Type1Charstring, ASelfCallingSubroutineStopsAfterNineteenLevels) {
  TPlainType1 f;
  f.Subr(0, TCharstring().N(7).N(0).O(10));
  f.Glyph("r", TCharstring().N(0).O(10).O(14));
  const TGlyphCommandList commands = f.Commands("r");
  // The glyph is the first level; the subroutine runs at levels 2 to 19 and leaves the 0 it
  // pushed for the call that is cut off.
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "7"), 18);
  EXPECT_EQ(commands.back(), "endchar");
}

TEST(Type1Charstring, ExponentialSubroutinesAreCutOffQuickly) {
  TPlainType1 f;
  f.Subr(0, TCharstring().N(0).O(10).N(0).O(10).N(0).O(10).N(1).N(1).O(5));
  f.Glyph("x", TCharstring().N(0).O(10).O(14));
  bool found = true;
  const TGlyphCommandList commands = f.Commands("x", &found);
  EXPECT_FALSE(found);
  EXPECT_TRUE(commands.empty());
  // A subroutine that calls itself twice and draws nothing: only the step budget ends its 2^18
  // runs (some two million bytes), and the glyph fails with it.
  TPlainType1 silent;
  silent.Subr(0, TCharstring().N(0).O(10).N(0).O(10));
  silent.Glyph("x", TCharstring().N(0).O(10).O(14));
  EXPECT_TRUE(silent.Commands("x", &found).empty());
  EXPECT_FALSE(found);
  // Subroutines that call the next one twice over twelve levels (4,095 runs) stay within it.
  TPlainType1 shallow;
  for (int n = 0; n < 12; ++n) shallow.Subr(n, TCharstring().N(n + 1).O(10).N(n + 1).O(10));
  shallow.Glyph("x", TCharstring().N(0).O(10).O(14));
  EXPECT_EQ(shallow.Commands("x", &found), (TGlyphCommandList{"endchar"}));
  EXPECT_TRUE(found);
}

namespace {

// Subroutine 1 is large; subroutine 0 recurses to the depth limit and calls it `calls` times at
// every level, the last of which skips the calls; glyph "x" calls subroutine 0.
void LargeSubroutineCalledOften(TPlainType1& f, const TCharstring& large, int calls) {
  f.Subr(1, large);
  TCharstring caller;
  caller.N(0).O(10);
  for (int i = 0; i < calls; ++i) caller.N(1).O(10);
  f.Subr(0, caller);
  f.Glyph("x", TCharstring().N(0).O(10).O(14));
}

}  // namespace

TEST(Type1Charstring, LargeSubroutinesCalledAtTheDepthLimitCostTheirSize) {
  TPlainType1 f;
  TCharstring big;
  for (int i = 0; i < 20000; ++i) big.N(1).O(11);
  LargeSubroutineCalledOften(f, big, 5000);
  bool found = true;
  EXPECT_TRUE(f.Commands("x", &found).empty());
  EXPECT_FALSE(found);
  // The same with a large subroutine of 40,000 returns, which leave nothing behind: the bytes
  // fetched and run are all that is counted, and they end the glyph.
  TPlainType1 quiet;
  TCharstring returns;
  for (int i = 0; i < 40000; ++i) returns.O(11);
  LargeSubroutineCalledOften(quiet, returns, 20);
  EXPECT_TRUE(quiet.Commands("x", &found).empty());
  EXPECT_FALSE(found);
}

TEST(Type1Charstring, MissingOperandsReadAsEmpty) {
  TPlainType1 f;
  StandardSubrs(f);
  f.Glyph("u", TCharstring().O(13).O(5).O(8).E(6).E(7).E(12).E(16).E(17).E(33).O(10).O(21).O(14));
  const TGlyphCommandList commands = f.Commands("u");
  EXPECT_EQ(commands.front(), "hsbw(,)");
  EXPECT_EQ(commands.back(), "endchar");
}

TEST(Type1Charstring, MissingGlyphsAndSubroutines) {
  TPlainType1 f;
  bool found = true;
  EXPECT_TRUE(f.Commands("nothing", &found).empty());
  EXPECT_FALSE(found);
  f.Glyph("s", TCharstring().N(42).O(10).N(1).O(14));
  EXPECT_EQ(f.Commands("s", &found), (TGlyphCommandList{"1", "endchar"}));
  EXPECT_TRUE(found);
  // An escape byte at the very end ends the charstring.
  f.Glyph("e", TCharstring().N(1).Raw({12}));
  EXPECT_EQ(f.Commands("e"), (TGlyphCommandList{"1"}));
}

TEST(Type1Charstring, EncryptedCharstringsAreDecrypted) {
  TPDFType1Decoder d;
  d.LenIV = 4;
  d.AddCharString("A", EexecEncrypt(4330, std::string("\1\2\3\4", 4) + TCharstring().N(0).N(9).O(13).O(14).Bytes()));
  ASSERT_TRUE(d.ConvertType1Glyph("A"));
  EXPECT_EQ(d.GlyphCommands, (TGlyphCommandList{"hsbw(0,9)", "endchar"}));
}
