// Paths: figures of lines and Bézier curves.
#include <algorithm>
#include <cmath>

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {
namespace {

double Clamp(double v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); }

bool Finite(REAL v) { return std::isfinite(v); }

// Continues the open figure from (x, y), or starts a new one there.
void BeginSegment(GpPath& path, REAL x, REAL y) {
  if (path.newFigure || path.points.empty()) {
    path.points.push_back({x, y});
    path.types.push_back(PathPointTypeStart);
    path.newFigure = false;
    return;
  }
  const GpPointF& last = path.points.back();
  if (last.X != x || last.Y != y) {
    path.points.push_back({x, y});
    path.types.push_back(PathPointTypeLine);
  }
}

}  // namespace

void AppendPath(cairo_t* cr, const std::vector<GpPointF>& points, const std::vector<uint8_t>& types,
                const Affine& toDevice) {
  const size_t n = std::min(points.size(), types.size());
  auto dev = [&](size_t i, double& x, double& y) {
    x = points[i].X;
    y = points[i].Y;
    toDevice.ApplyD(x, y);
    x = Clamp(x);
    y = Clamp(y);
  };
  for (size_t i = 0; i < n;) {
    const uint8_t kind = types[i] & PathPointTypePathTypeMask;
    double x, y;
    if (kind == PathPointTypeStart) {
      dev(i, x, y);
      cairo_move_to(cr, x, y);
      ++i;
    } else if (kind == PathPointTypeBezier && i + 2 < n) {
      double x2, y2, x3, y3;
      dev(i, x, y);
      dev(i + 1, x2, y2);
      dev(i + 2, x3, y3);
      cairo_curve_to(cr, x, y, x2, y2, x3, y3);
      i += 3;
    } else {
      dev(i, x, y);
      cairo_line_to(cr, x, y);
      ++i;
    }
    if (types[i - 1] & PathPointTypeCloseSubpath) cairo_close_path(cr);
  }
}

Box PathDeviceBounds(const std::vector<GpPointF>& points, const Affine& toDevice) {
  Box b{1, 1, 0, 0};
  bool first = true;
  for (const GpPointF& p : points) {
    double x = p.X, y = p.Y;
    toDevice.ApplyD(x, y);
    x = Clamp(x);
    y = Clamp(y);
    if (first) {
      b = {x, y, x, y};
      first = false;
    } else {
      b.x0 = std::min(b.x0, x);
      b.y0 = std::min(b.y0, y);
      b.x1 = std::max(b.x1, x);
      b.y1 = std::max(b.y1, y);
    }
  }
  return b;
}

extern "C" {

GpStatus GdipCreatePath(GpFillMode mode, GpPath** path) {
  if (!path || (mode != FillModeAlternate && mode != FillModeWinding)) return InvalidParameter;
  return Guarded([&] {
    *path = new GpPath;
    (*path)->fillMode = mode;
    return Ok;
  });
}

GpStatus GdipDeletePath(GpPath* path) {
  if (!path) return InvalidParameter;
  delete path;
  return Ok;
}

GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (!path) return InvalidParameter;
  if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return InvalidParameter;
  return Guarded([&] {
    BeginSegment(*path, x1, y1);
    path->points.push_back({x2, y2});
    path->types.push_back(PathPointTypeLine);
    return Ok;
  });
}

GpStatus GdipAddPathBezier(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4) {
  if (!path) return InvalidParameter;
  for (REAL v : {x1, y1, x2, y2, x3, y3, x4, y4})
    if (!Finite(v)) return InvalidParameter;
  return Guarded([&] {
    BeginSegment(*path, x1, y1);
    for (GpPointF p : {GpPointF{x2, y2}, GpPointF{x3, y3}, GpPointF{x4, y4}}) {
      path->points.push_back(p);
      path->types.push_back(PathPointTypeBezier);
    }
    return Ok;
  });
}

GpStatus GdipClosePathFigure(GpPath* path) {
  if (!path) return InvalidParameter;
  if (!path->types.empty() && !path->newFigure) path->types.back() |= PathPointTypeCloseSubpath;
  path->newFigure = true;
  return Ok;
}

GpStatus GdipStartPathFigure(GpPath* path) {
  if (!path) return InvalidParameter;
  path->newFigure = true;
  return Ok;
}

GpStatus GdipSetPathFillMode(GpPath* path, GpFillMode mode) {
  if (!path || (mode != FillModeAlternate && mode != FillModeWinding)) return InvalidParameter;
  path->fillMode = mode;
  return Ok;
}

GpStatus GdipGetPointCount(GpPath* path, int32_t* count) {
  if (!path || !count) return InvalidParameter;
  *count = int32_t(std::min<size_t>(path->points.size(), INT32_MAX));
  return Ok;
}

GpStatus GdipGetPathPoints(GpPath* path, GpPointF* points, int32_t count) {
  if (!path || !points || count <= 0) return InvalidParameter;
  if (size_t(count) < path->points.size()) return InsufficientBuffer;
  std::copy(path->points.begin(), path->points.end(), points);
  return Ok;
}

GpStatus GdipGetPathTypes(GpPath* path, uint8_t* types, int32_t count) {
  if (!path || !types || count <= 0) return InvalidParameter;
  if (size_t(count) < path->types.size()) return InsufficientBuffer;
  std::copy(path->types.begin(), path->types.end(), types);
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
