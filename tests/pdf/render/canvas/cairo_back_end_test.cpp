// The cairo back end with the system's libcairo: pages rendered in modes 10 and 11 against the
// bitmap output (mode 0, GDI+) of the same page, and the binding's failure paths.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/canvas/cairo_binding.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

const WideString kCairo = u"libcairo.so.2";

testraster::Raster RenderCairo(TestPdf& pdf, int page, const WideString& library, std::string* error) {
  return rendertest::RenderOursCairo(pdf, page, error, library);
}

struct PageCase {
  const char* name;
  std::string content{};
  std::string resources = "<< >>";
  std::vector<std::string> objects{};
  int allowed = 0;
  bool gdi = false;  // compared with the GDI bitmap output (pictures drawn sample by sample)
};

class CairoPages : public testing::TestWithParam<PageCase> {};

TEST_P(CairoPages, DrawLikeTheBitmapOutput) {
  const PageCase& c = GetParam();
  TestPdf pdf;
  const int page = pdf.AddPage(c.content, c.resources);
  for (const std::string& o : c.objects) {
    const size_t bar = o.find('|');
    if (o.rfind("stream:", 0) == 0) pdf.AddStream(o.substr(7, bar - 7), o.substr(bar + 1));
    else pdf.Add(o);
  }
  std::string error;
  const testraster::Raster cairo = RenderCairo(pdf, page, kCairo, &error);
  if (error.find("not available") != std::string::npos) GTEST_SKIP() << "libcairo.so.2 not loadable";
  EXPECT_EQ(error, "");
  const testraster::Raster bitmap = rendertest::RenderOurs(pdf, page, nullptr, 72, !c.gdi);
  ASSERT_EQ(cairo.Width, bitmap.Width);
  ASSERT_EQ(cairo.Height, bitmap.Height);
  EXPECT_LE(rendertest::CountOutsideNeighbourhood(cairo, bitmap, 24), c.allowed) << c.name;
  int inked = 0;
  for (uint8_t v : cairo.RGB) inked += v != 255;
  EXPECT_GT(inked, 30) << c.name << ": something was drawn";
}

const std::string kStar = "50 90 m 26 17 l 88 62 l 12 62 l 74 17 l h";

