// The interpreter against a canvas that records what it is sent: path construction, painting,
// the state handed over before each paint, the operand stack, q and Q, marked content, and
// the error text of a run that raises.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/interpreter/content_run.h"
#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/recording_canvas.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::RecordingCanvas;
using rendertest::TestPdf;

// One page whose content is given directly, interpreted with the identity matrix.
class Interpreter {
 public:
  explicit Interpreter(TestPdf& pdf, int page) : pdf_(pdf), page_(page), renderer(&fonts) {}
  std::string Run(const std::string& content) {
    canvas.Calls.clear();
    renderer.RunContentStream(&canvas, pdf_.Dict(page_), nullptr, content);
    return canvas.Text();
  }

  TestPdf& pdf_;
  int page_;
  TPDFFontCollection fonts;
  TPDFRenderer renderer;
  RecordingCanvas canvas;
};

struct PathCase {
  const char* content;
  const char* calls;
};

TEST(Interpreter, BuildsAndPaintsPaths) {
  const PathCase cases[] = {
      {"1 0 0 1 50 50 cm 0 0 m 10 0 l S", "newpath\nm 50 50\nl 60 50\nS color=000000 width=1 dash=\n"},
      // A line back to its start: 0.01 line widths down and left, so a dot shows.
      {"10 10 m 10 10 l S", "newpath\nm 10 10\nl 9.99 9.99\nS color=000000 width=1 dash=\n"},
      {"4 w 10 10 m 10 10 l S", "newpath\nm 10 10\nl 9.96 9.96\nS color=000000 width=4 dash=\n"},
      {"1 2 3 foo 4 5 m l S", "newpath\nm 4 5\nl 3 0\nS color=000000 width=1 dash=\n"},
      {"10 20 30 40 re f", "newpath\nm 10 20\nl 40 20\nl 40 60\nl 10 60\nh\nf color=000000 rule=1\n"},
      {"0 0 m 1 2 3 4 5 6 c 7 8 9 10 v 11 12 13 14 y f*",
       "newpath\nm 0 0\nc 1 2 3 4 5 6\nc 5 6 7 8 9 10\nc 11 12 13 14 13 14\nf color=000000 rule=2\n"},
      {"0 0 m 5 0 l s", "newpath\nm 0 0\nl 5 0\nh\nS color=000000 width=1 dash=\n"},
      {"1 0 0 rg 0 0 1 RG 0 0 m 5 5 l b*", "newpath\nm 0 0\nl 5 5\nh\nB fill=FF0000 stroke=0000FF rule=2\n"},
      {"0 0 m 5 5 l B", "newpath\nm 0 0\nl 5 5\nB fill=000000 stroke=000000 rule=1\n"},
      // Two rectangles in one path: one NewPath.
      {"0 0 1 1 re 2 2 1 1 re f", "newpath\nm 0 0\nl 1 0\nl 1 1\nl 0 1\nh\nm 2 2\nl 3 2\nl 3 3\nl 2 3\nh\n"
                                  "f color=000000 rule=1\n"},
      // n ends the path: the next m starts a new one.
      {"0 0 m n 1 1 m 2 2 l S", "newpath\nm 0 0\nnewpath\nm 1 1\nl 2 2\nS color=000000 width=1 dash=\n"},
      // Painting when nothing is on the stack: every missing operand is 0.
      {"m l S", "newpath\nm 0 0\nl -0.01 -0.01\nS color=000000 width=1 dash=\n"},
  };
  for (const PathCase& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage("");
    Interpreter run(pdf, page);
    EXPECT_EQ(run.Run(c.content), c.calls) << c.content;
    EXPECT_EQ(run.renderer.ErrorText, "") << c.content;
  }
}

