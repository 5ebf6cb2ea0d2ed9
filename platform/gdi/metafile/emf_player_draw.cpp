// Lines, shapes, paths, clipping, regions and text of the EMF player.
#include <algorithm>
#include <cmath>

#include "platform/gdi/metafile/emf_player.h"
#include "platform/gdi/paint_engine.h"
#include "platform/gdi/path.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/code_pages.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

bool InPath(const GdiDC& d) { return d.state.path.stage == GdiPath::Stage::Open; }

// Windows-1252 bytes as UTF-16 (8-bit text records).
std::u16string FromAnsi(std::span<const uint8_t> bytes) {
  static constexpr char16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                       0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::u16string s;
  s.reserve(bytes.size());
  for (uint8_t c : bytes) s.push_back(c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : char16_t(c));
  return s;
}

}  // namespace

std::vector<POINT> EmfPlayer::Points(const ENHMETARECORD& r, uint64_t at, uint64_t count, bool small) const {
  std::vector<POINT> pts;
  pts.reserve(size_t(count));
  for (uint64_t i = 0; i < count; ++i) {
    if (small)
      pts.push_back(Map(r.I16(at + 4 * i), r.I16(at + 4 * i + 2)));
    else
      pts.push_back(Map(r.I32(at + 8 * i), r.I32(at + 8 * i + 4)));
  }
  return pts;
}

void EmfPlayer::DrawFigure(std::vector<PointF> logical, bool closed) {
  std::vector<POINT> pts;
  pts.reserve(logical.size());
  for (const PointF& p : logical) pts.push_back(Map(p.x, p.y));
  if (closed)
    Polygon(dc_, pts.data(), int(pts.size()));
  else
    Polyline(dc_, pts.data(), int(pts.size()));
}

bool EmfPlayer::PlayLines(const ENHMETARECORD& r) {
  Realize();
  const bool small = r.iType >= EMR_POLYBEZIER16 && r.iType <= EMR_POLYDRAW16;
  const uint64_t pointSize = small ? 4 : 8;
  switch (r.iType) {
    case EMR_LINETO: {
      const POINT p = Map(r.I32(8), r.I32(12));
      return LineTo(dc_, p.x, p.y);
    }
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: {
      const uint64_t polys = r.U32(24), total = r.U32(28);
      const uint64_t at = 32 + polys * 4;
      const std::vector<POINT> pts = Points(r, at, total, small);
      std::vector<int> counts;
      for (uint64_t i = 0; i < polys; ++i) counts.push_back(int(r.U32(32 + 4 * i)));
      if (r.iType == EMR_POLYPOLYGON || r.iType == EMR_POLYPOLYGON16)
        return PolyPolygon(dc_, pts.data(), counts.data(), int(counts.size()));
      size_t start = 0;
      for (int c : counts) {
        Polyline(dc_, pts.data() + start, c);
        start += size_t(c);
      }
      return true;
    }
    case EMR_POLYDRAW: case EMR_POLYDRAW16: {
      const uint64_t count = r.U32(24);
      const std::vector<POINT> pts = Points(r, 28, count, small);
      const uint64_t typesAt = 28 + count * pointSize;
      POINT figureStart{};
      GetCurrentPositionEx(dc_, &figureStart);
      for (size_t i = 0; i < pts.size(); ++i) {
        const uint8_t type = r.U8(typesAt + i);
        switch (type & ~PT_CLOSEFIGURE) {
          case PT_MOVETO:
            MoveToEx(dc_, pts[i].x, pts[i].y, nullptr);
            figureStart = pts[i];
            break;
          case PT_LINETO: LineTo(dc_, pts[i].x, pts[i].y); break;
          case PT_BEZIERTO:
            if (i + 2 < pts.size()) {
              PolyBezierTo(dc_, &pts[i], 3);
              i += 2;
            }
            break;
          default: break;
        }
        if ((type & PT_CLOSEFIGURE) && (type & ~PT_CLOSEFIGURE) != PT_MOVETO) {
          if (InPath(*d_))
            CloseFigure(dc_);
          else
            LineTo(dc_, figureStart.x, figureStart.y);
        }
      }
      return true;
    }
    default: break;
  }
  const uint64_t count = r.U32(24);
  const std::vector<POINT> pts = Points(r, 28, count, small);
  switch (r.iType) {
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16: return PolyBezier(dc_, pts.data(), DWORD(pts.size()));
    case EMR_POLYGON: case EMR_POLYGON16: return Polygon(dc_, pts.data(), int(pts.size()));
    case EMR_POLYLINE: case EMR_POLYLINE16: return Polyline(dc_, pts.data(), int(pts.size()));
    case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16: return PolyBezierTo(dc_, pts.data(), DWORD(pts.size()));
    case EMR_POLYLINETO: case EMR_POLYLINETO16: return PolylineTo(dc_, pts.data(), DWORD(pts.size()));
  }
  return false;
}

