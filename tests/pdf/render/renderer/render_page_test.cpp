// RenderPage: the page box and its fall-backs, rotation, the raster size, the device matrix,
// outputs that are not available, and boxes too large to render.
#include <gtest/gtest.h>

#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"
#include "pdf/render/renderer/render_helpers.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::TestPdf;

struct Rendered {
  int width = 0, height = 0;
  std::string error;
  TPDFMatrix device{};
};

Rendered Render(TestPdf& pdf, int page, double dpi = 72, int box = 2, uint8_t mode = kRenderBitmap) {
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.LibraryPath = rendertest::ProviderPath();
  renderer.Resolution = dpi;
  renderer.PageBoxIndex = box;
  renderer.Mode = mode;
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  return {renderer.RasterWidth, renderer.RasterHeight, renderer.ErrorText, renderer.DeviceMatrix};
}

TPDFPoint Map(const TPDFMatrix& m, double x, double y) { return TransformPointBy(m, {x, y}); }

struct BoxCase {
  const char* name;
  std::string mediaBox;
  std::string extra;
  double dpi;
  int box;
  int width, height;
  double cornerX, cornerY;  // the page point that lands on pixel (0, 0)
};

TEST(RenderPage, SizesTheRasterFromTheBoxRotationAndResolution) {
  const BoxCase cases[] = {
      {"letter", "[0 0 612 792]", "", 72, 2, 612, 792, 0, 792},
      {"rotate90", "[0 0 612 792]", "/Rotate 90", 72, 2, 792, 612, 0, 0},
      {"rotate-270", "[0 0 612 792]", "/Rotate -270", 72, 2, 792, 612, 0, 0},
      {"rotate180", "[0 0 612 792]", "/Rotate 180", 72, 2, 612, 792, 612, 0},
      {"rotate270", "[0 0 612 792]", "/Rotate 270", 72, 2, 792, 612, 612, 792},
      {"rotate45", "[0 0 612 792]", "/Rotate 45", 72, 2, 612, 792, 0, 792},
      {"rotate450", "[0 0 612 792]", "/Rotate 450", 72, 2, 792, 612, 0, 0},
      {"reversed", "[612 792 0 0]", "", 72, 2, 612, 792, 0, 792},
      {"crop-clipped", "[0 0 200 100]", "/CropBox [-50 -50 500 500]", 72, 2, 200, 100, 0, 100},
      {"crop-inside", "[0 0 200 100]", "/CropBox [10 20 60 70]", 72, 2, 50, 50, 10, 70},
      {"crop-outside", "[0 0 200 100]", "/CropBox [300 300 400 400]", 72, 2, 200, 100, 0, 100},
      {"media-box-index", "[0 0 200 100]", "/CropBox [10 20 60 70]", 72, 1, 200, 100, 0, 100},
      {"trim-falls-to-crop", "[0 0 200 100]", "/CropBox [10 20 60 70]", 72, 4, 50, 50, 10, 70},
      {"trim-falls-to-media", "[0 0 200 100]", "", 72, 4, 200, 100, 0, 100},
      {"art", "[0 0 200 100]", "/ArtBox [5 5 25 25]", 72, 5, 20, 20, 5, 25},
      {"index-out-of-range", "[0 0 200 100]", "/CropBox [10 20 60 70]", 72, 9, 50, 50, 10, 70},
      {"ceil-round", "[0 0 100.2 50]", "", 72, 2, 101, 50, 0, 50},
      {"resolution0", "[0 0 612 792]", "", 0, 2, 9, 11, 0, 792},
      {"150dpi", "[0 0 612 792]", "", 150, 2, 1275, 1650, 0, 792},
      {"zero-width", "[0 0 0 50]", "", 72, 2, 1, 50, 0, 50},
      {"zero-width-crop", "[0 0 200 100]", "/CropBox [10 20 10 70]", 72, 2, 1, 50, 10, 70},
      {"zero-height-crop", "[0 0 200 100]", "/CropBox [10 40 60 40]", 72, 2, 50, 1, 10, 41},
      {"not-numbers", "[0 0 /A 50]", "", 72, 2, 612, 792, 0, 792},
  };
  for (const BoxCase& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage("", "<< >>", c.mediaBox, c.extra);
    const Rendered r = Render(pdf, page, c.dpi, c.box);
    EXPECT_EQ(r.width, c.width) << c.name;
    EXPECT_EQ(r.height, c.height) << c.name;
    EXPECT_EQ(r.error, "") << c.name;
    const TPDFPoint p = Map(r.device, c.cornerX, c.cornerY);
    EXPECT_NEAR(p.X, 0, 1e-9) << c.name;
    EXPECT_NEAR(p.Y, 0, 1e-9) << c.name;
  }
}