TEST(Interpreter, LineWidthAndDashesReachTheCanvasInOutputUnits) {
  struct Case {
    const char* content;
    const char* stroke;
  } cases[] = {
      {"2 0 0 2 0 0 cm 3 w", "width=6 dash="},
      // Multiples of the width whatever the cap: the back ends draw the caps on each dash.
      {"[3] 0 d", "width=1 dash=3,3"},
      {"[2 1] 0 d", "width=1 dash=2,1"},
      {"2 w [3 2] 0 d", "width=2 dash=1.5,1"},
      {"1 J 2 w [3 2] 0 d", "width=2 dash=1.5,1"},
      {"2 J [3] 0 d", "width=1 dash=3,3"},
      {"2 J [2 1] 0 d", "width=1 dash=2,1"},
      {"2 J 2 w [3 2] 0 d", "width=2 dash=1.5,1"},
      {"2 J 0.5 w [3 2] 0 d", "width=0.5 dash=6,4"},
      // Three entries are repeated once to make six.
      {"2 J [1 2 3] 0 d", "width=1 dash=1,2,3,1,2,3"},
      {"[] 0 d", "width=1 dash="},
  };
  for (const auto& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage("");
    Interpreter run(pdf, page);
    const std::string calls = run.Run(std::string(c.content) + " 0 0 m 1 0 l S");
    EXPECT_NE(calls.find(c.stroke), std::string::npos) << c.content << "\n" << calls;
  }
  // Width 0 is one output pixel: 72 / resolution user units.
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  run.renderer.Resolution = 144;
  EXPECT_NE(run.Run("0 w 0 0 m 1 0 l S").find("width=0.5 "), std::string::npos);
}

TEST(Interpreter, SaveAndRestoreKeepTheStateAndSurviveExtraRestores) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  EXPECT_EQ(run.Run("q 1 0 0 RG 5 w 2 0 0 2 0 0 cm Q Q 0 0 m 1 0 l S"),
            "newpath\nm 0 0\nl 1 0\nS color=000000 width=1 dash=\n");
  EXPECT_EQ(run.Run("q q Q 0 1 0 RG Q 0 0 m 1 0 l S"), "newpath\nm 0 0\nl 1 0\nS color=000000 width=1 dash=\n");
  // A thousand saves deep and back.
  std::string deep;
  for (int i = 0; i < 3000; ++i) deep += "q 1 0 0 1 1 0 cm ";
  for (int i = 0; i < 3000; ++i) deep += "Q ";
  EXPECT_EQ(run.Run(deep + "0 0 m 1 0 l S"), "newpath\nm 0 0\nl 1 0\nS color=000000 width=1 dash=\n");
  EXPECT_EQ(run.renderer.ErrorText, "");
}

TEST(Interpreter, SavesLeftOpenByARunAreUnwoundOnTheBackEnd) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  // cairo keeps a save stack of its own; a run must leave it as it found it.
  run.renderer.Mode = kRenderCairoBitmap;
  run.Run("q q q 0 0 m 1 1 l S");
  EXPECT_EQ(run.canvas.SaveDepth(), 0);
  run.Run("q Q Q Q");
  EXPECT_EQ(run.canvas.SaveDepth(), 0);
}

TEST(Interpreter, HiddenOptionalContentDiscardsPathsUntilItsEnd) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /Properties << /Off 5 0 R /On 6 0 R /Md 7 0 R >> >>");
  pdf.Add("<< /Type /OCG /Name (off) >>");
  pdf.Add("<< /Type /OCG /Name (on) >>");
  pdf.Add("<< /Type /OCMD /OCGs [5 0 R 6 0 R] /P /AllOn >>");
  Interpreter run(pdf, page);
  run.renderer.OptionalContentStates = {{PDFCast<TPDFIndRef>(pdf.Store().NewIndRef(5, 0)), false},
                                        {PDFCast<TPDFIndRef>(pdf.Store().NewIndRef(6, 0)), true}};
  const std::string fill = "0 0 1 1 re f ";
  EXPECT_EQ(run.Run("/OC /Off BDC " + fill + "EMC").find("f color"), std::string::npos);
  EXPECT_NE(run.Run("/OC /On BDC " + fill + "EMC").find("f color"), std::string::npos);
  EXPECT_EQ(run.Run("/OC /Md BDC " + fill + "EMC").find("f color"), std::string::npos);
  // Nested sections restore the outer visibility; an unmatched EMC makes content visible.
  const std::string nested = run.Run("/OC /Off BDC /Span BMC EMC " + fill + "EMC " + fill);
  EXPECT_EQ(nested.find("f color"), nested.rfind("f color"));
  EXPECT_NE(run.Run("/OC /Off BDC EMC EMC " + fill).find("f color"), std::string::npos);
}

