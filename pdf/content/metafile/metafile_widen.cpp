// Widening a path: the outline of the area a pen of the given width, caps and joins covers
// along the path, as closed figures. An open figure becomes one figure around it (one side
// forward, the end cap, the other side back, the start cap); a closed figure becomes its two
// sides, running opposite ways, so that either fill rule fills the band between them. Curves
// are flattened first, as the player flattens them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdf/content/metafile/metafile_path.h"

namespace {

using TPoints = std::vector<TMetafilePoint>;

struct TPen {
  double Half;  // half the width
  int Cap;      // 0 flat, 1 round, 2 square
  int Join;     // 0 miter, 1 round, 2 bevel
  double MiterLimit;
};

// Pieces a half turn is cut into.
constexpr int kHalfTurnPieces = 16;

TMetafilePoint Add(TMetafilePoint a, double x, double y) { return {a.X + x, a.Y + y}; }
bool Same(TMetafilePoint a, TMetafilePoint b) { return a.X == b.X && a.Y == b.Y; }

// The unit direction from a to b and its left normal (the direction turned a quarter).
struct TDir {
  double X, Y;
  double NX() const { return -Y; }
  double NY() const { return X; }
};
TDir Direction(TMetafilePoint a, TMetafilePoint b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y, l = std::hypot(dx, dy);
  return {dx / l, dy / l};
}

// An arc around c of radius r from angle a0 through `sweep` (radians), the first point left out.
void Arc(TPoints& out, TMetafilePoint c, double r, double a0, double sweep) {
  const int n = std::max(2, int(std::ceil(std::abs(sweep) / std::numbers::pi * kHalfTurnPieces)));
  for (int i = 1; i <= n; ++i) {
    const double a = a0 + sweep * i / n;
    out.push_back({c.X + r * std::cos(a), c.Y + r * std::sin(a)});
  }
}

// Where the lines p + t d and q + s e cross; false when they run parallel.
bool Cross(TMetafilePoint p, TDir d, TMetafilePoint q, TDir e, double& t, double& s) {
  const double det = d.X * e.Y - d.Y * e.X;
  if (std::abs(det) < 1e-12) return false;
  const double wx = q.X - p.X, wy = q.Y - p.Y;
  t = (wx * e.Y - wy * e.X) / det;
  s = (wx * d.Y - wy * d.X) / det;
  return true;
}

// The left side of a polyline at distance pen.Half: the offset segments joined at each vertex.
// For a closed figure the joins go all the way round and the side is a ring.
TPoints Side(const TPoints& p, bool closed, const TPen& pen) {
  TPoints out;
  const size_t n = p.size();
  const size_t segments = closed ? n : n - 1;
  auto dir = [&](size_t i) { return Direction(p[i % n], p[(i + 1) % n]); };
  auto offset = [&](TMetafilePoint v, TDir d) { return Add(v, d.NX() * pen.Half, d.NY() * pen.Half); };
  if (!closed) out.push_back(offset(p[0], dir(0)));
  const size_t first = closed ? 0 : 1, last = closed ? n : n - 1;
  for (size_t v = first; v < last; ++v) {
    const TDir d1 = dir((v + segments - 1) % segments), d2 = dir(v % segments);
    const TMetafilePoint b = p[v % n];
    const TMetafilePoint p1 = offset(b, d1), p2 = offset(b, d2);
    const double turn = d1.X * d2.Y - d1.Y * d2.X;  // > 0: turning left, toward this side
    const double along = d1.X * d2.X + d1.Y * d2.Y;
    if (std::abs(turn) < 1e-12 && along > 0) {
      out.push_back(p1);  // straight on
      continue;
    }
    double t = 0, s = 0;
    const bool crosses = Cross(p1, d1, p2, d2, t, s);
    if (turn > 0) {
      // The inner side: the offset lines meet where they cross, when that lies on both
      // segments; otherwise through the vertex, which fills the same.
      const double len1 = std::hypot(b.X - p[(v + n - 1) % n].X, b.Y - p[(v + n - 1) % n].Y);
      const double len2 = std::hypot(p[(v + 1) % n].X - b.X, p[(v + 1) % n].Y - b.Y);
      if (crosses && t <= 0 && -t <= len1 && s >= 0 && s <= len2) {
        out.push_back(Add(p1, d1.X * t, d1.Y * t));
      } else {
        out.push_back(p1);
        out.push_back(b);
        out.push_back(p2);
      }
      continue;
    }
    out.push_back(p1);
    if (pen.Join == 1) {
      const double a1 = std::atan2(p1.Y - b.Y, p1.X - b.X), a2 = std::atan2(p2.Y - b.Y, p2.X - b.X);
      double sweep = a2 - a1;
      while (sweep > std::numbers::pi) sweep -= 2 * std::numbers::pi;
      while (sweep < -std::numbers::pi) sweep += 2 * std::numbers::pi;
      Arc(out, b, pen.Half, a1, sweep);
      out.pop_back();
    } else if (pen.Join == 0 && crosses) {
      const TMetafilePoint m = Add(p1, d1.X * t, d1.Y * t);
      if (std::hypot(m.X - b.X, m.Y - b.Y) <= pen.MiterLimit * pen.Half) out.push_back(m);
    }
    out.push_back(p2);
  }
  if (!closed) out.push_back(offset(p[n - 1], dir(n - 2)));
  return out;
}

// The cap at the end b of a side that arrived in direction d: from the left side round to the
// right side.
void Cap(TPoints& out, TMetafilePoint b, TDir d, const TPen& pen) {
  const double h = pen.Half;
  if (pen.Cap == 1) {
    Arc(out, b, h, std::atan2(d.NY(), d.NX()), -std::numbers::pi);
    out.pop_back();
  } else if (pen.Cap == 2) {
    out.push_back(Add(b, (d.NX() + d.X) * h, (d.NY() + d.Y) * h));
    out.push_back(Add(b, (-d.NX() + d.X) * h, (-d.NY() + d.Y) * h));
  }
}

void AddFigure(TMetafilePath& out, const TPoints& points) {
  if (points.size() < 3) return;
  out.MoveTo(points[0]);
  for (size_t i = 1; i < points.size(); ++i) out.LineTo(points[i]);
  out.Close();
}

void WidenFigure(TMetafilePath& out, TPoints p, bool closed, const TPen& pen) {
  p.erase(std::unique(p.begin(), p.end(), Same), p.end());
  if (closed && p.size() > 1 && Same(p.front(), p.back())) p.pop_back();
  if (p.size() == 1) {
    // A single point: a dot by a round cap, a square by a square one, nothing by a flat one.
    TPoints dot;
    if (pen.Cap == 1) {
      dot.push_back(Add(p[0], pen.Half, 0));
      Arc(dot, p[0], pen.Half, 0, 2 * std::numbers::pi);
    } else if (pen.Cap == 2) {
      for (const auto& [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}})
        dot.push_back(Add(p[0], x * pen.Half, y * pen.Half));
    }
    AddFigure(out, dot);
    return;
  }
  if (p.size() < 2) return;
  if (closed && p.size() < 3) closed = false;
  if (closed) {
    AddFigure(out, Side(p, true, pen));
    std::reverse(p.begin(), p.end());
    AddFigure(out, Side(p, true, pen));
    return;
  }
  TPoints outline = Side(p, false, pen);
  Cap(outline, p.back(), Direction(p[p.size() - 2], p.back()), pen);
  std::reverse(p.begin(), p.end());
  const TPoints back = Side(p, false, pen);
  outline.insert(outline.end(), back.begin(), back.end());
  Cap(outline, p.back(), Direction(p[p.size() - 2], p.back()), pen);
  AddFigure(out, outline);
}

}  // namespace

TMetafilePath TMetafilePath::Widened(double width, int cap, int join, double miterLimit) const {
  const TPen pen{std::abs(width) / 2, cap, join, miterLimit};
  TMetafilePath out;
  if (!(pen.Half > 0) || !std::isfinite(pen.Half)) return out;
  for (const TFigure& f : Figures()) WidenFigure(out, f.Points, f.Closed, pen);
  return out;
}