TEST(RenderPage, InheritsBoxesAndRotationThroughParentsAndSurvivesParentLoops) {
  TestPdf pdf;
  pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 300 200] /Rotate 90 /Parent 4 0 R >>");
  pdf.Add("<< /Type /Page /Parent 2 0 R /Contents 5 0 R >>");
  pdf.Add("<< /Type /Pages /Parent 2 0 R >>");  // a loop above the page's parent
  pdf.AddStream("<< >>", "");
  const Rendered r = Render(pdf, 3);
  EXPECT_EQ(r.width, 200);
  EXPECT_EQ(r.height, 300);
  // The loop has no "Foo": the search ends.
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  EXPECT_EQ(renderer.GetInheritedAttribute(pdf.Dict(3), "Foo"), nullptr);
}

TEST(RenderPage, RefusesRastersBeyondTheBitmapCap) {
  TestPdf pdf;
  const int page = pdf.AddPage("0 0 m 100000 100000 l S", "<< >>", "[0 0 100000 100000]");
  const Rendered r = Render(pdf, page);
  EXPECT_EQ(r.error, kRasterTooLargeText);
  EXPECT_EQ(r.width, 0);
  // 16384 x 16384 points is exactly the cap; one more column is over it.
  TestPdf edge;
  const int edgePage = edge.AddPage("", "<< >>", "[0 0 16385 16384]");
  EXPECT_EQ(Render(edge, edgePage).error, kRasterTooLargeText);
  TestPdf negative;
  const int negativePage = negative.AddPage("", "<< >>", "[0 0 100 100]");
  EXPECT_EQ(Render(negative, negativePage, -72).error, kRasterTooLargeText);
}

TEST(RenderPage, OutputsThatAreNotAvailableSayWhichAndDrawNothing) {
  // Modes 7, 8 and 9 without their stream or device context as well.
  for (int mode : {4, 10, 11, 12, 7, 8, 9}) {
    TestPdf pdf;
    const int page = pdf.AddPage("0 0 10 10 re f");
    EXPECT_EQ(Render(pdf, page, 72, 2, uint8_t(mode)).error, std::string(kModeUnavailableText) + std::to_string(mode));
  }
}

// Metafiles are sized by plain rounding where the bitmap takes one pixel more, and take the
// bitmap's device matrix; the metafile holds the raster's size.
TEST(RenderPage, MetafilesAreSizedByPlainRounding) {
  struct Case {
    const char* box;
    double dpi;
    int width, height;
  };
  for (const Case& c : {Case{"[0 0 100.2 50]", 72, 100, 50}, Case{"[0 0 100.6 50.4]", 72, 101, 50},
                        Case{"[0 0 612 792]", 150, 1275, 1650}, Case{"[0 0 0.2 0.2]", 72, 1, 1}}) {
    for (const uint8_t mode : {kRenderWMF, kRenderEMF}) {
      TestPdf pdf;
      const int page = pdf.AddPage("0 0 1 rg 0 0 10 10 re f", "<< >>", c.box);
      TPDFFontCollection fonts;
      TPDFRenderer renderer(&fonts);
      renderer.Options.LibraryPath = rendertest::ProviderPath();
      renderer.Resolution = c.dpi;
      renderer.Mode = mode;
      renderer.Page = pdf.Dict(page);
      renderer.RenderPage();
      EXPECT_EQ(renderer.ErrorText, "") << c.box;
      EXPECT_EQ(renderer.RasterWidth, c.width) << c.box;
      EXPECT_EQ(renderer.RasterHeight, c.height) << c.box;
      EXPECT_EQ(renderer.Metafile().Width(), c.width) << c.box;
      EXPECT_EQ(renderer.Metafile().Height(), c.height) << c.box;
      EXPECT_EQ(renderer.Metafile().Enhanced(), mode == kRenderEMF);
      const TPDFPoint p = Map(renderer.DeviceMatrix, 0, 0);
      EXPECT_NEAR(p.Y, c.height, 1e-9) << c.box;
    }
  }
}

TEST(RenderPage, ImageCollectionAndTextSizeByTheFarCornerWithoutAPicture) {
  for (const uint8_t mode : {kRenderImageCollection, kRenderTextExtraction}) {
    TestPdf pdf;
    const int page = pdf.AddPage("0 0 10 10 re f", "<< >>", "[10 20 300.4 400.6]", "/Rotate 90");
    const Rendered r = Render(pdf, page, 144, 2, mode);
    EXPECT_EQ(r.error, "") << int(mode);
    EXPECT_EQ(r.width, 301) << int(mode);
    EXPECT_EQ(r.height, 402) << int(mode);
    const TPDFPoint p = Map(r.device, 5, 7);
    EXPECT_EQ(p.X, 5) << int(mode);
    EXPECT_EQ(p.Y, 7) << int(mode);
  }
}

