#include "platform/gdi/shapes.h"

#include <algorithm>

#include "platform/gdi/colors.h"
#include "platform/gdi/metafile/emf_recorder.h"
#include "platform/gdi/paint_engine.h"
#include "platform/gdi/stroke.h"

namespace {

PointF Dev(const GdiDC& d, double x, double y) { return PointF{d.DevXf(x), d.DevYf(y)}; }

RECT DevRect(const GdiDC& d, const RECT& r) {
  auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 4, INT32_MAX / 4)); };
  return RECT{clamp(d.DevX(r.left)), clamp(d.DevY(r.top)), clamp(d.DevX(r.right)), clamp(d.DevY(r.bottom))};
}

bool InPath(GdiDC& d) { return d.state.path.stage == GdiPath::Stage::Open; }

// Records a run of points on a metafile DC; false when the DC paints.
bool Recorded(GdiDC& d, DWORD type, const POINT* pts, size_t count) {
  if (!d.recorder) return false;
  std::vector<POINT> device(count);
  for (size_t i = 0; i < count; ++i) device[i] = DevicePoint(d, pts[i].x, pts[i].y);
  d.recorder->Points(d, type, device, !InPath(d));
  return true;
}

// An open run of points (device space, the first one where the pen stands): lines of the
// path being recorded, or a stroke with the pen.
bool LineOrStroke(GdiDC& d, const std::vector<PointF>& p) {
  if (InPath(d)) {
    for (size_t i = 1; i < p.size(); ++i) d.state.path.LineTo(p[i]);
    return true;
  }
  StrokeOutline(d, p, false);
  return true;
}

RECT Normal(int l, int t, int r, int b) { return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)}; }

// Fills the polygons with the brush, then outlines each with the pen (Polygon, Rectangle...).
void FillAndStroke(GdiDC& d, const std::vector<std::vector<PointF>>& polys) {
  if (InPath(d)) {
    for (const auto& p : polys) {
      if (p.empty()) continue;
      d.state.path.Start(p[0]);
      for (size_t i = 1; i < p.size(); ++i) d.state.path.LineTo(p[i]);
      d.state.path.Close();
    }
    return;
  }
  FillOutlines(d, polys, d.state.polyFillMode);
  for (const auto& p : polys) StrokeOutline(d, p, true);
}

}  // namespace

bool LineTo(HDC dc, int x, int y) {
  auto d = LookupDC(dc);
  if (!d) return false;
  const POINT from = d->state.position;
  d->state.position = POINT{x, y};
  const POINT to{x, y};
  if (Recorded(*d, EMR_LINETO, &to, 1) && !InPath(*d)) return true;
  if (InPath(*d)) {
    d->state.path.LineTo(Dev(*d, x, y));
    return true;
  }
  StrokeOutline(*d, {Dev(*d, from.x, from.y), Dev(*d, x, y)}, false);
  return true;
}

bool PolylineTo(HDC dc, const POINT* pts, DWORD count) {
  auto d = LookupDC(dc);
  if (!d || (!pts && count)) return false;
  if (Recorded(*d, EMR_POLYLINETO, pts, count) && !InPath(*d)) {
    if (count) d->state.position = pts[count - 1];
    return true;
  }
  std::vector<PointF> p{Dev(*d, d->state.position.x, d->state.position.y)};
  for (DWORD i = 0; i < count; ++i) p.push_back(Dev(*d, pts[i].x, pts[i].y));
  if (count) d->state.position = pts[count - 1];
  return LineOrStroke(*d, p);
}

bool Polyline(HDC dc, const POINT* pts, int count) {
  auto d = LookupDC(dc);
  if (!d || !pts || count < 2) return false;
  if (Recorded(*d, EMR_POLYLINE, pts, size_t(count)) && !InPath(*d)) return true;
  std::vector<PointF> p;
  for (int i = 0; i < count; ++i) p.push_back(Dev(*d, pts[i].x, pts[i].y));
  if (InPath(*d)) d->state.path.Start(p[0]);
  return LineOrStroke(*d, p);
}

bool Polygon(HDC dc, const POINT* pts, int count) {
  int counts[1] = {count};
  return PolyPolygon(dc, pts, counts, 1);
}

