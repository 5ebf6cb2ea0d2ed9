#include <algorithm>

#include "platform/gdi/gdi_types.h"

bool IsRectEmpty(const RECT& r) { return r.IsEmpty(); }
bool EqualRect(const RECT& a, const RECT& b) { return a == b; }
bool PtInRect(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool SetRect(RECT& r, int32_t l, int32_t t, int32_t rr, int32_t b) {
  r = RECT{l, t, rr, b};
  return true;
}
bool SetRectEmpty(RECT& r) {
  r = RECT{};
  return true;
}

bool IntersectRect(RECT& dst, const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.IsEmpty()) r = RECT{};
  dst = r;
  return !r.IsEmpty();
}

bool UnionRect(RECT& dst, const RECT& a, const RECT& b) {
  if (a.IsEmpty()) {
    dst = b.IsEmpty() ? RECT{} : b;
  } else if (b.IsEmpty()) {
    dst = a;
  } else {
    dst = RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
  }
  return !dst.IsEmpty();
}

bool OffsetRect(RECT& r, int32_t dx, int32_t dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
  return true;
}

bool InflateRect(RECT& r, int32_t dx, int32_t dy) {
  r.left -= dx;
  r.right += dx;
  r.top -= dy;
  r.bottom += dy;
  return true;
}
