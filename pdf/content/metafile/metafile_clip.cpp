// Clipping (rectangles, paths, regions) and the region fills.
//
// The clip's region data is in device units of the reference device and maps through the
// frame alone; the region fills (FILLRGN, PAINTRGN, FRAMERGN) take logical units.
// Intersections open one more nested level; a copy replaces the whole clip; a difference (and
// an excluded rectangle) clips to the outside of the shape with an even-odd path around the
// picture; a union of region rectangles adds them to the rectangles there are, any other union
// is taken in pixels of the reference device, as the player's clip is. Under a meta region
// (SETMETARGN) the clip is what lies past its levels.
#include <algorithm>
#include <cmath>
#include <optional>

#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"
#include "platform/gdi/raster.h"

namespace {

// Regions carry their rectangles after a 32-byte header; far more than any picture holds.
constexpr uint64_t kMaxRegionRects = 1u << 20;

}  // namespace

bool TPDFMetafile::ReadRegion(const TMetafileRecord& r, uint64_t offset, uint64_t size,
                              std::vector<std::array<double, 4>>& rects) {
  rects.clear();
  if (size < 32 || !r.Has(offset, 32)) return false;
  const uint64_t end = std::min<uint64_t>(offset + size, r.Size());
  const uint64_t headerSize = std::max<uint64_t>(r.U32(offset), 32);
  const uint64_t first = offset + headerSize;
  if (first > end) return false;
  const uint64_t count = std::min<uint64_t>({r.U32(offset + 8), (end - first) / 16, kMaxRegionRects});
  if (!Spend(int64_t(count))) return false;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t at = first + 16 * i;
    const double l = r.I32(at), t = r.I32(at + 4), rt = r.I32(at + 8), b = r.I32(at + 12);
    if (rt <= l || b <= t) continue;  // an empty rectangle holds nothing
    rects.push_back({l, t, rt, b});
  }
  return true;
}

std::vector<std::array<double, 4>> TPDFMetafile::DeviceRects(const std::vector<std::array<double, 4>>& rects) const {
  std::vector<std::array<double, 4>> out;
  out.reserve(rects.size());
  for (const auto& q : rects) {
    const TMetafilePoint a = MapDevice(q[0], q[1]), b = MapDevice(q[2], q[3]);
    out.push_back({std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)});
  }
  return out;
}

TMetafilePath TPDFMetafile::LogicalRectsPath(const std::vector<std::array<double, 4>>& rects) const {
  // Logical rectangles turn and shear with the world transform: each is four mapped corners.
  TMetafilePath path;
  for (const auto& q : rects) {
    path.MoveTo(Map(q[0], q[1]));
    path.LineTo(Map(q[2], q[1]));
    path.LineTo(Map(q[2], q[3]));
    path.LineTo(Map(q[0], q[3]));
    path.Close();
  }
  return path;
}

std::array<double, 4> TPDFMetafile::PictureMargins() const {
  // Well around the picture (whose shorter side is 1000 units), yet small enough that the
  // output keeps it as a clip.
  const double w = Height <= Width ? 1000.0 * Width / Height : 1000.0;
  const double h = Height <= Width ? 1000.0 : 1000.0 * Height / Width;
  return {-w / 2, -h / 2, w * 1.5, h * 1.5};
}

TMetafilePath TPDFMetafile::PictureBox() const {
  const auto [l, b, r, t] = PictureMargins();
  TMetafilePath box;
  box.MoveTo({l, b});
  box.LineTo({r, b});
  box.LineTo({r, t});
  box.LineTo({l, t});
  box.Close();
  return box;
}

bool TPDFMetafile::VisibleBounds(double& x0, double& y0, double& x1, double& y1) const {
  // The form's box hides the rest: work spent beyond it (hatch lines, stencils) is lost.
  const auto [l, b, r, t] = PictureMargins();
  x0 = std::max(x0, l), y0 = std::max(y0, b), x1 = std::min(x1, r), y1 = std::min(y1, t);
  return x0 <= x1 && y0 <= y1;
}

TMetafilePath TPDFMetafile::RectsPath(const std::vector<std::array<double, 4>>& rects) const {
  TMetafilePath path;
  for (const auto& q : rects) {
    path.MoveTo({q[0], q[1]});
    path.LineTo({q[2], q[1]});
    path.LineTo({q[2], q[3]});
    path.LineTo({q[0], q[3]});
    path.Close();
  }
  return path;
}

