// The HTML5 canvas back end: the page's head and tail, the statements of each operation as
// they reach the stream, colours red first, and a stream that stops taking bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/support/full_stream.h"

namespace {

const std::string kHead =
    "<!DOCTYPE html><html><head><script type=\"text/javascript\">\r\n"
    "function OrvanePDFLibraryDraw() {\r\n"
    "  var canvas = document.getElementById(\"ZRXCanvas\");\r\n"
    "  if (canvas.getContext) {\r\n"
    "    var ctx = canvas.getContext(\"2d\");\r\n";

std::string Text(TMemoryStream& stream) {
  stream.SetPosition(0);
  return stream.ReadToEnd();
}

TEST(DaubrixHTML5, AnEmptyPageIsTheHeadAndTheTailWithTheCanvasSize) {
  TMemoryStream stream;
  TPDFDaubrix canvas;
  canvas.BeginHTML5Canvas(&stream);
  EXPECT_EQ(canvas.BackEnd(), kBackEndHTML5);
  canvas.EndHTML5Canvas(612, 792);
  EXPECT_EQ(Text(stream), kHead +
                              "  }\r\n}\r\n</script>\r\n</head><body onload=\"OrvanePDFLibraryDraw()\">\r\n"
                              "<canvas id=\"ZRXCanvas\" width=\"612\" height=\"792\"></canvas>\r\n</body></html>");
}

TEST(DaubrixHTML5, OperationsWriteTheirStatementsBackToBack) {
  struct Case {
    const char* name;
    void (*draw)(TPDFDaubrix&);
    std::string script;
  };
  const Case cases[] = {
      {"move and line",
       [](TPDFDaubrix& c) {
         c.NewPath();
         c.MoveTo(10, 20.5);
         c.LineTo(0.0004, -3.25);
       },
       "ctx.beginPath();ctx.moveTo(10,20.5);ctx.lineTo(0,-3.25);"},
      {"negative rounding to zero", [](TPDFDaubrix& c) { c.MoveTo(-0.0004, 1.23456); }, "ctx.moveTo(0,1.235);"},
      {"curves and close",
       [](TPDFDaubrix& c) {
         c.MoveTo(0, 0);
         c.CurveTo(1, 2, 3, 4, 5, 6);
         c.QuadCurveTo(3, 3, 6, 0);  // as given, not raised to a cubic
         c.ClosePath();
       },
       "ctx.moveTo(0,0);ctx.bezierCurveTo(1,2,3,4,5,6);ctx.quadraticCurveTo(3,3,6,0);ctx.closePath();"},
      {"stroke in blue",
       [](TPDFDaubrix& c) {
         c.SetStrokeColor(0xFF0000);  // blue in the third byte
         c.Stroke();
       },
       "ctx.strokeStyle = \"#0000FF\";ctx.stroke();"},
      {"fill in a mixed colour",
       [](TPDFDaubrix& c) {
         c.SetFillColor(0x3020A0);
         c.Fill();
       },
       "ctx.fillStyle = \"#A02030\";ctx.fill();"},
      // The stroke is not lost to the fill.
      {"fill and stroke",
       [](TPDFDaubrix& c) {
         c.SetFillColor(0x0000FF);
         c.SetStrokeColor(0x00FF00);
         c.FillAndStroke();
       },
       "ctx.fillStyle = \"#FF0000\";ctx.fill();ctx.strokeStyle = \"#00FF00\";ctx.stroke();"},
      {"script line as it stands", [](TPDFDaubrix& c) { c.AddScriptLine("ctx.save();"); }, "ctx.save();"},
      {"even-odd fill", [](TPDFDaubrix& c) { c.SetFillRule(kFillRuleEvenOdd), c.Fill(); },
       "ctx.fillStyle = \"#000000\";ctx.fill(\"evenodd\");"},
      // The line style is written where it leaves the element's default, and only once.
      {"line style once",
       [](TPDFDaubrix& c) {
         c.SetLineWidth(2.5);
         c.SetLineCap(1);
         c.SetLineJoin(2);
         c.Stroke();
         c.Stroke();
       },
       "ctx.lineWidth = 2.5;ctx.lineCap = \"round\";ctx.lineJoin = \"bevel\";ctx.strokeStyle = \"#000000\";"
       "ctx.stroke();ctx.strokeStyle = \"#000000\";ctx.stroke();"},
      // A restore brings the saved style back: the next stroke writes its width again.
      {"style across save and restore",
       [](TPDFDaubrix& c) {
         c.SaveClip();
         c.SetLineWidth(3);
         c.Stroke();
         c.RestoreClip(nullptr);
         c.RestoreClip(nullptr);  // without a save: nothing
         c.Stroke();
       },
       "ctx.save();ctx.lineWidth = 3;ctx.strokeStyle = \"#000000\";ctx.stroke();ctx.restore();ctx.lineWidth = 3;"
       "ctx.strokeStyle = \"#000000\";ctx.stroke();"},
      {"clip at the end of the path",
       [](TPDFDaubrix& c) {
         c.SetClip(kFillRuleEvenOdd);
         c.EndPath();
         c.EndPath();
       },
       "ctx.clip(\"evenodd\");"},
      {"clip after a fill", [](TPDFDaubrix& c) { c.SetClip(kFillRuleWinding), c.Fill(); },
       "ctx.fillStyle = \"#000000\";ctx.fill();ctx.clip();"},
      // The element keeps its last path after a paint: filling "the clip's bounds" with it
      // would paint that shape again, which the page does not have.
      {"clip bounds filled after a fill",
       [](TPDFDaubrix& c) {
         c.NewPath();
         c.MoveTo(0, 0);
         c.LineTo(5, 5);
         c.LineTo(0, 5);
         c.Fill();
         c.FillClipBounds();
       },
       "ctx.beginPath();ctx.moveTo(0,0);ctx.lineTo(5,5);ctx.lineTo(0,5);ctx.fillStyle = \"#000000\";ctx.fill();"},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    TPDFDaubrix canvas;
    canvas.BeginHTML5Canvas(&stream);
    c.draw(canvas);
    EXPECT_EQ(Text(stream), kHead + c.script) << c.name;
  }
}

TEST(DaubrixHTML5, APictureCarriesItsPixelsRedFirstWithCoverageAsAlpha) {
  TBitmap colours, coverage;
  for (TBitmap* b : {&colours, &coverage}) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(2, 1);
  }
  uint8_t* row = colours.ScanLine(0);
  const uint8_t pixels[6] = {3, 2, 1, 6, 5, 4};  // blue, green, red
  std::copy(pixels, pixels + 6, row);
  uint8_t* cover = coverage.ScanLine(0);
  std::fill(cover, cover + 3, 255);
  std::fill(cover + 3, cover + 6, 128);
  TMemoryStream stream;
  TPDFDaubrix canvas;
  canvas.BeginHTML5Canvas(&stream);
  canvas.DrawHTML5Picture(colours, &coverage, 10, 20, 50, 20, 10, 60);
  const std::string script = Text(stream).substr(kHead.size());
  EXPECT_EQ(script.rfind("ctx.save();ctx.setTransform(40,0,0,40,10,20);ctx.imageSmoothingEnabled = false;", 0), 0u)
      << script;
  EXPECT_NE(script.find("createImageData(2,1)"), std::string::npos);
  EXPECT_NE(script.find("atob(\"AQID/wQFBoA=\")"), std::string::npos) << script;
  EXPECT_EQ(script.substr(script.size() - 44), "ctx.drawImage(c,0,0,1,1);})();ctx.restore();");
}

