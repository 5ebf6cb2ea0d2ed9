// Text records and logical fonts of the converter: font matching and selection, stock fonts,
// the WinAnsi check and the Type 3 fallback, glyph-index text, placement, and records whose
// counts, offsets or advance arrays do not fit.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/support/test_support.h"

namespace {

using mftest::Bytes;
using mftest::Converter;
using mftest::Rec;
using mftest::Record;
using mftest::Select;

// EXTCREATEFONTINDIRECTW: height, width, escapement, weight, italic, underline, face.
Record Font(uint32_t index, int32_t height, const std::u16string& face, int32_t weight = 400, bool italic = false,
            int32_t width = 0, int32_t escapement = 0, bool underline = false, bool strikeOut = false,
            uint8_t charset = 1) {
  Bytes b;
  b.U32(index).I32(height).I32(width).I32(escapement).I32(escapement).I32(weight);
  b.b.push_back(italic ? 1 : 0);
  b.b.push_back(underline ? 1 : 0);
  b.b.push_back(strikeOut ? 1 : 0);
  b.b.push_back(charset);
  b.U32(0);          // precisions, quality, pitch
  for (size_t i = 0; i < 32; ++i) b.U16(i < face.size() ? face[i] : 0);
  return Rec(82, b);
}

// EXTTEXTOUTW of text at (x, y); advances (logical units) when given; the advance offset and
// count may be overridden to lie.
Record TextW(int32_t x, int32_t y, const std::u16string& text, uint32_t options = 0,
             const std::vector<int32_t>& dx = {}, int64_t count = -1, int64_t dxOffset = -1,
             std::array<int32_t, 4> rect = {0, 0, 0, 0}) {
  const uint32_t textAt = 76, dxAt = uint32_t(textAt + (text.size() * 2 + 3) / 4 * 4);
  Bytes b;
  b.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).Pt(x, y);
  b.U32(count >= 0 ? uint32_t(count) : uint32_t(text.size())).U32(textAt).U32(options);
  b.Rect(rect[0], rect[1], rect[2], rect[3]);
  b.U32(dxOffset >= 0 ? uint32_t(dxOffset) : (dx.empty() ? 0 : dxAt));
  for (char16_t c : text) b.U16(c);
  while (b.b.size() + 8 < dxAt) b.b.push_back(0);
  for (int32_t d : dx) b.I32(d);
  return Rec(84, b);
}

// EXTTEXTOUTA of bytes at (x, y), with one advance per byte when given.
Record TextA(int32_t x, int32_t y, const std::string& bytes, const std::vector<int32_t>& dx = {}) {
  const uint32_t textAt = 76, dxAt = uint32_t(textAt + (bytes.size() + 3) / 4 * 4);
  Bytes b;
  b.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).Pt(x, y);
  b.U32(uint32_t(bytes.size())).U32(textAt).U32(0).Rect(0, 0, 0, 0).U32(dx.empty() ? 0 : dxAt);
  for (char c : bytes) b.b.push_back(uint8_t(c));
  while (b.b.size() + 8 < dxAt) b.b.push_back(0);
  for (int32_t d : dx) b.I32(d);
  return Rec(83, b);
}

Record Align(uint32_t a) { return Rec(22, Bytes().U32(a)); }

struct Converted {
  std::string content;
  std::vector<TPDFFont*> fonts;
  Converter c;
  explicit Converted(const std::vector<Record>& records) {
    content = c.Convert(records, 200, 100);
    fonts = c.lists->fonts;
  }
  int Count(uint8_t kind) const {
    int n = 0;
    for (TPDFFont* f : fonts) n += f->Kind() == kind;
    return n;
  }
};

