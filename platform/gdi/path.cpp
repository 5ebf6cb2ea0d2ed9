#include "platform/gdi/path.h"

#include "platform/gdi/metafile/emf_recorder.h"
#include "platform/gdi/paint_engine.h"
#include "platform/gdi/stroke.h"

void GdiPath::Start(PointF p) {
  // A lone move replaces a figure that has no segment yet.
  if (!figures.empty() && figures.back().points.size() == 1 && !figures.back().closed)
    figures.back().points[0] = p;
  else
    figures.push_back(Figure{{p}, false});
}

void GdiPath::LineTo(PointF p) {
  if (figures.empty() || figures.back().closed) {
    // A segment after a closed figure starts from that figure's first point.
    const PointF from = figures.empty() ? p : figures.back().points.front();
    figures.push_back(Figure{{from}, false});
  }
  figures.back().points.push_back(p);
}

void GdiPath::Close() {
  if (!figures.empty() && figures.back().points.size() > 1) figures.back().closed = true;
}

namespace {

// A path must be complete (EndPath called) before it is used; using it discards it.
bool TakePath(HDC dc, std::shared_ptr<GdiDC>& d, std::vector<GdiPath::Figure>& figures) {
  d = LookupDC(dc);
  if (!d || d->state.path.stage != GdiPath::Stage::Closed) return false;
  figures = std::move(d->state.path.figures);
  d->state.path.Clear();
  return true;
}

std::vector<std::vector<PointF>> Polygons(const std::vector<GdiPath::Figure>& figures) {
  std::vector<std::vector<PointF>> polys;
  for (const auto& f : figures)
    if (f.points.size() > 1) polys.push_back(f.points);  // fills close every figure
  return polys;
}

void Stroke(GdiDC& d, const std::vector<GdiPath::Figure>& figures) {
  for (const auto& f : figures) StrokeOutline(d, f.points, f.closed);
}

}  // namespace

bool BeginPath(HDC dc) {
  auto d = LookupDC(dc);
  if (!d) return false;
  if (d->recorder) d->recorder->Simple(EMR_BEGINPATH);
  d->state.path.Clear();
  d->state.path.stage = GdiPath::Stage::Open;
  d->state.path.Start(PointF{d->DevXf(d->state.position.x), d->DevYf(d->state.position.y)});
  return true;
}

bool EndPath(HDC dc) {
  auto d = LookupDC(dc);
  if (!d || d->state.path.stage != GdiPath::Stage::Open) return false;
  if (d->recorder) d->recorder->EndPath(*d);
  auto& figs = d->state.path.figures;
  std::erase_if(figs, [](const GdiPath::Figure& f) { return f.points.size() < 2; });
  d->state.path.stage = GdiPath::Stage::Closed;
  return true;
}

bool AbortPath(HDC dc) {
  auto d = LookupDC(dc);
  if (!d) return false;
  if (d->recorder) d->recorder->Simple(EMR_ABORTPATH);
  d->state.path.Clear();
  return true;
}

bool CloseFigure(HDC dc) {
  auto d = LookupDC(dc);
  if (!d || d->state.path.stage != GdiPath::Stage::Open) return false;
  if (d->recorder) d->recorder->Simple(EMR_CLOSEFIGURE);
  d->state.path.Close();
  return true;
}

bool StrokePath(HDC dc) {
  std::shared_ptr<GdiDC> d;
  std::vector<GdiPath::Figure> figures;
  if (!TakePath(dc, d, figures)) return false;
  if (d->recorder) d->recorder->PaintPath(*d, EMR_STROKEPATH);
  else Stroke(*d, figures);
  return true;
}

bool FillPath(HDC dc) {
  std::shared_ptr<GdiDC> d;
  std::vector<GdiPath::Figure> figures;
  if (!TakePath(dc, d, figures)) return false;
  if (d->recorder) d->recorder->PaintPath(*d, EMR_FILLPATH);
  else FillOutlines(*d, Polygons(figures), d->state.polyFillMode);
  return true;
}

bool StrokeAndFillPath(HDC dc) {
  std::shared_ptr<GdiDC> d;
  std::vector<GdiPath::Figure> figures;
  if (!TakePath(dc, d, figures)) return false;
  if (d->recorder) {
    d->recorder->PaintPath(*d, EMR_STROKEANDFILLPATH);
    return true;
  }
  FillOutlines(*d, Polygons(figures), d->state.polyFillMode);
  Stroke(*d, figures);
  return true;
}

bool FlattenPath(HDC dc) {
  auto d = LookupDC(dc);
  return d && d->state.path.stage == GdiPath::Stage::Closed;  // curves are flattened as recorded
}

namespace {

// The path as a region in the DC's device units, without the window layer's origin; a clip
// needs only the rows of the surface.
HRGN PathRegion(HDC dc, bool surfaceRows) {
  std::shared_ptr<GdiDC> d;
  std::vector<GdiPath::Figure> figures;
  if (!TakePath(dc, d, figures)) return nullptr;
  const auto [top, bottom] = surfaceRows ? d->ClipRows() : GdiDC::kAllRows;
  Region r = Region::FromSpans(FillPolygonSpans(Polygons(figures), d->state.polyFillMode == WINDING, top, bottom));
  r.Offset(-d->deviceOrigin.x, -d->deviceOrigin.y);
  return CreateRegionHandle(std::move(r));
}

}  // namespace

HRGN PathToRegion(HDC dc) { return PathRegion(dc, false); }

bool SelectClipPath(HDC dc, int mode) {
  HRGN rgn = PathRegion(dc, true);
  if (!rgn) return false;
  const int result = ExtSelectClipRgn(dc, rgn, mode);
  DeleteObject(rgn);
  return result != ERROR_REGION;
}