TEST(RenderPage, BackgroundIsWhiteAndTheBitmapIs24Bit) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< >>", "[0 0 30 20]");
  std::string error;
  const testraster::Raster r = rendertest::RenderOurs(pdf, page, &error);
  ASSERT_EQ(r.Width, 30);
  ASSERT_EQ(r.Height, 20);
  for (int y = 0; y < r.Height; ++y)
    for (int x = 0; x < r.Width; ++x) ASSERT_EQ(rendertest::PixelAt(r, x, y), 0xFFFFFFu) << x << "," << y;
  // The same on the GDI back end.
  const testraster::Raster gdi = rendertest::RenderOurs(pdf, page, &error, 72, false);
  EXPECT_EQ(rendertest::PixelAt(gdi, 29, 19), 0xFFFFFFu);
}

}  // namespace

namespace {

TEST(RenderPage, DrawsOntoACallersDeviceContextAtItsOrigin) {
  TestPdf pdf;
  const int page = pdf.AddPage("1 0 0 rg 0 0 10 10 re f 0 0 1 rg 20 30 10 5 re f", "<< >>", "[0 0 40 40]");
  std::string error;
  const testraster::Raster direct = rendertest::RenderOurs(pdf, page, &error);
  ASSERT_EQ(direct.Width, 40);
  for (bool clearFirst : {true, false}) {
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(60, 50);
    target.Canvas().Brush().SetColor(TColor(0x00FF00));  // green: what clearing must cover
    target.Canvas().FillRect(TRect{0, 0, 60, 50});
    TPDFFontCollection fonts;
    TPDFRenderer renderer(&fonts);
    renderer.Options.LibraryPath = rendertest::ProviderPath();
    renderer.Mode = kRenderDeviceContext;
    renderer.SetTargetDC(target.Canvas().Handle(), clearFirst, 7, 5);
    renderer.Page = pdf.Dict(page);
    renderer.RenderPage();
    EXPECT_EQ(renderer.ErrorText, "");
    EXPECT_EQ(renderer.RasterWidth, 40);
    const int dx = clearFirst ? 7 : 0, dy = clearFirst ? 5 : 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const uint8_t* row = target.ScanLine(y + dy);
        const uint32_t got = (uint32_t(row[(x + dx) * 3 + 2]) << 16) | (uint32_t(row[(x + dx) * 3 + 1]) << 8) |
                             row[(x + dx) * 3];
        ASSERT_EQ(got, rendertest::PixelAt(direct, x, y)) << clearFirst << " " << x << "," << y;
      }
  }
}

// Without GDI+ the page is drawn with GDI onto the caller's device context too, not onto the
// renderer's own bitmap.
TEST(RenderPage, DrawsOntoACallersDeviceContextWithoutGdiplus) {
  TestPdf pdf;
  const int page = pdf.AddPage("1 0 0 rg 0 0 10 10 re f", "<< >>", "[0 0 40 40]");
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(40, 40);
  target.Canvas().Brush().SetColor(TColor(0x00FF00));
  target.Canvas().FillRect(TRect{0, 0, 40, 40});
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.LibraryPath = u"/no/such/provider.so";
  renderer.Mode = kRenderDeviceContext;
  renderer.SetTargetDC(target.Canvas().Handle(), true, 0, 0);
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  EXPECT_EQ(renderer.ErrorText, "");
  const testraster::Raster drawn = rendertest::RasterOf(target);
  EXPECT_EQ(rendertest::PixelAt(drawn, 5, 35), 0xFF0000u);
  EXPECT_EQ(rendertest::PixelAt(drawn, 20, 20), 0xFFFFFFu);
}

TEST(RenderPage, AnEmfThatCannotBeRecordedIsAFailure) {
  TestPdf pdf;
  const int page = pdf.AddPage("0 0 10 10 re f");
  TMemoryStream stream;
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.LibraryPath = rendertest::ProviderPath();
  renderer.Mode = kRenderGDIPlusEMF;
  renderer.SetMetafileStream(&stream);
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  if (stream.Size() == 0)
    EXPECT_EQ(renderer.ErrorText, std::string(kModeUnavailableText) + "7");
  else
    EXPECT_EQ(renderer.ErrorText, "");
}

}  // namespace
