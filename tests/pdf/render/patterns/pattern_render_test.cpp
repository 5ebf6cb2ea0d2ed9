// Tiling patterns and axial shadings as the renderer fills with them, against poppler's
// rendering of the same page.
#include <gtest/gtest.h>

#include <string>

#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

// A 2 x 2 image of red, green / blue, yellow pixels.
int AddCellImage(TestPdf& pdf) {
  std::string pixels = std::string("\xFF\x00\x00\x00\xFF\x00", 6) + std::string("\x00\x00\xFF\xFF\xFF\x00", 6);
  return pdf.AddStream(
      "<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB "
      "/BitsPerComponent 8 >>",
      pixels);
}

TEST(PatternRender, TilingPatternFillsLikePoppler) {
  REQUIRE_TOOL("pdftoppm");
  TestPdf pdf;
  // As the metafile converter writes bitmap patterns: the cell paints the image once, under a
  // pattern matrix of 5 units a pixel.
  const int image = AddCellImage(pdf);
  const int pattern = pdf.AddStream(
      "<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2 "
      "/Matrix [5 0 0 5 0 0] /Resources << /XObject << /Im0 " +
          std::to_string(image) + " 0 R >> >> >>",
      "q 2 0 0 2 0 0 cm /Im0 Do Q");
  const int page = pdf.AddPage("/Pattern cs /P0 scn 10 10 80 80 re f",
                               "<< /Pattern << /P0 " + std::to_string(pattern) + " 0 R >> >>");
  std::string error;
  const auto ours = rendertest::RenderOurs(pdf, page, &error);
  EXPECT_EQ(error, "");
  const auto poppler = rendertest::RenderPoppler(pdf);
  ASSERT_EQ(ours.Width, poppler.Width);
  // Cells of 5 x 5 pixels: their colours in place, edges of a pixel either way.
  EXPECT_EQ(rendertest::PixelAt(ours, 12, 12), rendertest::PixelAt(poppler, 12, 12));
  EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), 100);
  EXPECT_NE(rendertest::PixelAt(ours, 50, 50), 0xFFFFFFu);
}

// Cells lie where the page's default space puts them, at the output's scale: on a page whose
// height is no multiple of the cell, turned a quarter, and at 150 dots per inch (where the
// cell's pixels no longer fall on whole pixels of the output).
TEST(PatternRender, TilingCellsLieWhereThePageSpacePutsThem) {
  REQUIRE_TOOL("pdftoppm");
  struct Case {
    const char* name;
    std::string mediaBox, extra;
    double dpi;
  };
  const Case cases[] = {{"height 95", "[0 0 100 95]", "", 72},
                        {"turned", "[0 0 100 95]", "/Rotate 90", 72},
                        {"150 dpi", "[0 0 100 100]", "", 150}};
  for (const Case& c : cases) {
    TestPdf pdf;
    const int image = AddCellImage(pdf);
    const int pattern = pdf.AddStream(
        "<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2 "
        "/Matrix [6 0 0 6 3 0] /Resources << /XObject << /Im0 " +
            std::to_string(image) + " 0 R >> >> >>",
        "q 2 0 0 2 0 0 cm /Im0 Do Q");
    const int page = pdf.AddPage("/Pattern cs /P0 scn 10 10 80 70 re f",
                                 "<< /Pattern << /P0 " + std::to_string(pattern) + " 0 R >> >>", c.mediaBox, c.extra);
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error, c.dpi);
    EXPECT_EQ(error, "") << c.name;
    const auto poppler = rendertest::RenderPoppler(pdf, c.dpi);
    ASSERT_EQ(ours.Width, poppler.Width) << c.name;
    ASSERT_EQ(ours.Height, poppler.Height) << c.name;
    // Edges of the 6-point quarters may fall a pixel either way; whole quarters may not.
    const double scale = c.dpi / 72;
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), int(300 * scale * scale)) << c.name;
  }
}

// A tiling cell of no size is a pattern still, of which no image can be made: a fill with it
// paints nothing (not the canvas's last colour, red here). Negative steps tile by their size,
// as poppler tiles them.
TEST(PatternRender, TilingCellsOfNoSizePaintNothingNegativeStepsTile) {
  REQUIRE_TOOL("pdftoppm");
  struct Case {
    const char* name;
    std::string steps;
    uint32_t middle;
  };
  const Case cases[] = {{"no width", "/XStep 0 /YStep 10", 0x0000FF},
                        {"no height", "/XStep 10 /YStep 0", 0x0000FF},
                        {"negative", "/XStep -10 /YStep -10", 0xFF0000}};
  for (const Case& c : cases) {
    TestPdf pdf;
    const int pattern = pdf.AddStream(
        "<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] " + c.steps + " >>",
        "0 1 0 rg 0 0 10 10 re f 1 0 0 rg 0 0 5 5 re f");
    const int page = pdf.AddPage(
        "0 0 1 rg 0 0 100 100 re f 1 0 0 rg 0 0 2 2 re f /Pattern cs /P0 scn 20 20 60 60 re f",
        "<< /Pattern << /P0 " + std::to_string(pattern) + " 0 R >> >>");
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "") << c.name;
    ASSERT_EQ(ours.Width, 100);
    // (52, 47) lies in a cell's red corner: x 52 and y 52.5 of the page are 2 and 2.5 of a cell.
    EXPECT_EQ(rendertest::PixelAt(ours, 52, 47), c.middle) << c.name;
    if (c.middle == 0xFF0000) {
      const auto poppler = rendertest::RenderPoppler(pdf);
      EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), 100) << c.name;
    }
  }
}

