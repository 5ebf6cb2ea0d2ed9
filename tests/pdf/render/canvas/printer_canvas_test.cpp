// The printer target: nothing without a printer; with the information-context flag one local
// canvas whose font keeps its points at the printer's resolution.
#include <gtest/gtest.h>

#include "pdf/render/canvas/printer_canvas.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/printer/printer.h"
#include "tests/support/private_cupsd.h"

namespace {

TEST(PrinterTarget, WithoutAPrinterEveryQueryIsEmpty) {
  TPDFPrinterTarget target;
  for (uint8_t flag : {0, 1}) {
    target.InformationContext = flag;
    EXPECT_EQ(GetPrinterCanvas(target), nullptr);
    EXPECT_EQ(GetPrinterHandle(target), nullptr);
    EXPECT_EQ(GetPrinterPageWidth(target), 0);
    EXPECT_EQ(GetPrinterPageHeight(target), 0);
  }
}

TEST(PrinterTarget, APrinterObjectWithoutDestinationsGivesNothingEither) {
  testsupport::NoCupsServer none;
  TPrinter printer;
  TPDFPrinterTarget target;
  target.Printer = &printer;
  EXPECT_EQ(GetPrinterCanvas(target), nullptr);
  EXPECT_EQ(GetPrinterHandle(target), nullptr);
  EXPECT_EQ(GetPrinterPageWidth(target), 0);
  // The local canvas exists, but the information context it asks for does not.
  target.InformationContext = 1;
  TCanvas* local = GetPrinterCanvas(target);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(local->Handle(), nullptr);
}

class PrinterTargetOnCupsd : public ::testing::Test {
 protected:
  testsupport::PrivateCupsd cupsd;
};

TEST_F(PrinterTargetOnCupsd, TheFlagChoosesTheLocalCanvasAndTheGivenDC) {
  REQUIRE_CUPSD(cupsd);
  TPrinter printer;
  TPDFPrinterTarget target;
  target.Printer = &printer;
  EXPECT_EQ(GetPrinterCanvas(target), printer.Canvas());
  EXPECT_EQ(GetPrinterHandle(target), printer.Handle());
  EXPECT_EQ(GetPrinterPageWidth(target), 768);
  EXPECT_EQ(GetPrinterPageHeight(target), 1082);

  HDC given = CreateCompatibleDC(nullptr);
  target.DC = given;
  target.InformationContext = 1;
  TCanvas* first = GetPrinterCanvas(target);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, printer.Canvas());
  EXPECT_EQ(GetPrinterCanvas(target), first);
  EXPECT_EQ(GetPrinterHandle(target), given);
  target.LocalCanvas.reset();
  DeleteDC(given);
}

TEST_F(PrinterTargetOnCupsd, AFontKeepsItsPointsAtThePrintersResolution) {
  REQUIRE_CUPSD(cupsd);
  TPrinter printer;
  TLocalCanvas canvas(&printer);
  canvas.Font().SetSize(10);
  EXPECT_EQ(canvas.Font().Height(), -13);  // 10 points at 96 dpi, before there is a handle
  HDC ic = canvas.Handle();
  ASSERT_NE(ic, nullptr);
  EXPECT_EQ(GetDeviceCaps(ic, LOGPIXELSY), 144);
  EXPECT_EQ(canvas.Font().Size(), 10);
  EXPECT_EQ(canvas.Font().Height(), -20);  // 10 points at 144 dpi
  // A font taken over later at the screen's resolution is adjusted when the canvas is used.
  TFont screenFont;
  screenFont.SetSize(12);
  canvas.Font().Assign(screenFont);
  canvas.Font().PixelsPerInch = 96;
  canvas.Handle();
  EXPECT_EQ(canvas.Font().PixelsPerInch, 144);
  EXPECT_EQ(canvas.Font().Size(), 12);
  EXPECT_EQ(canvas.Font().Height(), -24);
}

}  // namespace
