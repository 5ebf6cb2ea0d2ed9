// Helpers of the canvas tests: provider paths, settings that name them, 24-bit target
// bitmaps, pixel reads, small encoded images, and a canvas that records its calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/support/test_support.h"

namespace canvastest {

std::string ProviderPath();
std::string BrokenProviderPath();
// Exports only the entry points every drawing needs: a binding must refuse it.
std::string RequiredOnlyProviderPath();
// The whole provider under another name, a module of its own.
std::string CopyProviderPath();
WideString Wide(const std::string& s);

// Default settings naming a provider.
TGDIPlusSettings SettingsFor(const std::string& providerPath);

// A 24-bit bitmap filled white.
std::unique_ptr<TBitmap> WhiteBitmap(int width, int height);
// 0x00RRGGBB of a pixel.
uint32_t Pixel(TBitmap& bitmap, int x, int y);
// Pixels that are not white inside [x0, x1) x [y0, y1).
int CountNonWhite(TBitmap& bitmap, int x0, int y0, int x1, int y1);
// Sum of (255 - red) / 255 over the whole bitmap: the painted area of a black-on-white picture,
// with partly covered edge pixels counted by their coverage.
double Coverage(TBitmap& bitmap);

// A closed rectangle (x0, y0)-(x1, y1) added to the canvas's current path.
void RectFigure(TPDFGenericCanvas& c, double x0, double y0, double x1, double y1);

// A canvas of the given back end (1 GDI, 2 GDI+ from the real provider) on the bitmap; the
// test fails when GDI+ is asked for and does not come up.
std::unique_ptr<TPDFDaubrix> CanvasOn(TBitmap& bitmap, uint8_t backEnd);

// A 24-bit picture of 0x00RRGGBB values, top row first, encoded as BMP or PNG (PNG as RGBA
// with the given alpha values when `alpha` is not empty).
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};
Picture TestPicture(int width, int height);
std::string EncodeBmp(const Picture& p);
std::string EncodePng(const Picture& p, const std::vector<uint8_t>& alpha = {});

// Every call a canvas receives, as text ("M 1 2", "L 3 4", "C ...", "Q ...", "Z", "N", "S",
// "F", "B", "I").
class RecordingCanvas : public TPDFGenericCanvas {
 public:
  std::vector<std::string> calls;
  void NewPath() override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void QuadCurveTo(double x1, double y1, double x2, double y2) override;
  void ClosePath() override;
  void Stroke() override;
  void Fill() override;
  void FillAndStroke() override;
  void DrawImage(TGraphic&, double, double, double, double, double, double) override;
};

}  // namespace canvastest

// Both raster back ends, for table-driven tests.
class BothBackEnds : public testing::TestWithParam<uint8_t> {};
std::string BackEndName(const testing::TestParamInfo<uint8_t>& info);
