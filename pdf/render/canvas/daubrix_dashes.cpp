// Dashed strokes of the GDI+ and cairo back ends. PDF puts the line's caps on every dash, half
// the line width beyond each end (a dash of no length is its caps alone), draws a join only
// where a dash runs on through a corner, and starts no dash where the line ends. The back ends'
// own dashing draws the join where a dash begins at a corner, GDI+ ends a dash flat, round or
// pointed but never square, and cairo draws a dash of no length where the line ends on a dash's
// start. A dashed line is cut into its dashes here, each an open line of its own that a solid
// stroke caps at both ends; square caps are carried as far along the line and drawn flat.
#include <algorithm>
#include <cmath>

#include "pdf/render/canvas/cairo_binding.h"
#include "pdf/render/canvas/dash_pieces.h"
#include "pdf/render/canvas/daubrix.h"

using namespace gdiplus;

namespace {

// A cairo path as GDI+ path points and types.
void GdiplusFigures(const cairo_path_t& path, std::vector<GpPointF>& points, std::vector<uint8_t>& types) {
  for (int i = 0; i < path.num_data; i += std::max(path.data[i].header.length, 1)) {
    const cairo_path_data_t& head = path.data[i];
    const int count = std::min(head.header.length, path.num_data - i) - 1;
    if (head.header.type == CAIRO_PATH_CLOSE_PATH) {
      if (!types.empty()) types.back() |= PathPointTypeCloseSubpath;
      continue;
    }
    const uint8_t kind = head.header.type == CAIRO_PATH_MOVE_TO   ? PathPointTypeStart
                         : head.header.type == CAIRO_PATH_CURVE_TO ? PathPointTypeBezier
                                                                   : PathPointTypeLine;
    for (int k = 1; k <= count; ++k) {
      points.push_back({REAL(path.data[i + k].point.x), REAL(path.data[i + k].point.y)});
      types.push_back(kind);
    }
  }
}

}  // namespace

bool TPDFDaubrix::CutsOwnDashes() const {
  if (dash_.empty()) return false;
  if (backEnd_ == kBackEndGDIPlus) return gdiplus_ && gdiplus_->GdipGetPathPoints && gdiplus_->GdipGetPathTypes;
  return backEnd_ == kBackEndCairo && cairo_ && cairo_->cairo_copy_path && cairo_->cairo_append_path &&
         cairo_->cairo_path_destroy;
}

bool TPDFDaubrix::CutOwnDashes(std::span<const GpPointF> points, std::span<const uint8_t> types,
                               const GpRectF& visible, std::vector<DashPiece>& pieces) const {
  // Entries are multiples of the line's own width (of a pixel for the thinnest line), as a pen
  // takes them.
  const double unit = std::isfinite(lineWidth_) && lineWidth_ > 0 ? lineWidth_ : 1.0;
  std::vector<double> pattern;
  for (float d : dash_) pattern.push_back(double(d) * unit);
  const DrawnDashes drawn = DashesAsDrawn(pattern, std::isfinite(dashPhase_) ? dashPhase_ * unit : 0);
  if (drawn.entries.empty()) return false;
  // GDI+ draws no line thinner than a pixel, nor its caps.
  const double width = backEnd_ == kBackEndGDIPlus ? std::max(unit, 1.0) : std::max(lineWidth_, 0.0);
  const double reach = lineCap_ == 2 ? width / 2 : 0;
  // Only dashes whose ink can reach what is visible are made: a miter reaches half its limit
  // times the width from its corner, a cap or a round join half the width.
  DashArea area;
  auto edge = [](double v) { return LONG(std::clamp(v, -1e9, 1e9)); };
  area.box = RECT{edge(std::floor(visible.X)), edge(std::floor(visible.Y)), edge(std::ceil(visible.X + visible.Width)),
                  edge(std::ceil(visible.Y + visible.Height))};
  const double miter = lineJoin_ == 0 && std::isfinite(miterLimit_) ? std::clamp(miterLimit_, 1.0, 1e6) : 1.0;
  area.margin = miter * width / 2 + reach + 2;
  // A dash costs a row of work for each row of the box it spans: more dashes than would paint
  // the box a few times over are drawn solid, as finer dashing is.
  const double rows = std::clamp(std::min(double(area.box.bottom) - area.box.top, width), 1.0, 1e9);
  const double boxArea = std::max(0.0, double(area.box.right) - area.box.left) *
                         std::max(0.0, double(area.box.bottom) - area.box.top);
  area.mostPieces = size_t(std::clamp(4 * boxArea / rows, double(1 << 12), kMaxDashPieces));
  return CutIntoDashes(points, types, drawn, lineCap_ == 1 || lineCap_ == 2, reach, area, pieces);
}