size_t Occurrences(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(MetafileText, FacesResolveToScreenFontsOrArial) {
  struct Case {
    std::u16string face;
    int32_t weight;
    bool italic;
    std::string key, baseFont;
  };
  const std::vector<Case> cases = {
      {u"Modern", 400, false, "Arial", "Arial"},
      {u"NoSuchFaceAnywhere", 700, false, "Arial [Bold]", "Arial,Bold"},
      {u"Times New Roman", 400, true, "Times New Roman [Italic]", "TimesNewRoman,Italic"},
      {u"Courier New", 700, true, "Courier New [BoldItalic]", "CourierNew,BoldItalic"},
  };
  for (const Case& k : cases) {
    Converted c({Font(1, -20, k.face, k.weight, k.italic)});
    const std::string& desc = c.c.converter->FontObjects.at(1);
    EXPECT_EQ(desc.substr(0, desc.find('|')), k.key);
    EXPECT_EQ(desc.substr(desc.find('|')), "|F|-20|1|0|100");
    ASSERT_EQ(c.fonts.size(), 1u);
    EXPECT_EQ(c.fonts[0]->BaseFont(), k.baseFont);
  }
}

TEST(MetafileText, StockFontElevenIsStandardHelvetica) {
  Converted c({Select(0x8000000B), TextW(10, 10, u"Hi")});
  ASSERT_EQ(c.fonts.size(), 1u);
  EXPECT_EQ(c.fonts[0]->Kind(), 1);
  EXPECT_EQ(c.fonts[0]->BaseFont(), "Helvetica");
  EXPECT_NE(c.content.find("/" + c.fonts[0]->Name() + " "), std::string::npos) << c.content;
  EXPECT_NE(c.content.find("(Hi)Tj"), std::string::npos) << c.content;
}

TEST(MetafileText, TextWithoutAFontTakesTheDefaultFont) {
  Converted c({TextW(10, 10, u"x")});
  ASSERT_EQ(c.fonts.size(), 1u);
  EXPECT_EQ(c.c.converter->TextState.Key, "MS Sans Serif");
  EXPECT_NE(c.content.find("(x)Tj"), std::string::npos);
}

TEST(MetafileText, NoBreakSpaceIsWrittenAsASpace) {
  Converted c({Font(1, -20, u"Arial"), Select(1), TextW(10, 10, u"abc\u00A0def")});
  EXPECT_NE(c.content.find("(abc def)Tj"), std::string::npos) << c.content;
  EXPECT_EQ(c.Count(6), 0);
}

// A record of other characters gets a Type 3 font of its own; one of the same characters in
// the same face shares the font already made.
TEST(MetafileText, TextOutsideWinAnsiMakesAType3FontPerSetOfCharacters) {
  Converted c({Font(1, -20, u"Arial"), Select(1), TextW(10, 10, u"Жук"), TextW(10, 40, u"Жук €"),
               TextW(10, 70, u"кЖуЖ")});
  EXPECT_EQ(c.Count(6), 2);
  EXPECT_EQ(Occurrences(c.content, " Tf\n"), 3u) << c.content;
  // The Type 3 fonts carry the characters; the selected font is back for the next text.
  for (TPDFFont* f : c.fonts) {
    if (f->Kind() != 6) continue;
    std::u16string chars;
    for (int code = 0; code < 256; ++code)
      if (f->CodeToUnicode(code) != 0) chars += char16_t(f->CodeToUnicode(code));
    EXPECT_NE(chars.find(u'Ж'), std::u16string::npos);
  }
  EXPECT_EQ(c.c.converter->CurrentFont, c.fonts[0]);
}

TEST(MetafileText, HeightZeroGetsTheDefaultSizeAndWidthsAScale) {
  Converted zero({Font(1, 0, u"Arial", 400, false, 10), Select(1), TextW(10, 10, u"a")});
  EXPECT_EQ(zero.content.find("nan"), std::string::npos);
  EXPECT_EQ(zero.content.find(" 1 Tf"), std::string::npos) << zero.content;
  EXPECT_NE(zero.content.find("(a)Tj"), std::string::npos);
  // Characters asked twice as wide as the face's average are scaled horizontally.
  Converted wide({Font(1, -20, u"Arial", 400, false, 0), Select(1), TextW(10, 10, u"a")});
  const double average = wide.fonts[0]->AverageWidth * 20 / 1000.0;
  Converted scaled({Font(1, -20, u"Arial", 400, false, int32_t(std::lround(2 * average))), Select(1), TextW(10, 10, u"a")});
  const std::string& d = scaled.c.converter->FontObjects.at(1);
  const double scale = std::stod(d.substr(d.rfind('|') + 1));
  EXPECT_NEAR(scale, 200, 200 * 0.5 / average + 1);
  EXPECT_NE(scaled.content.find(" Tz"), std::string::npos);
}

// The escapement turns the text matrix (a negative one clockwise), never the space inside the
// text object.
TEST(MetafileText, EscapementTurnsTheTextMatrix) {
  for (auto [escapement, matrix] : {std::pair<int32_t, const char*>{900, "0 1 -1 0 "}, {-900, "0 -1 1 0 "}}) {
    Converted c({Font(1, -20, u"Arial", 400, false, 0, escapement), Select(1), Align(24), TextW(50, 50, u"up")});
    const size_t bt = c.content.find("BT\n"), et = c.content.find("ET\n");
    ASSERT_NE(bt, std::string::npos);
    const std::string object = c.content.substr(bt, et - bt);
    EXPECT_EQ(object.find(" cm"), std::string::npos) << object;
    EXPECT_NE(object.find(matrix), std::string::npos) << object;
  }
  // A turning world transform turns the baseline with it, as the player draws text in the
  // world's coordinates.
  Converted w({Rec(35, Bytes().F32(0).F32(1).F32(-1).F32(0).F32(100).F32(0)), Font(1, -20, u"Arial"), Select(1),
               Align(24), TextW(50, 50, u"up")});
  const size_t bt = w.content.find("BT\n"), et = w.content.find("ET\n");
  ASSERT_NE(bt, std::string::npos);
  EXPECT_NE(w.content.substr(bt, et - bt).find("0 -1 1 0 "), std::string::npos) << w.content;
  // Its advances keep their length along the turned baseline.
  Converted a({Rec(35, Bytes().F32(0).F32(1).F32(-1).F32(0).F32(100).F32(0)), Font(1, -20, u"Arial"), Select(1),
               Align(24), TextW(50, 50, u"up", 0, {20, 20})});
  const size_t u = a.content.find("(u)Tj\n");
  ASSERT_NE(u, std::string::npos) << a.content;
  EXPECT_EQ(a.content.compare(u + 6, 4, "200."), 0) << a.content;
}

// The characters the shown strings of a conversion stand for, read back through the fonts the
// content selects (one-byte codes).
std::u16string ShownCharacters(const Converted& c) {
  std::u16string chars;
  const TPDFFont* font = nullptr;
  for (size_t at = 0; at < c.content.size();) {
    const size_t end = c.content.find('\n', at);
    const std::string line = c.content.substr(at, end - at);
    at = end == std::string::npos ? c.content.size() : end + 1;
    if (line.size() > 3 && line[0] == '/' && line.compare(line.size() - 2, 2, "Tf") == 0) {
      const std::string name = line.substr(1, line.find(' ') - 1);
      for (TPDFFont* f : c.fonts)
        if (f->Name() == name) font = f;
    } else if (line.size() > 4 && line[0] == '(' && line.compare(line.size() - 3, 3, ")Tj") == 0 && font) {
      for (size_t i = 1; i + 3 < line.size(); ++i) {
        uint8_t b = uint8_t(line[i]);
        if (b == '\\' && i + 4 < line.size()) {
          const char e = line[++i];
          b = e == 'n' ? 10 : e == 'r' ? 13 : e == 't' ? 9 : e == 'b' ? 8 : e == 'f' ? 12 : uint8_t(e);
        }
        chars += char16_t(font->CodeToUnicode(b));
      }
    }
  }
  return chars;
}

// Glyph indices are never put in display order: those that happen to lie where Hebrew
// characters do are glyphs of the face, not right-to-left text.
TEST(MetafileText, GlyphIndexTextKeepsItsOrder) {
  auto shown = [](const std::u16string& glyphs) {
    return ShownCharacters(Converted({Font(1, -20, u"Arial"), Select(1), Align(24), TextW(10, 50, glyphs, 0x10)}));
  };
  std::vector<std::pair<char16_t, std::u16string>> found;
  for (char16_t g = 0x05A0; g < 0x05C0 && found.size() < 2; ++g) {
    const std::u16string one = shown(std::u16string(1, g));
    if (one.size() == 1 && (found.empty() || found[0].second != one)) found.emplace_back(g, one);
  }
  ASSERT_EQ(found.size(), 2u) << "the face has no glyphs there";
  EXPECT_EQ(shown({found[0].first, found[1].first}), found[0].second + found[1].second);
  EXPECT_EQ(shown({found[1].first, found[0].first}), found[1].second + found[0].second);
}

TEST(MetafileText, ClippedTextIsInItsOwnLevel) {
  Converted c({Font(1, -20, u"Arial"), Select(1), TextW(10, 30, u"cut", 4, {}, -1, -1, {10, 10, 30, 40})});
  const size_t q = c.content.find("q\n"), clip = c.content.find("W n"), text = c.content.find("(cut)Tj"),
               end = c.content.rfind("Q\n");
  ASSERT_NE(q, std::string::npos);
  EXPECT_LT(q, clip);
  EXPECT_LT(clip, text);
  EXPECT_LT(text, end);
}

TEST(MetafileText, UpdatingTheCurrentPositionPlacesTheNextTextAfterTheFirst) {
  Converted c({Font(1, -20, u"Arial"), Select(1), Align(1 | 24), Rec(27, Bytes().Pt(10, 50)),
               TextW(0, 0, u"ab", 0, {20, 20}), TextW(0, 0, u"cd", 0, {20, 20})});
  EXPECT_EQ(c.c.converter->CurrentLogX, 90);
  EXPECT_EQ(c.c.converter->CurrentLogY, 50);
}

TEST(MetafileText, RestoringTheStateBringsBackTheFont) {
  Converted c({Font(1, -20, u"Arial"), Font(2, -20, u"Courier New"), Select(1), Rec(33), Select(2),
               Rec(34, Bytes().I32(-1))});
  ASSERT_EQ(c.fonts.size(), 2u);
  EXPECT_EQ(c.c.converter->CurrentFont, c.fonts[0]);
  EXPECT_EQ(c.c.converter->TextState.Key, "Arial");
}

// A record whose text, count or advance array does not fit is refused alone.
TEST(MetafileText, RecordsThatDoNotFitAreRefusedAlone) {
  struct Case {
    const char* what;
    Record bad;
  };
  const std::vector<Case> cases = {
      {"count past the record", TextW(10, 10, u"bad", 0, {}, 1000)},
      {"huge count", TextW(10, 10, u"bad", 0, {}, 0xFFFFFFFF)},
      {"advance offset outside", TextW(10, 10, u"bad", 0, {5, 5, 5}, -1, 100000)},
      {"advances shorter than the text", TextW(10, 10, u"bad", 0, {5, 5}, 5)},
      {"vertical advances missing", TextW(10, 10, u"bad", 0x2000, {5, 5, 5})},
  };
  for (const Case& k : cases) {
    Converted c({Font(1, -20, u"Arial"), Select(1), k.bad, TextW(10, 40, u"good")});
    EXPECT_EQ(c.content.find("bad"), std::string::npos) << k.what;
    EXPECT_EQ(c.content.find("(b)Tj"), std::string::npos) << k.what;
    EXPECT_NE(c.content.find("(good)Tj"), std::string::npos) << k.what;
  }
}

// Sizes, escapements and advances from the far ends of their ranges draw finite text.
TEST(MetafileText, ExtremeNumbersStayFinite) {
  Converted c({Font(1, INT_MIN, u"Arial", INT_MAX, true, INT_MIN, INT_MIN), Select(1), Align(0xFFFFFFFF),
               TextW(INT_MAX, INT_MIN, u"xy", 0x10006, {INT_MIN, INT_MAX}, -1, -1, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}),
               Font(2, INT_MAX, u"Arial", 0, false, INT_MAX, INT_MAX), Select(2), TextW(0, 0, u"Жz", 0, {INT_MAX, 1})});
  EXPECT_EQ(c.content.find("nan"), std::string::npos) << c.content;
  EXPECT_EQ(c.content.find("inf"), std::string::npos) << c.content;
  EXPECT_EQ(Occurrences(c.content, "q\n"), Occurrences(c.content, "Q\n"));
}