// A pattern's picture cut to the path: the clip by the fill rule inside a save of its own, so
// that the path (not part of the saved state) stays for a stroke; without the path, the clip in
// force alone cuts it.
TEST(DaubrixHTML5, APictureCutToThePathClipsInsideASaveByTheFillRule) {
  struct Case {
    bool toPath;
    uint8_t rule;
    std::string before, after;
  };
  const Case cases[] = {
      {true, kFillRuleWinding, "ctx.save();ctx.clip();", "ctx.restore();"},
      {true, kFillRuleEvenOdd, "ctx.save();ctx.clip(\"evenodd\");", "ctx.restore();"},
      {false, kFillRuleEvenOdd, "", ""},
  };
  TBitmap colours;
  colours.SetPixelFormat(pf24bit);
  colours.SetSize(3, 2);
  for (const Case& c : cases) {
    TMemoryStream stream;
    TPDFDaubrix canvas;
    canvas.BeginHTML5Canvas(&stream);
    canvas.SetFillRule(c.rule);
    canvas.FillHTML5Picture(colours, nullptr, 4, 5, 7, 7, c.toPath);
    const std::string script = Text(stream).substr(kHead.size());
    const std::string picture = "ctx.save();ctx.setTransform(3,0,0,2,4,5);";
    EXPECT_EQ(script.substr(0, c.before.size() + picture.size()), c.before + picture) << script;
    EXPECT_EQ(script.substr(script.size() - c.after.size() - 14), "ctx.restore();" + c.after) << script;
  }
}

TEST(DaubrixHTML5, WithoutAStreamNothingIsWritten) {
  TPDFDaubrix canvas;
  canvas.NewPath();
  canvas.MoveTo(1, 2);
  canvas.Fill();
  canvas.AddScriptLine("x");
  canvas.EndHTML5Canvas(1, 1);
  EXPECT_FALSE(canvas.HTML5WriteFailed());
  EXPECT_EQ(canvas.BackEnd(), kBackEndNone);
}

TEST(DaubrixHTML5, AStreamThatStopsTakingBytesIsReportedAndNotWrittenFurther) {
  testsupport::FullStream stream(int64_t(kHead.size()) + 3);
  TPDFDaubrix canvas;
  canvas.BeginHTML5Canvas(&stream);
  EXPECT_FALSE(canvas.HTML5WriteFailed());
  canvas.MoveTo(1, 2);
  EXPECT_TRUE(canvas.HTML5WriteFailed());
  canvas.EndHTML5Canvas(10, 10);
  EXPECT_TRUE(canvas.HTML5WriteFailed());
}

}  // namespace