void EmfPlayer::ArcPoints(const RECT& box, POINTL start, POINTL end, std::vector<PointF>& out) const {
  const double cx = (double(box.left) + box.right) / 2, cy = (double(box.top) + box.bottom) / 2;
  const double rx = std::abs(double(box.right) - box.left) / 2, ry = std::abs(double(box.bottom) - box.top) / 2;
  if (rx == 0 || ry == 0) return;
  // Angles as seen on a y-down surface, counter-clockwise growing.
  const double a0 = std::atan2(-(start.y - cy) / ry, (start.x - cx) / rx);
  double a1 = std::atan2(-(end.y - cy) / ry, (end.x - cx) / rx);
  const bool ccw = state_.arcDirection == AD_COUNTERCLOCKWISE;
  double sweep = ccw ? a1 - a0 : a0 - a1;
  while (sweep <= 0) sweep += 2 * kPi;  // equal angles: the whole ellipse
  const double perimeter = (rx * ScaleX() + ry * ScaleY()) * sweep;
  const int n = ClampToInt(perimeter / 2, 8, 720);
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + (ccw ? sweep : -sweep) * i / n;
    out.push_back(PointF{cx + rx * std::cos(a), cy - ry * std::sin(a)});
  }
}

bool EmfPlayer::PlayShape(const ENHMETARECORD& r) {
  Realize();
  const RECTL box = r.Rect(8);
  switch (r.iType) {
    case EMR_SETPIXELV: {
      const POINT p = Map(r.I32(8), r.I32(12));
      return SetPixel(dc_, p.x, p.y, Color(r.U32(16))) != CLR_INVALID;
    }
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
    case EMR_ROUNDRECT:
      if (transform_.AxisAligned()) {
        const POINT a = Map(box.left, box.top), b = Map(box.right, box.bottom);
        const int l = std::min(a.x, b.x), t = std::min(a.y, b.y), rr = std::max(a.x, b.x), bb = std::max(a.y, b.y);
        if (r.iType == EMR_RECTANGLE) return Rectangle(dc_, l, t, rr, bb);
        if (r.iType == EMR_ELLIPSE) return Ellipse(dc_, l, t, rr, bb);
        const double cw = std::min(std::abs(r.I32(24) * transform_.a), 1e9), ch = std::min(std::abs(r.I32(28) * transform_.d), 1e9);
        return RoundRect(dc_, l, t, rr, bb, int(std::lround(cw)), int(std::lround(ch)));
      } else {
        // Under rotation or shear the outline is built here and mapped point by point.
        std::vector<PointF> poly;
        if (r.iType == EMR_RECTANGLE) {
          poly = {{double(box.left), double(box.top)}, {double(box.right), double(box.top)},
                  {double(box.right), double(box.bottom)}, {double(box.left), double(box.bottom)}};
        } else if (r.iType == EMR_ELLIPSE) {
          const POINTL p{box.right, (box.top + box.bottom) / 2};
          ArcPoints(box, p, p, poly);
        } else {
          poly = RoundRectPolygon(box, r.I32(24), r.I32(28));
        }
        DrawFigure(std::move(poly), true);
        return true;
      }
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: {
      const POINTL start = r.Point(24), end = r.Point(32);
      std::vector<PointF> pts;
      if (r.iType == EMR_PIE) pts.push_back(PointF{(double(box.left) + box.right) / 2, (double(box.top) + box.bottom) / 2});
      ArcPoints(box, start, end, pts);
      if (r.iType == EMR_ARCTO && !pts.empty()) {
        const POINT first = Map(pts.front().x, pts.front().y);
        LineTo(dc_, first.x, first.y);
        std::vector<POINT> mapped;
        for (const PointF& p : pts) mapped.push_back(Map(p.x, p.y));
        return PolylineTo(dc_, mapped.data(), DWORD(mapped.size()));
      }
      if (pts.size() < 2) return false;
      DrawFigure(std::move(pts), r.iType != EMR_ARC);
      return true;
    }
    case EMR_ANGLEARC: {
      const double cx = r.I32(8), cy = r.I32(12), radius = r.U32(16);
      const double start = r.F32(20), sweep = r.F32(24);
      if (!std::isfinite(start) || !std::isfinite(sweep)) return false;
      // At most one turn counts; the rest would draw over the same pixels.
      const double s = std::clamp(sweep, -360.0, 360.0) * kPi / 180, a0 = start * kPi / 180;
      const double perimeter = radius * (ScaleX() + ScaleY()) / 2 * std::abs(s);
      const int n = ClampToInt(perimeter / 2, 4, 720);
      std::vector<POINT> pts;
      for (int i = 0; i <= n; ++i) {
        const double a = a0 + s * i / n;
        pts.push_back(Map(cx + radius * std::cos(a), cy - radius * std::sin(a)));
      }
      LineTo(dc_, pts.front().x, pts.front().y);
      return PolylineTo(dc_, pts.data() + 1, DWORD(pts.size() - 1));
    }
  }
  return false;
}

