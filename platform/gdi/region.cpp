#include "platform/gdi/region.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/raster.h"

namespace {

// Merges two sorted interval lists under a boolean operation.
std::vector<int32_t> Merge1D(const std::vector<int32_t>& a, const std::vector<int32_t>& b, int op) {
  std::vector<int32_t> edges;
  edges.reserve(a.size() + b.size());
  edges.insert(edges.end(), a.begin(), a.end());
  edges.insert(edges.end(), b.begin(), b.end());
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  auto inside = [](const std::vector<int32_t>& v, size_t& i, int32_t x) {
    while (i < v.size() && v[i + 1] <= x) i += 2;
    return i < v.size() && v[i] <= x;
  };
  std::vector<int32_t> out;
  size_t ia = 0, ib = 0;
  bool on = false;
  for (size_t k = 0; k + 1 < edges.size(); ++k) {
    const int32_t x = edges[k];
    const bool inA = inside(a, ia, x), inB = inside(b, ib, x);
    bool in = false;
    switch (op) {
      case Region::And: in = inA && inB; break;
      case Region::Or: in = inA || inB; break;
      case Region::Xor: in = inA != inB; break;
      case Region::Diff: in = inA && !inB; break;
      default: in = inA; break;
    }
    if (in != on) {
      out.push_back(x);
      on = in;
    }
  }
  if (on) out.push_back(edges.back());
  return out;
}

// The spans of band list `v` covering row interval starting at y (advancing index i).
const std::vector<int32_t>* BandAt(const std::vector<Region::Band>& v, size_t& i, int32_t y) {
  while (i < v.size() && v[i].bottom <= y) ++i;
  if (i < v.size() && v[i].top <= y) return &v[i].xs;
  return nullptr;
}

}  // namespace

void Region::Append(int32_t top, int32_t bottom, std::vector<int32_t> xs) {
  if (xs.empty() || top >= bottom) return;
  if (!bands_.empty() && bands_.back().bottom == top && bands_.back().xs == xs) {
    bands_.back().bottom = bottom;  // coalesce identical neighbours
    return;
  }
  bands_.push_back(Band{top, bottom, std::move(xs)});
}

Region Region::FromRect(const RECT& r) {
  Region g;
  if (!r.IsEmpty()) g.bands_.push_back(Band{r.top, r.bottom, {r.left, r.right}});
  return g;
}

Region Region::FromRects(std::span<const RECT> rects) {
  std::vector<const RECT*> live;
  std::vector<int32_t> ys;
  for (const RECT& r : rects) {
    if (r.IsEmpty()) continue;
    live.push_back(&r);
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  Region g;
  if (live.empty()) return g;
  std::sort(live.begin(), live.end(), [](const RECT* a, const RECT* b) { return a->top < b->top; });
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  // Sweep: the active rectangles cover each interval between consecutive boundaries.
  std::vector<const RECT*> active;
  size_t next = 0;
  std::vector<std::pair<int32_t, int32_t>> xs;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const int32_t y0 = ys[k], y1 = ys[k + 1];
    std::erase_if(active, [&](const RECT* r) { return r->bottom <= y0; });
    while (next < live.size() && live[next]->top <= y0) active.push_back(live[next++]);
    if (active.empty()) continue;
    xs.clear();
    for (const RECT* r : active) xs.emplace_back(r->left, r->right);
    std::sort(xs.begin(), xs.end());
    std::vector<int32_t> merged;
    for (auto [a, b] : xs) {
      if (!merged.empty() && a <= merged.back())
        merged.back() = std::max(merged.back(), b);
      else {
        merged.push_back(a);
        merged.push_back(b);
      }
    }
    g.Append(y0, y1, std::move(merged));
  }
  return g;
}

Region Region::FromSpans(std::vector<Span> spans) {
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
    return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
  });
  Region g;
  size_t i = 0;
  while (i < spans.size()) {
    const int32_t y = spans[i].y;
    std::vector<int32_t> merged;
    for (; i < spans.size() && spans[i].y == y; ++i) {
      const Span& s = spans[i];
      if (s.x0 >= s.x1) continue;
      if (!merged.empty() && s.x0 <= merged.back())
        merged.back() = std::max(merged.back(), s.x1);
      else {
        merged.push_back(s.x0);
        merged.push_back(s.x1);
      }
    }
    g.Append(y, y + 1, std::move(merged));
  }
  return g;
}