GpPath* TPDFDaubrix::DashedPath() {
  int32_t count = 0;
  if (!path_ || gdiplus_->GdipGetPointCount(path_, &count) != Ok || count <= 0) return nullptr;
  std::vector<GpPointF> points(static_cast<size_t>(count));
  std::vector<uint8_t> types(static_cast<size_t>(count));
  if (gdiplus_->GdipGetPathPoints(path_, points.data(), count) != Ok ||
      gdiplus_->GdipGetPathTypes(path_, types.data(), count) != Ok)
    return nullptr;
  GpRectF visible{};
  if (gdiplus_->GdipGetVisibleClipBounds == nullptr || gdiplus_->GdipGetVisibleClipBounds(graphics_, &visible) != Ok)
    return nullptr;
  std::vector<DashPiece> pieces;
  if (!CutOwnDashes(points, types, visible, pieces)) return nullptr;
  GpPath* dashed = nullptr;
  if (gdiplus_->GdipCreatePath(FillModeWinding, &dashed) != Ok) return nullptr;
  for (const DashPiece& piece : pieces) {
    gdiplus_->GdipStartPathFigure(dashed);
    for (size_t i = 1; i < piece.points.size(); ++i) {
      const PointF a = piece.points[i - 1], b = piece.points[i];
      gdiplus_->GdipAddPathLine(dashed, REAL(a.x), REAL(a.y), REAL(b.x), REAL(b.y));
    }
    if (piece.closed) gdiplus_->GdipClosePathFigure(dashed);
  }
  return dashed;
}

void TPDFDaubrix::CairoStrokeOwnDashes() {
  TCairoDLL& cairo = *cairo_;
  cairo_t* c = cairoContext_;
  cairo_path_t* whole = cairo.cairo_copy_path(c);
  if (whole == nullptr || whole->status != CAIRO_STATUS_SUCCESS) {
    // cairo dashes it then, as it dashes.
    if (whole != nullptr) cairo.cairo_path_destroy(whole);
    if (clipPending_) cairo.cairo_stroke_preserve(c);
    else cairo.cairo_stroke(c);
    return;
  }
  std::vector<GpPointF> points;
  std::vector<uint8_t> types;
  GdiplusFigures(*whole, points, types);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  cairo.cairo_clip_extents(c, &x0, &y0, &x1, &y1);
  const GpRectF visible{REAL(x0), REAL(y0), REAL(x1 - x0), REAL(y1 - y0)};
  std::vector<DashPiece> pieces;
  // A pattern with no gap, or too many dashes: solid, as a finer dashing is drawn.
  const bool cut = CutOwnDashes(points, types, visible, pieces);
  cairo.cairo_set_dash(c, nullptr, 0, 0);
  if (cut) {
    cairo.cairo_new_path(c);
    for (const DashPiece& piece : pieces) {
      cairo.cairo_move_to(c, piece.points[0].x, piece.points[0].y);
      for (size_t i = 1; i < piece.points.size(); ++i) cairo.cairo_line_to(c, piece.points[i].x, piece.points[i].y);
      if (piece.closed) cairo.cairo_close_path(c);
    }
    if (lineCap_ == 2) cairo.cairo_set_line_cap(c, CAIRO_LINE_CAP_BUTT);
  }
  cairo.cairo_stroke(c);
  if (clipPending_) cairo.cairo_append_path(c, whole);
  cairo.cairo_path_destroy(whole);
}
