// Filling and stroking paths.
#include <algorithm>
#include <cmath>

#include "platform/gdiplus/gp_internal.h"
#include "platform/gdiplus/metafile_recorder.h"

namespace gdiplus {
namespace {

cairo_line_cap_t CapFor(GpLineCap cap) {
  switch (cap) {
    case LineCapSquare:
    case LineCapSquareAnchor:
    case LineCapDiamondAnchor:
      return CAIRO_LINE_CAP_SQUARE;
    case LineCapRound:
    case LineCapRoundAnchor:
      return CAIRO_LINE_CAP_ROUND;
    default:
      return CAIRO_LINE_CAP_BUTT;
  }
}

cairo_line_join_t JoinFor(GpLineJoin join) {
  switch (join) {
    case LineJoinBevel:
      return CAIRO_LINE_JOIN_BEVEL;
    case LineJoinRound:
      return CAIRO_LINE_JOIN_ROUND;
    default:
      return CAIRO_LINE_JOIN_MITER;
  }
}

// Everything about a stroke that cairo needs: the pen's own space (its transform, then the
// linear part of world to device) and the width and dashes in that space.
struct StrokeSetup {
  cairo_matrix_t penToDevice;
  double width = 1;
  std::vector<double> dashes;
  double dashOffset = 0;
  cairo_line_cap_t cap = CAIRO_LINE_CAP_BUTT;
  cairo_line_join_t join = CAIRO_LINE_JOIN_MITER;
  double miterLimit = 10;
};

// Dashes one stroke may cut its path into. cairo steps through every dash of the path, on the
// surface or not; finer dashing over a longer path draws solid (its dashes would be far below
// a pixel, or far beyond the surface).
constexpr double kMaxDashes = 1 << 20;

// The device length of the path's lines and control polygons (no shorter than its curves).
double DeviceLength(const GpPath& path, const Affine& toDevice) {
  double length = 0, px = 0, py = 0;
  const size_t n = std::min(path.points.size(), path.types.size());
  for (size_t i = 0; i < n; ++i) {
    double x = path.points[i].X, y = path.points[i].Y;
    toDevice.ApplyD(x, y);
    if ((path.types[i] & PathPointTypePathTypeMask) != PathPointTypeStart) length += std::hypot(x - px, y - py);
    px = x, py = y;
  }
  return length;
}

// The Frobenius norm of the linear part: no less than the most it stretches a length.
double Frobenius(const cairo_matrix_t& m) { return std::sqrt(m.xx * m.xx + m.yx * m.yx + m.xy * m.xy + m.yy * m.yy); }

// Dashes of the stroke along the path, by the shortest length a dash period can take on the
// device.
bool TooManyDashes(const StrokeSetup& s, double deviceLength) {
  double period = 0;
  for (double d : s.dashes) period += std::fabs(d);
  const cairo_matrix_t& m = s.penToDevice;
  const double frobenius = Frobenius(m);
  const double shortest = frobenius > 0 ? std::fabs(m.xx * m.yy - m.xy * m.yx) / frobenius : 0;
  return !(deviceLength <= kMaxDashes * period * shortest);
}

// The outline cairo works out around a path reaches half the pen's width from it, a square
// cap's corner 1.41 times that, a miter up to the miter limit's multiple of it, all in fixed
// point beside the path's own coordinates: past the range it wraps around (a pen 50 million
// pixels wide made cairo's outline cross itself and crash) or culls the whole stroke (a miter
// limit of 1e30). The pen is drawn as wide as kMaxStrokeReach allows, which inks everything
// that far from its path, and a miter longer than that is beveled.
void HoldReach(StrokeSetup& s) {
  const double stretch = Frobenius(s.penToDevice);
  const double corner = s.cap == CAIRO_LINE_CAP_SQUARE ? std::sqrt(2.0) : 1.0;
  const double reach = s.width / 2 * stretch * corner;
  if (reach > kMaxStrokeReach) s.width *= kMaxStrokeReach / reach;
  const double halfWidth = s.width / 2 * stretch;
  if (s.join == CAIRO_LINE_JOIN_MITER && s.miterLimit * halfWidth > kMaxStrokeReach)
    s.miterLimit = std::max(1.0, kMaxStrokeReach / halfWidth);
}

bool MakeStroke(const GpGraphics& g, const GpPen& pen, StrokeSetup& s) {
  Affine linear = g.WorldToDevice();
  linear.m[4] = linear.m[5] = 0;
  const Affine penToDevice = Then(pen.transform, linear);
  const double det = std::fabs(penToDevice.Determinant());
  if (!(det > 1e-12) || !penToDevice.IsFinite()) return false;
  s.penToDevice = penToDevice.ToCairo();
  double width = pen.width;
  if (pen.unit != UnitWorld) {
    // A width in a physical unit: to device pixels, then back to world units.
    const double pageScale = std::sqrt(std::fabs(g.WorldToDevice().Determinant()) / std::fabs(g.state.world.Determinant()));
    width = pen.width * UnitScale(pen.unit, g.target->dpiX()) / (pageScale > 0 ? pageScale : 1);
  }
  // A stroke is never thinner than one device pixel; its dashes are multiples of the pen's own
  // width all the same (of the pixel for a pen of no width).
  const double minWidth = 1.0 / std::sqrt(det);
  s.width = std::max(width, minWidth);
  const double dashUnit = width > 0 ? width : s.width;
  for (REAL d : pen.dashes) s.dashes.push_back(d * dashUnit);
  s.dashOffset = pen.dashOffset * dashUnit;
  s.cap = pen.dashes.empty() ? CapFor(pen.startCap) : pen.dashCap == DashCapRound ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
  s.join = JoinFor(pen.join);
  s.miterLimit = pen.miterLimit;
  HoldReach(s);
  return true;
}

void ApplyStroke(cairo_t* cr, const StrokeSetup& s) {
  cairo_set_matrix(cr, &s.penToDevice);
  cairo_set_line_width(cr, s.width);
  cairo_set_dash(cr, s.dashes.empty() ? nullptr : s.dashes.data(), int(s.dashes.size()), s.dashOffset);
  cairo_set_line_cap(cr, s.cap);
  cairo_set_line_join(cr, s.join);
  cairo_set_miter_limit(cr, s.miterLimit);
}

Affine DevicePathMap(const GpGraphics& g) {
  const double shift = g.PixelShift();
  return Then(g.WorldToDevice(), Affine::Translation(shift, shift));
}

}  // namespace

extern "C" {

GpStatus GdipFillPath(GpGraphics* g, GpBrush* brush, GpPath* path) {
  if (!g || !brush || !path) return InvalidParameter;
  if (path->points.empty()) return Ok;
  return Guarded([&] {
    if (g->recorder) {
      g->recorder->FillPath(*brush, *path);
      return Ok;
    }
    const Affine toDevice = DevicePathMap(*g);
    Box b = PathDeviceBounds(path->points, toDevice);
    b = Box{b.x0 - 1, b.y0 - 1, b.x1 + 1, b.y1 + 1};
    bool usable = true;
    GpStatus st = PaintDevice(*g, b, [&](cairo_t* cr) {
      if (!SetBrushSource(cr, *brush, toDevice, FilterFor(g->state.interpolation))) {
        usable = false;
        return;
      }
      cairo_set_antialias(cr, g->Antialias() ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
      cairo_set_operator(cr, g->state.compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
      cairo_set_fill_rule(cr, path->fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
      cairo_new_path(cr);
      AppendPath(cr, path->points, path->types, toDevice);
      cairo_fill(cr);
    });
    return st == Ok && !usable ? InvalidParameter : st;
  });
}

GpStatus GdipDrawPath(GpGraphics* g, GpPen* pen, GpPath* path) {
  if (!g || !pen || !path) return InvalidParameter;
  if (path->points.empty()) return Ok;
  return Guarded([&] {
    if (g->recorder) {
      g->recorder->DrawPath(*pen, *path);
      return Ok;
    }
    StrokeSetup s;
    if (!MakeStroke(*g, *pen, s)) return Ok;  // a pen squeezed flat draws nothing
    const Affine toDevice = DevicePathMap(*g);
    if (!s.dashes.empty() && TooManyDashes(s, DeviceLength(*path, toDevice))) s.dashes.clear();
    // The stroke's extent, measured on a scratch context without the dashes (which only take
    // ink away, and would be cut all along the path where no clip bounds them).
    SurfacePtr scratch(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    CairoPtr measure(cairo_create(scratch.get()));
    AppendPath(measure.get(), path->points, path->types, toDevice);
    StrokeSetup solid = s;
    solid.dashes.clear();
    ApplyStroke(measure.get(), solid);
    double x0, y0, x1, y1;
    cairo_stroke_extents(measure.get(), &x0, &y0, &x1, &y1);
    Box b{1, 1, 0, 0};
    for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}) {
      cairo_user_to_device(measure.get(), &x, &y);
      b = b.x0 > b.x1 ? Box{x, y, x, y} : Box{std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x), std::max(b.y1, y)};
    }
    b = Box{b.x0 - 2, b.y0 - 2, b.x1 + 2, b.y1 + 2};
    const ARGB c = pen->color;
    return PaintDevice(*g, b, [&](cairo_t* cr) {
      cairo_set_source_rgba(cr, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, (c & 0xff) / 255.0,
                            (c >> 24) / 255.0);
      cairo_set_antialias(cr, g->Antialias() ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
      cairo_set_operator(cr, g->state.compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
      cairo_new_path(cr);
      AppendPath(cr, path->points, path->types, toDevice);
      ApplyStroke(cr, s);
      cairo_stroke(cr);
    });
  });
}

}  // extern "C"
}  // namespace gdiplus
