#include "platform/user/rect_set.h"

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
