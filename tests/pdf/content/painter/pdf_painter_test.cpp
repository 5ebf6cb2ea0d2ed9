#include "pdf/content/painter/pdf_painter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

// A painter on a store that can make objects indirect (for fonts).
struct PainterFixture : ::testing::Test {
  PainterFixture() {
    store.OnMakeIndirect = [this](TPDFObject* obj, int& num, int& gen) {
      num = ++next;
      gen = 0;
      obj->SetObjectNumber(num, gen);
    };
  }
  std::string Drain() {
    std::string s = painter.GetContent();
    painter.SetContent("");
    return s;
  }
  TPDFStructure store;
  int next = 0;
  TPDFPainter painter{&store};
};

TEST_F(PainterFixture, FirstRectangleWritesPendingStateSecondOnlyItsPath) {
  painter.Clear();
  painter.Rectangle(true, false, 10, 110, 100, 100);
  EXPECT_EQ(painter.GetContent(), "0 0 0 RG\n1 1 1 rg\n1 w\n[] 0 d\n10 10 100 100 re\nf\n");
  painter.SetContent("");
  painter.Rectangle(true, false, 10, 110, 100, 100);
  EXPECT_EQ(painter.GetContent(), "10 10 100 100 re\nf\n");
}

TEST_F(PainterFixture, PaintOperatorsByFillAndStroke) {
  struct Case {
    bool fill, stroke, evenOdd;
    const char* op;
  } cases[] = {{true, false, false, "f"},  {false, true, false, "S"},  {true, true, false, "B"},
               {false, false, false, "n"}, {true, false, true, "f*"},  {true, true, true, "B*"},
               {false, true, true, "S"},   {false, false, true, "n"}};
  for (const Case& c : cases) {
    painter.Clear();
    painter.ClearPending();
    painter.NewPath(1, 2);
    painter.LineTo(3, 4);
    painter.ClosePath();
    if (c.evenOdd) painter.FillStrokeEvenOdd(c.fill, c.stroke);
    else painter.FillStroke(c.fill, c.stroke);
    EXPECT_EQ(painter.GetContent(), std::string("1 2 m\n3 4 l\nh\n") + c.op + "\n") << c.op;
    EXPECT_FALSE(painter.PathOpen);
    EXPECT_TRUE(painter.Pending(TPDFPending::TextFill));
  }
}