// An inline image inside hidden optional content is not drawn, as nothing else there is (an
// AnyOff membership over no groups hides).
TEST(Interpreter, HiddenOptionalContentHidesInlineImagesToo) {
  TestPdf pdf;
  const int page = pdf.AddPage(
      "/OC /Md BDC q 100 0 0 100 0 0 cm BI /W 1 /H 1 /CS /RGB /BPC 8 ID \xFF\x01\x01 EI Q EMC "
      "q 10 0 0 10 0 0 cm BI /W 1 /H 1 /CS /RGB /BPC 8 ID \x01\x01\xFF EI Q",
      "<< /Properties << /Md 5 0 R >> >>");
  pdf.Add("<< /Type /OCMD /P /AnyOff >>");
  std::string error;
  const testraster::Raster r = rendertest::RenderOurs(pdf, page, &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(rendertest::PixelAt(r, 50, 50), 0xFFFFFFu);
  EXPECT_EQ(rendertest::PixelAt(r, 5, 95), 0x0101FFu);
}

// An inline image whose colour space is a resource of a special family is drawn through that
// space, as poppler draws it: a Separation's tint transform, Lab and ICCBased.
TEST(Interpreter, InlineImagesTakeTheirSpacesFromTheResources) {
  struct Case {
    const char* what;
    const char* space;  // object 5
    const char* samples;
    uint32_t colour;
  } cases[] = {
      {"separation", "[/Separation /Spot /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0 1] /N 1 >>]",
       "\xFF", 0x0000FFu},
      {"lab", "[/Lab << /WhitePoint [0.9505 1 1.089] /Range [-100 100 -100 100] >>]", "\x01\x80\x80", 0x000000u},
      {"icc grey", "[/ICCBased 6 0 R]", "\x40", 0x404040u},
  };
  for (const auto& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage(std::string("q 100 0 0 100 0 0 cm BI /W 1 /H 1 /CS /Cs1 /BPC 8 ID ") + c.samples +
                                     " EI Q",
                                 "<< /ColorSpace << /Cs1 5 0 R >> >>");
    pdf.Add(c.space);
    pdf.AddStream("<< /N 1 /Alternate /DeviceGray >>", "");
    std::string error;
    const testraster::Raster r = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "") << c.what;
    const uint32_t got = rendertest::PixelAt(r, 50, 50);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int((got >> shift) & 0xFF), int((c.colour >> shift) & 0xFF), 3) << c.what << std::hex << " " << got;
  }
}

TEST(Interpreter, MembershipPolicies) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  pdf.Add("<< /Type /OCG >>");  // 5: off
  pdf.Add("<< /Type /OCG >>");  // 6: on
  struct Case {
    const char* membership;
    bool visible;
  } cases[] = {
      {"<< /Type /OCMD /OCGs [5 0 R 6 0 R] >>", true},
      {"<< /Type /OCMD /OCGs [5 0 R 6 0 R] /P /AllOn >>", false},
      {"<< /Type /OCMD /OCGs [5 0 R 6 0 R] /P /AnyOff >>", true},
      {"<< /Type /OCMD /OCGs [5 0 R 6 0 R] /P /AllOff >>", false},
      {"<< /Type /OCMD /OCGs 5 0 R /P /AllOff >>", true},
      {"<< /Type /OCMD /OCGs 6 0 R /P /AnyOn >>", true},
      {"<< /Type /OCMD /P /AllOff >>", true},
      {"<< /Type /OCMD /P /AllOn >>", true},
      {"<< /Type /OCMD /P /AnyOn >>", false},
      {"<< /Type /OCMD /OCGs [6 0 R] /P /Sometimes >>", false},
  };
  Interpreter run(pdf, page);
  pdf.Dict(page);  // loads the objects, so that references resolve
  run.renderer.OptionalContentStates = {{PDFCast<TPDFIndRef>(pdf.Store().NewIndRef(5, 0)), false}};
  for (const Case& c : cases) {
    auto* dict = PDFCast<TPDFDictionary>(pdf.Store().ParseObject(c.membership));
    EXPECT_EQ(run.renderer.IsOptionalContentVisible(dict), c.visible) << c.membership;
  }
}

