#include "pdf/render/canvas/dash_pieces.h"

#include <algorithm>
#include <cmath>

using namespace gdiplus;

namespace {

// Points the dashes of one stroke may hold: curves are flattened into them.
constexpr size_t kMaxDashPoints = size_t(1) << 21;

double Distance(PointF a, PointF b) { return std::hypot(b.x - a.x, b.y - a.y); }

// Walks the figures' lines through the pattern, writing each dash as a figure of its own.
class TDasher {
 public:
  TDasher(std::span<const double> pattern, double phase, TDashPieces& out)
      : pattern_(pattern), out_(out) {
    for (double d : pattern_) period_ += d;
    start_ = std::fmod(phase, period_);
    if (start_ < 0) start_ += period_;
    if (!(start_ >= 0 && start_ < period_)) start_ = 0;
  }

  void BeginFigure(PointF p) {
    double into = start_;
    index_ = 0;
    while (index_ + 1 < pattern_.size() && into >= pattern_[index_]) into -= pattern_[index_++];
    left_ = std::max(pattern_[index_] - into, 0.0);
    on_ = index_ % 2 == 0;
    firstPiece_ = out_.Figures.size();
    startedOn_ = on_;
    startPoint_ = current_ = p;
    if (on_) StartPiece(p);
  }

  // False once the dashes or their points pass what one stroke may hold.
  bool LineTo(PointF q) {
    const double length = Distance(current_, q);
    if (!(length > 0)) return true;
    double along = 0;
    while (length - along > left_) {
      along += left_;
      const double t = along / length;
      const PointF p{current_.x + (q.x - current_.x) * t, current_.y + (q.y - current_.y) * t};
      if (on_) {
        out_.Points.push_back(p);
        EndPiece();
      } else {
        StartPiece(p);
      }
      index_ = (index_ + 1) % pattern_.size();
      left_ = pattern_[index_];
      on_ = !on_;
      if (++toggles_ > 2 * kMaxDashPieces) return false;
    }
    left_ -= length - along;
    if (on_) out_.Points.push_back(q);
    current_ = q;
    return out_.Points.size() <= kMaxDashPoints;
  }

  bool EndFigure(bool closed) {
    if (closed && !LineTo(startPoint_)) return false;
    if (!on_) return true;
    EndPiece();
    TDashPieces::Figure& last = out_.Figures.back();
    if (!closed || !startedOn_ || firstPiece_ >= out_.Figures.size()) return true;
    if (out_.Figures.size() - 1 == firstPiece_) {
      // On all the way round: the figure stays closed, joined where it starts.
      last.Closed = true;
      return true;
    }
    // The dash that ends the figure goes on into the one that began it.
    TDashPieces::Figure& first = out_.Figures[firstPiece_];
    for (size_t i = first.First + 1; i < first.First + first.Count; ++i) out_.Points.push_back(out_.Points[i]);
    last.Count = out_.Points.size() - last.First;
    first.Count = 0;
    return out_.Points.size() <= kMaxDashPoints;
  }

 private:
  void StartPiece(PointF p) {
    out_.Figures.push_back({out_.Points.size(), 0, false});
    out_.Points.push_back(p);
  }
  void EndPiece() { out_.Figures.back().Count = out_.Points.size() - out_.Figures.back().First; }

  std::span<const double> pattern_;
  TDashPieces& out_;
  double period_ = 0, start_ = 0, left_ = 0;
  size_t index_ = 0, firstPiece_ = 0;
  double toggles_ = 0;
  bool on_ = false, startedOn_ = false;
  PointF startPoint_{0, 0}, current_{0, 0};
};

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
                   double phase, TDashPieces& pieces) {
  pieces = {};
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

  TDasher dasher(entries, phase, pieces);
  std::vector<PointF> flat;
  bool inFigure = false, ok = true;
  auto at = [&](size_t i) { return PointF{points[i].X, points[i].Y}; };
  PointF current{0, 0};
  for (size_t i = 0; i < n && ok;) {
    const uint8_t kind = types[i] & PathPointTypePathTypeMask;
    if (kind == PathPointTypeStart || !inFigure) {
      if (inFigure) ok = dasher.EndFigure(false);
      dasher.BeginFigure(current = at(i));
      inFigure = true;
      if (kind == PathPointTypeStart) {
        ++i;
        continue;
      }
    }
    size_t last = i;
    if (kind == PathPointTypeBezier && i + 2 < n) {
      flat.clear();
      FlattenBezier(current, at(i), at(i + 1), at(i + 2), flat);
      for (const PointF& p : flat) ok = ok && dasher.LineTo(p);
      last = i + 2;
    } else {
      ok = dasher.LineTo(at(i));
    }
    current = at(last);
    i = last + 1;
    if (ok && (types[last] & PathPointTypeCloseSubpath)) {
      ok = dasher.EndFigure(true);
      inFigure = false;
    }
  }
  if (ok && inFigure) ok = dasher.EndFigure(false);
  if (!ok) pieces = {};
  return ok;
}
