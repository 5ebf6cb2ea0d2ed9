// Fonts and text: face resolution, metrics, drawing, DrawText layout, font data and outlines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "platform/gdi/font_faces.h"
#include "platform/gdi/text.h"
#include "tests/support/test_support.h"

namespace {

struct TextSurface {
  TBitmap bmp;
  HDC dc;
  HFONT font = nullptr;
  TextSurface(int w, int h, const char* face, int height, int weight = FW_NORMAL, bool italic = false) {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
    dc = bmp.Canvas().Handle();
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    font = CreateFontIndirectA(lf);
    SelectObject(dc, font);
  }
  ~TextSurface() {
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
  std::string Face() {
    char name[64] = {};
    GetTextFaceA(dc, sizeof name, name);
    return name;
  }
  int Width(const std::string& s) {
    SIZE size{};
    GetTextExtentPoint32A(dc, s.data(), int(s.size()), &size);
    return size.cx;
  }
  // The box of pixels that differ from white.
  RECT Ink() {
    RECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if (bmp.Dib().GetColor(x, y) != RGB(255, 255, 255)) {
          r.left = std::min(r.left, x);
          r.top = std::min(r.top, y);
          r.right = std::max(r.right, x + 1);
          r.bottom = std::max(r.bottom, y + 1);
        }
    return r;
  }
};

}  // namespace

TEST(Fonts, PlatformFacesMapToMetricCompatibleOnes) {
  EXPECT_EQ(TextSurface(10, 10, "MS Sans Serif", -11).Face(), "Liberation Sans");
  EXPECT_EQ(TextSurface(10, 10, "Arial", -11).Face(), "Liberation Sans");
  EXPECT_EQ(TextSurface(10, 10, "Times New Roman", -11).Face(), "Liberation Serif");
  EXPECT_EQ(TextSurface(10, 10, "Courier New", -11).Face(), "Liberation Mono");
}

TEST(Fonts, AFaceThatDoesNotExistStillGivesAFont) {
  TextSurface s(60, 30, "No Such Face Anywhere 123", -16);
  EXPECT_FALSE(s.Face().empty());
  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(s.dc, &tm));
  EXPECT_GT(tm.tmHeight, 14);
  EXPECT_GT(s.Width("Hello"), 10);
}

TEST(Fonts, HeightSignSelectsCharacterOrCellHeight) {
  TextSurface character(10, 10, "Arial", -20), cell(10, 10, "Arial", 20);
  TEXTMETRICA a, b;
  GetTextMetricsA(character.dc, &a);
  GetTextMetricsA(cell.dc, &b);
  EXPECT_EQ(a.tmHeight - a.tmInternalLeading, 20);
  EXPECT_EQ(b.tmHeight, 20);
  EXPECT_EQ(a.tmAscent + a.tmDescent, a.tmHeight);
  // Liberation Sans has Arial's vertical metrics: a 20-pixel em gives a cell of about 22.3.
  EXPECT_GE(a.tmHeight, 22);
  EXPECT_LE(a.tmHeight, 23);
}

TEST(Fonts, ExtentIsTheSumOfCharacterWidths) {
  TextSurface s(10, 10, "Arial", -13);
  const std::string text = "Velmora, 1234!";
  int sum = 0;
  for (char c : text) {
    int w = 0;
    ASSERT_TRUE(GetCharWidthW(s.dc, UINT(uint8_t(c)), UINT(uint8_t(c)), &w));
    sum += w;
  }
  EXPECT_EQ(s.Width(text), sum);
  int widths[3];
  ASSERT_TRUE(GetCharWidthW(s.dc, 'i', 'k', widths));
  EXPECT_LT(widths[0], widths[2]);
}

