// Printer output: the printer's physical page as the raster and the page placed on the paper.
#include <algorithm>
#include <cmath>
#include <utility>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/numbers.h"

namespace {

void Prepend(TPDFMatrix& current, const TPDFMatrix& t) { MatrixMultiply(current, t, current); }

}  // namespace

bool TPDFRenderer::PreparePrinter(TPDFDaubrix& canvas) {
  TCanvas* target = GetPrinterCanvas(Printer);
  HDC dc = GetPrinterHandle(Printer);
  // With no printer nothing can be drawn, and saying so beats a render that seems to succeed.
  if (target == nullptr || dc == nullptr) {
    ErrorText = kModeUnavailableText + IntToStr(Mode);
    RasterWidth = RasterHeight = 0;
    return false;
  }
  if (!SizeRaster(GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT))) return false;
  Options.HighQualityPaths = 1;
  target->Brush().SetStyle(bsSolid);
  target->Brush().SetColor(TColor(0xFFFFFF));
  target->FillRect(TRect{0, 0, RasterWidth, RasterHeight});
  if (Options.UseGDIPlus != 0)
    canvas.Setup(target, Options);
  else
    canvas.SetTarget(target);
  return true;
}

void TPDFRenderer::PrinterDeviceMatrix(double& w, double& h, int32_t& rotation) {
  HDC dc = GetPrinterHandle(Printer);
  double pw = RasterWidth, ph = RasterHeight, ox = 0, oy = 0;
  if (PrinterFitMode != 0) {
    pw = GetPrinterPageWidth(Printer);
    ph = GetPrinterPageHeight(Printer);
    ox = GetDeviceCaps(dc, PHYSICALOFFSETX);
    oy = GetDeviceCaps(dc, PHYSICALOFFSETY);
  }
  const double height = RasterHeight;
  Prepend(CurrentMatrix, {1, 0, 0, 1, ox, -((height - ph) - oy)});
  if (PrinterRotateAndCentre != 0 && ((h < w && pw < ph) || (w < h && ph < pw))) {
    rotation = (rotation + 90) % 360;
    std::swap(w, h);
  }
  Prepend(CurrentMatrix, {1, 0, 0, 1, 0, height});
  Prepend(CurrentMatrix, {Resolution / 72, 0, 0, -Resolution / 72, 0, 0});
  // The printable area in points.
  const double aw = pw * 72 / Resolution, ah = ph * 72 / Resolution;
  double s = 1;
  if (PrinterFitMode == 1 || PrinterFitMode == 2) {
    s = std::min(aw / w, ah / h);
    if (PrinterFitMode == 2) s = std::min(s, 1.0);
    // Paper with no printable area leaves the page unscaled rather than undefined.
    if (!(s > 0) || !std::isfinite(s)) s = 1;
    if (s != 1) Prepend(CurrentMatrix, {s, 0, 0, s, 0, 0});
  }
  if (PrinterRotateAndCentre != 0) {
    const double dx = (w * s - aw) / 2, dy = (h * s - ah) / 2;
    Prepend(CurrentMatrix, {1, 0, 0, 1, -dx / s, -dy / s});
  }
}