TEST_F(PainterFixture, ColoursAreClampedAndNumbersTrimmed) {
  painter.SetFillColor(2, -1, 0.5);
  EXPECT_EQ(painter.FillText, "1 0 0.5 rg");
  painter.SetStrokeColor(0.25, 1.0 / 3, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(painter.StrokeText, "0.25 0.3333 0 RG");
  painter.SetTextColor(1, 0.5, 0);
  EXPECT_EQ(painter.TextFillText, "1 0.5 0 rg");
  EXPECT_EQ(painter.TextStrokeText, "1 0.5 0 RG");
  EXPECT_EQ(painter.TextColorHex, "#FF8000");
}

TEST_F(PainterFixture, LineStyleAndDash) {
  painter.SetLineWidth(-1);
  EXPECT_EQ(painter.LineStyleText, "10 M 1 w 0 J 0 j");
  painter.SetMiterLimit(4);
  painter.LineCap = 1;
  painter.SetLineWidth(2.5);
  EXPECT_EQ(painter.LineStyleText, "4 M 2.5 w 1 J 0 j");
  painter.SetDash(0.1, 5);
  EXPECT_EQ(painter.DashText, "[] 0 d");
  painter.SetDash(3, 1);
  EXPECT_EQ(painter.DashText, "[ 3 1 ] 0 d");
  EXPECT_FALSE(painter.SetDashArray("3 x"));
  EXPECT_EQ(painter.DashText, "[ 3 1 ] 0 d");
  EXPECT_FALSE(painter.SetDashArray("3 [1]"));
  EXPECT_FALSE(painter.SetDashArray("3 ] 1"));
  EXPECT_TRUE(painter.SetDashArray("2 4.5"));
  EXPECT_EQ(painter.DashText, "[ 2 4.5] 0 d");
  EXPECT_TRUE(painter.SetDashArray("1 1", 0.5));
  EXPECT_EQ(painter.DashText, "[ 1 1] 0.5 d");
  EXPECT_FALSE(painter.SetDashArray("1 x", 0.5));
  EXPECT_EQ(painter.DashText, "[ 1 1] 0.5 d");
  EXPECT_TRUE(painter.SetDashArray("", 0.5));
  EXPECT_EQ(painter.DashText, "[] 0 d") << "no pattern, no phase";
  EXPECT_TRUE(painter.SetDashArray(""));
  EXPECT_EQ(painter.DashText, "[] 0 d");
  painter.PenDashText = "[ 9 9 ] 0 d";
  painter.SetDash(3, 1);
  EXPECT_EQ(painter.DashText, "[ 9 9 ] 0 d");
}

TEST_F(PainterFixture, ContentTextRules) {
  painter.SetContent("");
  EXPECT_EQ(painter.GetContent(), "\n");
  painter.SetContent("q");
  EXPECT_EQ(painter.GetContent(), "q \n");
  painter.SetContent("q\n");
  painter.SaveGraphicsState();
  EXPECT_EQ(painter.GetContent(), "q\n q\n");
}

TEST_F(PainterFixture, EscapedStrings) {
  painter.SetContent("");
  painter.EscapeString(std::string("a(b)c\\\r\n\t\b\f\x01", 12), "Tj");
  EXPECT_EQ(painter.GetContent(), std::string("(a\\(b\\)c\\\\\\r\\n\\t\\b\\f\x01)Tj\n"));
}

TEST_F(PainterFixture, SetFontRules) {
  TPDFFont font(&store, "F");
  ASSERT_TRUE(font.WriteStandardFont("Helvetica", 5));
  painter.SetFont(&font, 0);
  EXPECT_EQ(painter.FontSize, 1.0);
  EXPECT_EQ(painter.FontText, "/F 1 Tf");
  painter.SetFont(&font, 12);
  EXPECT_EQ(painter.FontText, "/F 12 Tf");
  EXPECT_DOUBLE_EQ(painter.TextLineSize, 0.75);
  painter.SetFont(nullptr, 30);
  EXPECT_EQ(painter.Font, &font);
  EXPECT_EQ(painter.FontSize, 12);
}

TEST_F(PainterFixture, ConsecutiveTextsShareOneTextObject) {
  TPDFFont font(&store, "F");
  ASSERT_TRUE(font.WriteStandardFont("Helvetica", 5));
  painter.SetFont(&font, 12);
  painter.DrawText("a(b", 10, 20, 0);
  painter.DrawText("c", 10, 40, 0);
  const std::string content = painter.GetContent();
  EXPECT_EQ(content,
            "0 Tr\n/F 12 Tf\n0 0 0 rg\n100 Tz\n0 Ts\n0 Tw 0 Tc\nBT\n1 0 0 1 10 20 Tm\n(a\\(b)Tj\n"
            "1 0 0 1 10 40 Tm\n(c)Tj\nET\n");
}

TEST_F(PainterFixture, PerCharacterAdvances) {
  painter.ClearPending();
  for (int i = 0; i < static_cast<int>(TPDFPending::Count); ++i) painter.SetPending(static_cast<TPDFPending>(i), false);
  const std::vector<double> advances = {5, 6};
  painter.DrawText("ab", 1, 2, 0, advances);
  EXPECT_EQ(painter.GetContent(), "BT\n1 0 0 1 1 2 Tm\n0 0 Td\n(a)Tj\n5 0 Td\n(b)Tj\nET\n");
  EXPECT_EQ(painter.TextEndX, 12);
}

// cm is not allowed inside a text object: the rotation goes into the text matrix, and nothing
// is left to undo afterwards.
TEST_F(PainterFixture, RotatedTextIsPlacedByItsTextMatrix) {
  for (int i = 0; i < static_cast<int>(TPDFPending::Count); ++i) painter.SetPending(static_cast<TPDFPending>(i), false);
  painter.DrawText("x", 10, 20, 900);
  EXPECT_EQ(painter.GetContent(), "BT\n0 1 -1 0 10 20 Tm\n(x)Tj\nET\n");
}

// A text sets the nonstroking colour to the text colour, so a later fill must set its own.
TEST_F(PainterFixture, FillAfterTextRestatesItsColour) {
  painter.SetFillColor(1, 0, 0);
  painter.Rectangle(true, false, 0, 10, 10, 10);
  painter.DrawText("x", 0, 0, 0);
  painter.SetContent("");
  painter.Rectangle(true, false, 0, 10, 10, 10);
  EXPECT_EQ(painter.GetContent(), "1 0 0 rg\n0 0 10 10 re\nf\n");
}

// The clip consumes the path: a paint without a new path writes nothing.
TEST_F(PainterFixture, ClipEndsThePath) {
  painter.ClearPending();
  painter.NewPath(0, 0);
  painter.LineTo(5, 5);
  painter.Clip();
  painter.FillStroke(true, false);
  EXPECT_EQ(painter.GetContent(), "0 0 m\n5 5 l\nW n\n");
  painter.SetContent("");
  painter.NewPath(0, 0);
  painter.ClipEvenOdd();
  EXPECT_EQ(painter.GetContent(), "0 0 m\nW* n\n");
}

TEST_F(PainterFixture, DrawLineAndGraphicsState) {
  painter.Clear();
  painter.DrawLine(1, 2, 3, 4);
  painter.DrawLine(1, 2, 3, 4);
  painter.SetGraphicsState("GS1");
  painter.Scale(0.5);
  painter.RestoreGraphicsState();
  EXPECT_EQ(painter.GetContent(),
            "0 0 0 RG\n1 w\n[] 0 d\n1 2 m 3 4 l S\n1 2 m 3 4 l S\n/GS1 gs\n0.5 0 0 0.5 0 0 cm\nQ\n");
  EXPECT_TRUE(painter.Pending(TPDFPending::Font));
}

std::vector<std::vector<double>> NumbersOfLines(const std::string& content, char op) {
  std::vector<std::vector<double>> out;
  size_t start = 0;
  while (start < content.size()) {
    const size_t end = content.find('\n', start);
    const std::string line = content.substr(start, end - start);
    start = end + 1;
    if (line.empty() || line.back() != op || (line.size() > 1 && line[line.size() - 2] != ' ')) continue;
    std::vector<double> v;
    size_t p = 0;
    while (p < line.size() - 1) {
      size_t q = line.find(' ', p);
      v.push_back(std::stod(line.substr(p, q - p)));
      p = q + 1;
    }
    out.push_back(v);
  }
  return out;
}

TEST_F(PainterFixture, EllipseQuartersPassThroughTheExtremes) {
  painter.ClearPending();
  painter.Ellipse(false, true, 50, 40, 20, 10);
  const auto curves = NumbersOfLines(painter.GetContent(), 'c');
  ASSERT_EQ(curves.size(), 4u);
  const double k = 4.0 / 3.0 * (std::sqrt(2.0) - 1);
  const double ends[4][2] = {{50, 35}, {60, 40}, {50, 45}, {40, 40}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(curves[i][4], ends[i][0], 1e-4);
    EXPECT_NEAR(curves[i][5], ends[i][1], 1e-4);
  }
  EXPECT_NEAR(curves[0][0], 40, 1e-4);
  EXPECT_NEAR(curves[0][1], 40 - k * 5, 1e-4);
  EXPECT_NEAR(curves[0][2], 50 - k * 10, 1e-4);
  EXPECT_NEAR(curves[0][3], 35, 1e-4);
  EXPECT_NE(painter.GetContent().find("40 40 m\n"), std::string::npos);
  EXPECT_EQ(painter.GetContent().substr(painter.GetContent().size() - 2), "S\n");
}

TEST_F(PainterFixture, RoundRectWritesStyleUnconditionally) {
  painter.ClearPending();
  painter.RoundRect(true, false, 0, 100, 200, 100, 10);
  const std::string c = painter.GetContent();
  EXPECT_EQ(c.rfind("0 0 0 RG\n1 1 1 rg\n1 w\n0 10 m\n", 0), 0u) << c;
  EXPECT_NE(c.find("\n0 10 l\nf\n"), std::string::npos);
  painter.SetContent("");
  painter.RoundRectXY(false, true, 0, 100, 20, 10, 50, 50);  // radii limited to 10 and 5
  EXPECT_NE(painter.GetContent().find("0 95 m\n"), std::string::npos) << painter.GetContent();
  EXPECT_NE(painter.GetContent().find("\n10 90 l\n"), std::string::npos);
}

TEST_F(PainterFixture, QuarterArcFromTheTopClockwise) {
  painter.ClearPending();
  painter.Arc(false, false, 0, 0, 10, 0, 90, true, false);
  const std::string c = painter.GetContent();
  const double k = 4.0 / 3.0 * (std::sqrt(2.0) - 1) * 10;
  EXPECT_EQ(c.rfind("0 10 m\n", 0), 0u) << c;
  const auto curves = NumbersOfLines(c, 'c');
  ASSERT_EQ(curves.size(), 1u);
  const std::vector<double> expect = {k, 10, 10, k, 10, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(curves[0][i], expect[i], 1e-4) << i;
}

TEST_F(PainterFixture, PieArcClosesThroughTheCentre) {
  painter.ClearPending();
  painter.Arc(true, true, 5, 5, 10, 0, 270, false, false);
  const std::string c = painter.GetContent();
  EXPECT_EQ(c.rfind("5 5 m\n5 15 l\n", 0), 0u) << c;
  EXPECT_EQ(NumbersOfLines(c, 'c').size(), 3u);
  EXPECT_NE(c.find("h\nf\n"), std::string::npos);
}

// Degenerate and absurd sweeps end and write finite numbers.
TEST_F(PainterFixture, ArcSweepsAreBounded) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double sweeps[][2] = {{10, 10}, {0, inf}, {0, -inf}, {0, nan}, {0, 1e300}, {30, -150}};
  for (const auto& s : sweeps) {
    painter.SetContent("");
    painter.Arc(false, false, 0, 0, 10, s[0], s[1], true, false);
    const std::string c = painter.GetContent();
    EXPECT_EQ(c.find("nan"), std::string::npos);
    EXPECT_LT(c.size(), 1u << 20);
  }
  painter.SetContent("");
  painter.EllipticArc(false, false, 0, 0, 0, 10, 0, 90, true, false);
  EXPECT_EQ(painter.GetContent().find("nan"), std::string::npos);
}

TEST_F(PainterFixture, EllipticArcScalesY) {
  painter.ClearPending();
  painter.EllipticArc(false, false, 0, 0, 20, 10, 0, 90, true, false);
  const std::string c = painter.GetContent();
  EXPECT_EQ(c.rfind("0 5 m\n", 0), 0u) << c;
  const auto curves = NumbersOfLines(c, 'c');
  ASSERT_EQ(curves.size(), 1u);
  EXPECT_NEAR(curves[0][4], 10, 1e-4);
  EXPECT_NEAR(curves[0][5], 0, 1e-4);
}

TEST_F(PainterFixture, UnderlineOfRotatedTextStartsAtItsOrigin) {
  for (int i = 0; i < static_cast<int>(TPDFPending::Count); ++i) painter.SetPending(static_cast<TPDFPending>(i), false);
  painter.TextDecoration = 1;
  const std::vector<double> advances = {8};
  painter.DrawText("x", 100, 200, 900, advances);
  const std::string c = painter.GetContent();
  EXPECT_NE(c.find("q\n0 1 -1 0 100 200 cm\n0 0 0 RG\n10 M 1.5 w 0 J 0 j\n[] 0 d\n0 0 m 8 0 l S\nQ\n"),
            std::string::npos)
      << c;
  EXPECT_EQ(c.find("cm\n(x)"), std::string::npos) << c;
  painter.SetContent("");
  painter.DrawText("x", 100, 200, 0, advances);
  EXPECT_NE(painter.GetContent().find("100 200 m 108 200 l S\n"), std::string::npos) << painter.GetContent();
  EXPECT_EQ(painter.LineWidth, 1.0);
}

// The box behind rotated text is drawn in a q level of its own with the text's rotation; the
// paint state it wrote there is gone after its Q, so the next stroke writes its own again.
TEST_F(PainterFixture, BoxBehindRotatedTextLeavesNoStateBehind) {
  TPDFFont font(&store, "F");
  ASSERT_TRUE(font.WriteStandardFont("Helvetica", 5));
  painter.SetFont(&font, 10);
  painter.BackgroundMode = 1;
  painter.SetBackgroundColor(1, 1, 0);
  painter.DrawText("x", 50, 60, 900);
  const std::string c = painter.GetContent();
  const size_t q = c.find("q\n0 1 -1 0 50 60 cm\n"), box = c.find(" re\nf\nQ\n"), bt = c.find("BT\n");
  ASSERT_NE(q, std::string::npos) << c;
  EXPECT_LT(q, box);
  EXPECT_LT(box, bt);
  EXPECT_NE(c.find("0 1 -1 0 50 60 Tm"), std::string::npos) << c;
  painter.SetContent("");
  painter.DrawLine(0, 0, 1, 1);
  EXPECT_EQ(painter.GetContent().rfind("0 0 0 RG\n", 0), 0u) << painter.GetContent();
}

TEST_F(PainterFixture, SavedStateComesBack) {
  TPDFFont font(&store, "F1");
  ASSERT_TRUE(font.WriteStandardFont("Courier", 1));
  painter.SetFont(&font, 9);
  painter.SetFillColor(0.5, 0.5, 0.5);
  painter.SetHorizontalScaling(80);
  painter.TextDecoration = 3;
  painter.Escapement = 450;
  const std::string saved = painter.SaveState();
  painter.Clear();
  painter.RestoreState(saved);
  EXPECT_EQ(painter.Font, &font);
  EXPECT_EQ(painter.FontSize, 9);
  EXPECT_EQ(painter.FillText, "0.5 0.5 0.5 rg");
  EXPECT_EQ(painter.HorizontalScaling, 80);
  EXPECT_EQ(painter.TextDecoration, 3);
  EXPECT_EQ(painter.Escapement, 450);
  EXPECT_EQ(painter.SaveState(), saved);
}

// A saved text names its font by identity; an identity this painter never saw is not taken.
TEST_F(PainterFixture, RestoredStateNeverInventsAFont) {
  std::string saved = painter.SaveState();
  saved.replace(0, 16, "00000000DEADBEEF");
  painter.RestoreState(saved);
  EXPECT_EQ(painter.Font, nullptr);
  painter.RestoreState("garbage\twithout\tenough\tfields\t");
  EXPECT_EQ(painter.Font, nullptr);
}

TEST_F(PainterFixture, ChangeEventsAndLock) {
  int changes = 0;
  painter.OnChange = [&changes](TPDFPainter&) { ++changes; };
  painter.Rectangle(true, true, 0, 0, 1, 1);
  EXPECT_EQ(changes, 1);
  painter.Locked = true;
  painter.Rectangle(true, true, 0, 0, 1, 1);
  EXPECT_EQ(changes, 1);
  painter.Clear();  // unlocks, then reports
  EXPECT_EQ(changes, 2);
}

TEST_F(PainterFixture, TextWidthAndMetrics) {
  TPDFFont font(&store, "F");
  ASSERT_TRUE(font.WriteStandardFont("Helvetica", 5));
  font.Widths[65 - font.FirstChar] = 667;
  font.Widths[32 - font.FirstChar] = 278;
  painter.SetFont(&font, 10);
  EXPECT_DOUBLE_EQ(painter.GetTextWidth("A A"), (667 + 278 + 667) * 10 / 1000.0);
  painter.WordSpacing = 2;
  painter.CharSpacing = 1;
  EXPECT_DOUBLE_EQ(painter.GetTextWidth("A A"), 16.12 + 3 + 2);
  EXPECT_DOUBLE_EQ(painter.GetFontMetric(2), 9.31);
  EXPECT_DOUBLE_EQ(painter.GetTextHeight(), (931 + 225) / 100.0);
  EXPECT_DOUBLE_EQ(painter.GetAscent(), 7.18);
  EXPECT_EQ(painter.GetFontMetric(5), 0);
}

// Two-byte fonts: widths come from the width blocks, and the 16-bit codes 32 and 160 both take
// the word spacing (a one-byte font's code 160 does not).
TEST_F(PainterFixture, TwoByteTextWidthCountsBothSpaces) {
  TPDFFont font(&store, "F");
  std::string block(513, '\0');
  block[0] = 0;
  auto put = [&](int code, int width) {
    block[size_t(1 + 2 * code)] = char(width >> 8);
    block[size_t(2 + 2 * code)] = char(width & 0xFF);
  };
  put(32, 250);
  put(160, 250);
  put(65, 700);
  font.SetWidthBlocks(block);
  painter.SetFont(&font, 10);
  const std::string text("\0A\0 \0\xA0\x01\x00", 8);  // A, space, no-break space, U+0100
  EXPECT_DOUBLE_EQ(painter.GetTextWidth(text), (700 + 250 + 250 + 1000) * 10 / 1000.0);
  painter.WordSpacing = 3;
  EXPECT_DOUBLE_EQ(painter.GetTextWidth(text), 22 + 2 * 3);

  TPDFFont latin(&store, "G");
  ASSERT_TRUE(latin.WriteStandardFont("Helvetica", 5));
  painter.SetFont(&latin, 10);
  EXPECT_DOUBLE_EQ(painter.GetTextWidth("A \xA0"), (667 + 278 + 278) * 10 / 1000.0 + 3);
}

}  // namespace
