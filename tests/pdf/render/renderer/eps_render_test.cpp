// EPS and HTML5 renders of whole pages: what the interpreter writes for each operator in EPS
// output, the file's box and size, and the library's answer when the caller's stream cannot
// take the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pdf/core/api/talvo_pdf.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/full_stream.h"

namespace {

using rendertest::TestPdf;

// The lines between the prolog and the trailer.
std::vector<std::string> EPSBody(TestPdf& pdf, int page) {
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderEPS;
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  EXPECT_EQ(renderer.ErrorText, "");
  const std::vector<std::string>& lines = renderer.EPS().Lines();
  const auto start = std::find(lines.begin(), lines.end(), "%%OrvanePDFLibrary-End");
  if (start == lines.end() || lines.back() != "%%EOF") return {};
  return {start + 1, lines.end() - 1};
}

TEST(EPSRender, OperatorsReachTheWriterInTheContentsOwnSpace) {
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"matrix and stroke",
       "1 0 0 1 50 50 cm 0 0 m 10 0 l S",
       {"[ 1 0 0 1 50 50 ] cm", "n", "0 0 m", "10 0 l", "0 setgray", "s"}},
      // The fill runs inside a save so that the stroke still has the path; "h" is written.
      {"closed fill and stroke in a save",
       "q 1 0 0 rg 0 0 10 10 re b Q",
       {"q", "n", "0 0 m", "10 0 l", "10 10 l", "0 10 l", "h", "h", "1.000 0.000 0.000 setrgbcolor", "q", "f", "Q",
        "0 setgray", "s", "Q"}},
      {"closing stroke sets its colour first", "0 0 m 5 5 l s", {"n", "0 0 m", "5 5 l", "0 setgray", "h", "s"}},
      // A line back to its start is written as the content gives it.
      {"a line of no length", "1 J 10 10 m 10 10 l S", {"1 J", "n", "10 10 m", "10 10 l", "0 setgray", "s"}},
      {"line style, curves and an even-odd clip",
       "2 w 1 J 2 j 5 M 0 0 m 1 1 2 2 v 3 3 4 4 y 0 0 10 10 re W* n 1 1 m 2 2 l f*",
       {"2 w", "1 J", "2 j", "5 M", "n", "0 0 m", "cp 1 1 2 2 c", "3 3 4 4 4 4 c", "0 0 m", "10 0 l", "10 10 l",
        "0 10 l", "h", "W*", "n", "1 1 m", "2 2 l", "0 setgray", "f*"}},
      {"one colour line for two fills",
       "0 0 1 rg 0 0 1 1 re f 0 0 1 rg 2 2 1 1 re f",
       {"n", "0 0 m", "1 0 l", "1 1 l", "0 1 l", "h", "0.000 0.000 1.000 setrgbcolor", "f", "n", "2 2 m", "3 2 l",
        "3 3 l", "2 3 l", "h", "f"}},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage(c.content);
    EXPECT_EQ(EPSBody(pdf, page), c.lines) << c.name;
  }
}

TEST(EPSRender, AFormIsDrawnInItsOwnSpaceClippedToItsBox) {
  TestPdf pdf;
  const int page = pdf.AddPage("/Fm Do", "<< /XObject << /Fm 5 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form /BBox [0 0 10 10] /Matrix [2 0 0 2 5 5] >>", "0 0 m 1 1 l S");
  EXPECT_EQ(EPSBody(pdf, page),
            (std::vector<std::string>{"q", "[ 2 0 0 2 5 5 ] cm", "n", "0 0 m", "0 10 l", "10 10 l", "10 0 l", "h", "W",
                                      "n", "0 0 m", "1 1 l", "0 setgray", "s", "Q"}));
}

TEST(EPSRender, SavesLeftOpenAreClosedAndTheBoxIsTheClippedPageBox) {
  TestPdf pdf;
  const int page = pdf.AddPage("q q", "<< >>", "[10 20 300.4 400.6]", "/Rotate 90 /CropBox [0 0 500 401.5]");
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderEPS;
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  const std::vector<std::string>& lines = renderer.EPS().Lines();
  EXPECT_EQ(lines[1], "%%BoundingBox: 10 20 300 401");
  EXPECT_EQ(renderer.RasterWidth, 301);
  EXPECT_EQ(renderer.RasterHeight, 402);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "q"), std::count(lines.begin(), lines.end(), "Q"));
}

TEST(EPSRender, AnImageIsWrittenOnceUnderItsReference) {
  TestPdf pdf;
  const int page = pdf.AddPage("q 10 0 0 10 0 0 cm /Im Do Q q 10 0 0 10 20 20 cm /Im Do Q",
                               "<< /XObject << /Im 5 0 R >> >>");
  pdf.AddStream("<< /Subtype /Image /Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8 >>",
                std::string("\x00\xFF", 2));
  const std::vector<std::string> body = EPSBody(pdf, page);
  EXPECT_EQ(std::count(body.begin(), body.end(), "/datastreamfor5.0.R exch def"), 1);
  EXPECT_EQ(std::count(body.begin(), body.end(), "ImageDataDictionaryfor5.0.R image"), 2);
}