bool EmfPlayer::PlayPath(const ENHMETARECORD& r) {
  Realize();
  switch (r.iType) {
    case EMR_BEGINPATH: return BeginPath(dc_);
    case EMR_ENDPATH: return EndPath(dc_);
    case EMR_CLOSEFIGURE: return CloseFigure(dc_);
    case EMR_FILLPATH: return FillPath(dc_);
    case EMR_STROKEANDFILLPATH: return StrokeAndFillPath(dc_);
    case EMR_STROKEPATH: return StrokePath(dc_);
    case EMR_FLATTENPATH: return FlattenPath(dc_);
    case EMR_ABORTPATH: return AbortPath(dc_);
  }
  return false;
}

void EmfPlayer::SetClip(std::optional<Region> clip) {
  if (clip && initialClip_) clip = Region::Combine(*clip, *initialClip_, Region::And);
  else if (!clip) clip = initialClip_;
  d_->state.clip = std::move(clip);
}

std::optional<Region> EmfPlayer::RegionData(const ENHMETARECORD& r, uint64_t at, uint64_t size) const {
  if (size < 32) return std::nullopt;
  const uint64_t count = r.U32(at + 8);
  const uint64_t first = at + r.U32(at);
  std::vector<RECT> rects;
  for (uint64_t i = 0; i < count && r.Has(first + 16 * i, 16); ++i) {
    const RECTL q = r.Rect(first + 16 * i);
    // Region data is in the reference device's pixels: only the frame's placement applies.
    const PointF a = base_.Apply(q.left, q.top), b = base_.Apply(q.right, q.bottom);
    auto dev = [&](double v, bool x) {
      const double c = std::clamp(std::isfinite(v) ? v : 0.0, -double(1 << 29), double(1 << 29));
      return int32_t(std::lround(x ? d_->DevXf(c) : d_->DevYf(c)));
    };
    RECT dr{dev(a.x, true), dev(a.y, false), dev(b.x, true), dev(b.y, false)};
    if (dr.left > dr.right) std::swap(dr.left, dr.right);
    if (dr.top > dr.bottom) std::swap(dr.top, dr.bottom);
    rects.push_back(dr);
  }
  return Region::FromRects(rects);
}

