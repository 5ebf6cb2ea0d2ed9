#include "platform/gdi/dash_pieces.h"

#include <algorithm>
#include <cmath>

namespace {

PointF Along(PointF a, PointF b, double t) { return PointF{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; }

// Where a walk stands in the pattern: the entry and what is left of it.
class PatternWalk {
 public:
  PatternWalk(std::span<const double> pattern, double period, double phase) : pattern_(pattern), period_(period) {
    left_ = Entry(0);
    Skip(phase);
  }
  bool On() const { return entry_ % 2 == 0; }
  double Left() const { return left_; }
  double Length() const { return Entry(entry_); }
  void Use(double length) { left_ -= length; }
  void Next() {
    entry_ = (entry_ + 1) % pattern_.size();
    left_ = Entry(entry_);
  }
  // Moves on by a length without drawing, whole periods at once. A walk that comes to the very
  // end of an entry stays there: a dash of no length after it is still ahead.
  void Skip(double length) {
    if (!(length > 0)) return;
    if (length >= left_) {
      length = std::fmod(length - left_, period_);
      Next();
      while (length > left_) {
        length -= left_;
        Next();
      }
    }
    left_ -= length;
  }

 private:
  double Entry(size_t i) const { return std::max(pattern_[i], 0.0); }
  std::span<const double> pattern_;
  double period_;
  size_t entry_ = 0;
  double left_ = 0;
};

// Carries the ends of a piece `reach` further along its first and last lines.
void Lengthen(std::vector<PointF>& points, bool start, bool end, double reach) {
  auto carry = [reach](PointF& tip, const PointF* from, const PointF* to, ptrdiff_t step) {
    for (const PointF* q = from; q != to; q += step) {
      const double dx = tip.x - q->x, dy = tip.y - q->y, d = std::hypot(dx, dy);
      if (d > 0) {
        tip = PointF{tip.x + reach * dx / d, tip.y + reach * dy / d};
        return;
      }
    }
  };
  if (!(reach > 0) || points.size() < 2) return;
  const PointF* first = points.data();
  const PointF* last = first + points.size() - 1;
  if (start) carry(points.front(), first + 1, last + 1, 1);
  if (end) carry(points.back(), last - 1, first - 1, -1);
}

}  // namespace

bool CutFigureIntoDashes(std::span<const PointF> points, bool closed, const DashRule& rule,
                         std::vector<DashPiece>& pieces) {
  double period = 0;
  for (double d : rule.pattern) period += std::max(d, 0.0);
  if (!(period > 0) || !std::isfinite(period) || !std::isfinite(rule.phase)) return false;
  if (points.size() < 2) return true;

  PatternWalk walk(rule.pattern, period, std::fmod(rule.phase, period) + (rule.phase < 0 ? period : 0));
  const size_t firstPiece = pieces.size();
  // The dash through the starting point of a closed figure joins its two ends: it began at the
  // start, and it is still being drawn when the figure comes back there. Its start is no end of
  // a dash then, unless the figure comes back in a gap.
  bool startsOn = walk.On() && walk.Left() > 0;
  bool startHeld = false;
  std::vector<PointF> current;  // the dash being drawn, open across vertices
  bool tooMany = false;
  auto push = [&](DashPiece piece) {
    pieces.push_back(std::move(piece));
    tooMany = tooMany || pieces.size() > rule.mostPieces;
  };
  auto finish = [&] {
    if (current.size() >= 2) {
      const bool first = closed && startsOn && pieces.size() == firstPiece;
      startHeld = startHeld || first;
      Lengthen(current, !first, true, rule.reach);
      push({std::move(current), false});
    }
    current.clear();
  };
  // A dash of no length at `t` of the line a-b: its caps, oriented along that line.
  auto dot = [&](PointF a, PointF b, double t, double length) {
    const PointF p = Along(a, b, t);
    const double ux = (b.x - a.x) / length * rule.reach, uy = (b.y - a.y) / length * rule.reach;
    push({{PointF{p.x - ux, p.y - uy}, PointF{p.x + ux, p.y + uy}}, false});
  };

  const RECT box = rule.near ? *rule.near : RECT{};
  const double x0 = box.left - rule.margin, y0 = box.top - rule.margin, x1 = box.right + rule.margin,
               y1 = box.bottom + rule.margin;
  const size_t n = points.size();
  const bool backToStart = closed && (points[n - 1].x != points[0].x || points[n - 1].y != points[0].y);
  const size_t segments = backToStart ? n : n - 1;
  for (size_t i = 0; i < segments && !tooMany; ++i) {
    const PointF a = points[i], b = points[(i + 1) % n];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!std::isfinite(length)) {
      finish();
      startsOn = false;
      continue;
    }
    double t0 = 0, t1 = 1;
    if (length == 0) continue;
    if (rule.near && !ClipSegment(a, b, x0, y0, x1, y1, t0, t1)) t0 = t1 = 1;
    if (t0 > 0) {
      finish();
      if (i == 0) startsOn = false;
      walk.Skip(t0 * length);
    }
    double at = t0 * length;
    const double end = t1 * length;
    // An entry is left only when the walk goes on past its end: a dash ending where the figure
    // does is still the one being drawn there, and none begins at the end. A dash that ends at
    // a vertex ends there, and one that begins at a vertex begins on the line after it.
    while (at < end && !tooMany) {
      if (walk.Left() <= 0) {
        if (walk.On() && rule.dots && walk.Length() <= 0) dot(a, b, at / length, length);
        if (walk.On()) finish();
        walk.Next();
        continue;
      }
      const double step = std::min(walk.Left(), end - at);
      if (walk.On()) {
        if (current.empty()) current.push_back(Along(a, b, at / length));
        current.push_back(Along(a, b, (at + step) / length));
      }
      at += step;
      walk.Use(step);
    }
    if (t1 < 1) {
      finish();
      walk.Skip((1 - t1) * length);
    }
  }
  if (tooMany) return false;
  if (closed && startsOn && current.size() >= 2) {
    if (pieces.size() == firstPiece) {
      // On all the way round: the figure stays whole and closed.
      pieces.push_back({std::move(current), true});
      return pieces.size() <= rule.mostPieces;
    }
    // The dash that ends the figure goes on into the one that began it.
    std::vector<PointF>& first = pieces[firstPiece].points;
    current.insert(current.end(), first.begin() + 1, first.end());
    Lengthen(current, true, false, rule.reach);
    first = std::move(current);
    current.clear();
  } else if (startHeld) {
    Lengthen(pieces[firstPiece].points, true, false, rule.reach);
  }
  finish();
  return !tooMany;
}