// Axial shadings: as a pattern fill and through sh (filling the clip), with an extended and a
// clipped end, against poppler.
TEST(PatternRender, AxialShadingsFillLikePoppler) {
  REQUIRE_TOOL("pdftoppm");
  TestPdf pdf;
  const std::string shading =
      "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [10 0 90 0] /Extend [true false] "
      "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>";
  const int sh = pdf.Add(shading);
  const int pattern = pdf.Add("<< /Type /Pattern /PatternType 2 /Shading " + std::to_string(sh) + " 0 R >>");
  const int page = pdf.AddPage(
      "/Pattern cs /P0 scn 0 55 100 40 re f q 0 5 100 40 re W n /Sh0 sh Q",
      "<< /Pattern << /P0 " + std::to_string(pattern) + " 0 R >> /Shading << /Sh0 " + std::to_string(sh) +
          " 0 R >> >>");
  std::string error;
  const auto ours = rendertest::RenderOurs(pdf, page, &error);
  EXPECT_EQ(error, "");
  const auto poppler = rendertest::RenderPoppler(pdf);
  ASSERT_EQ(ours.Width, poppler.Width);
  EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), 100);
  // Red before the axis (extended), blue at its end; nothing beyond it on the right.
  EXPECT_EQ(rendertest::PixelAt(ours, 3, 25), 0xFF0000u);
  EXPECT_EQ(rendertest::PixelAt(ours, 3, 75), 0xFF0000u);
  EXPECT_EQ(rendertest::PixelAt(ours, 95, 25), 0xFFFFFFu);
  EXPECT_EQ(rendertest::PixelAt(ours, 95, 75), 0xFFFFFFu);
  EXPECT_EQ(rendertest::PixelAt(ours, 50, 98), 0xFFFFFFu);
}

// A pattern lies in the default space of the content that names it (the page's, or a form's
// under its matrix), whatever matrix is in force when the fill is made.
TEST(PatternRender, PatternsLieInTheDefaultSpaceOfTheirContent) {
  REQUIRE_TOOL("pdftoppm");
  const std::string pattern =
      "<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [10 0 90 0] "
      "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >> >>";
  const char* contents[] = {"q 0.5 0 0 1 0 0 cm /Pattern cs /P0 scn 0 0 200 100 re f Q",
                            "q 1 0 0 1 0 50 cm /Fm Do Q"};
  for (const char* content : contents) {
    TestPdf pdf;
    const int page = pdf.AddPage(content, "<< /Pattern << /P0 " + pattern + " >> /XObject << /Fm 5 0 R >> >>");
    pdf.AddStream("<< /Subtype /Form /BBox [0 0 200 50] /Matrix [0.5 0 0 1 0 0] /Resources << /Pattern << /P0 " +
                      pattern + " >> >> >>",
                  "q 2 0 0 1 0 0 cm /Pattern cs /P0 scn 0 0 100 50 re f Q");
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "") << content;
    const auto poppler = rendertest::RenderPoppler(pdf);
    ASSERT_EQ(ours.Width, poppler.Width);
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), 100) << content;
  }
}