bool PolyPolygon(HDC dc, const POINT* pts, const int* counts, int polygons) {
  auto d = LookupDC(dc);
  if (!d || !pts || !counts || polygons <= 0) return false;
  std::vector<std::vector<PointF>> polys;
  size_t k = 0;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return false;
    std::vector<PointF> p;
    for (int j = 0; j < counts[i]; ++j, ++k) p.push_back(Dev(*d, pts[k].x, pts[k].y));
    polys.push_back(std::move(p));
  }
  if (d->recorder) {
    std::vector<POINT> device(k);
    for (size_t i = 0; i < k; ++i) device[i] = DevicePoint(*d, pts[i].x, pts[i].y);
    if (polygons == 1) d->recorder->Points(*d, EMR_POLYGON, device, !InPath(*d));
    else d->recorder->PolyPolygon(*d, device, std::span<const int>(counts, size_t(polygons)), !InPath(*d));
    if (!InPath(*d)) return true;
  }
  FillAndStroke(*d, polys);
  return true;
}

bool PolyBezierTo(HDC dc, const POINT* pts, DWORD count) {
  auto d = LookupDC(dc);
  if (!d || !pts || count % 3 != 0) return false;
  if (Recorded(*d, EMR_POLYBEZIERTO, pts, count) && !InPath(*d)) {
    if (count) d->state.position = pts[count - 1];
    return true;
  }
  PointF cur = Dev(*d, d->state.position.x, d->state.position.y);
  std::vector<PointF> flat{cur};
  for (DWORD i = 0; i + 2 < count; i += 3) {
    const PointF c1 = Dev(*d, pts[i].x, pts[i].y), c2 = Dev(*d, pts[i + 1].x, pts[i + 1].y),
                 e = Dev(*d, pts[i + 2].x, pts[i + 2].y);
    FlattenBezier(cur, c1, c2, e, flat);
    cur = e;
  }
  if (count) d->state.position = pts[count - 1];
  return LineOrStroke(*d, flat);
}

bool PolyBezier(HDC dc, const POINT* pts, DWORD count) {
  auto d = LookupDC(dc);
  if (!d || !pts || count < 1 || (count - 1) % 3 != 0) return false;
  // The curve is one record; the figure it adds to a path is kept without a second one.
  std::shared_ptr<EmfRecorder> recorder = d->recorder;
  if (Recorded(*d, EMR_POLYBEZIER, pts, count) && !InPath(*d)) return true;
  d->recorder.reset();
  const POINT saved = d->state.position;
  d->state.position = pts[0];
  if (InPath(*d)) d->state.path.Start(Dev(*d, pts[0].x, pts[0].y));
  const bool ok = PolyBezierTo(dc, pts + 1, count - 1);
  d->recorder = std::move(recorder);
  d->state.position = saved;  // PolyBezier leaves the position alone
  return ok;
}

bool Rectangle(HDC dc, int l, int t, int r, int b) {
  auto d = LookupDC(dc);
  if (!d) return false;
  const RECT n = Normal(l, t, r, b);
  if (d->recorder) {
    const POINT a = DevicePoint(*d, n.left, n.top), z = DevicePoint(*d, n.right, n.bottom);
    d->recorder->Box(*d, EMR_RECTANGLE, RECT{a.x, a.y, z.x, z.y}, !InPath(*d));
    if (!InPath(*d)) return true;
  }
  // The outline runs through the last column and row inside; without a pen the fill ends one
  // pixel short of the right and bottom edges, as on the platform.
  const double x0 = n.left, y0 = n.top, x1 = n.right - 1, y1 = n.bottom - 1;
  if (InPath(*d)) {
    FillAndStroke(*d, {{Dev(*d, x0, y0), Dev(*d, x1, y0), Dev(*d, x1, y1), Dev(*d, x0, y1)}});
    return true;
  }
  PatternSource brush = PatternSource::FromBrush(*d, d->state.brush);
  if (!brush.IsNull()) {
    const RECT fill = DevRect(*d, RECT{n.left, n.top, n.right - 1, n.bottom - 1});
    PaintArea(*d, Region::FromRect(fill), brush);
  }
  StrokeOutline(*d, {Dev(*d, x0, y0), Dev(*d, x1, y0), Dev(*d, x1, y1), Dev(*d, x0, y1)}, true);
  return true;
}

bool Ellipse(HDC dc, int l, int t, int r, int b) {
  auto d = LookupDC(dc);
  if (!d) return false;
  const RECT n = Normal(l, t, r, b);
  if (d->recorder) {
    const POINT a = DevicePoint(*d, n.left, n.top), z = DevicePoint(*d, n.right, n.bottom);
    d->recorder->Box(*d, EMR_ELLIPSE, RECT{a.x, a.y, z.x, z.y}, !InPath(*d));
    if (!InPath(*d)) return true;
  }
  std::vector<PointF> poly = EllipsePolygon(RECT{n.left, n.top, n.right - 1, n.bottom - 1});
  for (PointF& p : poly) p = Dev(*d, p.x, p.y);
  FillAndStroke(*d, {poly});
  return true;
}

