// Scan conversion: polygons (even-odd or winding), ellipses, rounded rectangles, one-pixel
// lines and wide strokes, all as one-row spans in device pixels. A pixel belongs to a filled
// shape when its centre lies inside, which gives the platform's rule of including the left
// and top edges and leaving out the right and bottom ones.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/region.h"

struct PointF {
  double x, y;
};

using Spans = std::vector<Region::Span>;

// Every polygon is closed implicitly. Rows outside [clipTop, clipBottom) are skipped, which
// bounds the work by what can be seen.
Spans FillPolygonSpans(const std::vector<std::vector<PointF>>& polygons, bool winding,
                       int32_t clipTop = INT32_MIN / 2, int32_t clipBottom = INT32_MAX / 2);
// The pixels FillPolygonSpans gives a four-corner polygon whose sides run along the axes, as
// one rectangle made at no cost per row (however tall); nullopt for any other polygon.
std::optional<RECT> AxisAlignedPixels(std::span<const PointF> corners);
// The ellipse inscribed in [left, right) x [top, bottom).
Spans EllipseSpans(const RECT& r);
Spans RoundRectSpans(const RECT& r, int32_t ellipseWidth, int32_t ellipseHeight);
// The outline of an ellipse as a closed polygon (for strokes and paths).
std::vector<PointF> EllipsePolygon(const RECT& r);
std::vector<PointF> RoundRectPolygon(const RECT& r, int32_t ellipseWidth, int32_t ellipseHeight);

// One-pixel line from a to b, leaving out b (the platform's LineTo). `onPixel` receives each
// pixel with its index along the line (for dash patterns).
template <class F>
void WalkLine(POINT a, POINT b, F&& onPixel) {
  int64_t dx = int64_t(b.x) - a.x, dy = int64_t(b.y) - a.y;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  dx = dx < 0 ? -dx : dx;
  dy = dy < 0 ? -dy : dy;
  int64_t x = a.x, y = a.y;
  const int64_t steps = dx > dy ? dx : dy;
  int64_t err = (dx > dy ? dx : -dy) / 2;
  for (int64_t i = 0; i < steps; ++i) {
    onPixel(int32_t(x), int32_t(y), i);
    const int64_t e = err;
    if (e > -dx) {
      err -= dy;
      x += sx;
    }
    if (e < dy) {
      err += dx;
      y += sy;
    }
  }
}

enum class LineCap { Round, Square, Flat };
enum class LineJoin { Round, Bevel, Miter };

// A geometric pen's stroke of a polyline (closed or open) as the union of its pieces.
Spans WideStrokeSpans(const std::vector<PointF>& points, bool closed, double width, LineCap cap, LineJoin join,
                      double miterLimit, int32_t clipTop, int32_t clipBottom);

// Cubic Bezier from p0 with controls p1, p2 to p3, flattened; the points after p0.
void FlattenBezier(PointF p0, PointF p1, PointF p2, PointF p3, std::vector<PointF>& out);

// The part [t0, t1] of the segment a + t (b - a) inside the box [left, right] x [top, bottom]
// (Liang-Barsky); false when none of it is.
bool ClipSegment(PointF a, PointF b, double left, double top, double right, double bottom, double& t0, double& t1);