// Axial shadings of the forms a page may give them: grey, a one-channel ICC profile, one
// function per colour component, and a domain narrower than the functions' (the axis runs
// over the shading's domain), each filling a band through sh, against poppler.
TEST(PatternRender, ShadingsOfGreyIccFunctionArraysAndDomainsFillLikePoppler) {
  REQUIRE_TOOL("pdftoppm");
  const std::string axis = "/Coords [10 0 90 0] /Extend [true true]";
  const std::string redToBlue = "<< /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >>";
  const std::string cyanToRed = "<< /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] /C1 [0 1 1 0] /N 1 >>";
  struct Case {
    const char* name;
    std::string shading;
    uint32_t middle;  // at x = 50
  };
  const Case cases[] = {
      {"grey", "<< /ShadingType 2 /ColorSpace /DeviceGray " + axis +
                   " /Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>",
       0x808080},
      {"one-channel ICC", "<< /ShadingType 2 /ColorSpace [/ICCBased 5 0 R] " + axis +
                              " /Function << /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 1 >> >>",
       0x808080},
      {"a function per component",
       "<< /ShadingType 2 /ColorSpace /DeviceRGB " + axis +
           " /Function [<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 1 >> "
           "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> "
           "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [0] /N 1 >>] >>",
       0x808000},
      {"narrower domain", "<< /ShadingType 2 /ColorSpace /DeviceRGB /Domain [0.5 1] " + axis + " /Function " +
                              redToBlue + " >>",
       0x4000BF},
      // Inks blend as inks: halfway from cyan to red lies 0.5 0.5 0.5 0 k, not the mean of the
      // two ends' RGB (0x7864B9 before); so do the tints of a Separation over them.
      {"CMYK", "<< /ShadingType 2 /ColorSpace /DeviceCMYK " + axis + " /Function " + cyanToRed + " >>", 0x877977},
      {"separation over CMYK",
       "<< /ShadingType 2 /ColorSpace [/Separation /Spot /DeviceCMYK " + cyanToRed + "] " + axis +
           " /Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>",
       0x877977},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage("q 0 20 100 60 re W n /Sh sh Q", "<< /Shading << /Sh " + c.shading + " >> >>");
    pdf.AddStream("<< /N 1 >>", "");
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "") << c.name;
    const auto poppler = rendertest::RenderPoppler(pdf);
    ASSERT_EQ(ours.Width, poppler.Width);
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), 100) << c.name;
    const uint32_t middle = rendertest::PixelAt(ours, 50, 50);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int(middle >> shift & 0xFF), int(c.middle >> shift & 0xFF), 4) << c.name;
    EXPECT_EQ(rendertest::PixelAt(ours, 50, 10), 0xFFFFFFu) << c.name;
  }
}

// sh fills the clip with the shading in the current user space and leaves the fill colour as
// it was: a later fill paints in its own colour. A shading of a kind this renderer does not
// draw (radial here) paints nothing, not the fill colour over the clip; a name the resources
// do not hold paints the clip white, as a fill with a missing pattern does; and the
// shading's place follows the matrix in force at sh.
TEST(PatternRender, ShFillsTheClipAndLeavesTheFillColour) {
  REQUIRE_TOOL("pdftoppm");
  const std::string axial =
      "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [10 0 90 0] /Extend [true true] "
      "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 0] /C1 [0 1 1] /N 1 >> >>";
  const std::string radial =
      "<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [50 50 0 50 50 30] /Extend [true true] "
      "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 0] /C1 [0 1 0] /N 1 >> >>";
  // The canvas last painted red; the fill colour is green.
  const std::string kRadial =
      "0 0 1 rg 0 0 100 40 re f 1 0 0 rg 95 95 5 5 re f 0 1 0 rg q 10 10 80 80 re W n /Rad sh Q";
  struct Case {
    const char* name;
    std::string content;
    bool likePoppler;       // the whole page within poppler's neighbourhood
    int x, y;               // a pixel and its colour in ours
    uint32_t colour;
    std::string error = "";
  };
  const Case cases[] = {
      {"a fill after sh", "1 0 0 rg /Ax sh 20 20 20 20 re f", true, 30, 70, 0xFF0000},
      {"a fill after sh in a clip", "0 0 1 rg 0 50 100 50 re W n /Ax sh 10 60 20 20 re f", true, 20, 30, 0x0000FF},
      {"under a matrix", "q 0.5 0 0 1 0 0 cm 0 0 100 100 re W n /Ax sh Q", true, 75, 50, 0xFFFFFF},
      {"radial", kRadial, false, 50, 50, 0xFFFFFF},
      {"radial over a fill", kRadial, false, 50, 75, 0x0000FF},
      // A shading the resources do not hold paints nothing, and the error text names it.
      {"missing", "0 0 1 rg 0 0 100 100 re f q 20 20 60 60 re W n /None sh Q 10 10 10 10 re f", true, 50, 50,
       0x0000FF, "Shading not found: /None"},
      {"missing, the fill after it", "0 0 1 rg 0 0 100 100 re f 20 20 60 60 re W n /None sh 30 30 10 10 re f", true,
       35, 65, 0x0000FF, "Shading not found: /None"},
      {"missing, over a red square", "1 0 0 rg 0 0 50 50 re f /Missing sh", true, 25, 75, 0xFF0000,
       "Shading not found: /Missing"},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage(c.content, "<< /Shading << /Ax " + axial + " /Rad " + radial + " >> >>");
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, c.error) << c.name;
    ASSERT_EQ(ours.Width, 100) << c.name;
    EXPECT_EQ(rendertest::PixelAt(ours, c.x, c.y), c.colour) << c.name;
    if (c.likePoppler) {
      const auto poppler = rendertest::RenderPoppler(pdf);
      ASSERT_EQ(ours.Width, poppler.Width);
      EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, poppler, 24), 100) << c.name;
    }
  }
}

}  // namespace