TEST(Interpreter, ExtGStateSetsLineStyleAndAlphas) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /ExtGState << /A 5 0 R /B 6 0 R /C 7 0 R /D 8 0 R >> >>");
  pdf.Add("<< /Type /ExtGState /LW 3 /ca 50 /CA 0.25 /BM /Multiply >>");
  pdf.Add("<< /Type /Pattern /LW 9 >>");
  pdf.Add("<< /LW 2 /ca 0.5 >>");
  pdf.Add("<< /CA 50 >>");
  Interpreter run(pdf, page);
  EXPECT_NE(run.Run("/A gs 0 0 m 1 0 l S").find("width=3 "), std::string::npos);
  // "ca" 50 is 50 percent.
  EXPECT_EQ(run.canvas.StrokeARGB() >> 24, 64u);
  run.Run("/A gs 0 0 1 1 re f");
  EXPECT_EQ(run.canvas.FillARGB() >> 24, 128u);
  // "CA" 50 stays 50 and reaches the canvas so; its colours take it as opaque (255, where
  // round(50 x 255) would leave 206 in the alpha byte).
  run.Run("/D gs 0 0 m 1 0 l S 0 0 1 1 re f");
  EXPECT_EQ(run.canvas.StrokeAlpha(), 50);
  EXPECT_EQ(run.canvas.StrokeARGB() >> 24, 255u);
  // An ExtGState whose Type is something else is ignored.
  EXPECT_NE(run.Run("/B gs 0 0 m 1 0 l S").find("width=1 "), std::string::npos);
  EXPECT_NE(run.Run("/C gs 0 0 m 1 0 l S").find("width=2 "), std::string::npos);
  EXPECT_EQ(run.Run("/Missing gs 0 0 m 1 0 l S"), "newpath\nm 0 0\nl 1 0\nS color=000000 width=1 dash=\n");
}

// Every entry an ExtGState hands over, each only as a number (references resolved); a blend
// mode by name, other names leaving it as it was.
TEST(Interpreter, ExtGStateEntries) {
  TestPdf pdf;
  const int page = pdf.AddPage(
      "", "<< /ExtGState << /S 5 0 R /N 6 0 R /Odd 7 0 R /F 8 0 R >> /Font << >> >>");
  pdf.Add("<< /LC 2 /LJ 1 /ML 3.5 /BM /Multiply /LW 9 0 R >>");
  pdf.Add("<< /BM /Screen /LC /Round /ML (x) >>");
  pdf.Add("<< /BM /NoSuchMode /LJ 2 >>");
  pdf.Add("<< /Font [ 8 0 R 14 ] >>");
  pdf.Add("4");  // object 9: the line width, by reference
  Interpreter run(pdf, page);
  run.Run("/S gs 0 0 1 rg 0 0 m 1 0 l S");
  EXPECT_EQ(run.canvas.LineCap(), 2);
  EXPECT_EQ(run.canvas.LineJoin(), 1);
  EXPECT_EQ(run.canvas.MiterLimit(), 3.5);
  EXPECT_EQ(run.canvas.LineWidth(), 4);
  EXPECT_EQ(run.canvas.BlendMode(), 1);  // handed over by the next fill colour
  // A cap that is a name, a limit that is a string: not taken.
  run.Run("/S gs /N gs 0 0 1 rg 0 0 m 1 0 l S");
  EXPECT_EQ(run.canvas.LineCap(), 2);
  EXPECT_EQ(run.canvas.MiterLimit(), 3.5);
  EXPECT_EQ(run.canvas.BlendMode(), 2);
  run.Run("/S gs /Odd gs 0 0 1 rg 0 0 m 1 0 l S");
  EXPECT_EQ(run.canvas.BlendMode(), 1);
  EXPECT_EQ(run.canvas.LineJoin(), 2);
  // A font entry (a reference and a size) is taken without upsetting the text operators.
  EXPECT_NE(run.Run("/F gs BT (a) Tj ET 0 0 m 1 0 l S").find("S color="), std::string::npos);
}

