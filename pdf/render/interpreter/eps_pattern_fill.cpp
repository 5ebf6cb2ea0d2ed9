// Pattern and shading fills of EPS output. PostScript gets them as pictures: the pattern
// painted over the whole page box at the output's resolution (by the same canvas code as the
// bitmap), drawn in the page's default space, and cut to the path or to the clip in force.
#include <cmath>
#include <string>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "pdf/render/renderer/renderer.h"

namespace {

bool Invert(const TPDFMatrix& m, TPDFMatrix& out) {
  const double det = m[0] * m[3] - m[1] * m[2];
  if (det == 0 || !std::isfinite(det)) return false;
  out = {m[3] / det, -m[1] / det, -m[2] / det, m[0] / det, (m[2] * m[5] - m[3] * m[4]) / det,
         (m[1] * m[4] - m[0] * m[5]) / det};
  return true;
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

bool TPDFRenderer::PaintsAsEPSPicture(const TZRXPattern* pattern) {
  return pattern != nullptr && (pattern->Kind == TZRXPattern::kAxial || pattern->Kind == TZRXPattern::kTiling);
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
  TPDFMatrix device;
  const TPDFMatrix base = {pattern.Base[0], pattern.Base[1], pattern.Base[2],
                           pattern.Base[3], pattern.Base[4], pattern.Base[5]};
  MatrixMultiply(device, base, epsDevice_);
  const double alpha = std::isnan(run.State.FillAlpha) ? 0.0 : std::clamp(run.State.FillAlpha, 0.0, 1.0);
  const TEPSPainter paint = [&](TPDFDaubrix& canvas) {
    canvas.SetFillAlpha(alpha);
    canvas.SetMatrix(device);
    canvas.SetFillPattern(&pattern);
    canvas.FillClipBounds();
    return true;
  };
  const std::string id = "Pattern" + std::to_string(++epsPictures_);
  if (!WriteEPSPicture(run, epsPictureWidth_, epsPictureHeight_, true, paint, id, false, false))
    ErrorText = kImageDrawError;
  eps.RestoreState();
}
