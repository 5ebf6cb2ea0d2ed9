#include "platform/user/rect_set.h"

#include <algorithm>
#include <cstdint>

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r;
  if (!IntersectRect(r, a, b)) return RECT{};
  return r;
}

RECT UnionBounds(const RECT& a, const RECT& b) {
  RECT r;
  UnionRect(r, a, b);
  return r;
}

RECT OffsetRectBy(const RECT& r, int dx, int dy) {
  auto add = [](int32_t v, int d) {
    int64_t x = static_cast<int64_t>(v) + d;
    return static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
  };
  return RECT{add(r.left, dx), add(r.top, dy), add(r.right, dx), add(r.bottom, dy)};
}
