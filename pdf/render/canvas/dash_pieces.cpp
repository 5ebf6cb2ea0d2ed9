#include "pdf/render/canvas/dash_pieces.h"

#include <algorithm>
#include <cmath>

using namespace gdiplus;

namespace {

// Points the dashes of one stroke may hold: curves are flattened into them.
constexpr size_t kMaxDashPoints = size_t(1) << 21;

// The length of the figures' lines and control polygons: no shorter than the path.
double OutlineLength(std::span<const GpPointF> points, std::span<const uint8_t> types) {
  double length = 0;
  for (size_t i = 1; i < points.size(); ++i)
    if ((types[i] & PathPointTypePathTypeMask) != PathPointTypeStart)
      length += std::hypot(double(points[i].X) - points[i - 1].X, double(points[i].Y) - points[i - 1].Y);
  return length;
}

}  // namespace

bool CutIntoDashes(std::span<const GpPointF> points, std::span<const uint8_t> types, std::span<const double> pattern,
                   double phase, std::vector<DashPiece>& pieces) {
  pieces.clear();
  // An odd list runs through itself twice per period, dashes becoming gaps the second time.
  std::vector<double> entries(pattern.begin(), pattern.end());
  if (entries.size() % 2 == 1) entries.insert(entries.end(), pattern.begin(), pattern.end());
  double period = 0;
  for (double d : entries) {
    if (!(d > 0) || !std::isfinite(d)) return false;
    period += d;
  }
  const size_t n = std::min(points.size(), types.size());
  points = points.first(n), types = types.first(n);
  if (entries.empty() || !std::isfinite(phase) || !(OutlineLength(points, types) / period <= kMaxDashPieces))
    return false;

  const DashRule rule{.pattern = entries, .phase = phase, .mostPieces = size_t(kMaxDashPieces)};
  std::vector<PointF> figure;
  size_t held = 0;  // points of the pieces so far
  bool ok = true;
  auto cut = [&](bool closed) {
    const size_t before = pieces.size();
    ok = ok && CutFigureIntoDashes(figure, closed, rule, pieces);
    for (size_t i = before; ok && i < pieces.size(); ++i) held += pieces[i].points.size();
    ok = ok && held <= kMaxDashPoints;
    figure.clear();
  };
  auto at = [&](size_t i) { return PointF{points[i].X, points[i].Y}; };
  for (size_t i = 0; i < n && ok;) {
    const uint8_t kind = types[i] & PathPointTypePathTypeMask;
    if (kind == PathPointTypeStart && !figure.empty()) cut(false);
    if (kind == PathPointTypeBezier && i + 2 < n && !figure.empty()) {
      FlattenBezier(figure.back(), at(i), at(i + 1), at(i + 2), figure);
      i += 2;
    } else {
      figure.push_back(at(i));
    }
    if (figure.size() > kMaxDashPoints) ok = false;
    if (ok && (types[i] & PathPointTypeCloseSubpath)) cut(true);
    ++i;
  }
  if (ok && !figure.empty()) cut(false);
  if (!ok) pieces.clear();
  return ok;
}
