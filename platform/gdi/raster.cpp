#include "platform/gdi/raster.h"

#include <algorithm>
#include <cmath>

namespace {

struct Edge {
  double x0, y0, x1, y1;
  int dir;
};

constexpr double kPi = 3.14159265358979323846;

}  // namespace

Spans FillPolygonSpans(const std::vector<std::vector<PointF>>& polygons, bool winding, int32_t clipTop,
                       int32_t clipBottom) {
  std::vector<Edge> edges;
  double minY = 1e300, maxY = -1e300;
  for (const auto& poly : polygons) {
    const size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
      const PointF a = poly[i], b = poly[(i + 1) % n];
      if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) continue;
      if (a.y == b.y) continue;
      if (a.y < b.y)
        edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
      else
        edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
      minY = std::min(minY, std::min(a.y, b.y));
      maxY = std::max(maxY, std::max(a.y, b.y));
    }
  }
  Spans spans;
  if (edges.empty()) return spans;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  // Rows whose centre y + 0.5 lies in [minY, maxY).
  const int64_t first = std::max<int64_t>(clipTop, int64_t(std::ceil(std::max(minY, -1e9) - 0.5)));
  // No shape is taller than a million rows: it bounds the work for hostile coordinates.
  const int64_t last = std::min<int64_t>({clipBottom, int64_t(std::ceil(std::min(maxY, 1e9) - 0.5)), first + (1 << 20)});
  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> xs;
  size_t next = 0;
  for (int64_t y = first; y < last; ++y) {
    const double cy = double(y) + 0.5;
    std::erase_if(active, [&](const Edge* e) { return e->y1 <= cy; });
    while (next < edges.size() && edges[next].y0 <= cy) {
      if (edges[next].y1 > cy) active.push_back(&edges[next]);
      ++next;
    }
    if (active.empty()) continue;
    xs.clear();
    for (const Edge* e : active) xs.emplace_back(e->x0 + (cy - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->dir);
    std::sort(xs.begin(), xs.end());
    int count = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      count += winding ? xs[i].second : 1;
      const bool inside = winding ? count != 0 : (count & 1) != 0;
      if (!inside) continue;
      const double xa = std::clamp(std::ceil(xs[i].first - 0.5), -1e9, 1e9);
      const double xb = std::clamp(std::ceil(xs[i + 1].first - 0.5), -1e9, 1e9);
      if (xb > xa) spans.push_back(Region::Span{int32_t(y), int32_t(xa), int32_t(xb)});
    }
  }
  return spans;
}

std::optional<RECT> AxisAlignedPixels(std::span<const PointF> c) {
  if (c.size() != 4) return std::nullopt;
  for (const PointF& p : c)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return std::nullopt;
  // Sides alternate horizontal and vertical, starting with either.
  const bool across = c[0].y == c[1].y && c[1].x == c[2].x && c[2].y == c[3].y && c[3].x == c[0].x;
  const bool down = c[0].x == c[1].x && c[1].y == c[2].y && c[2].x == c[3].x && c[3].y == c[0].y;
  if (!across && !down) return std::nullopt;
  // A pixel is in when its centre is, as in the scan.
  auto pixel = [](double v) { return int32_t(std::clamp(std::ceil(v - 0.5), -1e9, 1e9)); };
  return RECT{pixel(std::min(c[0].x, c[2].x)), pixel(std::min(c[0].y, c[2].y)), pixel(std::max(c[0].x, c[2].x)),
              pixel(std::max(c[0].y, c[2].y))};
}

std::vector<PointF> EllipsePolygon(const RECT& r) {
  const double cx = (double(r.left) + r.right) / 2.0, cy = (double(r.top) + r.bottom) / 2.0;
  const double rx = std::abs(double(r.right) - r.left) / 2.0, ry = std::abs(double(r.bottom) - r.top) / 2.0;
  const int n = std::clamp(int(std::max(rx, ry) * 2), 16, 720);
  std::vector<PointF> p;
  p.reserve(size_t(n));
  for (int i = 0; i < n; ++i) {
    const double t = 2 * kPi * i / n;
    p.push_back(PointF{cx + rx * std::cos(t), cy + ry * std::sin(t)});
  }
  return p;
}