// Glyph indices are characters of the face's own map: the glyphs of "Жук" (all above 255, as
// fontTools reads them from the installed face) come back as those characters.
TEST(MetafileText, GlyphIndicesComeBackThroughTheFacesCharacterMap) {
  if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
  std::string out;
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + testsupport::SourceDir() +
                                 "/tests/pdf/content/metafile/fixtures/text_metrics.py Arial Regular 'Жук'",
                             &out),
            0);
  std::istringstream in(out);
  double ascent = 0, descent = 0, advance = 0;
  int glyph = 0;
  in >> ascent >> descent;
  std::u16string glyphs;
  while (in >> advance >> glyph) glyphs += char16_t(glyph);
  ASSERT_EQ(glyphs.size(), 3u);
  for (char16_t g : glyphs) EXPECT_GT(int(g), 255);
  Converted c({Font(1, -20, u"Arial"), Select(1), TextW(10, 10, glyphs, 0x10, {12, 12, 12})});
  ASSERT_EQ(c.Count(6), 1);
  for (TPDFFont* f : c.fonts) {
    if (f->Kind() != 6) continue;
    std::u16string chars;
    for (int code = 0; code < 256; ++code)
      if (f->CodeToUnicode(code) != 0) chars += char16_t(f->CodeToUnicode(code));
    for (char16_t want : std::u16string(u"Жук")) EXPECT_NE(chars.find(want), std::u16string::npos);
  }
}

