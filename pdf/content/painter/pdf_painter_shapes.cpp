// Ellipses, rounded rectangles and arcs as cubic Bezier curves.
#include <cmath>
#include <numbers>

#include "pdf/content/painter/pdf_painter.h"

namespace {

// Distance of a quarter circle's control points from its end points, per unit radius.
const double kKappa = 4.0 / 3.0 * (std::numbers::sqrt2 - 1.0);

// More turns than this draw the same outline again; the cap bounds the work for any sweep.
constexpr double kMaxSweep = 360.0 * 100;

double DegToRad(double a) { return a * std::numbers::pi / 180.0; }

}  // namespace

void TPDFPainter::Ellipse(bool fill, bool stroke, double cx, double cy, double width, double height) {
  WritePendingPaintState(true, true, true, true);
  const double rx = width / 2, ry = height / 2;
  const double kx = kKappa * rx, ky = kKappa * ry;
  auto curve = [&](double x1, double y1, double x2, double y2, double x3, double y3) {
    WriteLine(Number(x1) + Number(y1) + Number(x2) + Number(y2) + Number(x3) + Number(y3) + "c");
  };
  WriteLine(Number(cx - rx) + Number(cy) + "m");
  curve(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  curve(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  curve(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  curve(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  WritePaintOperator(fill, stroke, false);
  Changed();
  ClearPending();
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::RoundRect(bool fill, bool stroke, double left, double top, double width, double height,
                            double radius) {
  RoundRectPath(fill, stroke, left, top, width, height, radius, radius);
}

void TPDFPainter::RoundRectXY(bool fill, bool stroke, double left, double top, double width, double height,
                              double rx, double ry) {
  if (rx > width / 2) rx = width / 2;
  if (ry > height / 2) ry = height / 2;
  RoundRectPath(fill, stroke, left, top, width, height, rx, ry);
}

void TPDFPainter::RoundRectPath(bool fill, bool stroke, double left, double top, double width, double height,
                                double rx, double ry) {
  // The colour and line style texts are written whatever their flags say; the dash only when
  // flagged.
  WriteLine(StrokeText);
  WriteLine(FillText);
  WriteLine(LineStyleText);
  if (Pending(TPDFPending::Dash)) WriteLine(DashText);
  const double kx = kKappa * rx, ky = kKappa * ry;
  const double bottom = top - height, right = left + width;
  auto line = [&](double x, double y) { WriteLine(Number(x) + Number(y) + "l"); };
  auto curve = [&](double x1, double y1, double x2, double y2, double x3, double y3) {
    WriteLine(Number(x1) + Number(y1) + Number(x2) + Number(y2) + Number(x3) + Number(y3) + "c");
  };
  WriteLine(Number(left) + Number(bottom + ry) + "m");
  curve(left, bottom + ry - ky, left + rx - kx, bottom, left + rx, bottom);
  line(right - rx, bottom);
  curve(right - rx + kx, bottom, right, bottom + ry - ky, right, bottom + ry);
  line(right, top - ry);
  curve(right, top - ry + ky, right - rx + kx, top, right - rx, top);
  line(left + rx, top);
  curve(left + rx - kx, top, left, top - ry + ky, left, top - ry);
  line(left, bottom + ry);
  WritePaintOperator(fill, stroke, false);
  Changed();
  SetPending(TPDFPending::Dash, false);
  SetPending(TPDFPending::TextFill, true);
}

// Appends the arc from start to end (degrees from the top, clockwise) to the path, on a circle
// of radius r around (cx, cy) whose y offsets are multiplied by yScale.
void TPDFPainter::ArcPieces(double cx, double cy, double r, double yScale, double start, double end) {
  auto px = [&](double dx) { return cx + dx; };
  auto py = [&](double dy) { return cy + dy * yScale; };
  double rest = end - start;
  if (rest > kMaxSweep) rest = kMaxSweep;
  if (rest < -kMaxSweep) rest = -kMaxSweep;
  double a1 = start;
  do {
    const double piece = rest >= 90 ? 90 : rest;
    const double a2 = a1 + piece;
    const double t1 = DegToRad(90 - a1), t2 = DegToRad(90 - a2);
    const double ax = r * std::cos(t1), ay = r * std::sin(t1);
    const double bx = r * std::cos(t2), by = r * std::sin(t2);
    const double cross = ax * by - ay * bx;
    if (std::abs(cross) > 1e-12) {
      const double q1 = ax * ax + ay * ay, q2 = q1 + ax * bx + ay * by;
      const double k2 = 4.0 / 3.0 * (std::sqrt(2 * q1 * q2) - q2) / cross;
      CurveTo(px(ax - k2 * ay), py(ay + k2 * ax), px(bx + k2 * by), py(by - k2 * bx), px(bx), py(by));
    } else {
      // A piece of no turn (or a half turn given at once) has no curve through it.
      LineTo(px(bx), py(by));
    }
    rest -= piece;
    a1 = a2;
  } while (rest > 1e-6);
}

void TPDFPainter::Arc(bool pie, bool fill, double cx, double cy, double r, double startAngle, double endAngle,
                      bool stroke, bool close) {
  const double t = DegToRad(90 - startAngle);
  const double sx = cx + r * std::cos(t), sy = cy + r * std::sin(t);
  if (pie) {
    NewPath(cx, cy);
    LineTo(sx, sy);
  } else {
    NewPath(sx, sy);
  }
  ArcPieces(cx, cy, r, 1.0, startAngle, endAngle);
  if (pie || close) ClosePath();
  FillStroke(fill, stroke);
}

namespace {

// The angle on the unit circle that lands on angle a of an ellipse of this aspect.
double MapEllipseAngle(double a, double ratio) {
  double m = std::atan(std::tan(a * std::numbers::pi / 180.0) * ratio) * 180.0 / std::numbers::pi;
  if (a > 90 && a <= 270) m += 180;
  else if (a > 270 && a <= 360) m += 360;
  return m;
}

}  // namespace

void TPDFPainter::EllipticArc(bool pie, bool fill, double cx, double cy, double width, double height,
                              double startAngle, double endAngle, bool stroke, bool close) {
  // A flat ellipse (no width) has no aspect; it degenerates to its centre line.
  const double ratio = width != 0 ? height / width : 0;
  const double r = width / 2;
  const double start = MapEllipseAngle(startAngle, ratio);
  const double end = MapEllipseAngle(endAngle, ratio);
  const double t = DegToRad(90 - start);
  const double sx = cx + r * std::cos(t), sy = cy + r * std::sin(t) * ratio;
  if (pie) {
    NewPath(cx, cy);
    LineTo(sx, sy);
  } else {
    NewPath(sx, sy);
  }
  ArcPieces(cx, cy, r, ratio, start, end);
  if (pie || close) ClosePath();
  FillStroke(fill, stroke);
}