Region EmfPlayer::ClipRectArea(const std::vector<PointF>& corners, const Region& current) const {
  // A rectangle along the axes is exact at any size without a scan.
  if (const std::optional<RECT> box = AxisAlignedPixels(corners)) return Region::FromRect(*box);
  // A turned one changes nothing outside the current clip, and only the surface's rows are
  // ever drawn: a clip region stated millions of rows tall costs no more than the surface.
  const RECT clip = current.Bounds();
  const GdiDC::Rows seen = d_->ClipRows();
  return Region::FromSpans(
      FillPolygonSpans({corners}, false, std::max(clip.top, seen.top), std::min(clip.bottom, seen.bottom)));
}

bool EmfPlayer::PlayClip(const ENHMETARECORD& r) {
  const Region whole = Region::FromRect(RECT{0, 0, d_->Surface()->Width(), d_->Surface()->Height()});
  const Region current = d_->state.clip ? *d_->state.clip : whole;
  switch (r.iType) {
    case EMR_SELECTCLIPPATH: {
      const bool ok = SelectClipPath(dc_, int(r.U32(8)));
      SetClip(d_->state.clip);
      return ok;
    }
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
      const RECTL q = r.Rect(8);
      std::vector<PointF> corners;
      for (const PointF& p : {PointF{double(q.left), double(q.top)}, PointF{double(q.right), double(q.top)},
                              PointF{double(q.right), double(q.bottom)}, PointF{double(q.left), double(q.bottom)}}) {
        const POINT m = Map(p.x, p.y);
        corners.push_back(PointF{d_->DevXf(m.x), d_->DevYf(m.y)});
      }
      const Region area = ClipRectArea(corners, current);
      SetClip(Region::Combine(current, area, r.iType == EMR_INTERSECTCLIPRECT ? Region::And : Region::Diff));
      return true;
    }
    case EMR_OFFSETCLIPRGN: {
      if (!d_->state.clip) return true;
      const double dx = r.I32(8) * transform_.a + r.I32(12) * transform_.c;
      const double dy = r.I32(8) * transform_.b + r.I32(12) * transform_.d;
      Region moved = *d_->state.clip;
      moved.Offset(int32_t(std::lround(std::clamp(dx, -1e9, 1e9))), int32_t(std::lround(std::clamp(dy, -1e9, 1e9))));
      SetClip(std::move(moved));
      return true;
    }
    case EMR_EXTSELECTCLIPRGN: {
      const uint32_t size = r.U32(8), mode = r.U32(12);
      if (mode < RGN_AND || mode > RGN_COPY) return false;
      if (size == 0) {
        if (mode != RGN_COPY) return false;
        SetClip(std::nullopt);  // back to what the caller gave
        return true;
      }
      const std::optional<Region> area = RegionData(r, 16, size);
      if (!area) return false;
      SetClip(mode == RGN_COPY ? *area : Region::Combine(current, *area, int(mode)));
      return true;
    }
  }
  return false;
}

