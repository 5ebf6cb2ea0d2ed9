// Rectangles, rounded rectangles, ellipses, arcs, chords, pies and pixels.
//
// Curved shapes are built in logical units and every point goes through the full transform, so
// they keep their place and shape under any mapping mode or world transform. Arc angles are
// the parametric angles of the radial points (atan2 of the point's offsets over the radii);
// the sweep runs in the arc direction in logical space (the player's advanced graphics mode:
// a mirroring transform mirrors the arc too), in pieces of at most 90 degrees either way.
#include <cmath>
#include <numbers>

#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "platform/rtl/numbers.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// The sweep from a to b (degrees) in one direction: positive sweeps in (0, 360], negative
// ones in [-360, 0); equal angles make a whole turn.
double Sweep(double a, double b, bool positive) {
  double d = std::fmod(positive ? b - a : a - b, 360.0);
  if (d <= 1e-9) d += 360.0;
  return positive ? d : -d;
}

}  // namespace

void TPDFMetafile::AddEllipseArc(TMetafilePath& path, double cx, double cy, double rx, double ry, double t0,
                                 double sweep, bool startFigure) {
  auto point = [&](double t) { return Map(cx + rx * std::cos(t * kDeg), cy + ry * std::sin(t * kDeg)); };
  if (startFigure)
    path.MoveTo(point(t0));
  else
    path.LineTo(point(t0));
  sweep = std::clamp(sweep, -360.0, 360.0);
  const int pieces = std::max(1, int(std::ceil(std::abs(sweep) / 90.0 - 1e-9)));
  const double step = sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step * kDeg / 4.0);
  for (int i = 0; i < pieces; ++i) {
    const double a = (t0 + step * i) * kDeg, b = (t0 + step * (i + 1)) * kDeg;
    const double ax = cx + rx * std::cos(a), ay = cy + ry * std::sin(a);
    const double bx = cx + rx * std::cos(b), by = cy + ry * std::sin(b);
    path.CurveTo(Map(ax - k * rx * std::sin(a), ay + k * ry * std::cos(a)),
                 Map(bx + k * rx * std::sin(b), by - k * ry * std::cos(b)), Map(bx, by));
  }
}

void TPDFMetafile::AddRectangle(TMetafilePath& path, double l, double t, double r, double b) {
  path.MoveTo(Map(l, t));
  path.LineTo(Map(r, t));
  path.LineTo(Map(r, b));
  path.LineTo(Map(l, b));
  path.Close();
}

void TPDFMetafile::HandleShape(const TMetafileRecord& r) {
  const double l = r.I32(8), t = r.I32(12), rt = r.I32(16), b = r.I32(20);
  TMetafilePath figure;
  switch (r.Type) {
    case emr::Rectangle: AddRectangle(figure, l, t, rt, b); break;
    case emr::Ellipse: {
      const double rx = std::abs(rt - l) / 2, ry = std::abs(b - t) / 2;
      AddEllipseArc(figure, (l + rt) / 2, (t + b) / 2, rx, ry, 0, 360, true);
      figure.Close();
      break;
    }
    case emr::RoundRect: {
      const double x0 = std::min(l, rt), x1 = std::max(l, rt), y0 = std::min(t, b), y1 = std::max(t, b);
      // The corners' radii are whole units: half the corner ellipse's size, rounded.
      const double rx = std::min(double(RoundHalfEven(std::abs(double(r.I32(24))) / 2)), (x1 - x0) / 2);
      const double ry = std::min(double(RoundHalfEven(std::abs(double(r.I32(28))) / 2)), (y1 - y0) / 2);
      // Corners from the top-right, going round through the right, bottom and left edges.
      AddEllipseArc(figure, x1 - rx, y0 + ry, rx, ry, 270, 90, true);
      AddEllipseArc(figure, x1 - rx, y1 - ry, rx, ry, 0, 90, false);
      AddEllipseArc(figure, x0 + rx, y1 - ry, rx, ry, 90, 90, false);
      AddEllipseArc(figure, x0 + rx, y0 + ry, rx, ry, 180, 90, false);
      figure.Close();
      break;
    }
    case emr::SetPixelV: {
      // The reference device's pixel that the point falls on (its coordinates rounded, as
      // the player maps points), in the pixel's colour.
      const TMetafilePoint c = Map(r.I32(8), r.I32(12));
      const TPDFMatrix& m = DeviceTransform;
      if (m[0] == 0 || m[3] == 0) return;
      const double dx = std::nearbyint((c.X - m[4]) / m[0]), dy = std::nearbyint((c.Y - m[5]) / m[3]);
      if (!(std::abs(dx) < 1e9 && std::abs(dy) < 1e9)) return;
      figure.MoveTo(MapDevice(dx, dy));
      figure.LineTo(MapDevice(dx + 1, dy));
      figure.LineTo(MapDevice(dx + 1, dy + 1));
      figure.LineTo(MapDevice(dx, dy + 1));
      figure.Close();
      FillWithColor(figure, ResolveColorRef(r.U32(16)), false);
      return;
    }
    default: return;
  }
  Draw(figure, true, true, false);
}

void TPDFMetafile::HandleArc(const TMetafileRecord& r) {
  const double l = r.I32(8), t = r.I32(12), rt = r.I32(16), b = r.I32(20);
  const double cx = (l + rt) / 2, cy = (t + b) / 2, rx = std::abs(rt - l) / 2, ry = std::abs(b - t) / 2;
  const double sx = r.I32(24), sy = r.I32(28), ex = r.I32(32), ey = r.I32(36);
  if (rx <= 0 || ry <= 0) return;  // a box without width or height has no arc
  const double t0 = std::atan2((sy - cy) / ry, (sx - cx) / rx) / kDeg;
  const double t1 = std::atan2((ey - cy) / ry, (ex - cx) / rx) / kDeg;
  // Counter-clockwise as seen with y pointing down: a falling parametric angle.
  const double sweep = Sweep(t0, t1, ArcDirection != 1);
  TMetafilePath figure;
  switch (r.Type) {
    case emr::Arc: AddEllipseArc(figure, cx, cy, rx, ry, t0, sweep, true); break;
    case emr::Chord:
      AddEllipseArc(figure, cx, cy, rx, ry, t0, sweep, true);
      figure.Close();
      break;
    case emr::Pie:
      figure.MoveTo(Map(cx, cy));
      AddEllipseArc(figure, cx, cy, rx, ry, t0, sweep, false);
      figure.Close();
      break;
    case emr::ArcTo: {
      figure.MoveTo(StartPoint());
      AddEllipseArc(figure, cx, cy, rx, ry, t0, sweep, false);
      const double te = (t0 + sweep) * kDeg;
      SetCurrent(cx + rx * std::cos(te), cy + ry * std::sin(te));
      Draw(figure, false, true, true);
      return;
    }
    default: return;
  }
  Draw(figure, r.Type != emr::Arc, true, false);
}

void TPDFMetafile::HandleAngleArc(const TMetafileRecord& r) {
  const double cx = r.I32(8), cy = r.I32(12), radius = r.U32(16);
  const double start = r.F32(20), sweepDeg = std::clamp(r.F32(24), -360.0, 360.0);
  // Angles count counter-clockwise with y pointing down, whatever the arc direction.
  const double sign = -1;
  TMetafilePath figure;
  figure.MoveTo(StartPoint());
  AddEllipseArc(figure, cx, cy, radius, radius, start * sign, sweepDeg * sign, false);
  const double te = (start + sweepDeg) * sign * kDeg;
  SetCurrent(cx + radius * std::cos(te), cy + radius * std::sin(te));
  Draw(figure, false, true, true);
}
