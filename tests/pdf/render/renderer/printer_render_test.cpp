// Printer output (mode 4) through a private cupsd: each fit mode, with and without turning the
// page to the paper, printed, read back by poppler at the printer's resolution and compared
// with our bitmap output of the same page placed where the paper's geometry puts it.
#include <gtest/gtest.h>

#include <cmath>

#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/printer/printer.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/private_cupsd.h"
#include "tests/support/test_support.h"

namespace {

using testraster::Raster;

// The queue's paper at 144 dpi: 840 x 1190 pixels, printable 768 x 1082 from (36, 36).
constexpr int kPaperW = 840, kPaperH = 1190, kLeft = 36, kTop = 36, kPrintW = 768, kPrintH = 1082;
constexpr double kDpi = 144;

// A landscape page (300 x 200 points) with blocks in three corners, so that a turn or a mirror
// shows.
constexpr const char* kPage =
    "1 0 0 rg 10 10 100 60 re f 0 0 1 rg 200 120 90 70 re f 0 0.6 0 rg 10 150 40 40 re f "
    "0 g 2 w 1 1 298 198 re S";

Raster Turned(const Raster& r) {  // a quarter turn clockwise
  Raster t{r.Height, r.Width, std::vector<uint8_t>(r.RGB.size())};
  for (int y = 0; y < t.Height; ++y)
    for (int x = 0; x < t.Width; ++x) std::copy_n(r.At(y, r.Height - 1 - x), 3, &t.RGB[(size_t(y) * t.Width + x) * 3]);
  return t;
}

Raster OnPaper(const Raster& page, int left, int top) {
  Raster paper{kPaperW, kPaperH, std::vector<uint8_t>(size_t(kPaperW) * kPaperH * 3, 255)};
  for (int y = 0; y < page.Height; ++y)
    for (int x = 0; x < page.Width; ++x) {
      const int px = left + x, py = top + y;
      if (px >= 0 && py >= 0 && px < kPaperW && py < kPaperH)
        std::copy_n(page.At(x, y), 3, &paper.RGB[(size_t(py) * kPaperW + px) * 3]);
    }
  return paper;
}

struct PrintCase {
  const char* name;
  uint8_t fit;
  bool turn;
  double scale;  // of the page on the paper
  bool turned;   // whether the page lies turned on the paper
  // The page's top-left corner on the paper, in pixels.
  double left, top;
};

// Placement worked out from the paper: scale to the printable area (fit 1) or not above 1
// (fit 2), bottom-left on the printable area's bottom-left, or centred when turning; fit 0
// uses the whole sheet.
const double kTurnFit = std::min(double(kPrintW) / 400, double(kPrintH) / 600);
const PrintCase kCases[] = {
    {"whole sheet", 0, false, 1, false, 0, kPaperH - 400},
    {"fit", 1, false, 1.28, false, kLeft, kTop + kPrintH - 512},
    {"shrink only", 2, false, 1, false, kLeft, kTop + kPrintH - 400},
    {"whole sheet turned and centred", 0, true, 1, true, (kPaperW - 400) / 2.0, (kPaperH - 600) / 2.0},
    {"fit turned and centred", 1, true, kTurnFit, true, kLeft + (kPrintW - 400 * kTurnFit) / 2,
     kTop + (kPrintH - 600 * kTurnFit) / 2},
    {"shrink only turned and centred", 2, true, 1, true, kLeft + (kPrintW - 400) / 2.0, kTop + (kPrintH - 600) / 2.0},
};

class PrinterRender : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!cupsd.Running()) GTEST_SKIP() << "no private cupsd: " << cupsd.Why();
    if (!testsupport::HaveTool("pdftocairo") || testraster::PythonWithPIL().empty())
      GTEST_SKIP() << "needs pdftocairo and Pillow";
  }

  // The page printed in mode 4 and read back at the printer's resolution (empty on failure).
  Raster Print(rendertest::TestPdf& pdf, int page, uint8_t fit, bool turn) {
    TPrinter printer;
    TPDFFontCollection fonts;
    TPDFRenderer renderer(&fonts);
    renderer.Options.UseGDIPlus = 1;
    renderer.Options.LibraryPath = rendertest::ProviderPath();
    renderer.Resolution = kDpi;
    renderer.Page = pdf.Dict(page);
    renderer.Mode = kRenderPrinter;
    renderer.PrinterFitMode = fit;
    renderer.PrinterRotateAndCentre = turn ? 1 : 0;
    renderer.Printer.Printer = &printer;
    if (!printer.BeginDoc()) return {};
    renderer.RenderPage();
    EXPECT_EQ(renderer.ErrorText, "");
    EXPECT_EQ(renderer.RasterWidth, kPaperW);
    EXPECT_EQ(renderer.RasterHeight, kPaperH);
    EXPECT_EQ(renderer.Options.HighQualityPaths, 1);
    const int job = printer.EndDoc();
    const std::string document = job > 0 ? cupsd.WaitForDocument(job) : std::string();
    if (document.empty()) return {};
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("job.pdf"), document);
    // poppler's cairo back end copies a picture at whole pixels as it is.
    return testraster::RenderWithPopplerCairo(dir.File("job.pdf"), dir.File("printed"), kDpi);
  }

  testsupport::PrivateCupsd cupsd;
};