TEST(Text, TextOutDrawsInTheTextColourInsideItsBox) {
  TextSurface s(100, 40, "Arial", -20);
  SetBkMode(s.dc, TRANSPARENT);
  SetTextColor(s.dc, RGB(255, 0, 0));
  ASSERT_TRUE(TextOutA(s.dc, 10, 5, "HH", 2));
  const RECT ink = s.Ink();
  TEXTMETRICA tm;
  GetTextMetricsA(s.dc, &tm);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + s.Width("HH"));
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + tm.tmAscent);
  // The stems of an H are solid red.
  int red = 0;
  for (int y = ink.top; y < ink.bottom; ++y)
    for (int x = ink.left; x < ink.right; ++x) red += s.bmp.Dib().GetColor(x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 20);
  // Opaque mode fills the text cell with the background colour.
  TextSurface o(100, 40, "Arial", -20);
  SetBkColor(o.dc, RGB(0, 0, 255));
  TextOutA(o.dc, 0, 0, "x", 1);
  EXPECT_EQ(o.bmp.Dib().GetColor(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(o.bmp.Dib().GetColor(0, tm.tmHeight + 1), RGB(255, 255, 255));
}

TEST(Text, GlyphIndicesDrawTheGlyphsTheirCharactersMapTo) {
  if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
  TextSurface byChar(120, 40, "Arial", -24), byIndex(120, 40, "Arial", -24);
  // The glyph numbers come from the font file itself, read by another program.
  const DWORD size = GetFontData(byChar.dc, 0, 0, nullptr, 0);
  ASSERT_NE(size, GDI_ERROR);
  std::string data(size, '\0');
  ASSERT_EQ(GetFontData(byChar.dc, 0, 0, data.data(), size), size);
  testsupport::TempDir dir;
  const std::string font = dir.File("face.ttf");
  testsupport::WriteFile(font, data);
  std::string ids;
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
                             "m = f.getBestCmap(); print(' '.join(str(f.getGlyphID(m[ord(c)])) for c in 'Wag'))\" '" +
                                 font + "'",
                             &ids),
            0);
  std::u16string glyphs;
  for (size_t at = 0; at < ids.size();) {
    size_t used = 0;
    glyphs.push_back(char16_t(std::stoi(ids.substr(at), &used)));
    at += used + 1;
  }
  ASSERT_EQ(glyphs.size(), 3u);
  ASSERT_NE(glyphs, u"Wag");
  const int dx[3] = {30, 25, 20};
  ASSERT_TRUE(ExtTextOutW(byChar.dc, 5, 5, 0, nullptr, u"Wag", 3, dx));
  ASSERT_TRUE(ExtTextOutW(byIndex.dc, 5, 5, ETO_GLYPH_INDEX, nullptr, glyphs.data(), 3, dx));
  int differing = 0, inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      differing += byChar.bmp.Dib().GetColor(x, y) != byIndex.bmp.Dib().GetColor(x, y);
      inked += byChar.bmp.Dib().GetColor(x, y) != RGB(255, 255, 255);
    }
  EXPECT_GT(inked, 100);
  EXPECT_EQ(differing, 0);
  // Without advances the glyphs' own widths place them, as for the characters.
  TextSurface a(120, 40, "Arial", -24), b(120, 40, "Arial", -24);
  ExtTextOutW(a.dc, 5, 5, 0, nullptr, u"Wag", 3, nullptr);
  ExtTextOutW(b.dc, 5, 5, ETO_GLYPH_INDEX, nullptr, glyphs.data(), 3, nullptr);
  EXPECT_EQ(a.Ink().right, b.Ink().right);
  // The single-byte form takes each byte as a glyph index.
  if (glyphs[0] < 256 && glyphs[1] < 256) {
    TextSurface c(120, 40, "Arial", -24);
    const char bytes[2] = {char(glyphs[0]), char(glyphs[1])};
    ExtTextOutA(c.dc, 5, 5, ETO_GLYPH_INDEX, nullptr, bytes, 2, dx);
    TextSurface d(120, 40, "Arial", -24);
    ExtTextOutW(d.dc, 5, 5, 0, nullptr, u"Wa", 2, dx);
    EXPECT_EQ(c.Ink().right, d.Ink().right);
    EXPECT_EQ(c.Ink().bottom, d.Ink().bottom);
  }
}

