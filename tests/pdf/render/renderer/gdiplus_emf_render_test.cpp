// Pages recorded by GDI+ as EMF+ (renderer mode 7): the EMF's bounds are the page's raster,
// nothing paints a background, and what emf2svg reads of the records is the page's drawing in
// device pixels. Output format 8 is checked with the library's other stream outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/emf2svg_records.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

std::string RecordPage(TestPdf& pdf, int page, std::string& error, double dpi = 72) {
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.LibraryPath = rendertest::ProviderPath();
  renderer.Resolution = dpi;
  renderer.Mode = kRenderGDIPlusEMF;
  renderer.Page = pdf.Dict(page);
  TMemoryStream stream;
  renderer.SetMetafileStream(&stream);
  renderer.RenderPage();
  error = renderer.ErrorText;
  stream.SetPosition(0);
  return stream.ReadToEnd();
}

// The field lines of each record of a kind, in order.
std::vector<std::vector<std::string>> RecordsOf(const std::vector<std::string>& lines, const std::string& kind) {
  std::vector<std::vector<std::string>> found;
  bool in = false;
  for (const std::string& l : lines) {
    if (l.rfind("U_PMR_", 0) == 0) {
      in = l == kind;
      if (in) found.emplace_back();
    } else if (in) {
      found.back().push_back(l);
    }
  }
  return found;
}

TEST(GdiplusEmfRender, ThePageIsRecordedInDevicePixelsWithoutABackground) {
  TestPdf pdf;
  // 100.2 points wide at 72 dpi: 101 pixels, the last one partly covered.
  const int page = pdf.AddPage("1 0 0 rg 10 10 30 20 re f 0 0 1 RG 2 w 5 5 m 50 5 l S", "<< >>", "[0 0 100.2 50]");
  std::string error;
  const std::string emf = RecordPage(pdf, page, error);
  ASSERT_EQ(error, "");
  ASSERT_GE(emf.size(), 108u);
  EXPECT_EQ(U32(emf, 0), 1u);
  EXPECT_EQ(U32(emf, 40), 0x464D4520u);
  EXPECT_EQ(U32(emf, 16), 100u);  // bounds: 101 x 50 pixels, inclusive
  EXPECT_EQ(U32(emf, 20), 49u);
  EXPECT_EQ(U32(emf, 48), emf.size());

  REQUIRE_TOOL("emf2svg-conv");
  const std::vector<std::string> lines = testsupport::Emf2svgPlusRecords(emf);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "U_PMR_Header");
  EXPECT_EQ(lines.back(), "U_PMR_EndOfFile");
  EXPECT_TRUE(RecordsOf(lines, "U_PMR_Clear").empty());
  // One fill, the red rectangle: y turned downwards from the page's top at 50.
  const auto fills = RecordsOf(lines, "U_PMR_FillPath");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_NE(fills[0].front().find("Color: RGBA{FF,00,00,FF}"), std::string::npos) << fills[0].front();
  const auto objects = RecordsOf(lines, "U_PMR_Object");
  const auto has = [&](const std::string& text) {
    return std::any_of(objects.begin(), objects.end(), [&](const std::vector<std::string>& o) {
      return std::find(o.begin(), o.end(), text) != o.end();
    });
  };
  EXPECT_TRUE(has("+  Points(Float): 0:{10.000000,40.000000} 1:{40.000000,40.000000} 2:{40.000000,20.000000} "
                  "3:{10.000000,20.000000}"));
  // One stroke, 2 pixels wide and blue, along y = 45.
  const auto strokes = RecordsOf(lines, "U_PMR_DrawPath");
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_TRUE(std::any_of(objects.begin(), objects.end(), [](const std::vector<std::string>& o) {
    return std::any_of(o.begin(), o.end(), [](const std::string& l) { return l.find("Width:2.000000") != std::string::npos; }) &&
           std::find(o.begin(), o.end(), "+  Brush: MetaFileSig:DBC01 GraphicsVersion:2 Type:0(SolidColor) RGBA{00,00,FF,FF}") != o.end();
  }));
  EXPECT_TRUE(has("+  Points(Float): 0:{5.000000,45.000000} 1:{50.000000,45.000000} 2:{50.000000,45.000000}"));
}

TEST(GdiplusEmfRender, ClipsAndImagesAreRecorded) {
  REQUIRE_TOOL("emf2svg-conv");
  TestPdf pdf;
  const int page = pdf.AddPage("q 20 20 60 60 re W n 1 0 0 rg 0 0 100 100 re f Q q 80 0 0 80 10 10 cm /Im Do Q",
                               "<< /XObject << /Im 5 0 R >> >>");
  pdf.AddObjects({"stream:<< /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8 >>|" +
                  std::string("\x00\x40\x80\xFF", 4)});
  std::string error;
  const std::string emf = RecordPage(pdf, page, error);
  ASSERT_EQ(error, "");
  const std::vector<std::string> lines = testsupport::Emf2svgPlusRecords(emf);
  // The clip is set before the fill and given back (as a saved region) after it.
  const auto clips = RecordsOf(lines, "U_PMR_SetClipPath");
  ASSERT_FALSE(clips.empty());
  EXPECT_EQ(clips[0].front().substr(clips[0].front().find("CMenum")), "CMenum:1");
  EXPECT_FALSE(RecordsOf(lines, "U_PMR_SetClipRegion").empty());
  const auto images = RecordsOf(lines, "U_PMR_DrawImagePoints");
  ASSERT_EQ(images.size(), 1u);
  // The picture's corners: upper-left (10, 10), upper-right (90, 10), lower-left (10, 90).
  EXPECT_EQ(images[0].at(1), "+  Points: 0:{10.000000,10.000000} 1:{90.000000,10.000000} 2:{10.000000,90.000000}");
}

}  // namespace