TEST(Interpreter, AnExceptionEndsTheRunWithItsTokenPosition) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /ColorSpace << /CS0 [/Separation /S /DeviceGray 5 0 R] >> >>");
  pdf.AddStream("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", "{ 0 div }");
  Interpreter run(pdf, page);
  const std::string content = "0 0 1 1 re f /CS0 cs 1 sc 2 2 1 1 re f";
  const std::string calls = run.Run(content);
  EXPECT_EQ(calls, "newpath\nm 0 0\nl 1 0\nl 1 1\nl 0 1\nh\nf color=000000 rule=1\n");
  EXPECT_EQ(run.renderer.ErrorText, "Rendering exception: Division by zero\r\nToken position " +
                                        std::to_string(content.find(" sc") + 4));
  // The next run starts clean.
  run.Run("0 0 m 1 1 l S");
  EXPECT_EQ(run.renderer.ErrorText, "");
}

TEST(Interpreter, InlineImagesAreSteppedOver) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  // Image data that reads like operators must never be run.
  const std::string calls =
      run.Run("BI /W 2 /H 1 /CS /G /BPC 8 ID \x01 S f EIx EI 0 0 m 1 1 l S BI ID EI");
  EXPECT_EQ(calls, "newpath\nm 0 0\nl 1 1\nS color=000000 width=1 dash=\n");
  EXPECT_EQ(run.Run("BI /W 1 ID 0 0 1 1 re f"), "");
  // An image that could not be read leaves the page incomplete.
  EXPECT_EQ(run.renderer.ErrorText, kImageDrawError);
}

TEST(Interpreter, TextStateOperatorsKeepTheStackInStep) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  // Text operators take exactly their operands: the path after them is intact.
  EXPECT_EQ(run.Run("BT /F1 12 Tf 1 0 0 1 5 5 Tm 2 3 Td 4 5 TD T* 1 Tc 2 Tw 50 Tz 14 TL 2 Ts 3 Tr ET "
                    "7 8 m 9 10 l S"),
            "newpath\nm 7 8\nl 9 10\nS color=000000 width=1 dash=\n");
  EXPECT_EQ(run.Run("[(a) 12 (b)] TJ [1 2] 0 d 0 0 m 1 0 l S"),
            "newpath\nm 0 0\nl 1 0\nS color=000000 width=1 dash=1,2\n");
}

// Saves are kept a thousand deep; deeper ones are counted, their restores matched against the
// count. 200,000 saves (400 KB of content) hold no more memory than a thousand: a record each
// would hold some 100 MB until the run ends.
TEST(Interpreter, DeepSavesHoldAThousandStates) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  std::string content;
  for (int i = 0; i < 200000; ++i) content += "q ";
  content += "1 0 0 rg 0 0 1 1 re f ";
  for (int i = 0; i < 200000; ++i) content += "Q ";
  content += "2 2 1 1 re f";
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const std::string calls = run.Run(content);
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_NE(calls.find("f color=FF0000"), std::string::npos);
  // Every save matched: the state after the last restore is the first.
  EXPECT_NE(calls.find("l 2 3\nh\nf color=000000"), std::string::npos) << calls.substr(calls.size() - 200);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);
}

// A million operands: the stack keeps only its top, so growing it stays cheap. A dash array
// takes as many operands as the stack still holds, which shows how deep it grew.
TEST(Interpreter, HugeOperandFloodsStayBounded) {
  TestPdf pdf;
  const int page = pdf.AddPage("");
  Interpreter run(pdf, page);
  std::string flood;
  flood.reserve(3 << 20);
  for (int i = 0; i < 1000000; ++i) flood += "1 ";
  EXPECT_EQ(run.Run(flood + "5 6 m 7 8 l S"), "newpath\nm 5 6\nl 7 8\nS color=000000 width=1 dash=\n");
  const std::string calls = run.Run("[ " + flood + "] 0 d 0 0 m 10 0 l S");
  const size_t dash = calls.find("dash=");
  ASSERT_NE(dash, std::string::npos) << calls.substr(0, 200);
  const size_t entries = size_t(std::count(calls.begin() + std::ptrdiff_t(dash), calls.end(), ',')) + 1;
  EXPECT_LE(entries, TPDFContentRun::kOperandLimit);
  EXPECT_GE(entries, TPDFContentRun::kOperandLimit / 2);
}

}  // namespace