// The symbol face answers the private-use characters its text is recorded as with its own codes:
// U+F061 is the face's "a" (its alpha), drawn and measured alike; a character the face lacks is
// marked as missing.
TEST(Text, TheSymbolFaceAnswersItsPrivateUseCharacters) {
  TextSurface code(80, 60, "Symbol", -40), privateUse(80, 60, "Symbol", -40);
  ASSERT_TRUE(ExtTextOutW(code.dc, 5, 5, 0, nullptr, u"a", 1, nullptr));
  ASSERT_TRUE(ExtTextOutW(privateUse.dc, 5, 5, 0, nullptr, u"\uF061", 1, nullptr));
  const RECT a = code.Ink(), b = privateUse.Ink();
  ASSERT_LT(a.left, a.right);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.top, b.top);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(a.bottom, b.bottom);
  WORD glyphs[3] = {};
  ASSERT_EQ(GetGlyphIndicesW(code.dc, u"a\uF061\u0416", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
  EXPECT_NE(glyphs[0], 0xFFFF);
  EXPECT_EQ(glyphs[0], glyphs[1]);
  EXPECT_EQ(glyphs[2], 0xFFFF);
  ASSERT_EQ(GetGlyphIndicesW(code.dc, u"\u0416", 1, glyphs, 0), 1u);
  EXPECT_EQ(glyphs[0], 0);
  // A face of letters has no such characters.
  TextSurface letters(80, 60, "Arial", -40);
  ASSERT_EQ(GetGlyphIndicesW(letters.dc, u"\uF061a", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 2u);
  EXPECT_EQ(glyphs[0], 0xFFFF);
  EXPECT_NE(glyphs[1], 0xFFFF);
}

// A character the face lacks (a Japanese, Korean or Chinese one in a Western face) is drawn and
// measured as one of the installed faces that have it draws it, at the same em: fontconfig's
// own lister names those faces. Characters the face has are drawn as before, the font's own
// widths stay the face's, and a character no face has stays the face's missing-glyph box.
TEST(Text, CharactersTheFaceLacksComeFromAFaceThatHasThem) {
  if (!testsupport::FontsPinned() || !testsupport::HaveTool("fc-list")) GTEST_SKIP() << "needs fontconfig's fc-list";
  struct Char {
    char16_t ch;
    std::vector<std::string> families;  // the installed families that have it
  };
  std::vector<Char> chars;
  for (char16_t ch : {u'\u3042', u'\u30A2', u'\u6F22', u'\u4E2D', u'\uD55C'}) {
    char code[16];
    std::snprintf(code, sizeof code, "%x", unsigned(ch));
    std::string out;
    ASSERT_EQ(testsupport::Run(std::string("fc-list ':charset=") + code + "' family", &out), 0);
    Char c{ch, {}};
    for (size_t at = 0; at < out.size();) {
      const size_t end = out.find('\n', at);
      const std::string line = out.substr(at, end - at);
      if (!line.empty()) c.families.push_back(line.substr(0, line.find(',')));  // the first of its names
      at = end == std::string::npos ? out.size() : end + 1;
    }
    ASSERT_FALSE(c.families.empty()) << code;
    chars.push_back(c);
  }
  auto draw = [](const char* face, int height, int weight, std::u16string_view text, std::vector<COLORREF>& pixels) {
    TextSurface s(96, 48, face, height, weight);
    SetBkMode(s.dc, TRANSPARENT);
    SetTextAlign(s.dc, TA_BASELINE);
    ExtTextOutW(s.dc, 4, 34, 0, nullptr, text.data(), UINT(text.size()), nullptr);
    pixels.clear();
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 96; ++x) pixels.push_back(s.bmp.Dib().GetColor(x, y));
    SIZE size{};
    GetTextExtentPoint32W(s.dc, text.data(), int(text.size()), &size);
    return size.cx;
  };
  for (const char* face : {"MS Sans Serif", "Arial", "Times New Roman", "Courier New", "Tahoma"})
    for (int weight : {FW_NORMAL, FW_BOLD})
      for (int height : {-11, -16, 24}) {
        TextSurface probe(4, 4, face, height, weight);
        TEXTMETRICW tm;
        ASSERT_TRUE(GetTextMetricsW(probe.dc, &tm));
        const int em = -(tm.tmHeight - tm.tmInternalLeading);
        for (const Char& c : chars) {
          SCOPED_TRACE(std::string(face) + " " + std::to_string(weight) + " " + std::to_string(height) + " U+" +
                       std::to_string(unsigned(c.ch)));
          const std::u16string one(1, c.ch);
          std::vector<COLORREF> linked, other;
          const int width = draw(face, height, weight, one, linked);
          int matching = -1;
          for (const std::string& family : c.families)
            if (int w = draw(family.c_str(), em, weight, one, other); other == linked) matching = w;
          EXPECT_GE(matching, 0) << "drawn as no face that has it draws it";
          EXPECT_EQ(width, matching);
          // Between letters of the face: the letters stay where the face's own widths put them.
          std::vector<COLORREF> mixed, letters;
          const std::u16string around = u"a" + one + u"b";
          const int total = draw(face, height, weight, around, mixed);
          const int a = draw(face, height, weight, u"a", letters);
          EXPECT_EQ(total, a + width + draw(face, height, weight, u"b", other));
          for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 4 + a - 1; ++x)
              if (mixed[size_t(y * 96 + x)] != letters[size_t(y * 96 + x)]) ADD_FAILURE() << "the a moved at " << x << "," << y;
          int widths[1] = {};
          ASSERT_TRUE(GetCharWidthW(probe.dc, c.ch, c.ch, widths));
          int missing[1] = {};
          ASSERT_TRUE(GetCharWidthW(probe.dc, 0xFFFF, 0xFFFF, missing));
          EXPECT_EQ(widths[0], missing[0]);  // the face's own missing-glyph width
        }
        // A character no installed face has keeps the face's box.
        std::vector<COLORREF> none, box;
        int missing[1] = {};
        ASSERT_TRUE(GetCharWidthW(probe.dc, 0xFFFF, 0xFFFF, missing));
        EXPECT_EQ(draw(face, height, weight, u"\U0010FFFD", none), missing[0]);
        draw(face, height, weight, u"\uFFFF", box);
        EXPECT_EQ(none, box);
      }
}

