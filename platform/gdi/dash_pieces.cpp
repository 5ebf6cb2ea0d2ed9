#include "platform/gdi/dash_pieces.h"

#include <algorithm>
#include <cmath>

namespace {

// The part [t0, t1] of the segment a + t (b - a) inside the box, by Liang-Barsky.
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

PointF Along(PointF a, PointF b, double t) { return PointF{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; }

}  // namespace

namespace {

double PatternLength(std::span<const double> pattern) {
  double total = 0;
  for (double d : pattern) total += std::max(d, 0.0);
  return total;
}

}  // namespace

bool IsDashPattern(std::span<const double> pattern) { return PatternLength(pattern) >= 1; }

std::optional<std::vector<std::vector<PointF>>> DashPieces(const std::vector<PointF>& points, bool closed,
                                                           std::span<const double> pattern, const RECT& near,
                                                           double margin, size_t mostPieces) {
  const double total = PatternLength(pattern);
  if (total < 1 || points.size() < 2) return std::vector<std::vector<PointF>>{};

  std::vector<std::vector<PointF>> pieces;
  std::vector<PointF> current;  // the dash being drawn, open across vertices
  size_t entry = 0;
  double left = std::max(pattern[0], 0.0);  // of the current entry
  auto finish = [&] {
    if (current.size() >= 2) pieces.push_back(std::move(current));
    current.clear();
  };
  // Moves the pattern on by a length without drawing, the whole cycles skipped at once.
  auto advance = [&](double length) {
    if (length >= left) {
      length -= left;
      length = std::fmod(length, total);
      entry = (entry + 1) % pattern.size();
      left = std::max(pattern[entry], 0.0);
      while (length >= left) {
        length -= left;
        entry = (entry + 1) % pattern.size();
        left = std::max(pattern[entry], 0.0);
      }
    }
    left -= length;
  };

  const double x0 = near.left - margin, y0 = near.top - margin, x1 = near.right + margin, y1 = near.bottom + margin;
  const size_t n = points.size();
  const size_t segments = closed ? n : n - 1;
  for (size_t i = 0; i < segments; ++i) {
    const PointF a = points[i], b = points[(i + 1) % n];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!std::isfinite(length)) {
      finish();
      continue;
    }
    double t0, t1;
    if (length == 0 || !ClipSegment(a, b, x0, y0, x1, y1, t0, t1)) {
      finish();
      advance(length);
      continue;
    }
    if (t0 > 0) {
      finish();
      advance(t0 * length);
    }
    double at = t0 * length;
    const double end = t1 * length;
    while (at < end) {
      const bool on = entry % 2 == 0;
      const double step = std::min(left, end - at);
      if (on) {
        if (current.empty()) current.push_back(Along(a, b, at / length));
        current.push_back(Along(a, b, (at + step) / length));
      }
      at += step;
      left -= step;
      if (left <= 0) {
        if (on) finish();
        if (pieces.size() > mostPieces) return std::nullopt;
        entry = (entry + 1) % pattern.size();
        left = std::max(pattern[entry], 0.0);
      }
    }
    if (t1 < 1) {
      finish();
      advance((1 - t1) * length);
    }
  }
  finish();
  return pieces;
}