TEST_F(PrinterRender, PrintedPagesMatchTheBitmapPlacedOnThePaper) {
  rendertest::TestPdf pdf;
  const int page = pdf.AddPage(kPage, "<< >>", "[0 0 300 200]");
  for (const PrintCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Raster ours = Print(pdf, page, c.fit, c.turn);
    ASSERT_EQ(ours.Width, kPaperW);
    ASSERT_EQ(ours.Height, kPaperH);
    Raster bitmap = rendertest::RenderOurs(pdf, page, nullptr, kDpi * c.scale, true, true, true);
    if (c.turned) bitmap = Turned(bitmap);
    const Raster expected = OnPaper(bitmap, int(std::lround(c.left)), int(std::lround(c.top)));
    // Edges may fall half a pixel apart; anything misplaced, turned the wrong way or scaled
    // wrongly leaves whole blocks outside.
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, expected, 40), 60);
  }
}

TEST_F(PrinterRender, AnnotationsPrintByTheirPrintFlag) {
  rendertest::TestPdf pdf;
  const int page = pdf.AddPage("", "<< >>", "[0 0 300 200]", "/Annots [5 0 R 6 0 R 7 0 R 8 0 R]");
  // Link borders (2 points, black) with the flags Print, Print + NoView, none, Print + Hidden.
  for (const char* annot : {"/Rect [10 10 60 60] /F 4", "/Rect [100 10 150 60] /F 36", "/Rect [10 100 60 150] /F 0",
                            "/Rect [100 100 150 150] /F 6"})
    pdf.Add(std::string("<< /Type /Annot /Subtype /Link /Border [0 0 2] ") + annot + " >>");
  const Raster ours = Print(pdf, page, 0, false);
  ASSERT_EQ(ours.Width, kPaperW);
  // Each border's left side, halfway up: the page's bottom-left corner is the paper's, at 2
  // pixels a point.
  const auto leftSide = [&](int x, int y) { return rendertest::PixelAt(ours, 2 * x, kPaperH - 2 * (y + 25)); };
  EXPECT_EQ(leftSide(10, 10), 0x000000u);
  EXPECT_EQ(leftSide(100, 10), 0x000000u);
  EXPECT_EQ(leftSide(10, 100), 0xFFFFFFu);
  EXPECT_EQ(leftSide(100, 100), 0xFFFFFFu);
}

TEST(PrinterRenderWithoutPrinter, DrawsNothingAndSaysSo) {
  testsupport::NoCupsServer none;
  rendertest::TestPdf pdf;
  const int page = pdf.AddPage(kPage, "<< >>", "[0 0 300 200]");
  TPrinter printer;
  for (TPrinter* p : {static_cast<TPrinter*>(nullptr), &printer}) {
    TPDFFontCollection fonts;
    TPDFRenderer renderer(&fonts);
    renderer.Page = pdf.Dict(page);
    renderer.Mode = kRenderPrinter;
    renderer.Printer.Printer = p;
    renderer.RenderPage();
    EXPECT_EQ(renderer.ErrorText, "Render output not available: mode 4");
    EXPECT_EQ(renderer.RasterWidth, 0);
  }
}

}  // namespace