bool RoundRect(HDC dc, int l, int t, int r, int b, int w, int h) {
  auto d = LookupDC(dc);
  if (!d) return false;
  const RECT n = Normal(l, t, r, b);
  std::vector<PointF> poly = RoundRectPolygon(RECT{n.left, n.top, n.right - 1, n.bottom - 1}, w, h);
  for (PointF& p : poly) p = Dev(*d, p.x, p.y);
  FillAndStroke(*d, {poly});
  return true;
}

int FillRect(HDC dc, const RECT* r, HBRUSH brush) {
  auto d = LookupDC(dc);
  auto b = ResolveBrush(brush);
  if (!d || !r || !b) return 0;
  if (d->recorder) {
    const POINT a = DevicePoint(*d, r->left, r->top), z = DevicePoint(*d, r->right, r->bottom);
    d->recorder->FillRect(*d, RECT{a.x, a.y, z.x, z.y}, *b);
    return 1;
  }
  const PatternSource p = PatternSource::FromBrush(*d, b);
  RasterOp(*d, Region::FromRect(DevRect(*d, *r)), &p, nullptr, 0xF0);
  return 1;
}

int FrameRect(HDC dc, const RECT* r, HBRUSH brush) {
  auto d = LookupDC(dc);
  auto b = ResolveBrush(brush);
  if (!d || !r || !b || r->IsEmpty()) return 0;
  const RECT o = DevRect(*d, *r);
  const RECT in{o.left + 1, o.top + 1, o.right - 1, o.bottom - 1};
  const Region frame = Region::Combine(Region::FromRect(o), Region::FromRect(in), Region::Diff);
  const PatternSource p = PatternSource::FromBrush(*d, b);
  RasterOp(*d, frame, &p, nullptr, 0xF0);
  return 1;
}

bool InvertRect(HDC dc, const RECT* r) {
  auto d = LookupDC(dc);
  if (!d || !r) return false;
  RasterOp(*d, Region::FromRect(DevRect(*d, *r)), nullptr, nullptr, 0x55);
  return true;
}

bool DrawFocusRect(HDC dc, const RECT* r) {
  auto d = LookupDC(dc);
  if (!d || !r || r->IsEmpty()) return false;
  const RECT o = DevRect(*d, *r);
  Spans dots;
  // Every other pixel along the border, starting at the top-left corner.
  for (int32_t x = o.left; x < o.right; ++x) {
    if (((x - o.left) & 1) == 0) dots.push_back({o.top, x, x + 1});
    if (((x - o.left + o.bottom - 1 - o.top) & 1) == 0) dots.push_back({o.bottom - 1, x, x + 1});
  }
  for (int32_t y = o.top + 1; y < o.bottom - 1; ++y) {
    if (((y - o.top) & 1) == 0) dots.push_back({y, o.left, o.left + 1});
    if (((y - o.top + o.right - 1 - o.left) & 1) == 0) dots.push_back({y, o.right - 1, o.right});
  }
  RasterOp(*d, Region::FromSpans(std::move(dots)), nullptr, nullptr, 0x55);
  return true;
}

bool FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
  auto d = LookupDC(dc);
  auto b = ResolveBrush(brush);
  const Region* r = RegionOf(rgn);
  if (!d || !b || !r) return false;
  Region dev = *r;
  dev.Offset(int32_t(d->DevX(0)), int32_t(d->DevY(0)));
  const PatternSource p = PatternSource::FromBrush(*d, b);
  RasterOp(*d, dev, &p, nullptr, 0xF0);
  return true;
}

bool PaintRgn(HDC dc, HRGN rgn) {
  auto d = LookupDC(dc);
  return d && FillRgn(dc, rgn, static_cast<HBRUSH>(d->state.brush->Handle()));
}

bool FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h) {
  auto d = LookupDC(dc);
  auto b = ResolveBrush(brush);
  const Region* r = RegionOf(rgn);
  if (!d || !b || !r) return false;
  // The frame is the region less the region shrunk by w and h on every side.
  Region inner = *r;
  for (int dx = -w; dx <= w; dx += std::max(1, w))
    for (int dy = -h; dy <= h; dy += std::max(1, h)) {
      Region moved = *r;
      moved.Offset(dx, dy);
      inner = Region::Combine(inner, moved, Region::And);
    }
  Region frame = Region::Combine(*r, inner, Region::Diff);
  frame.Offset(int32_t(d->DevX(0)), int32_t(d->DevY(0)));
  const PatternSource p = PatternSource::FromBrush(*d, b);
  RasterOp(*d, frame, &p, nullptr, 0xF0);
  return true;
}

