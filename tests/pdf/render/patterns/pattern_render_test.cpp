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

}  // namespace
