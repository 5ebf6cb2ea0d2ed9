// The GDI back end: paths through the device context of the target canvas, with integer
// coordinates (halves to even). Fill rule, alphas, dashes, caps, joins and patterns are not
// applied; images are drawn by the canvas itself.
#include <cmath>
#include <limits>

#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/path.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/numbers.h"

namespace {

// Device coordinates far outside any bitmap still have to become integers without overflow.
int Device(double v) {
  if (!std::isfinite(v)) return 0;
  constexpr double kLimit = 1 << 26;
  if (v > kLimit) return int(kLimit);
  if (v < -kLimit) return -int(kLimit);
  return int(RoundHalfEven(v));
}

}  // namespace

HDC TPDFDaubrix::TargetDC() const { return target_ ? target_->Handle() : nullptr; }

void TPDFDaubrix::GdiNewPath() {
  if (HDC dc = TargetDC()) ::BeginPath(dc);
}

void TPDFDaubrix::GdiMoveTo(double x, double y) {
  if (HDC dc = TargetDC()) MoveToEx(dc, Device(x), Device(y), nullptr);
}

void TPDFDaubrix::GdiLineTo(double x, double y) {
  if (HDC dc = TargetDC()) ::LineTo(dc, Device(x), Device(y));
}

void TPDFDaubrix::GdiCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (HDC dc = TargetDC()) {
    const POINT pts[3] = {{Device(x1), Device(y1)}, {Device(x2), Device(y2)}, {Device(x3), Device(y3)}};
    PolyBezierTo(dc, pts, 3);
  }
}

void TPDFDaubrix::GdiClosePath() {
  if (HDC dc = TargetDC()) ::CloseFigure(dc);
}

void TPDFDaubrix::GdiPaint(bool fill, bool stroke) {
  if (!target_) return;
  const int width = Device(lineWidth_);
  if (fill) {
    target_->Brush().SetColor(TColor(fillColor_ & 0xFFFFFF));
    target_->Brush().SetStyle(bsSolid);
  } else {
    target_->Brush().SetStyle(bsClear);
  }
  if (stroke) {
    target_->Pen().SetColor(TColor(strokeColor_ & 0xFFFFFF));
    target_->Pen().SetWidth(width < 0 ? 0 : width);
    target_->Pen().SetStyle(psSolid);
  } else {
    target_->Pen().SetStyle(psClear);
  }
  HDC dc = target_->Handle();
  ::EndPath(dc);
  if (fill && stroke) ::StrokeAndFillPath(dc);
  else if (fill) ::FillPath(dc);
  else ::StrokePath(dc);
}