std::optional<Region> EmfPlayer::LogicalRegionData(const ENHMETARECORD& r, uint64_t at, uint64_t size) const {
  // The region fills take logical units: each rectangle maps as a rectangle drawn would.
  if (size < 32) return std::nullopt;
  const uint64_t count = r.U32(at + 8);
  const uint64_t first = at + r.U32(at);
  std::vector<RECT> boxes;
  std::vector<std::vector<PointF>> turned;
  for (uint64_t i = 0; i < count && r.Has(first + 16 * i, 16); ++i) {
    const RECTL q = r.Rect(first + 16 * i);
    if (q.right <= q.left || q.bottom <= q.top) continue;
    std::vector<PointF> corners;
    for (const PointF& p : {PointF{double(q.left), double(q.top)}, PointF{double(q.right), double(q.top)},
                            PointF{double(q.right), double(q.bottom)}, PointF{double(q.left), double(q.bottom)}}) {
      const POINT m = Map(p.x, p.y);
      corners.push_back(PointF{d_->DevXf(m.x), d_->DevYf(m.y)});
    }
    if (const std::optional<RECT> box = AxisAlignedPixels(corners))
      boxes.push_back(*box);
    else
      turned.push_back(std::move(corners));
  }
  // Only the surface's rows are ever drawn; beyond a budget of scanned rows a turned
  // rectangle stands as its box.
  const GdiDC::Rows seen = d_->ClipRows();
  const double rows = std::max(1.0, double(seen.bottom) - double(seen.top));
  if (double(turned.size()) * rows > double(1 << 24)) {
    for (const std::vector<PointF>& c : turned) {
      double x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
      for (const PointF& p : c) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
      auto px = [](double v) { return int32_t(std::lround(std::clamp(v, -double(1 << 29), double(1 << 29)))); };
      boxes.push_back(RECT{px(x0), px(y0), px(x1), px(y1)});
    }
    turned.clear();
  }
  Region area = Region::FromRects(boxes);
  if (!turned.empty())
    area = Region::Combine(area, Region::FromSpans(FillPolygonSpans(turned, true, seen.top, seen.bottom)), Region::Or);
  return area;
}

bool EmfPlayer::PlayRegion(const ENHMETARECORD& r) {
  const uint64_t size = r.U32(24);
  const uint64_t at = r.iType == EMR_FRAMERGN ? 40 : r.iType == EMR_FILLRGN ? 32 : 28;
  std::optional<Region> area = LogicalRegionData(r, at, size);
  if (!area) return false;
  std::shared_ptr<GdiBrush> brush = d_->state.brush;
  if (r.iType == EMR_FILLRGN || r.iType == EMR_FRAMERGN) {
    const uint32_t index = r.U32(28);
    HGDIOBJ h = (index & 0x80000000u) ? GetStockObject(int(index & 0x7FFFFFFF))
                                      : (index < objects_.size() && objects_[index] ? objects_[index]->handle : nullptr);
    brush = LookupGdi<GdiBrush>(h);
    if (!brush) return false;
  }
  if (r.iType == EMR_INVERTRGN) {
    RasterOp(*d_, *area, nullptr, nullptr, 0x55);
    return true;
  }
  if (r.iType == EMR_FRAMERGN) {
    // The frame is the region less the region moved in by the stroke size on every side.
    const double sw = std::abs(r.I32(32) * ScaleX()), sh = std::abs(r.I32(36) * ScaleY());
    const int32_t w = ClampToInt(std::round(sw), 1, 1 << 20), h = ClampToInt(std::round(sh), 1, 1 << 20);
    Region inner = *area;
    for (const POINT off : {POINT{w, 0}, POINT{-w, 0}, POINT{0, h}, POINT{0, -h}}) {
      Region moved = *area;
      moved.Offset(off.x, off.y);
      inner = Region::Combine(inner, moved, Region::And);
    }
    area = Region::Combine(*area, inner, Region::Diff);
  }
  const PatternSource p = PatternSource::FromBrush(*d_, brush);
  RasterOp(*d_, *area, &p, nullptr, 0xF0);
  return true;
}

std::u16string EmfPlayer::FromFontCodePage(std::span<const uint8_t> bytes, std::vector<size_t>& firstByte) const {
  const uint32_t codePage = state_.font ? CharsetCodePage(state_.font->font.lfCharSet) : 1252;
  if (codePage == 1252) {
    firstByte.clear();
    return FromAnsi(bytes);
  }
  return MultiByteToWideCharUnits(codePage, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                  firstByte);
}