// 8-bit text is read in the code page of its font's character set, a character of two bytes
// advancing by both bytes' advances; the sets of WinAnsiEncoding keep their bytes.
TEST(MetafileText, EightBitTextIsReadInTheCodePageOfTheFontsCharacterSet) {
  struct Case {
    uint8_t charset;
    std::string bytes;
    std::u16string shown;
  };
  const std::vector<Case> cases = {
      {204, "\xCF\xF0\xE8\xE2\xE5\xF2", u"Привет"},
      {161, "\xE1\xE2\xE3", u"αβγ"},
      {238, "\x8A\xE8", u"Šč"},
      {128, "\x93\xFA\x96\x7B", u"日本"},
      {129, "\xC7\xD1", u"한"},
      {177, "\xE0\xE1", u"\u05D1\u05D0"},  // alef bet, put in display order
      {0, "\xC0\xE9", u"Àé"},
      {1, "\xC0\xE9", u"Àé"},
  };
  for (const Case& k : cases) {
    Converted c({Font(1, -20, u"Arial", 400, false, 0, 0, false, false, k.charset), Select(1), Align(24),
                 TextA(10, 50, k.bytes)});
    EXPECT_EQ(ShownCharacters(c), k.shown) << int(k.charset);
  }
  // A character the named face lacks is drawn from a face that has it: the ideograph a full em
  // wide, not the named face's missing-glyph box.
  Converted j({Font(1, -20, u"Arial", 400, false, 0, 0, false, false, 128), Select(1), TextA(10, 50, "\x93\xFA")});
  ASSERT_EQ(j.Count(6), 1);
  for (TPDFFont* f : j.fonts) {
    if (f->Kind() != 6) continue;
    const std::string code = f->EncodeText(u"日");
    ASSERT_EQ(code.size(), 1u);
    EXPECT_EQ(f->GetCodeWidth(uint8_t(code[0])), 1000);
  }
  // Two bytes, one character, two advances: the next character stands after both.
  Converted c({Font(1, -20, u"Arial", 400, false, 0, 0, false, false, 128), Select(1), Align(24),
               TextA(10, 50, "\x93\xFA" "a", {7, 8, 9})});
  EXPECT_EQ(ShownCharacters(c), u"日a");
  const size_t a = c.content.find("(a)Tj");
  ASSERT_NE(a, std::string::npos) << c.content;
  const size_t td = c.content.rfind("Td", a);
  ASSERT_NE(td, std::string::npos);
  const size_t line = c.content.rfind('\n', td);
  EXPECT_NEAR(std::stod(c.content.substr(line + 1)), 150, 0.2) << c.content;  // 15 units at 10 a unit
}

