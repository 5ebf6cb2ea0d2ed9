#include "pdf/render/canvas/dash_pieces.h"

#include <algorithm>
#include <cmath>

using namespace gdiplus;

namespace {

// Points the dashes of one stroke may hold: curves are flattened into them.
constexpr size_t kMaxDashPoints = size_t(1) << 21;

}  // namespace

DrawnDashes DashesAsDrawn(std::span<const double> pattern, double phase) {
  std::vector<double> entries;
  for (int pass = 0; pass < (pattern.size() % 2 == 1 ? 2 : 1); ++pass)
    for (double d : pattern) entries.push_back(std::isfinite(d) && d > 0 ? d : 0.0);
  double period = 0;
  for (double d : entries) period += d;
  if (!(period > 0) || !std::isfinite(period)) return {};
  DrawnDashes drawn;
  drawn.phase = std::isfinite(phase) ? phase : 0;
  // Runs of one kind, dashes at even places: a gap of no length goes, and the dashes it parted
  // become one.
  std::vector<double>& runs = drawn.entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    const bool dash = i % 2 == 0;
    if (!dash && entries[i] == 0) continue;
    if (!runs.empty() && (runs.size() % 2 == 1) == dash) runs.back() += entries[i];
    else runs.push_back(entries[i]);
  }
  if (runs.size() < 2) return {};
  if (runs.size() % 2 == 1) {
    // The list ends in a dash that goes on into its first one: the pattern starts that much
    // earlier.
    runs.front() += runs.back();
    drawn.phase += runs.back();
    runs.pop_back();
  }
  return drawn;
}

bool CutIntoDashes(std::span<const GpPointF> points, std::span<const uint8_t> types, const DrawnDashes& pattern,
                   bool dots, double reach, const DashArea& area, std::vector<DashPiece>& pieces) {
  pieces.clear();
  double period = 0;
  for (double d : pattern.entries) {
    if (!(d >= 0) || !std::isfinite(d)) return false;
    period += d;
  }
  const size_t n = std::min(points.size(), types.size());
  points = points.first(n), types = types.first(n);
  if (!(period > 0) || !std::isfinite(pattern.phase) || !std::isfinite(reach) ||
      !std::isfinite(area.margin))
    return false;

  const DashRule rule{.pattern = pattern.entries,
                      .phase = pattern.phase,
                      .near = &area.box,
                      .margin = area.margin,
                      .mostPieces = std::min(area.mostPieces, size_t(kMaxDashPieces)),
                      .dots = dots,
                      .reach = reach};
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