INSTANTIATE_TEST_SUITE_P(
    Pages, CairoPages,
    testing::Values(
        PageCase{"fill_rules", "1 0 0 rg " + kStar + " f 0 0 1 rg 0.5 0 0 0.5 50 0 cm " + kStar + " f*"},
        PageCase{"strokes_caps_joins", "0 0 1 RG 6 w 15 85 m 85 85 l S 1 J 15 70 m 85 70 l S 2 J 15 55 m 85 55 l S "
                                       "0 J 1 j 15 10 m 30 40 l 45 10 l S 2 j 55 10 m 70 40 l 85 10 l S",
                 "<< >>", {}, 8},
        PageCase{"dashes", "1 0 0 RG 2 w [6 4] 0 d 10 80 m 90 80 l S [2] 1 d 10 60 m 90 60 l S", "<< >>", {}, 8},
        PageCase{"clips", "q 20 20 60 60 re W n 1 0 0 rg 0 0 100 100 re f Q 0 0 1 rg 0 0 100 10 re f "
                          "q 40 40 20 20 re W* n 0 1 0 rg 0 0 100 100 re f Q"},
        PageCase{"transparency", "1 0 0 rg 10 10 60 60 re f /Half gs 0 0 1 rg 30 30 60 60 re f",
                 "<< /ExtGState << /Half << /ca 0.5 >> >> >>"},
        PageCase{"image_with_mask", "q 80 0 0 80 10 10 cm /Im Do Q", "<< /XObject << /Im 5 0 R >> >>",
                 {"stream:<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 8 "
                  "/ColorSpace /DeviceRGB /SMask 6 0 R /Filter /ASCIIHexDecode >>|ff0000 00ff00 0000ff ffff00>",
                  "stream:<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 8 "
                  "/ColorSpace /DeviceGray /Filter /ASCIIHexDecode >>|ff80ff00>"},
                 4, true},
        // The alpha of a fill whose state was restored does not reach a later image.
        PageCase{"image_after_a_restored_alpha",
                 "q /Half gs 0 0 1 rg 0 0 100 100 re f Q q 80 0 0 80 10 10 cm /Im Do Q 1 0 0 rg 0 0 1 1 re f",
                 "<< /ExtGState << /Half << /ca 0.5 >> >> /XObject << /Im 5 0 R >> >>",
                 {"stream:<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 8 "
                  "/ColorSpace /DeviceRGB /Filter /ASCIIHexDecode >>|ff0000 00ff00 0000ff ffff00>"},
                 4},
        PageCase{"axial_shading", "q 10 10 80 80 re W n /Sh sh Q",
                 "<< /Shading << /Sh << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [10 0 90 0] "
                 "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> /Extend [true true] >> >> >>",
                 {}, 40},
        PageCase{"text", "BT /F1 24 Tf 10 40 Td (Cairo) Tj ET",
                 "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>", {}, 12}),
    [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST(CairoBackEnd, LibraryThatDoesNotLoadLeavesTheCanvasAndSaysSo) {
  TCairoDLL dll;
  EXPECT_FALSE(dll.Load(u""));
  TCairoDLL missing;
  EXPECT_FALSE(missing.Load(u"/no/such/libcairo.so"));
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(4, 4);
  TPDFDaubrix canvas;
  canvas.SetTarget(&bitmap.Canvas());
  EXPECT_FALSE(canvas.SetupCairo(bitmap.Canvas().Handle(), u"", true));
  EXPECT_EQ(canvas.BackEnd(), kBackEndGDI);

  TestPdf pdf;
  const int page = pdf.AddPage("0 0 1 rg 0 0 100 100 re f");
  std::string error;
  RenderCairo(pdf, page, u"/no/such/libcairo.so", &error);
  EXPECT_EQ(error, std::string(kModeUnavailableText) + "11");
}

// The library's path is a file name: one whose folder is not UTF-8 (Latin-1) loads as well.
TEST(CairoBackEnd, LibraryPathKeepsTheBytesOfItsName) {
  void* system = ::dlopen("libcairo.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!system) GTEST_SKIP() << "libcairo.so.2 not loadable";
  link_map* map = nullptr;
  ASSERT_EQ(::dlinfo(system, RTLD_DI_LINKMAP, &map), 0);
  const std::string real = map->l_name;
  ::dlclose(system);
  testsupport::TempDir dir;
  const std::string folder = dir.File("biblioth\xE8que/");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(::symlink(real.c_str(), (folder + "libcairo.so.2").c_str()), 0);
  TCairoDLL dll;
  ASSERT_TRUE(dll.Load(FileNameToWide(folder + "libcairo.so.2")));
  EXPECT_TRUE(dll.CanDraw());
}

// Only this back end honours blend modes: red multiplied over yellow gives red, over cyan black.
TEST(CairoBackEnd, BlendModesReachThePage) {
  TestPdf pdf;
  const int page = pdf.AddPage("1 1 0 rg 0 0 50 100 re f 0 1 1 rg 50 0 50 100 re f /M gs 1 0 0 rg 0 0 100 100 re f",
                               "<< /ExtGState << /M << /BM /Multiply >> >> >>");
  std::string error;
  const testraster::Raster r = RenderCairo(pdf, page, kCairo, &error);
  if (!error.empty()) GTEST_SKIP() << error;
  EXPECT_EQ(rendertest::PixelAt(r, 25, 50), 0xFF0000u);
  EXPECT_EQ(rendertest::PixelAt(r, 75, 50), 0x000000u);
}

// The blend mode reaches the canvas with the fill colour; a stroke and a shading then blend
// by it too (the stroke after a fill colour set since the last paint, the shading because sh
// sets its fill colour). Red multiplied over yellow stays red, over cyan it is black, as
// poppler draws both.
TEST(CairoBackEnd, StrokesAndShadingsBlendAsTheStateSays) {
  const std::string backdrop = "1 1 0 rg 0 0 50 100 re f 0 1 1 rg 50 0 50 100 re f /M gs ";
  const std::string resources =
      "<< /ExtGState << /M << /BM /Multiply >> >> /Shading << /Red << /ShadingType 2 /ColorSpace /DeviceRGB "
      "/Coords [0 0 100 0] /Extend [true true] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] "
      "/C1 [1 0 0] /N 1 >> >> >> >>";
  for (const std::string& paint : {std::string("0 0 0 rg 1 0 0 RG 20 w 0 50 m 100 50 l S"),
                                   std::string("q 0 40 100 20 re W n /Red sh Q")}) {
    TestPdf pdf;
    const int page = pdf.AddPage(backdrop + paint, resources);
    std::string error;
    const testraster::Raster r = RenderCairo(pdf, page, kCairo, &error);
    if (!error.empty()) GTEST_SKIP() << error;
    EXPECT_EQ(rendertest::PixelAt(r, 25, 50), 0xFF0000u) << paint;
    EXPECT_EQ(rendertest::PixelAt(r, 75, 50), 0x000000u) << paint;
    EXPECT_EQ(rendertest::PixelAt(r, 75, 20), 0x00FFFFu) << paint;
    const testraster::Raster poppler = rendertest::RenderPopplerCairo(pdf);
    if (poppler.Width > 0) { EXPECT_EQ(rendertest::PixelAt(poppler, 75, 50), 0x000000u) << paint; }
  }
}

// A JPEG image with a colour key reaches the canvas as image data with the key: its keyed
// (near-black) half is left out, its red half drawn.
TEST(CairoBackEnd, ColourKeyedJpegImagesAreDrawn) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs Pillow";
  testsupport::TempDir dir;
  ASSERT_EQ(testsupport::Run(testraster::PythonWithPIL() +
                             " -c \"from PIL import Image; im = Image.new('RGB', (16, 16), (255, 0, 0)); "
                             "im.paste((0, 0, 0), (0, 0, 8, 16)); im.save('" +
                             dir.File("k.jpg") + "', quality=100)\""),
            0);
  TestPdf pdf;
  const int page = pdf.AddPage("q 80 0 0 80 10 10 cm /Im Do Q", "<< /XObject << /Im 5 0 R >> >>");
  pdf.AddStream("<< /Type /XObject /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 8 /ColorSpace /DeviceRGB "
                "/Filter /DCTDecode /Mask [0 40 0 40 0 40] >>",
                testsupport::ReadFile(dir.File("k.jpg")));
  std::string error;
  const testraster::Raster r = RenderCairo(pdf, page, kCairo, &error);
  if (error.find("not available") != std::string::npos) GTEST_SKIP() << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(rendertest::PixelAt(r, 25, 50), 0xFFFFFFu);
  const uint32_t red = rendertest::PixelAt(r, 75, 50);
  EXPECT_GE(red >> 16, 0xF0u);
  EXPECT_LE(red & 0xFFFF, 0x1010u);
}

// Each end of an axial shading extends or stops as its own flag says, and the pattern's matrix
// places the shading: stretched twice as wide from x = 10, it runs from 10 to 70.
TEST(CairoBackEnd, AxialShadingsExtendEachEndAsTheirFlagsSay) {
  struct Case {
    const char* extend;
    uint32_t before, after;  // at x = 5 and x = 95
  };
  const Case cases[] = {
      {"[false false]", 0xFFFFFF, 0xFFFFFF},
      {"[true false]", 0xFF0000, 0xFFFFFF},
      {"[false true]", 0xFFFFFF, 0x0000FF},
      {"[true true]", 0xFF0000, 0x0000FF},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage(
        "/Pattern cs /P scn 0 0 100 100 re f",
        std::string("<< /Pattern << /P << /PatternType 2 /Matrix [2 0 0 1 10 0] /Shading << /ShadingType 2 "
                    "/ColorSpace /DeviceRGB /Coords [0 0 30 0] /Extend ") + c.extend +
            " /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >> >> >> >>");
    std::string error;
    const testraster::Raster r = RenderCairo(pdf, page, kCairo, &error);
    if (!error.empty()) GTEST_SKIP() << error;
    EXPECT_EQ(rendertest::PixelAt(r, 5, 50), c.before) << c.extend;
    EXPECT_EQ(rendertest::PixelAt(r, 95, 50), c.after) << c.extend;
    EXPECT_EQ(rendertest::PixelAt(r, 75, 50), c.after) << c.extend << ": the matrix ends it at 70";
    const uint32_t middle = rendertest::PixelAt(r, 40, 50);
    EXPECT_NEAR(int(middle >> 16), 128, 8) << c.extend;
    EXPECT_NEAR(int(middle & 0xFF), 128, 8) << c.extend;
  }
}

TEST(CairoBackEnd, BlendModesMapToOperators) {
  EXPECT_EQ(TCairoDLL::BlendModeToOperator(0), CAIRO_OPERATOR_OVER);
  EXPECT_EQ(TCairoDLL::BlendModeToOperator(1), CAIRO_OPERATOR_MULTIPLY);
  EXPECT_EQ(TCairoDLL::BlendModeToOperator(2), CAIRO_OPERATOR_SCREEN);
  EXPECT_EQ(TCairoDLL::BlendModeToOperator(15), CAIRO_OPERATOR_HSL_LUMINOSITY);
  EXPECT_EQ(TCairoDLL::BlendModeToOperator(16), CAIRO_OPERATOR_OVER);
}

// Mode 10 draws onto a device context of the caller: a memory context with a bitmap of its own
// gets the same pixels as mode 11's bitmap.
TEST(CairoBackEnd, DeviceContextOutputMatchesTheBitmapOutput) {
  TestPdf pdf;
  const int page = pdf.AddPage("1 0 0 rg 10 10 50 30 re f 0 0 1 RG 3 w 20 80 m 90 20 l S");
  std::string error;
  const testraster::Raster viaBitmap = RenderCairo(pdf, page, kCairo, &error);
  if (!error.empty()) GTEST_SKIP() << error;
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(100, 100);
  target.Canvas().Brush().SetColor(TColor(0x00FF00));
  target.Canvas().FillRect(TRect{0, 0, 100, 100});
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderCairoDC;
  renderer.SetCairoTarget(kCairo, target.Canvas().Handle(), 1, 0, 0);
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  EXPECT_EQ(renderer.ErrorText, "");
  EXPECT_EQ(rendertest::RasterOf(target).RGB, viaBitmap.RGB) << "painted white first, then the page";
}

// Q without a q of its own run restores nothing on the back end: a form's stray Qs do not drop
// the page's clip, which the page's own q saved. (poppler reports the stray Q and leaves the
// form's fill out altogether; no oracle here.)
TEST(CairoBackEnd, StrayRestoresInAFormKeepThePagesClip) {
  TestPdf pdf;
  const int page = pdf.AddPage("q 0 0 50 50 re W n /Fm Do Q 0 1 0 rg 60 60 30 30 re f", "<< /XObject << /Fm 5 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form /BBox [0 0 100 100] >>", "Q Q 0 0 1 rg 0 0 100 100 re f");
  std::string error;
  const testraster::Raster r = RenderCairo(pdf, page, kCairo, &error);
  if (error.find("not available") != std::string::npos) GTEST_SKIP() << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(rendertest::PixelAt(r, 25, 75), 0x0000FFu);
  EXPECT_EQ(rendertest::PixelAt(r, 75, 75), 0xFFFFFFu) << "outside the page's clip";
  EXPECT_EQ(rendertest::PixelAt(r, 75, 25), 0x00FF00u);
}

}  // namespace
