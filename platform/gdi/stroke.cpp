#include "platform/gdi/stroke.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/dash_pieces.h"
#include "platform/gdi/paint_engine.h"

namespace {

// On-off lengths of the cosmetic dash styles, in pixels.
std::vector<int> DashPattern(const GdiPen& pen) {
  switch (pen.LineStyle()) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE: return {1, 1};
    case PS_USERSTYLE: {
      std::vector<int> v;
      for (DWORD d : pen.dashes) v.push_back(int(std::min<DWORD>(std::max<DWORD>(d, 1), 4096)));
      return v;
    }
    default: return {};
  }
}

LineCap CapOf(const GdiPen& p) {
  switch (p.style & PS_ENDCAP_MASK) {
    case PS_ENDCAP_SQUARE: return LineCap::Square;
    case PS_ENDCAP_FLAT: return LineCap::Flat;
    default: return LineCap::Round;
  }
}

LineJoin JoinOf(const GdiPen& p) {
  switch (p.style & PS_JOIN_MASK) {
    case PS_JOIN_BEVEL: return LineJoin::Bevel;
    case PS_JOIN_MITER: return LineJoin::Miter;
    default: return LineJoin::Round;
  }
}

POINT RoundPoint(PointF p) {
  auto r = [](double v) { return int32_t(std::clamp(std::nearbyint(v), -1e9, 1e9)); };
  return POINT{r(p.x), r(p.y)};
}

}  // namespace

Region PenCoverage(const GdiDC& dc, const std::vector<PointF>& pts, bool closed, Region* gaps) {
  const GdiPen& pen = *dc.state.pen;
  const RECT bounds = dc.DrawableBounds();
  if (pen.Geometric()) {
    const LineJoin join = JoinOf(pen);
    auto stroke = [&](const std::vector<PointF>& piece, bool pieceClosed, Spans& into) {
      Spans s = WideStrokeSpans(piece, pieceClosed, pen.width, CapOf(pen), join, 10.0, bounds.top - 1,
                                bounds.bottom + 1);
      into.insert(into.end(), s.begin(), s.end());
    };
    Spans covered;
    // A geometric pen keeps its user style (the style lengths are in device pixels here);
    // the predefined dash styles of wide pens are solid, as the platform draws them.
    const std::vector<double> pattern(pen.dashes.begin(), pen.dashes.end());
    double period = 0;
    for (double d : pattern) period += d;
    std::vector<DashPiece> pieces;
    bool dashed = false;
    // A pattern shorter than a pixel in all cannot be drawn as dashes (and would cost a piece
    // for every fraction of a pixel): the pen draws solid then.
    if (pen.extended && pen.LineStyle() == PS_USERSTYLE && period >= 1) {
      // A piece reaches as far as its width (a miter join five times as far), and costs a row
      // for each row of the surface it spans: more pieces than would paint the surface a few
      // times over are a hostile pattern, drawn solid.
      const int64_t rows = std::max<int64_t>(1, std::min<int64_t>(int64_t(bounds.bottom) - bounds.top, pen.width));
      const int64_t area = (int64_t(bounds.right) - bounds.left) * (int64_t(bounds.bottom) - bounds.top);
      const DashRule rule{.pattern = pattern,
                          .near = &bounds,
                          .margin = (join == LineJoin::Miter ? 5.0 : 1.0) * pen.width + 2.0,
                          .mostPieces = size_t(std::clamp<int64_t>(4 * area / rows, 1 << 12, 1 << 20))};
      dashed = CutFigureIntoDashes(pts, closed, rule, pieces);
    }
    if (dashed) {
      for (const DashPiece& piece : pieces) stroke(piece.points, piece.closed, covered);
    } else {
      stroke(pts, closed, covered);
    }
    return Region::FromSpans(std::move(covered));
  }
  const std::vector<int> dash = DashPattern(pen);
  int dashTotal = 0;
  for (int v : dash) dashTotal += v;
  Spans on, off;
  int64_t along = 0;  // the dash pattern runs on across segments
  const size_t n = pts.size();
  const size_t segs = closed ? n : (n ? n - 1 : 0);
  for (size_t i = 0; i < segs; ++i) {
    POINT a = RoundPoint(pts[i]), b = RoundPoint(pts[(i + 1) % n]);
    // Lines far outside the surface are skipped rather than walked pixel by pixel.
    if (std::max(a.y, b.y) < bounds.top || std::min(a.y, b.y) >= bounds.bottom ||
        std::max(a.x, b.x) < bounds.left || std::min(a.x, b.x) >= bounds.right) {
      along += std::max(std::abs(int64_t(b.x) - a.x), std::abs(int64_t(b.y) - a.y));
      continue;
    }
    const int64_t limit = 4 * (int64_t(bounds.right) - bounds.left + int64_t(bounds.bottom) - bounds.top) + 16;
    const int64_t length = std::max(std::abs(int64_t(b.x) - a.x), std::abs(int64_t(b.y) - a.y));
    if (length > limit) {
      // Walk only the part near the surface: a hostile coordinate must not cost a pixel walk
      // of a billion steps.
      double t0 = 0, t1 = 1;
      const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
      if (!ClipSegment(PointF{double(a.x), double(a.y)}, PointF{double(b.x), double(b.y)}, bounds.left - 2.0,
                       bounds.top - 2.0, bounds.right + 2.0, bounds.bottom + 2.0, t0, t1)) {
        along += length;
        continue;
      }
      along += int64_t(t0 * length);
      const POINT ca = RoundPoint(PointF{a.x + t0 * dx, a.y + t0 * dy});
      const POINT cb = RoundPoint(PointF{a.x + t1 * dx, a.y + t1 * dy});
      a = ca;
      b = cb;
    }
    WalkLine(a, b, [&](int32_t x, int32_t y, int64_t) {
      bool isOn = true;
      if (dashTotal) {
        int64_t k = along % dashTotal;
        size_t idx = 0;
        while (k >= dash[idx]) k -= dash[idx++];
        isOn = (idx & 1) == 0;
      }
      ++along;
      if (y < bounds.top || y >= bounds.bottom) return;
      (isOn ? on : off).push_back(Region::Span{y, x, x + 1});
    });
  }
  if (gaps) *gaps = Region::FromSpans(std::move(off));
  return Region::FromSpans(std::move(on));
}

void StrokeOutline(GdiDC& dc, const std::vector<PointF>& points, bool closed) {
  const GdiPen& pen = *dc.state.pen;
  if (pen.LineStyle() == PS_NULL || points.size() < 2) return;
  Region gaps;
  const Region covered = PenCoverage(dc, points, closed, &gaps);
  PaintArea(dc, covered, PatternSource::Solid(pen.color));
  if (!gaps.Empty() && dc.state.bkMode == OPAQUE) PaintArea(dc, gaps, PatternSource::Solid(dc.state.bkColor));
}

void FillOutlines(GdiDC& dc, const std::vector<std::vector<PointF>>& polygons, int fillMode) {
  PatternSource brush = PatternSource::FromBrush(dc, dc.state.brush);
  if (brush.IsNull()) return;
  const RECT bounds = dc.DrawableBounds();
  if (bounds.IsEmpty()) return;
  const Region area = Region::FromSpans(FillPolygonSpans(polygons, fillMode == WINDING, bounds.top, bounds.bottom));
  PaintArea(dc, area, brush);
}