void EmfPlayer::TextOut(POINTL ref, UINT options, const RECTL* rect, std::u16string text, const ENHMETARECORD& r,
                        uint64_t offDx, bool pdy, const std::vector<size_t>& firstByte, size_t byteCount) {
  const POINT at = Map(ref.x, ref.y);
  RECT box{};
  if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
    const POINT a = Map(rect->left, rect->top), b = Map(rect->right, rect->bottom);
    box = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  } else {
    options &= ~UINT(ETO_OPAQUE | ETO_CLIPPED);
  }
  std::vector<int> dx;
  if (offDx != 0 && !text.empty()) {
    // Advances in logical units, placed by their running sum so that rounding does not drift.
    const double scale = ScaleX();
    double sum = 0;
    int placed = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      // A character of several bytes advances by all of theirs; a second unit of one by none.
      size_t from = i, to = i + 1;
      if (!firstByte.empty()) {
        from = firstByte[i];
        size_t next = i + 1;
        while (next < firstByte.size() && firstByte[next] == from) ++next;
        to = next < firstByte.size() ? firstByte[next] : byteCount;
        if (i > 0 && firstByte[i - 1] == from) to = from;
      }
      for (size_t b = from; b < to; ++b) sum += r.I32(offDx + (pdy ? 8 : 4) * b) * scale;
      const int next = int(std::lround(std::clamp(sum, -1e9, 1e9)));
      dx.push_back(next - placed);
      placed = next;
    }
  }
  ExtTextOutW(dc_, at.x, at.y, options & (ETO_OPAQUE | ETO_CLIPPED | ETO_GLYPH_INDEX), (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &box : nullptr,
              text.data(), UINT(text.size()), dx.empty() ? nullptr : dx.data());
}

bool EmfPlayer::PlayText(const ENHMETARECORD& r) {
  Realize();
  auto block = [&](uint64_t at, bool wide) {
    const POINTL ref = r.Point(at);
    const uint64_t count = r.U32(at + 8), offString = r.U32(at + 12);
    const UINT options = r.U32(at + 16);
    const RECTL rect = r.Rect(at + 20);
    const uint64_t offDx = r.U32(at + 36);
    std::u16string text;
    std::vector<size_t> firstByte;
    if (wide) {
      for (uint64_t i = 0; i < count; ++i) text.push_back(char16_t(r.U16(offString + 2 * i)));
    } else if (options & ETO_GLYPH_INDEX) {
      text = FromAnsi(r.Slice(offString, count));
    } else {
      text = FromFontCodePage(r.Slice(offString, count), firstByte);
    }
    TextOut(ref, options, &rect, std::move(text), r, offDx, (options & ETO_PDY) != 0, firstByte, size_t(count));
  };
  switch (r.iType) {
    case EMR_EXTTEXTOUTA: block(36, false); return true;
    case EMR_EXTTEXTOUTW: block(36, true); return true;
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW:
      for (uint64_t i = 0, n = r.U32(36); i < n; ++i) block(40 + 40 * i, r.iType == EMR_POLYTEXTOUTW);
      return true;
    case EMR_SMALLTEXTOUT: {
      const POINTL ref{r.I32(8), r.I32(12)};
      const uint64_t count = r.U32(16);
      const UINT options = r.U32(20);
      const RECTL rect = (options & ETO_NO_RECT) ? RECTL{} : r.Rect(36);
      const uint64_t at = (options & ETO_NO_RECT) ? 36 : 52;
      std::u16string text;
      std::vector<size_t> firstByte;
      if (options & ETO_SMALL_CHARS)
        text = (options & ETO_GLYPH_INDEX) ? FromAnsi(r.Slice(at, count)) : FromFontCodePage(r.Slice(at, count), firstByte);
      else
        for (uint64_t i = 0; i < count; ++i) text.push_back(char16_t(r.U16(at + 2 * i)));
      TextOut(ref, options & ~UINT(ETO_NO_RECT | ETO_SMALL_CHARS), (options & ETO_NO_RECT) ? nullptr : &rect,
              std::move(text), r, 0, false);
      return true;
    }
  }
  return false;
}