Region Region::Combine(const Region& a, const Region& b, int op) {
  if (op == Copy) return a;
  // Quick answers that keep large regions from being rebuilt.
  if (op == And && (a.Empty() || b.Empty())) return Region();
  if ((op == Or || op == Xor) && b.Empty()) return a;
  if ((op == Or || op == Xor) && a.Empty()) return b;
  if (op == Diff && (a.Empty() || b.Empty())) return a;
  std::vector<int32_t> ys;
  ys.reserve(2 * (a.bands_.size() + b.bands_.size()));
  for (const Band& x : a.bands_) {
    ys.push_back(x.top);
    ys.push_back(x.bottom);
  }
  for (const Band& x : b.bands_) {
    ys.push_back(x.top);
    ys.push_back(x.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  static const std::vector<int32_t> none;
  Region g;
  size_t ia = 0, ib = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const std::vector<int32_t>* sa = BandAt(a.bands_, ia, ys[k]);
    const std::vector<int32_t>* sb = BandAt(b.bands_, ib, ys[k]);
    if (!sa && !sb) continue;
    g.Append(ys[k], ys[k + 1], Merge1D(sa ? *sa : none, sb ? *sb : none, op));
  }
  return g;
}

RECT Region::Bounds() const {
  if (bands_.empty()) return RECT{};
  RECT r{bands_.front().xs.front(), bands_.front().top, bands_.front().xs.back(), bands_.back().bottom};
  for (const Band& b : bands_) {
    r.left = std::min(r.left, b.xs.front());
    r.right = std::max(r.right, b.xs.back());
  }
  return r;
}

bool Region::Contains(int32_t x, int32_t y) const {
  auto it = std::upper_bound(bands_.begin(), bands_.end(), y, [](int32_t v, const Band& b) { return v < b.bottom; });
  if (it == bands_.end() || it->top > y) return false;
  for (size_t i = 0; i < it->xs.size(); i += 2)
    if (x >= it->xs[i] && x < it->xs[i + 1]) return true;
  return false;
}

bool Region::Intersects(const RECT& r) const {
  if (r.IsEmpty()) return false;
  for (const Band& b : bands_) {
    if (b.bottom <= r.top) continue;
    if (b.top >= r.bottom) break;
    for (size_t i = 0; i < b.xs.size(); i += 2)
      if (b.xs[i] < r.right && b.xs[i + 1] > r.left) return true;
  }
  return false;
}

void Region::Offset(int32_t dx, int32_t dy) {
  // Coordinates saturate at the 32-bit range instead of wrapping round; pieces pushed onto the
  // limit collapse, so the region is rebuilt from its rectangles when that happens.
  bool saturated = false;
  auto move = [&saturated](int32_t v, int32_t d) {
    const int64_t r = int64_t(v) + d;
    if (r > INT32_MAX || r < INT32_MIN) saturated = true;
    return int32_t(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
  };
  for (Band& b : bands_) {
    b.top = move(b.top, dy);
    b.bottom = move(b.bottom, dy);
    for (int32_t& x : b.xs) x = move(x, dx);
  }
  if (saturated) *this = FromRects(Rects());
}

std::vector<RECT> Region::Rects() const {
  std::vector<RECT> out;
  for (const Band& b : bands_)
    for (size_t i = 0; i < b.xs.size(); i += 2) out.push_back(RECT{b.xs[i], b.top, b.xs[i + 1], b.bottom});
  return out;
}

size_t Region::RectCount() const {
  size_t n = 0;
  for (const Band& b : bands_) n += b.xs.size() / 2;
  return n;
}

int Region::Complexity() const {
  const size_t n = RectCount();
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool operator==(const Region& a, const Region& b) {
  if (a.bands_.size() != b.bands_.size()) return false;
  for (size_t i = 0; i < a.bands_.size(); ++i)
    if (a.bands_[i].top != b.bands_[i].top || a.bands_[i].bottom != b.bands_[i].bottom ||
        a.bands_[i].xs != b.bands_[i].xs)
      return false;
  return true;
}

// ---- handles ----

HRGN CreateRegionHandle(Region region) {
  auto r = std::make_shared<GdiRegion>();
  r->region = std::move(region);
  return static_cast<HRGN>(RegisterGdiObject(r));
}

HRGN CreateRectRgn(int32_t l, int32_t t, int32_t r, int32_t b) {
  // The platform accepts the corners in any order.
  return CreateRegionHandle(Region::FromRect(RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)}));
}

HRGN CreateRectRgnIndirect(const RECT& r) { return CreateRectRgn(r.left, r.top, r.right, r.bottom); }

HRGN CreateEllipticRgn(int32_t l, int32_t t, int32_t r, int32_t b) {
  return CreateRegionHandle(Region::FromSpans(EllipseSpans(RECT{l, t, r, b})));
}

HRGN CreateRoundRectRgn(int32_t l, int32_t t, int32_t r, int32_t b, int32_t w, int32_t h) {
  return CreateRegionHandle(Region::FromSpans(RoundRectSpans(RECT{l, t, r, b}, w, h)));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (!points || count < 2) return CreateRegionHandle(Region());
  std::vector<PointF> poly;
  for (int i = 0; i < count; ++i) poly.push_back(PointF{double(points[i].x), double(points[i].y)});
  std::vector<std::vector<PointF>> polys{poly};
  return CreateRegionHandle(Region::FromSpans(FillPolygonSpans(polys, fillMode == WINDING)));
}

const Region* RegionOf(HRGN rgn) {
  auto r = LookupGdi<GdiRegion>(rgn);
  return r ? &r->region : nullptr;
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  auto d = LookupGdi<GdiRegion>(dst);
  auto ra = LookupGdi<GdiRegion>(a);
  if (!d || !ra || mode < RGN_AND || mode > RGN_COPY) return ERROR_REGION;
  if (mode == RGN_COPY) {
    d->region = ra->region;
  } else {
    auto rb = LookupGdi<GdiRegion>(b);
    if (!rb) return ERROR_REGION;
    d->region = Region::Combine(ra->region, rb->region, mode);
  }
  return d->region.Complexity();
}

int OffsetRgn(HRGN rgn, int32_t dx, int32_t dy) {
  auto r = LookupGdi<GdiRegion>(rgn);
  if (!r) return ERROR_REGION;
  r->region.Offset(dx, dy);
  return r->region.Complexity();
}

int GetRgnBox(HRGN rgn, RECT* box) {
  auto r = LookupGdi<GdiRegion>(rgn);
  if (!r || !box) return ERROR_REGION;
  *box = r->region.Bounds();
  return r->region.Complexity();
}

bool PtInRegion(HRGN rgn, int32_t x, int32_t y) {
  auto r = LookupGdi<GdiRegion>(rgn);
  return r && r->region.Contains(x, y);
}

bool RectInRegion(HRGN rgn, const RECT* rc) {
  auto r = LookupGdi<GdiRegion>(rgn);
  return r && rc && r->region.Intersects(*rc);
}

bool EqualRgn(HRGN a, HRGN b) {
  auto ra = LookupGdi<GdiRegion>(a), rb = LookupGdi<GdiRegion>(b);
  return ra && rb && ra->region == rb->region;
}

bool SetRectRgn(HRGN rgn, int32_t l, int32_t t, int32_t r, int32_t b) {
  auto g = LookupGdi<GdiRegion>(rgn);
  if (!g) return false;
  g->region = Region::FromRect(RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)});
  return true;
}

