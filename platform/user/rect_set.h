// A set of pixels kept as non-overlapping rectangles: update regions, visible areas and
// window shapes of the window layer. Operations are exact; the rectangle count is bounded by
// the callers' inputs (no operation multiplies it without limit).
#pragma once

#include <span>
#include <vector>

#include "platform/user/graphics_types.h"

bool IsRectEmptyValue(const RECT& r);
RECT IntersectRects(const RECT& a, const RECT& b);
RECT UnionBounds(const RECT& a, const RECT& b);
bool PointInRect(const RECT& r, int x, int y);
RECT OffsetRectBy(const RECT& r, int dx, int dy);

class RectSet {
 public:
  RectSet() = default;
  explicit RectSet(const RECT& r);
  static RectSet FromRects(std::span<const RECT> rects);  // any rectangles, overlapping or not

  bool empty() const { return rects_.empty(); }
  const std::vector<RECT>& rects() const { return rects_; }
  RECT Bounds() const;
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;

  void Clear() { rects_.clear(); }
  void Add(const RECT& r);       // union
  void Add(const RectSet& other);
  void Subtract(const RECT& r);
  void Subtract(const RectSet& other);
  void Intersect(const RECT& r);
  void Intersect(const RectSet& other);
  void Offset(int dx, int dy);

 private:
  std::vector<RECT> rects_;  // disjoint, non-empty
};