bool InvertRgn(HDC dc, HRGN rgn) {
  auto d = LookupDC(dc);
  const Region* r = RegionOf(rgn);
  if (!d || !r) return false;
  Region dev = *r;
  dev.Offset(int32_t(d->DevX(0)), int32_t(d->DevY(0)));
  RasterOp(*d, dev, nullptr, nullptr, 0x55);
  return true;
}

namespace {

void EdgeLines(GdiDC& d, const RECT& o, COLORREF topLeft, COLORREF bottomRight, UINT flags) {
  const PatternSource tl = PatternSource::Solid(topLeft), br = PatternSource::Solid(bottomRight);
  if (flags & BF_LEFT) RasterOp(d, Region::FromRect({o.left, o.top, o.left + 1, o.bottom}), &tl, nullptr, 0xF0);
  if (flags & BF_TOP) RasterOp(d, Region::FromRect({o.left, o.top, o.right, o.top + 1}), &tl, nullptr, 0xF0);
  if (flags & BF_RIGHT) RasterOp(d, Region::FromRect({o.right - 1, o.top, o.right, o.bottom}), &br, nullptr, 0xF0);
  if (flags & BF_BOTTOM) RasterOp(d, Region::FromRect({o.left, o.bottom - 1, o.right, o.bottom}), &br, nullptr, 0xF0);
}

}  // namespace

bool DrawEdge(HDC dc, RECT* r, UINT edge, UINT flags) {
  auto d = LookupDC(dc);
  if (!d || !r) return false;
  RECT o = DevRect(*d, *r);
  const COLORREF light = GetSysColor(COLOR_3DLIGHT), hilight = GetSysColor(COLOR_BTNHIGHLIGHT),
                 shadow = GetSysColor(COLOR_BTNSHADOW), dark = GetSysColor(COLOR_3DDKSHADOW),
                 face = GetSysColor(COLOR_BTNFACE), frame = GetSysColor(COLOR_WINDOWFRAME);
  int drawn = 0;
  // Outer then inner border: raised shows light top-left and dark bottom-right.
  for (int pass = 0; pass < 2; ++pass) {
    const UINT raised = pass == 0 ? BDR_RAISEDOUTER : BDR_RAISEDINNER;
    const UINT sunken = pass == 0 ? BDR_SUNKENOUTER : BDR_SUNKENINNER;
    if (!(edge & (raised | sunken))) continue;
    COLORREF tl, br;
    if (flags & BF_MONO) {
      tl = br = frame;
    } else if (flags & BF_FLAT) {
      tl = br = shadow;
    } else if (edge & raised) {
      tl = pass == 0 ? ((flags & BF_SOFT) ? hilight : light) : ((flags & BF_SOFT) ? light : hilight);
      br = pass == 0 ? dark : shadow;
    } else {
      tl = pass == 0 ? ((flags & BF_SOFT) ? dark : shadow) : ((flags & BF_SOFT) ? shadow : dark);
      br = pass == 0 ? hilight : light;
    }
    EdgeLines(*d, o, tl, br, flags);
    if (flags & BF_LEFT) ++o.left;
    if (flags & BF_TOP) ++o.top;
    if (flags & BF_RIGHT) --o.right;
    if (flags & BF_BOTTOM) --o.bottom;
    ++drawn;
  }
  if (flags & BF_MIDDLE) {
    const PatternSource f = PatternSource::Solid((flags & BF_MONO) ? GetSysColor(COLOR_WINDOW) : face);
    RasterOp(*d, Region::FromRect(o), &f, nullptr, 0xF0);
  }
  if (flags & BF_ADJUST) {
    if (flags & BF_LEFT) r->left += drawn;
    if (flags & BF_TOP) r->top += drawn;
    if (flags & BF_RIGHT) r->right -= drawn;
    if (flags & BF_BOTTOM) r->bottom -= drawn;
  }
  return true;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  auto d = LookupDC(dc);
  if (!d) return CLR_INVALID;
  const int64_t dx = d->DevX(x), dy = d->DevY(y);
  if (!d->CanDraw(dx, dy)) return CLR_INVALID;
  GdiBitmap* s = d->Surface();
  s->SetColor(int32_t(dx), int32_t(dy), color & 0xFFFFFF);
  return s->GetColor(int32_t(dx), int32_t(dy));
}

bool SetPixelV(HDC dc, int x, int y, COLORREF color) { return SetPixel(dc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC dc, int x, int y) {
  auto d = LookupDC(dc);
  if (!d) return CLR_INVALID;
  const int64_t dx = d->DevX(x), dy = d->DevY(y);
  if (!d->CanDraw(dx, dy)) return CLR_INVALID;
  return d->Surface()->GetColor(int32_t(dx), int32_t(dy));
}