// A font that strikes out gets a line through its text, 0.3 em above the baseline, as an
// underlined one gets one under it.
TEST(MetafileText, StrikeOutIsDrawnAsTheUnderlineIs) {
  auto content = [](bool underline, bool strikeOut) {
    return Converted({Font(1, -20, u"Arial", 400, false, 0, 0, underline, strikeOut), Select(1), Align(24),
                      TextW(10, 50, u"ab")})
        .content;
  };
  EXPECT_EQ(Occurrences(content(false, false), "l S\n"), 0u);
  EXPECT_EQ(Occurrences(content(true, false), "l S\n"), 1u);
  EXPECT_EQ(Occurrences(content(false, true), "l S\n"), 1u);
  EXPECT_EQ(Occurrences(content(true, true), "l S\n"), 2u);
  // The heights of the lines: the baseline lies at 500 content units, the em is 200 of them.
  auto heights = [](const std::string& content) {
    std::vector<double> ys;
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.ends_with(" l S")) continue;
      std::istringstream words(line);
      double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
      std::string m;
      words >> x1 >> y1 >> m >> x2 >> y2;
      ys.push_back(y2);
    }
    return ys;
  };
  const std::vector<double> strike = heights(content(false, true)), both = heights(content(true, true));
  ASSERT_EQ(strike.size(), 1u);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_NEAR(strike[0], 560, 0.5);
  EXPECT_NEAR(both[0], 475, 0.5);
  EXPECT_NEAR(both[1], 560, 0.5);
}

}  // namespace
