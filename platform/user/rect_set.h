// A set of pixels for update areas, visible areas and window shapes: a thin value wrapper
// over the graphics layer's band regions with the few operations the window layer uses.
#pragma once

#include <span>
#include <vector>

#include "platform/gdi/region.h"
#include "platform/user/graphics_types.h"

inline bool IsRectEmptyValue(const RECT& r) { return r.IsEmpty(); }
RECT IntersectRects(const RECT& a, const RECT& b);
RECT UnionBounds(const RECT& a, const RECT& b);
inline bool PointInRect(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
// Saturates instead of overflowing: callers pass rectangles straight from programs.
RECT OffsetRectBy(const RECT& r, int dx, int dy);

class RectSet {
 public:
  RectSet() = default;
  explicit RectSet(const RECT& r) : region_(Region::FromRect(r)) {}
  explicit RectSet(Region r) : region_(std::move(r)) {}
  static RectSet FromRects(std::span<const RECT> rects) { return RectSet(Region::FromRects(rects)); }

  bool empty() const { return region_.Empty(); }
  std::vector<RECT> rects() const { return region_.Rects(); }
  size_t count() const { return region_.RectCount(); }
  RECT Bounds() const { return region_.Empty() ? RECT{} : region_.Bounds(); }
  bool Contains(int x, int y) const { return region_.Contains(x, y); }
  bool Intersects(const RECT& r) const { return !r.IsEmpty() && region_.Intersects(r); }
  const Region& region() const { return region_; }

  void Clear() { region_ = Region(); }
  void Add(const RECT& r) { Add(RectSet(r)); }
  void Add(const RectSet& o) { region_ = Region::Combine(region_, o.region_, Region::Or); }
  void Subtract(const RECT& r) { Subtract(RectSet(r)); }
  void Subtract(const RectSet& o) { region_ = Region::Combine(region_, o.region_, Region::Diff); }
  void Intersect(const RECT& r) { Intersect(RectSet(r)); }
  void Intersect(const RectSet& o) { region_ = Region::Combine(region_, o.region_, Region::And); }
  void Offset(int dx, int dy) { region_.Offset(dx, dy); }

 private:
  Region region_;
};