std::shared_ptr<TPDFMetafile::TClipLevel> TPDFMetafile::MakeClipLevel(const TMetafilePath& shape, bool evenOdd) const {
  auto l = std::make_shared<TClipLevel>();
  // An empty shape clips everything away: a path of no area does that.
  l->Text = shape.Empty() ? std::string("0 0 m\nh\nW n\n") : shape.Text(*painter_) + (evenOdd ? "W* n\n" : "W n\n");
  l->Shape = shape;
  l->EvenOdd = evenOdd;
  return l;
}

TPDFMetafile::TClipStack TPDFMetafile::MetaLevels() const {
  return TClipStack(clip_.begin(), clip_.begin() + std::ptrdiff_t(std::min(metaDepth_, clip_.size())));
}

bool TPDFMetafile::UnionByPixels(const TMetafilePath& shape, bool evenOdd) {
  // The player's clip is a set of device pixels, which a union widens. The levels the clip
  // holds beyond the meta region and the new shape are scanned into pixels of the reference
  // device (rows of the picture only) and their union becomes one level of rectangles.
  const TPDFMatrix& m = DeviceTransform;
  if (m[0] == 0 || m[3] == 0) return false;
  const auto [l, b, r, t] = PictureMargins();
  const double rowA = (b - m[5]) / m[3], rowB = (t - m[5]) / m[3];
  const double top = std::floor(std::max(std::min(rowA, rowB), -double(1 << 29)));
  const double bottom = std::ceil(std::min(std::max(rowA, rowB), double(1 << 29)));
  if (!(bottom > top)) return false;
  const size_t first = std::min(metaDepth_, clip_.size());
  // A row's scan may meet every edge: the work is bounded by rows times points.
  int64_t points = int64_t(shape.Count()) + 1;
  for (size_t i = first; i < clip_.size(); ++i) points += int64_t(clip_[i]->Shape.Count()) + 1;
  if (!(double(bottom - top) * double(points) < double(kMaxWork)) || !Spend(int64_t(bottom - top) * points))
    return false;
  auto pixels = [&](const TMetafilePath& path, bool eo) {
    std::vector<std::vector<PointF>> polygons;
    for (const TMetafilePath::TFigure& f : path.Figures()) {
      std::vector<PointF> polygon;
      for (const TMetafilePoint& p : f.Points) polygon.push_back({(p.X - m[4]) / m[0], (p.Y - m[5]) / m[3]});
      polygons.push_back(std::move(polygon));
    }
    return Region::FromSpans(FillPolygonSpans(polygons, !eo, int32_t(top), int32_t(bottom)));
  };
  std::optional<Region> old;
  for (size_t i = first; i < clip_.size(); ++i) {
    const Region level = pixels(clip_[i]->Shape, clip_[i]->EvenOdd);
    old = old ? Region::Combine(*old, level, Region::And) : level;
  }
  const Region all = Region::Combine(old ? *old : Region(), pixels(shape, evenOdd), Region::Or);
  std::vector<std::array<double, 4>> rects;
  for (const RECT& q : all.Rects()) rects.push_back({double(q.left), double(q.top), double(q.right), double(q.bottom)});
  if (!Spend(int64_t(rects.size()))) return false;
  rects = DeviceRects(rects);
  auto level = MakeClipLevel(RectsPath(rects), false);
  level->Rects = std::move(rects);
  TClipStack stack = MetaLevels();
  stack.push_back(std::move(level));
  SetClipStack(stack);
  return true;
}

void TPDFMetafile::CombineClip(const TMetafilePath& shape, bool evenOdd, uint32_t mode,
                               const std::vector<std::array<double, 4>>* rects) {
  auto level = [&](const TMetafilePath& p, bool eo) {
    auto l = MakeClipLevel(p, eo);
    if (rects) l->Rects = *rects;
    return l;
  };
  auto outside = [&]() {
    TMetafilePath p = PictureBox();
    p.Append(shape);
    return MakeClipLevel(p, true);
  };
  // The meta region (SETMETARGN) stays under every clip: the levels past it are the clip.
  TClipStack stack = MetaLevels();
  const bool noClip = clip_.size() <= metaDepth_;
  switch (mode) {
    case emr::RgnAnd: PushClip(level(shape, evenOdd)); return;
    case emr::RgnCopy:
      stack.push_back(level(shape, evenOdd));
      SetClipStack(stack);
      return;
    case emr::RgnDiff: PushClip(outside()); return;
    case emr::RgnXor:
      // Everything but the shape when nothing clips yet; otherwise taken as a difference.
      PushClip(outside());
      return;
    case emr::RgnOr: {
      if (noClip) return;  // the whole picture already shows
      if (rects && clip_.size() == metaDepth_ + 1 && !clip_.back()->Rects.empty()) {
        std::vector<std::array<double, 4>> all = clip_.back()->Rects;
        all.insert(all.end(), rects->begin(), rects->end());
        auto l = MakeClipLevel(RectsPath(all), false);
        l->Rects = std::move(all);
        stack.push_back(std::move(l));
        SetClipStack(stack);
        return;
      }
      if (UnionByPixels(shape, evenOdd)) return;
      // Past the work budget the new shape stands for the union.
      stack.push_back(level(shape, evenOdd));
      SetClipStack(stack);
      return;
    }
    default: return;
  }
}

