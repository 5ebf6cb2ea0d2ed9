// The printer over CUPS: capabilities from media, the "no printer" answers without a server,
// and with a private cupsd the printer's list, its device and a printed document read back
// through poppler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/gdi/dc.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/printer/printer.h"
#include "platform/gdi/printer/printer_dc.h"
#include "tests/support/private_cupsd.h"
#include "tests/support/test_support.h"

namespace {

struct CapsCase {
  const char* name;
  PrinterDevice device;
  // Expected: physical width and height, offsets, printable width and height, in pixels.
  int pw, ph, ox, oy, hres, vres;
};

// Millimetres of ISO and US papers and the pixels they make, worked out by hand from the
// papers' sizes in points (A5 is 420 x 595 points, Letter 612 x 792).
const CapsCase kCaps[] = {
    {"A5 at 144 dpi, margins 18/18/18/36 pt", {"p", {14817, 20990, 635, 635, 635, 1270}, 144, 144},
     840, 1190, 36, 36, 768, 1082},
    {"Letter at 300 dpi, no margins", {"p", {21590, 27940, 0, 0, 0, 0}, 300, 300}, 2550, 3300, 0, 0, 2550, 3300},
    {"A4 at 600 x 300 dpi", {"p", {21000, 29700, 500, 500, 400, 400}, 600, 300}, 4961, 3508, 118, 47, 4725, 3414},
};

TEST(PrinterDeviceCaps, MediaAndMarginsBecomeDevicePixels) {
  for (const CapsCase& c : kCaps) {
    SCOPED_TRACE(c.name);
    const DeviceCaps caps = PrinterDeviceCaps(c.device);
    EXPECT_EQ(DeviceCapsValue(caps, PHYSICALWIDTH), c.pw);
    EXPECT_EQ(DeviceCapsValue(caps, PHYSICALHEIGHT), c.ph);
    EXPECT_EQ(DeviceCapsValue(caps, PHYSICALOFFSETX), c.ox);
    EXPECT_EQ(DeviceCapsValue(caps, PHYSICALOFFSETY), c.oy);
    EXPECT_EQ(DeviceCapsValue(caps, HORZRES), c.hres);
    EXPECT_EQ(DeviceCapsValue(caps, VERTRES), c.vres);
    EXPECT_EQ(DeviceCapsValue(caps, LOGPIXELSX), c.device.dpiX);
    EXPECT_EQ(DeviceCapsValue(caps, LOGPIXELSY), c.device.dpiY);
    EXPECT_EQ(DeviceCapsValue(caps, TECHNOLOGY), DT_RASPRINTER);
  }
}

TEST(PrinterDeviceCaps, StatedResolutionsAreKeptSane) {
  const std::pair<int, int> cases[] = {{0, 300}, {-5, 300}, {50, 72}, {144, 144}, {600, 600}, {2400, 600}};
  for (auto [stated, kept] : cases) EXPECT_EQ(PrinterDpiFromStated(stated), kept) << stated;
}

TEST(PrinterDeviceCaps, APageTooLargeForABitmapGivesNoDC) {
  const PrinterDevice huge{"p", {2540000, 2540000, 0, 0, 0, 0}, 600, 600};  // 25.4 m square
  EXPECT_EQ(CreatePrinterDC(huge, false), nullptr);
  HDC ic = CreatePrinterDC(huge, true);  // an information context needs no page
  ASSERT_NE(ic, nullptr);
  EXPECT_EQ(GetDeviceCaps(ic, PHYSICALWIDTH), 600000);
  DeleteDC(ic);
}

TEST(PrinterWithoutServer, EveryQueryAnswersNothing) {
  testsupport::NoCupsServer none;
  TPrinter printer;
  EXPECT_TRUE(printer.Printers().empty());
  EXPECT_EQ(printer.PrinterIndex(), -1);
  EXPECT_EQ(printer.Handle(), nullptr);
  EXPECT_EQ(printer.Canvas(), nullptr);
  EXPECT_EQ(printer.PageWidth(), 0);
  EXPECT_EQ(printer.PageHeight(), 0);
  EXPECT_FALSE(printer.BeginDoc());
  EXPECT_EQ(printer.EndDoc(), 0);
  std::string device = "x", driver = "x", port = "x";
  HGLOBAL mode = reinterpret_cast<HGLOBAL>(1);
  printer.GetPrinter(device, driver, port, mode);
  EXPECT_EQ(device, "");
  EXPECT_EQ(mode, nullptr);
  EXPECT_EQ(CreateICA("WINSPOOL", "VelmoraTest", nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateDCA("WINSPOOL", "VelmoraTest", nullptr, nullptr), nullptr);
}

class PrinterOnCupsd : public ::testing::Test {
 protected:
  testsupport::PrivateCupsd cupsd;
};

TEST_F(PrinterOnCupsd, ListsTheDestinationWithItsMediaAndResolution) {
  REQUIRE_CUPSD(cupsd);
  TPrinter printer;
  ASSERT_EQ(printer.Printers(), std::vector<std::string>{testsupport::PrivateCupsd::kQueue});
  EXPECT_EQ(printer.PrinterIndex(), 0);
  HDC dc = printer.Handle();
  ASSERT_NE(dc, nullptr);
  // The queue's paper: A5, printable from (18, 36) to (402, 577) points, at 144 dpi.
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 144);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 144);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 840);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 1190);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 36);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETY), 36);
  EXPECT_EQ(printer.PageWidth(), 768);
  EXPECT_EQ(printer.PageHeight(), 1082);
  EXPECT_EQ(GetDCBitmap(dc)->Width(), 840);

  std::string device, driver, port;
  HGLOBAL mode = nullptr;
  printer.GetPrinter(device, driver, port, mode);
  EXPECT_EQ(device, testsupport::PrivateCupsd::kQueue);
  auto* devmode = static_cast<DEVMODEA*>(GlobalLock(mode));
  ASSERT_NE(devmode, nullptr);
  EXPECT_STREQ(devmode->dmDeviceName, testsupport::PrivateCupsd::kQueue);
  EXPECT_EQ(devmode->dmPaperWidth, 1481);  // tenths of a millimetre
  EXPECT_EQ(devmode->dmPrintQuality, 144);
  GlobalUnlock(mode);

  HDC ic = CreateICA(driver.c_str(), device.c_str(), port.c_str(), nullptr);
  ASSERT_NE(ic, nullptr);
  EXPECT_EQ(GetDeviceCaps(ic, VERTRES), 1082);
  EXPECT_EQ(GetDeviceCaps(ic, PHYSICALOFFSETY), 36);
  DeleteDC(ic);
  EXPECT_EQ(CreateICA("WINSPOOL", "NoSuchPrinter", nullptr, nullptr), nullptr);
}

