// Pattern and shading fills of the outputs that have no pattern brush: EPS and the HTML5 page
// get them as pictures. The pattern is painted over the picture's pixels (by the same canvas
// code as the bitmap), the picture placed where those pixels lie, and cut to the path or to
// the clip in force. EPS pictures cover the page box in the page's default space; HTML5
// pictures cover the part of the raster the fill can reach, in device pixels.
#include <algorithm>
#include <cmath>
#include <string>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"

namespace {

bool Invert(const TPDFMatrix& m, TPDFMatrix& out) {
  const double det = m[0] * m[3] - m[1] * m[2];
  if (det == 0 || !std::isfinite(det)) return false;
  out = {m[3] / det, -m[1] / det, -m[2] / det, m[0] / det, (m[2] * m[5] - m[3] * m[4]) / det,
         (m[1] * m[4] - m[0] * m[5]) / det};
  return true;
}

int32_t PixelEdge(double v, int32_t most, bool up) {
  if (std::isnan(v)) return 0;
  return int32_t(std::clamp(up ? std::ceil(v) : std::floor(v), 0.0, double(most)));
}

}  // namespace

void TPDFRenderer::SetEPSBox(double x1, double y1, double x2, double y2) {
  epsBox_ = {x1, y1, x2, y2};
  const double w = std::max(x2 - x1, 1.0), h = std::max(y2 - y1, 1.0), scale = Resolution / 72;
  int64_t pw = int64_t(std::ceil(std::min(w * scale, 1e6))), ph = int64_t(std::ceil(std::min(h * scale, 1e6)));
  FitEPSPicture(pw, ph);
  epsPictureWidth_ = int32_t(pw), epsPictureHeight_ = int32_t(ph);
  // The page's default space onto the picture's pixels, rows from the top.
  epsDevice_ = {pw / w, 0, 0, -ph / h, -x1 * pw / w, y2 * ph / h};
}

bool TPDFRenderer::PaintsAsPicture(const TZRXPattern* pattern) {
  return pattern != nullptr && (pattern->Kind == TZRXPattern::kAxial || pattern->Kind == TZRXPattern::kTiling);
}

// toPicture takes the output's coordinates of the pattern's base onto the picture's pixels.
TPDFRenderer::TEPSPainter TPDFRenderer::PatternPainter(TPDFContentRun& run, TZRXPattern& pattern,
                                                        const TPDFMatrix& toPicture) {
  TPDFMatrix device;
  const TPDFMatrix base = {pattern.Base[0], pattern.Base[1], pattern.Base[2],
                           pattern.Base[3], pattern.Base[4], pattern.Base[5]};
  MatrixMultiply(device, base, toPicture);
  const double alpha = run.State.FillAlpha;
  const uint32_t colour = run.State.FillColor;  // an uncoloured cell's
  return [&pattern, device, alpha, colour](TPDFDaubrix& canvas) {
    canvas.SetFillAlpha(alpha);
    canvas.SetFillColor(colour);
    canvas.SetMatrix(device);
    canvas.SetFillPattern(&pattern);
    canvas.FillClipBounds();
    return true;
  };
}

void TPDFRenderer::PaintEPSPattern(TPDFContentRun& run, TZRXPattern& pattern, bool clipToPath, bool evenOdd) {
  TPDFEPSExport& eps = *run.EPS;
  TPDFMatrix back;
  if (!Invert(CurrentMatrix, back)) return;
  eps.SaveState();
  if (clipToPath) {
    eps.Clip(evenOdd);
    eps.NewPath();
  }
  eps.ConcatMatrix(back);
  eps.ConcatMatrix({epsBox_[2] - epsBox_[0], 0, 0, epsBox_[3] - epsBox_[1], epsBox_[0], epsBox_[1]});
  const std::string id = "Pattern" + std::to_string(++epsPictures_);
  if (!WriteEPSPicture(run, epsPictureWidth_, epsPictureHeight_, true, PatternPainter(run, pattern, epsDevice_), id,
                       false, false))
    ErrorText = kImageDrawError;
  eps.RestoreState();
}

void TPDFRenderer::PaintHTML5Pattern(TPDFContentRun& run, TZRXPattern& pattern, bool clipToPath,
                                     const std::array<double, 4>& reach) {
  const int32_t left = PixelEdge(reach[0], RasterWidth, false), top = PixelEdge(reach[1], RasterHeight, false);
  const int32_t right = PixelEdge(reach[2], RasterWidth, true), bottom = PixelEdge(reach[3], RasterHeight, true);
  if (right <= left || bottom <= top) return;
  int64_t w = right - left, h = bottom - top;
  FitEPSPicture(w, h, true);
  const double sx = double(w) / (right - left), sy = double(h) / (bottom - top);
  TBitmap colours, coverage;
  bool masked = false;
  if (!PaintPicture(int32_t(w), int32_t(h), true, PatternPainter(run, pattern, {sx, 0, 0, sy, -left * sx, -top * sy}),
                    colours, coverage, masked)) {
    ErrorText = kImageDrawError;
    return;
  }
  run.Canvas->FillHTML5Picture(colours, masked ? &coverage : nullptr, left, top, right, bottom, clipToPath);
}

// The HTML5 page fills with a pattern through its picture, then strokes or ends the path as
// the other outputs do.
void TPDFRenderer::FinishPaint(TPDFContentRun& run, bool fill, bool stroke, const std::array<double, 4>& reach) {
  if (fill && run.Visible && run.Canvas->BackEnd() == kBackEndHTML5 && PaintsAsPicture(run.State.FillPattern)) {
    PaintHTML5Pattern(run, *run.State.FillPattern, true, reach);
    fill = false;
  }
  run.FinishPath(fill, stroke);
}