// Arabic and Hebrew, alone and inside left-to-right text, in their own face and linked from a
// Western one, are drawn and measured as HarfBuzz's own tool (hb-shape) shapes each run of one
// direction: the glyphs it picks (joined Arabic letters) in display order, at the faces' own
// advances, the runs themselves in display order on a left-to-right line.
TEST(Text, ComplexScriptsAreShapedAsHarfBuzzShapesThem) {
  if (!testsupport::FontsPinned() || !testsupport::HaveTool("hb-shape") || !testsupport::HaveTool("fc-match"))
    GTEST_SKIP() << "needs hb-shape and fc-match";
  auto fileOf = [](const std::string& family) {
    std::string file;
    testsupport::Run("fc-match -f '%{file}' '" + family + "'", &file);
    return file;
  };
  struct Run {
    std::string text;  // UTF-8
    bool rightToLeft;
  };
  struct Case {
    const char* face;  // the Arabic and Hebrew come from DejaVu Sans, linked where the face lacks them
    std::u16string text;
    std::vector<Run> shown;  // in display order
  } cases[] = {
      {"DejaVu Sans", u"\u0635\u0648\u0631\u0629 \u0639\u0631\u0628\u064A\u0629", {{"\u0635\u0648\u0631\u0629 \u0639\u0631\u0628\u064A\u0629", true}}},
      {"DejaVu Sans", u"\u0635\u0648\u0631\u0629 \u0639\u0631\u0628\u064A\u0629.jpg",
       {{"\u0635\u0648\u0631\u0629 \u0639\u0631\u0628\u064A\u0629", true}, {".jpg", false}}},
      {"DejaVu Sans", u"a \u0639\u0631\u0628\u064A\u0629 b", {{"a ", false}, {"\u0639\u0631\u0628\u064A\u0629", true}, {" b", false}}},
      {"DejaVu Sans", u"\u05E9\u05DC\u05D5\u05DD.jpg", {{"\u05E9\u05DC\u05D5\u05DD", true}, {".jpg", false}}},
      {"Arial", u"\u0644\u0627 \u0628\u064A\u062A", {{"\u0644\u0627 \u0628\u064A\u062A", true}}},
  };
  const std::string arabicFile = fileOf("DejaVu Sans");
  for (const Case& c : cases)
    for (int height : {-11, -16, 24}) {
      SCOPED_TRACE(std::string(c.face) + " " + std::to_string(height) + ": " + c.shown[0].text);
      TextSurface drawn(240, 48, c.face, height), expected(240, 48, c.face, height);
      TEXTMETRICW tm;
      ASSERT_TRUE(GetTextMetricsW(drawn.dc, &tm));
      LOGFONTA lf{};
      lf.lfHeight = -(tm.tmHeight - tm.tmInternalLeading);  // the linked face at the same em
      std::strcpy(lf.lfFaceName, "DejaVu Sans");
      HFONT linked = CreateFontIndirectA(lf);
      for (TextSurface* s : {&drawn, &expected}) {
        SetBkMode(s->dc, TRANSPARENT);
        SetTextAlign(s->dc, TA_BASELINE | TA_UPDATECP);
        MoveToEx(s->dc, 4, 34, nullptr);
      }
      ExtTextOutW(drawn.dc, 0, 0, 0, nullptr, c.text.data(), UINT(c.text.size()), nullptr);
      for (const Run& run : c.shown) {
        const bool ownFace = run.text[0] > 0 && !run.rightToLeft;  // ASCII: the case's face
        std::string out;
        ASSERT_EQ(testsupport::Run(std::string("hb-shape --no-glyph-names --no-clusters --no-positions --direction=") +
                                       (run.rightToLeft ? "rtl '" : "ltr '") + (ownFace ? fileOf(c.face) : arabicFile) +
                                       "' '" + run.text + "'",
                                   &out),
                  0);
        std::u16string glyphs;
        for (size_t at = out.find_first_of("0123456789"); at != std::string::npos; at = out.find_first_of("0123456789", at)) {
          glyphs.push_back(char16_t(std::stoi(out.substr(at))));
          at = out.find_first_not_of("0123456789", at);
        }
        ASSERT_FALSE(glyphs.empty()) << out;
        HGDIOBJ old = SelectObject(expected.dc, ownFace ? expected.font : linked);
        ExtTextOutW(expected.dc, 0, 0, ETO_GLYPH_INDEX, nullptr, glyphs.data(), UINT(glyphs.size()), nullptr);
        SelectObject(expected.dc, old);
      }
      EXPECT_TRUE(std::ranges::equal(drawn.bmp.Dib().Bits(), expected.bmp.Dib().Bits()));
      POINT end{}, expectedEnd{};
      GetCurrentPositionEx(drawn.dc, &end);
      GetCurrentPositionEx(expected.dc, &expectedEnd);
      EXPECT_EQ(end.x, expectedEnd.x);
      SIZE size{};
      GetTextExtentPoint32W(drawn.dc, c.text.data(), int(c.text.size()), &size);
      EXPECT_EQ(size.cx, expectedEnd.x - 4);  // measured as drawn
      // Placed character by character where the extents of its leading parts say (as an edit
      // places it), the text is drawn the same.
      std::vector<int> ends(c.text.size()), dx(c.text.size());
      ASSERT_TRUE(GetTextExtentExPointW(drawn.dc, c.text.data(), int(c.text.size()), 0, nullptr, ends.data(), nullptr));
      EXPECT_EQ(ends.back(), size.cx);
      for (size_t i = 0; i < dx.size(); ++i) dx[i] = ends[i] - (i ? ends[i - 1] : 0);
      TextSurface placed(240, 48, c.face, height);
      SetBkMode(placed.dc, TRANSPARENT);
      SetTextAlign(placed.dc, TA_BASELINE);
      ExtTextOutW(placed.dc, 4, 34, 0, nullptr, c.text.data(), UINT(c.text.size()), dx.data());
      EXPECT_TRUE(std::ranges::equal(placed.bmp.Dib().Bits(), drawn.bmp.Dib().Bits()));
      DeleteObject(linked);
    }
}