// Pixels of a printed page that differ from the expected colour by more than a small amount.
// poppler resamples the page's picture, so the pixels along an edge of the expectation may
// take either side's colour and are not counted.
int CountWrong(const testsupport::PpmImage& page, const std::function<uint32_t(int, int)>& expected) {
  const auto onEdge = [&](int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (expected(x + dx, y + dy) != expected(x, y)) return true;
    return false;
  };
  int wrong = 0;
  for (int y = 0; y < page.Height; ++y)
    for (int x = 0; x < page.Width; ++x) {
      if (onEdge(x, y)) continue;
      const uint8_t* p = &page.RGB[(size_t(y) * page.Width + x) * 3];
      const uint32_t e = expected(x, y);
      const int dr = std::abs(p[0] - int(e >> 16 & 0xFF)), dg = std::abs(p[1] - int(e >> 8 & 0xFF)),
                db = std::abs(p[2] - int(e & 0xFF));
      if (std::max({dr, dg, db}) > 8) ++wrong;
    }
  return wrong;
}

TEST_F(PrinterOnCupsd, PrintsPagesThatPopplerReadsBack) {
  REQUIRE_CUPSD(cupsd);
  REQUIRE_TOOL("pdftoppm");
  TPrinter printer;
  printer.Title = "two pages";
  ASSERT_TRUE(printer.BeginDoc());
  TCanvas* canvas = printer.Canvas();
  ASSERT_NE(canvas, nullptr);
  canvas->Brush().SetColor(TColor(0x0000FF));  // red
  canvas->FillRect(TRect{100, 200, 300, 500});
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  canvas->Brush().SetColor(TColor(0xFF0000));  // blue
  canvas->FillRect(TRect{700, 1000, 840, 1190});
  const int job = printer.EndDoc();
  ASSERT_GT(job, 0);
  EXPECT_FALSE(printer.Printing());

  const std::string document = cupsd.WaitForDocument(job);
  ASSERT_FALSE(document.empty());
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("job.pdf"), document);
  std::string info;
  testsupport::Run("pdfinfo '" + dir.File("job.pdf") + "'", &info);
  EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
  EXPECT_NE(info.find("420 x 595 pts"), std::string::npos) << info;

  const auto first = testsupport::RasterizeWithPdftoppm(dir.File("job.pdf"), 144, 1);
  ASSERT_EQ(first.Width, 840);
  ASSERT_EQ(first.Height, 1190);
  EXPECT_EQ(CountWrong(first, [](int x, int y) {
              return x >= 100 && x < 300 && y >= 200 && y < 500 ? 0xFF0000u : 0xFFFFFFu;
            }),
            0);
  const auto second = testsupport::RasterizeWithPdftoppm(dir.File("job.pdf"), 144, 2);
  ASSERT_EQ(second.Width, 840);
  // The second page starts white: nothing of the first page's red remains.
  EXPECT_EQ(CountWrong(second, [](int x, int y) { return x >= 700 && y >= 1000 ? 0x0000FFu : 0xFFFFFFu; }), 0);
}

TEST_F(PrinterOnCupsd, AnAbortedDocumentSendsNothing) {
  REQUIRE_CUPSD(cupsd);
  TPrinter printer;
  ASSERT_TRUE(printer.BeginDoc());
  EXPECT_FALSE(printer.BeginDoc());  // one document at a time
  printer.Abort();
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.EndDoc(), 0);
}

}  // namespace