Spans EllipseSpans(const RECT& r) {
  Spans spans;
  const double cx = (double(r.left) + r.right) / 2.0, cy = (double(r.top) + r.bottom) / 2.0;
  const double rx = std::abs(double(r.right) - r.left) / 2.0, ry = std::abs(double(r.bottom) - r.top) / 2.0;
  if (rx <= 0 || ry <= 0) return spans;
  const int32_t top = std::min(r.top, r.bottom);
  const int32_t bottom = int32_t(std::min<int64_t>(std::max(r.top, r.bottom), int64_t(top) + (1 << 20)));
  for (int32_t y = top; y < bottom; ++y) {
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy >= 1) continue;
    const double half = rx * std::sqrt(1 - dy * dy);
    const double xa = std::ceil(cx - half - 0.5), xb = std::ceil(cx + half - 0.5);
    if (xb > xa) spans.push_back(Region::Span{y, int32_t(xa), int32_t(xb)});
  }
  return spans;
}

std::vector<PointF> RoundRectPolygon(const RECT& r, int32_t w, int32_t h) {
  const double l = std::min(r.left, r.right), t = std::min(r.top, r.bottom);
  const double rr = std::max(r.left, r.right), b = std::max(r.top, r.bottom);
  const double rx = std::min(std::abs(w) / 2.0, (rr - l) / 2), ry = std::min(std::abs(h) / 2.0, (b - t) / 2);
  std::vector<PointF> p;
  const int n = std::clamp(int(std::max(rx, ry)), 4, 90);
  auto corner = [&](double cx, double cy, double a0) {
    for (int i = 0; i <= n; ++i) {
      const double a = a0 + (kPi / 2) * i / n;
      p.push_back(PointF{cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
  };
  corner(rr - rx, t + ry, -kPi / 2);
  corner(rr - rx, b - ry, 0);
  corner(l + rx, b - ry, kPi / 2);
  corner(l + rx, t + ry, kPi);
  return p;
}

Spans RoundRectSpans(const RECT& r, int32_t w, int32_t h) {
  return FillPolygonSpans({RoundRectPolygon(r, w, h)}, false);
}

void FlattenBezier(PointF p0, PointF p1, PointF p2, PointF p3, std::vector<PointF>& out) {
  const double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                     std::hypot(p3.x - p2.x, p3.y - p2.y);
  const int n = std::isfinite(len) ? int(std::clamp(len / 2, 1.0, 256.0)) : 1;
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, u = 1 - t;
    out.push_back(PointF{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                         u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
  }
}

bool ClipSegment(PointF a, PointF b, double left, double top, double right, double bottom, double& t0, double& t1) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double t = q / p;
    if (p < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    return t0 <= t1;
  };
  t0 = 0;
  t1 = 1;
  return edge(-dx, a.x - left) && edge(dx, right - a.x) && edge(-dy, a.y - top) && edge(dy, bottom - a.y);
}

Spans WideStrokeSpans(const std::vector<PointF>& pts, bool closed, double width, LineCap cap, LineJoin join,
                      double miterLimit, int32_t clipTop, int32_t clipBottom) {
  std::vector<PointF> p;
  for (const PointF& q : pts)
    if (p.empty() || q.x != p.back().x || q.y != p.back().y) p.push_back(q);
  if (closed && p.size() > 1 && p.front().x == p.back().x && p.front().y == p.back().y) p.pop_back();
  const double hw = width / 2;
  std::vector<std::vector<PointF>> pieces;
  auto circle = [&](PointF c) {
    const int n = std::clamp(int(width * 2), 12, 360);
    std::vector<PointF> ring;
    ring.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
      const double t = 2 * kPi * i / n;
      ring.push_back(PointF{c.x + hw * std::cos(t), c.y + hw * std::sin(t)});
    }
    pieces.push_back(std::move(ring));
  };
  if (p.size() == 1) {
    if (cap == LineCap::Round) circle(p[0]);
    if (cap == LineCap::Square)
      pieces.push_back({{p[0].x - hw, p[0].y - hw}, {p[0].x + hw, p[0].y - hw}, {p[0].x + hw, p[0].y + hw}, {p[0].x - hw, p[0].y + hw}});
    return FillPolygonSpans(pieces, false, clipTop, clipBottom);
  }
  const size_t segs = closed ? p.size() : p.size() - 1;
  for (size_t i = 0; i < segs; ++i) {
    const PointF a = p[i], b = p[(i + 1) % p.size()];
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
    const double nx = -uy * hw, ny = ux * hw;
    double ea = 0, eb = 0;
    if (!closed && cap == LineCap::Square) {
      if (i == 0) ea = hw;
      if (i + 1 == segs) eb = hw;
    }
    const PointF a2{a.x - ux * ea, a.y - uy * ea}, b2{b.x + ux * eb, b.y + uy * eb};
    pieces.push_back({{a2.x + nx, a2.y + ny}, {b2.x + nx, b2.y + ny}, {b2.x - nx, b2.y - ny}, {a2.x - nx, a2.y - ny}});
  }
  // Joins at inner vertices (all of them for a closed figure).
  for (size_t i = closed ? 0 : 1; i < (closed ? p.size() : p.size() - 1); ++i) {
    const PointF prev = p[(i + p.size() - 1) % p.size()], v = p[i], next = p[(i + 1) % p.size()];
    const double l1 = std::hypot(v.x - prev.x, v.y - prev.y), l2 = std::hypot(next.x - v.x, next.y - v.y);
    const PointF d1{(v.x - prev.x) / l1, (v.y - prev.y) / l1}, d2{(next.x - v.x) / l2, (next.y - v.y) / l2};
    const double crossz = d1.x * d2.y - d1.y * d2.x;
    const double dot = d1.x * d2.x + d1.y * d2.y;
    if (join == LineJoin::Round && std::abs(crossz) < 1e-12) {
      if (dot < 0) circle(v);  // the outline turns back on itself
      continue;
    }
    if (std::abs(crossz) < 1e-12) continue;
    // The outer side of the turn.
    const double s = crossz > 0 ? -1 : 1;
    const PointF o1{v.x - d1.y * hw * s, v.y + d1.x * hw * s}, o2{v.x - d2.y * hw * s, v.y + d2.x * hw * s};
    if (join == LineJoin::Round) {
      // Only the outer sector between the two segments' edges is left uncovered by them (the
      // rest of the disc lies in the segments' bands or in a neighbouring vertex's disc), so a
      // finely sampled curve under a wide pen costs a few edges per vertex, not a whole circle.
      const double turn = std::acos(std::clamp(dot, -1.0, 1.0));
      const int full = std::clamp(int(width * 2), 12, 360);
      const int steps = std::max(1, int(std::ceil(turn / (2 * kPi) * full)));
      const double a0 = std::atan2(o1.y - v.y, o1.x - v.x), sweep = (crossz > 0 ? turn : -turn);
      std::vector<PointF> sector{v};
      for (int k = 0; k <= steps; ++k) {
        const double t = a0 + sweep * k / steps;
        sector.push_back(PointF{v.x + hw * std::cos(t), v.y + hw * std::sin(t)});
      }
      pieces.push_back(std::move(sector));
      continue;
    }
    const double cosTheta = std::clamp(-dot, -1.0, 1.0);
    const double miterRatio = 1 / std::sin(std::acos(cosTheta) / 2);
    if (join == LineJoin::Miter && miterRatio <= miterLimit) {
      const PointF bis{(o1.x + o2.x) / 2 - v.x, (o1.y + o2.y) / 2 - v.y};
      const double bl = std::hypot(bis.x, bis.y);
      if (bl > 1e-12) {
        const double reach = hw * miterRatio;
        pieces.push_back({v, o1, {v.x + bis.x / bl * reach, v.y + bis.y / bl * reach}, o2});
        continue;
      }
    }
    pieces.push_back({v, o1, o2});
  }
  if (!closed && cap == LineCap::Round) {
    circle(p.front());
    circle(p.back());
  }
  // Pieces wholly above or below the rows asked for add nothing to them.
  std::erase_if(pieces, [&](const std::vector<PointF>& piece) {
    double lo = piece.front().y, hi = lo;
    for (const PointF& q : piece) lo = std::min(lo, q.y), hi = std::max(hi, q.y);
    return hi < double(clipTop) - 1 || lo > double(clipBottom) + 1;
  });
  // The union of the pieces under the winding rule needs them all turning the same way.
  for (auto& piece : pieces) {
    double area = 0;
    for (size_t i = 0; i < piece.size(); ++i) {
      const PointF& a = piece[i];
      const PointF& b = piece[(i + 1) % piece.size()];
      area += a.x * b.y - b.x * a.y;
    }
    if (area < 0) std::reverse(piece.begin(), piece.end());
  }
  return FillPolygonSpans(pieces, true, clipTop, clipBottom);
}