TEST(DrawText, CalcRectMatchesTheExtent) {
  TextSurface s(10, 10, "Arial", -13);
  RECT r{5, 7, 5, 7};
  const int h = DrawTextA(s.dc, "Compare images", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  TEXTMETRICA tm;
  GetTextMetricsA(s.dc, &tm);
  EXPECT_EQ(h, tm.tmHeight);
  EXPECT_EQ(r.right - r.left, s.Width("Compare images"));
  EXPECT_EQ(r.bottom - r.top, tm.tmHeight);
}

TEST(DrawText, PrefixCharacters) {
  TextSurface s(10, 10, "Arial", -13);
  RECT a{0, 0, 0, 0}, b{0, 0, 0, 0}, c{0, 0, 0, 0};
  DrawTextA(s.dc, "&File", -1, &a, DT_CALCRECT | DT_SINGLELINE);
  DrawTextA(s.dc, "&File", -1, &b, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  DrawTextA(s.dc, "A&&B", -1, &c, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(a.right, s.Width("File"));
  EXPECT_EQ(b.right, s.Width("&File"));
  EXPECT_EQ(c.right, s.Width("A&B"));
}

TEST(DrawText, EndEllipsisFits) {
  TextSurface s(200, 30, "Arial", -13);
  const std::string text = "A rather long caption that cannot fit in the space";
  for (int width : {30, 60, 90, 150}) {
    RECT r{10, 0, 10 + width, 20};
    DrawTextA(s.dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    EXPECT_LE(r.right - r.left, width) << width;
  }
  // Drawn text stays inside its rectangle.
  RECT r{10, 5, 70, 25};
  DrawTextA(s.dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  const RECT ink = s.Ink();
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 70);
}

TEST(DrawText, WordBreakWraps) {
  TextSurface s(10, 10, "Arial", -13);
  TEXTMETRICA tm;
  GetTextMetricsA(s.dc, &tm);
  const std::string text = "one two three four five six seven eight nine ten";
  RECT r{0, 0, 80, 0};
  const int h = DrawTextA(s.dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GT(h, 2 * tm.tmHeight);
  EXPECT_EQ(h % tm.tmHeight, 0);
  EXPECT_LE(r.right, 80);
  // A word wider than the rectangle widens it.
  RECT narrow{0, 0, 5, 0};
  DrawTextA(s.dc, "unbreakable", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(narrow.right, s.Width("unbreakable"));
  // Line breaks in the text start new lines.
  RECT lines{0, 0, 500, 0};
  EXPECT_EQ(DrawTextA(s.dc, "a\r\nb\nc", -1, &lines, DT_CALCRECT), 3 * tm.tmHeight);
}

// As an edit control shows it, a word too wide for the line (a path) is broken after the last
// folder separator that fits, and a name without one after the last character that fits:
// drawn, the lines are those the test expects, each drawn on its own by TextOut.
TEST(DrawText, EditControlBreaksLongWordsAtSeparatorsThenAnywhere) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;  // in a width the widest just fits
  } cases[] = {
      {"/folder12/folder12/folder12/folder12/folder12/folder12/folder12",
       {"/folder12/folder12/folder12/", "folder12/folder12/folder12/", "folder12"}},
      {"\\folder12\\folder12\\folder12\\folder12", {"\\folder12\\folder12\\folder12\\", "folder12"}},
      {"Copy /folder12/folder12/folder12/folder12 now", {"Copy", "/folder12/folder12/folder12/", "folder12 now"}},
  };
  for (const char* face : {"Arial", "MS Sans Serif"})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(face) + ": " + c.text);
      TextSurface wrapped(400, 120, face, -13), expected(400, 120, face, -13);
      int width = 0;
      for (const std::string& line : c.lines) width = std::max(width, wrapped.Width(line) + 1);
      TEXTMETRICA tm;
      GetTextMetricsA(wrapped.dc, &tm);
      RECT r{2, 0, 2 + width, 120};
      SetBkMode(wrapped.dc, TRANSPARENT);
      SetBkMode(expected.dc, TRANSPARENT);
      EXPECT_EQ(DrawTextA(wrapped.dc, c.text.c_str(), -1, &r, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX),
                int(c.lines.size()) * tm.tmHeight);
      for (size_t i = 0; i < c.lines.size(); ++i)
        TextOutA(expected.dc, 2, int(i) * tm.tmHeight, c.lines[i].c_str(), int(c.lines[i].size()));
      EXPECT_TRUE(std::ranges::equal(wrapped.bmp.Dib().Bits(), expected.bmp.Dib().Bits()));
    }
  // A name without a separator: as many characters a line as fit, the last line the rest.
  TextSurface s(10, 10, "Arial", -13);
  TEXTMETRICA tm;
  GetTextMetricsA(s.dc, &tm);
  for (int count : {1, 7, 40, 333}) {
    const std::string name(size_t(count), 'x');
    for (int width : {1, 5, 6, 61, 200}) {
      RECT r{0, 0, width, 0};
      const int h = DrawTextA(s.dc, name.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
      const int perLine = std::max(1, width / s.Width("x"));
      EXPECT_EQ(h, (count + perLine - 1) / perLine * tm.tmHeight) << count << " in " << width;
      EXPECT_EQ(r.right, std::min(count, perLine) * s.Width("x")) << count << " in " << width;
    }
  }
}

TEST(DrawText, VerticalCentreAndBottom) {
  TextSurface s(100, 60, "Arial", -13);
  TEXTMETRICA tm;
  GetTextMetricsA(s.dc, &tm);
  RECT r{0, 0, 100, 60};
  SetBkMode(s.dc, TRANSPARENT);
  EXPECT_EQ(DrawTextA(s.dc, "Mid", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER), (60 - tm.tmHeight) / 2 + tm.tmHeight);
  const RECT ink = s.Ink();
  EXPECT_GT(ink.top, 20);
  EXPECT_LT(ink.bottom, 42);
  EXPECT_GT(ink.left, 30);
  EXPECT_EQ(DrawTextA(s.dc, "Low", -1, &r, DT_SINGLELINE | DT_BOTTOM), 60);
}

TEST(DrawText, HorizontalAlignmentAndClipping) {
  struct Case {
    UINT align;
    const char* name;
  };
  for (const Case& c : {Case{DT_LEFT, "left"}, Case{DT_CENTER, "centre"}, Case{DT_RIGHT, "right"}}) {
    TextSurface s(200, 30, "Arial", -13);
    SetBkMode(s.dc, TRANSPARENT);
    const int width = s.Width("Width");
    RECT r{20, 5, 180, 25};
    DrawTextA(s.dc, "Width", -1, &r, c.align | DT_SINGLELINE | DT_VCENTER);
    const RECT ink = s.Ink();
    // The glyphs' ink lies within the advance of the text, a pixel or two inside it.
    const int start = c.align == DT_LEFT ? 20 : c.align == DT_CENTER ? 20 + (160 - width) / 2 : 180 - width;
    EXPECT_GE(ink.left, start) << c.name;
    EXPECT_LE(ink.left, start + 2) << c.name;
    EXPECT_LE(ink.right, start + width) << c.name;
    EXPECT_GE(ink.right, start + width - 3) << c.name;
  }
  // Too narrow a rectangle clips the text, unless DT_NOCLIP.
  const char* text = "A caption wider than its box";
  TextSurface clipped(200, 30, "Arial", -13);
  RECT r{10, 5, 40, 25};
  DrawTextA(clipped.dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_LE(clipped.Ink().right, 40);
  TextSurface unclipped(200, 30, "Arial", -13);
  DrawTextA(unclipped.dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  EXPECT_GT(unclipped.Ink().right, 100);
}

TEST(FontData, WholeFileAndTables) {
  TextSurface s(10, 10, "Arial", -13);
  const DWORD size = GetFontData(s.dc, 0, 0, nullptr, 0);
  ASSERT_NE(size, GDI_ERROR);
  const ResolvedFace face = ResolveFace("Arial", FW_NORMAL, false, false);
  EXPECT_EQ(int64_t(size), int64_t(testsupport::ReadFile(face.file).size()));
  std::vector<uint8_t> data(size);
  ASSERT_EQ(GetFontData(s.dc, 0, 0, data.data(), size), size);
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(data[1], 1);
  const DWORD head = 0x64616568;  // 'head' as its bytes lie in memory
  EXPECT_EQ(GetFontData(s.dc, head, 0, nullptr, 0), 54u);
  EXPECT_EQ(GetFontData(s.dc, 0x66637474, 0, nullptr, 0), GDI_ERROR);  // not a collection
  EXPECT_EQ(GetFontData(s.dc, 0x21212121, 0, nullptr, 0), GDI_ERROR);
}

TEST(FontData, NativeOutlineRecords) {
  TextSurface s(10, 10, "Arial", -1000);
  GLYPHMETRICS gm;
  const DWORD need = GetGlyphOutlineW(s.dc, 'O', GGO_NATIVE, &gm, 0, nullptr, nullptr);
  ASSERT_NE(need, GDI_ERROR);
  std::vector<uint8_t> buf(need);
  ASSERT_EQ(GetGlyphOutlineW(s.dc, 'O', GGO_NATIVE, &gm, need, buf.data(), nullptr), need);
  int contours = 0, quads = 0;
  size_t pos = 0;
  while (pos < buf.size()) {
    TTPOLYGONHEADER h;
    std::memcpy(&h, &buf[pos], sizeof h);
    ASSERT_EQ(h.dwType, TT_POLYGON_TYPE);
    ASSERT_GT(h.cb, sizeof h);
    ASSERT_LE(pos + h.cb, buf.size());
    size_t c = pos + sizeof h;
    while (c < pos + h.cb) {
      WORD type, count;
      std::memcpy(&type, &buf[c], 2);
      std::memcpy(&count, &buf[c + 2], 2);
      ASSERT_TRUE(type == TT_PRIM_LINE || type == TT_PRIM_QSPLINE);
      quads += type == TT_PRIM_QSPLINE;
      c += 4 + count * sizeof(POINTFX);
    }
    ASSERT_EQ(c, pos + h.cb);
    pos += h.cb;
    ++contours;
  }
  EXPECT_EQ(contours, 2);  // outer and inner ring of the O
  EXPECT_GT(quads, 0);
  int advance = 0;
  GetCharWidthW(s.dc, 'O', 'O', &advance);
  EXPECT_EQ(gm.gmCellIncX, advance);
  EXPECT_GT(int(gm.gmBlackBoxX), 600);
  EXPECT_GT(int(gm.gmBlackBoxY), 600);
}

TEST(FontData, OutlineTextMetrics) {
  TextSurface s(10, 10, "Arial", -2048, FW_NORMAL, true);
  const UINT need = GetOutlineTextMetricsA(s.dc, 0, nullptr);
  ASSERT_GT(need, sizeof(OUTLINETEXTMETRICA));
  std::vector<uint8_t> buf(need);
  auto* otm = reinterpret_cast<OUTLINETEXTMETRICA*>(buf.data());
  ASSERT_EQ(GetOutlineTextMetricsA(s.dc, need, otm), need);
  EXPECT_EQ(otm->otmEMSquare, 2048u);
  EXPECT_LT(otm->otmItalicAngle, 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(buf.data() + otm->otmpFamilyName), "Liberation Sans");
  EXPECT_GT(otm->otmAscent, 1400);  // the typographic ascender
  EXPECT_GT(otm->otmrcFontBox.right, otm->otmrcFontBox.left);
}

TEST(FontData, EnumeratesInstalledFamilies) {
  TextSurface s(10, 10, "Arial", -13);
  LOGFONTA lf;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::vector<std::string> names;
  EnumFontFamiliesExA(s.dc, &lf,
                      [](const LOGFONTA* f, const TEXTMETRICA*, DWORD type, intptr_t p) {
                        EXPECT_EQ(type, TRUETYPE_FONTTYPE);
                        reinterpret_cast<std::vector<std::string>*>(p)->push_back(f->lfFaceName);
                        return 1;
                      },
                      reinterpret_cast<intptr_t>(&names), 0);
  EXPECT_NE(std::find(names.begin(), names.end(), "Liberation Sans"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "DejaVu Sans"), names.end());
  int calls = 0;
  EXPECT_EQ(EnumFontFamiliesExA(s.dc, &lf, [](const LOGFONTA*, const TEXTMETRICA*, DWORD, intptr_t p) {
              ++*reinterpret_cast<int*>(p);
              return 0;
            }, reinterpret_cast<intptr_t>(&calls), 0), 0);
  EXPECT_EQ(calls, 1);  // a zero result stops the enumeration
}

TEST(Canvas, TextMovesThePenAndMeasures) {
  TBitmap b;
  b.SetSize(200, 40);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Arial");
  c.Font().SetSize(10);
  EXPECT_EQ(c.Font().Height(), -13);
  const int w = c.TextWidth("Velmora");
  EXPECT_GT(w, 30);
  c.TextOut(5, 5, "Velmora");
  EXPECT_EQ(c.PenPos(), (POINT{5 + w, 5}));
  EXPECT_GT(c.TextHeight("Velmora"), 12);
}

TEST(FontData, CollectionFaceReadsFromItsDirectory) {
  const std::string regular = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
  const std::string mono = "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf";
  if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
  testsupport::TempDir dir;
  const std::string ttc = dir.File("pair.ttc");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 '" + testsupport::SourceDir() +
                             "/tests/support/make_font_collection.py' '" + ttc + "' 'Velmora Pair One=" + regular +
                             "' 'Velmora Pair Two=" + mono + "'"),
            0);
  const std::string file = testsupport::ReadFile(ttc);
  ASSERT_EQ(file.substr(0, 4), "ttcf");
  const std::u16string wide(ttc.begin(), ttc.end());
  ASSERT_GT(AddFontResourceW(wide.c_str()), 0);
  {
    TextSurface s(10, 10, "Velmora Pair Two", -13);
    const DWORD whole = GetFontData(s.dc, 0x66637474, 0, nullptr, 0);
    EXPECT_EQ(int64_t(whole), int64_t(file.size()));
    // The second face's directory offset, from the collection header.
    const auto be32 = [&file](size_t at) {
      return uint32_t(uint8_t(file[at])) << 24 | uint32_t(uint8_t(file[at + 1])) << 16 |
             uint32_t(uint8_t(file[at + 2])) << 8 | uint32_t(uint8_t(file[at + 3]));
    };
    const uint32_t offset = be32(16);
    const DWORD size = GetFontData(s.dc, 0, 0, nullptr, 0);
    EXPECT_EQ(int64_t(size), int64_t(file.size() - offset));
    std::string data(size, '\0');
    ASSERT_EQ(GetFontData(s.dc, 0, 0, data.data(), size), size);
    EXPECT_EQ(data, file.substr(offset));
    EXPECT_EQ(data.substr(0, 4), std::string("\x00\x01\x00\x00", 4));
    // Tables still answer by tag as their own bytes.
    EXPECT_EQ(GetFontData(s.dc, 0x64616568, 0, nullptr, 0), 54u);
  }
  EXPECT_TRUE(RemoveFontResourceW(wide.c_str()));
}