DWORD GetRegionData(HRGN rgn, DWORD size, void* data) {
  auto g = LookupGdi<GdiRegion>(rgn);
  if (!g) return 0;
  const std::vector<RECT> rects = g->region.Rects();
  const uint64_t need = sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT);
  if (!data || size < need) return DWORD(need);
  RGNDATAHEADER h;
  h.nCount = DWORD(rects.size());
  h.nRgnSize = DWORD(rects.size() * sizeof(RECT));
  h.rcBound = g->region.Bounds();
  std::memcpy(data, &h, sizeof h);
  if (!rects.empty()) std::memcpy(static_cast<char*>(data) + sizeof h, rects.data(), rects.size() * sizeof(RECT));
  return DWORD(need);
}

HRGN ExtCreateRegion(const void* transform, DWORD size, const void* data) {
  if (transform || !data || size < sizeof(RGNDATAHEADER)) return nullptr;
  RGNDATAHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
  if (uint64_t(h.nCount) * sizeof(RECT) > uint64_t(size) - sizeof h) return nullptr;
  std::vector<RECT> rects(h.nCount);
  if (h.nCount) std::memcpy(rects.data(), static_cast<const char*>(data) + sizeof h, h.nCount * sizeof(RECT));
  return CreateRegionHandle(Region::FromRects(rects));
}