void TPDFMetafile::OffsetClip(double dx, double dy) {
  // The clip moves by a logical offset, the meta region stays.
  const TPDFMatrix& m = Transform;
  const double cx = dx * m[0] + dy * m[2], cy = dx * m[1] + dy * m[3];
  if (!std::isfinite(cx) || !std::isfinite(cy) || clip_.size() <= metaDepth_) return;
  TClipStack stack = MetaLevels();
  for (size_t i = stack.size(); i < clip_.size(); ++i) {
    auto moved = MakeClipLevel(clip_[i]->Shape.Translated(cx, cy), clip_[i]->EvenOdd);
    for (auto q : clip_[i]->Rects) moved->Rects.push_back({q[0] + cx, q[1] + cy, q[2] + cx, q[3] + cy});
    stack.push_back(std::move(moved));
  }
  SetClipStack(stack);
}

void TPDFMetafile::HandleClipRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::IntersectClipRect:
    case emr::ExcludeClipRect: {
      TMetafilePath box;
      AddRectangle(box, r.I32(8), r.I32(12), r.I32(16), r.I32(20));
      // A rectangle of no area intersects to nothing and excludes nothing.
      if (r.I32(16) == r.I32(8) || r.I32(20) == r.I32(12)) box.Clear();
      if (r.Type == emr::ExcludeClipRect && box.Empty()) return;
      CombineClip(box, false, r.Type == emr::IntersectClipRect ? emr::RgnAnd : emr::RgnDiff, nullptr);
      return;
    }
    case emr::SelectClipPath: {
      const uint32_t mode = r.U32(8);
      if (mode >= emr::RgnAnd && mode <= emr::RgnCopy) {
        TMetafilePath path;
        path.Append(Path);
        path.CloseAll();
        CombineClip(path, PolyFillMode == 1, mode, nullptr);
      }
      Path.Clear();
      InPath = false;
      return;
    }
    case emr::ExtSelectClipRgn: {
      const uint32_t mode = r.U32(12);
      std::vector<std::array<double, 4>> rects;
      if (!ReadRegion(r, 16, r.U32(8), rects)) {
        // Without a region only a copy means anything: it removes the clip (down to the
        // meta region).
        if (mode == emr::RgnCopy) SetClipStack(MetaLevels());
        return;
      }
      // This record's region is in device units, unlike the region fills'.
      rects = DeviceRects(rects);
      if (mode >= emr::RgnAnd && mode <= emr::RgnCopy) CombineClip(RectsPath(rects), false, mode, &rects);
      return;
    }
    case emr::OffsetClipRgn: OffsetClip(r.I32(8), r.I32(12)); return;
    case emr::SetMetaRgn:
      // The clip becomes part of the meta region, which later clips cannot widen.
      metaDepth_ = clip_.size();
      return;
    case emr::FillRgn:
    case emr::PaintRgn:
    case emr::FrameRgn: {
      std::vector<std::array<double, 4>> rects;
      const uint64_t at = r.Type == emr::FrameRgn ? 40 : (r.Type == emr::FillRgn ? 32 : 28);
      if (!ReadRegion(r, at, r.U32(24), rects) || rects.empty()) return;
      const TBrush kept = Brush;
      if (r.Type != emr::PaintRgn) {
        const uint32_t index = r.U32(28);
        if (!SelectBrushObject(index)) return;
      }
      // The region fills take their region in logical units.
      const TMetafilePath path = LogicalRectsPath(rects);
      if (r.Type == emr::FrameRgn)
        FrameRegion(rects, r.I32(32), r.I32(36));
      else if (Brush.Style != TBrush::None)
        PaintPath(path, true, false, false);
      Brush = kept;
      return;
    }
    default: return;
  }
}
