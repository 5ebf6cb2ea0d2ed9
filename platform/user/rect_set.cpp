#include "platform/user/rect_set.h"

#include <algorithm>

bool IsRectEmptyValue(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (IsRectEmptyValue(r)) return RECT{0, 0, 0, 0};
  return r;
}

RECT UnionBounds(const RECT& a, const RECT& b) {
  if (IsRectEmptyValue(a)) return b;
  if (IsRectEmptyValue(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

bool PointInRect(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

RECT OffsetRectBy(const RECT& r, int dx, int dy) {
  return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

namespace {

// Appends the parts of a that lie outside b (at most four rectangles).
void AppendDifference(const RECT& a, const RECT& b, std::vector<RECT>& out) {
  RECT i = IntersectRects(a, b);
  if (IsRectEmptyValue(i)) {
    out.push_back(a);
    return;
  }
  if (a.top < i.top) out.push_back(RECT{a.left, a.top, a.right, i.top});
  if (i.bottom < a.bottom) out.push_back(RECT{a.left, i.bottom, a.right, a.bottom});
  if (a.left < i.left) out.push_back(RECT{a.left, i.top, i.left, i.bottom});
  if (i.right < a.right) out.push_back(RECT{i.right, i.top, a.right, i.bottom});
}

}  // namespace

RectSet::RectSet(const RECT& r) {
  if (!IsRectEmptyValue(r)) rects_.push_back(r);
}

RectSet RectSet::FromRects(std::span<const RECT> rects) {
  RectSet s;
  for (const RECT& r : rects) s.Add(r);
  return s;
}

RECT RectSet::Bounds() const {
  RECT b{0, 0, 0, 0};
  for (const RECT& r : rects_) b = UnionBounds(b, r);
  return b;
}

bool RectSet::Contains(int x, int y) const {
  return std::any_of(rects_.begin(), rects_.end(),
                     [&](const RECT& r) { return PointInRect(r, x, y); });
}

bool RectSet::Intersects(const RECT& q) const {
  return std::any_of(rects_.begin(), rects_.end(),
                     [&](const RECT& r) { return !IsRectEmptyValue(IntersectRects(r, q)); });
}

void RectSet::Add(const RECT& r) {
  if (IsRectEmptyValue(r)) return;
  // Keep the set disjoint: add only the parts of r not yet covered.
  std::vector<RECT> pieces{r};
  for (const RECT& have : rects_) {
    std::vector<RECT> next;
    for (const RECT& p : pieces) AppendDifference(p, have, next);
    pieces.swap(next);
    if (pieces.empty()) return;
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void RectSet::Add(const RectSet& other) {
  for (const RECT& r : other.rects_) Add(r);
}

void RectSet::Subtract(const RECT& r) {
  if (IsRectEmptyValue(r) || rects_.empty()) return;
  std::vector<RECT> out;
  out.reserve(rects_.size());
  for (const RECT& have : rects_) AppendDifference(have, r, out);
  rects_.swap(out);
}

void RectSet::Subtract(const RectSet& other) {
  for (const RECT& r : other.rects_) {
    if (rects_.empty()) return;
    Subtract(r);
  }
}

void RectSet::Intersect(const RECT& r) {
  std::vector<RECT> out;
  for (const RECT& have : rects_) {
    RECT i = IntersectRects(have, r);
    if (!IsRectEmptyValue(i)) out.push_back(i);
  }
  rects_.swap(out);
}

void RectSet::Intersect(const RectSet& other) {
  // Both sides are disjoint, so the pairwise intersections are disjoint too.
  std::vector<RECT> out;
  for (const RECT& a : rects_) {
    for (const RECT& b : other.rects_) {
      RECT i = IntersectRects(a, b);
      if (!IsRectEmptyValue(i)) out.push_back(i);
    }
  }
  rects_.swap(out);
}

void RectSet::Offset(int dx, int dy) {
  for (RECT& r : rects_) r = OffsetRectBy(r, dx, dy);
}