// Text render modes in EPS output, the glyphs' path segments left out: a clipping mode paints
// inside a save so that the path survives to become the clip.
TEST(EPSRender, TextRenderModesPaintAndClip) {
  struct Case {
    int mode;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {0, {"0 setgray", "f"}},
      {1, {"0 setgray", "s"}},
      {2, {"0 setgray", "q", "f", "Q", "s"}},
      {3, {}},
      {4, {"q", "0 setgray", "f", "Q", "W"}},
      {5, {"q", "0 setgray", "s", "Q", "W"}},
      {6, {"q", "0 setgray", "q", "f", "Q", "s", "Q", "W"}},
      {7, {"W"}},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage("BT /F1 20 Tf 10 10 Td " + std::to_string(c.mode) + " Tr (I) Tj ET",
                                 "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    std::vector<std::string> painted;
    bool segments = false;
    for (const std::string& line : EPSBody(pdf, page)) {
      const bool segment = line.ends_with(" m") || line.ends_with(" l") || line.ends_with(" c") || line == "h";
      segments = segments || segment;
      if (!segment && line != "n") painted.push_back(line);
    }
    EXPECT_TRUE(segments || c.mode == 3) << c.mode << ": the glyph's outline is written";
    EXPECT_EQ(painted, c.lines) << "mode " << c.mode;
  }
}

// The HTML5 page has no pattern brush: a pattern fill or a shading goes as a picture (cut to the
// path, or to the clip in force), never as a fill in a plain colour.
TEST(HTML5Render, PatternsAndShadingsArePicturesCutToThePathOrTheClip) {
  const std::string shading = "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function << "
                              "/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>";
  const std::string resources = "<< /Shading << /Sh " + shading + " >> /Pattern << /P << /PatternType 2 /Shading " +
                                shading + " >> >> >>";
  struct Case {
    const char* name;
    std::string content;
    std::string cut;
  };
  const Case cases[] = {
      {"pattern fill", "/Pattern cs /P scn 10 10 50 50 re f*", "ctx.closePath();ctx.save();ctx.clip(\"evenodd\");"},
      {"shading in a clip", "10 10 50 50 re W n /Sh sh", "ctx.closePath();ctx.clip();ctx.save();ctx.setTransform("},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage(c.content, resources);
    std::string error;
    const std::string html = rendertest::RenderOutput(pdf, page, kRenderHTML5, error);
    EXPECT_EQ(error, "") << c.name;
    EXPECT_NE(html.find(c.cut), std::string::npos) << c.name << "\n" << html.substr(0, 600);
    EXPECT_NE(html.find("ctx.drawImage(c,0,0,1,1);"), std::string::npos) << c.name;
    EXPECT_EQ(html.find("ctx.fill("), std::string::npos) << c.name;
  }
}

TEST(PageOutputs, EPSEMFAndHTML5AreWrittenAndAStreamThatRefusesAnswersZero) {
  TTalvoPDF api;
  api.GDIPlusSettings.LibraryPath = rendertest::ProviderPath();  // format 8 records through GDI+
  ASSERT_EQ(api.SetPageSize(50, 40), 1);
  for (const int format : {4, 8, 9}) {
    TMemoryStream stream;
    EXPECT_EQ(api.RenderPage(72, 1, format, stream), 1) << format << " " << api.RenderMessage();
    stream.SetPosition(0);
    const std::string text = stream.ReadToEnd();
    if (format == 4) {
      EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 EPSF-3.0\r\n", 0), 0u);
      EXPECT_NE(text.find("%%BoundingBox: 0 0 50 40\r\n"), std::string::npos);
      EXPECT_EQ(text.substr(text.size() - 7), "%%EOF\r\n");
    } else if (format == 8) {
      // An EMF whose header counts all its bytes and bounds the 50 x 40 raster.
      ASSERT_GE(text.size(), 108u);
      EXPECT_EQ(text.substr(40, 4), " EMF");
      EXPECT_EQ(uint8_t(text[48]) | uint8_t(text[49]) << 8 | uint8_t(text[50]) << 16, int(text.size()));
      EXPECT_EQ(text.substr(16, 8), std::string("\x31\0\0\0\x27\0\0\0", 8));
    } else {
      EXPECT_EQ(text.rfind("<!DOCTYPE html>", 0), 0u);
      EXPECT_NE(text.find("width=\"50\" height=\"40\""), std::string::npos);
    }
    testsupport::FullStream refusing;
    EXPECT_EQ(api.RenderPage(72, 1, format, refusing), 0) << format;
    EXPECT_EQ(api.RenderMessage(), kStreamWriteErrorText) << format;
  }
}

}  // namespace
