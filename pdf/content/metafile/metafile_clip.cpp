// Clipping (rectangles, paths, regions) and the region fills.
//
// Region data is in device units of the reference device and maps through the frame alone.
// Intersections open one more nested level; a copy replaces the whole clip; a difference (and
// an excluded rectangle) clips to the outside of the shape with an even-odd path around the
// picture; a union widens what it can express.
#include <algorithm>

#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"

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
    const TMetafilePoint p = MapDevice(l, t), q = MapDevice(rt, b);
    rects.push_back({std::min(p.X, q.X), std::min(p.Y, q.Y), std::max(p.X, q.X), std::max(p.Y, q.Y)});
  }
  return true;
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

void TPDFMetafile::CombineClip(const TMetafilePath& shape, bool evenOdd, uint32_t mode,
                               const std::vector<std::array<double, 4>>* rects) {
  auto level = [&](const TMetafilePath& p, bool eo) {
    auto l = std::make_shared<TClipLevel>();
    // An empty shape clips everything away: a path of no area does that.
    l->Text = p.Empty() ? std::string("0 0 m\nh\nW n\n") : p.Text(*painter_) + (eo ? "W* n\n" : "W n\n");
    l->EvenOdd = eo;
    if (rects) l->Rects = *rects;
    return l;
  };
  auto outside = [&]() {
    TMetafilePath p = PictureBox();
    p.Append(shape);
    auto l = level(p, true);
    l->Rects.clear();
    return l;
  };
  switch (mode) {
    case emr::RgnAnd: PushClip(level(shape, evenOdd)); return;
    case emr::RgnCopy: SetClipStack({level(shape, evenOdd)}); return;
    case emr::RgnDiff: PushClip(outside()); return;
    case emr::RgnXor:
      // Everything but the shape when nothing clips yet; otherwise taken as a difference.
      PushClip(outside());
      return;
    case emr::RgnOr: {
      if (clip_.empty()) return;  // the whole picture already shows
      if (rects && clip_.size() == 1 && !clip_[0]->Rects.empty()) {
        std::vector<std::array<double, 4>> all = clip_[0]->Rects;
        all.insert(all.end(), rects->begin(), rects->end());
        auto l = std::make_shared<TClipLevel>();
        l->Text = RectsPath(all).Text(*painter_) + "W n\n";
        l->Rects = std::move(all);
        SetClipStack({l});
        return;
      }
      // A union with an arbitrary clip cannot be nested: the new shape stands for it.
      SetClipStack({level(shape, evenOdd)});
      return;
    }
    default: return;
  }
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
        // Without a region only a copy means anything: it removes the clip.
        if (mode == emr::RgnCopy) SetClipStack({});
        return;
      }
      if (mode >= emr::RgnAnd && mode <= emr::RgnCopy) CombineClip(RectsPath(rects), false, mode, &rects);
      return;
    }
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
      const TMetafilePath path = RectsPath(rects);
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
