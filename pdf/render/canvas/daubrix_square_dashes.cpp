// Dashes with square caps. PDF puts the line's caps on every dash, half the line width beyond
// each end, and a dash that would begin where the line ends is not there. A GDI+ dash ends
// flat, round or pointed (the pen's square caps go on the ends of the whole line only), and
// cairo draws a dash of no length where the line ends on a dash's start. Such a line is cut
// into its dashes here, each an open line of its own that a solid stroke caps at both ends.
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
  if (lineCap_ != 2 || dash_.empty()) return false;
  if (backEnd_ == kBackEndGDIPlus) return gdiplus_ && gdiplus_->GdipGetPathPoints && gdiplus_->GdipGetPathTypes;
  return backEnd_ == kBackEndCairo && cairo_ && cairo_->cairo_copy_path && cairo_->cairo_append_path &&
         cairo_->cairo_path_destroy;
}

// Entries are multiples of the line's own width (of a pixel for the thinnest line), as a pen
// takes them.
std::vector<double> TPDFDaubrix::DashPixels(double& phase) const {
  const double unit = std::isfinite(lineWidth_) && lineWidth_ > 0 ? lineWidth_ : 1.0;
  std::vector<double> pattern;
  for (float d : dash_) pattern.push_back((std::isfinite(d) ? std::max(d, kMinDashEntry) : kMinDashEntry) * unit);
  phase = std::isfinite(dashPhase_) ? dashPhase_ * unit : 0;
  return pattern;
}

GpPath* TPDFDaubrix::DashedPath() {
  int32_t count = 0;
  if (!path_ || gdiplus_->GdipGetPointCount(path_, &count) != Ok || count <= 0) return nullptr;
  std::vector<GpPointF> points(static_cast<size_t>(count));
  std::vector<uint8_t> types(static_cast<size_t>(count));
  if (gdiplus_->GdipGetPathPoints(path_, points.data(), count) != Ok ||
      gdiplus_->GdipGetPathTypes(path_, types.data(), count) != Ok)
    return nullptr;
  double phase = 0;
  const std::vector<double> pattern = DashPixels(phase);
  std::vector<DashPiece> pieces;
  if (!CutIntoDashes(points, types, pattern, phase, pieces)) return nullptr;
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
    // cairo dashes it then, with a dot where a dash would begin at the end.
    if (whole != nullptr) cairo.cairo_path_destroy(whole);
    if (clipPending_) cairo.cairo_stroke_preserve(c);
    else cairo.cairo_stroke(c);
    return;
  }
  std::vector<GpPointF> points;
  std::vector<uint8_t> types;
  GdiplusFigures(*whole, points, types);
  double phase = 0;
  const std::vector<double> pattern = DashPixels(phase);
  std::vector<DashPiece> pieces;
  // Too many dashes: solid, as a finer dashing is drawn.
  const bool cut = CutIntoDashes(points, types, pattern, phase, pieces);
  cairo.cairo_set_dash(c, nullptr, 0, 0);
  if (cut) {
    cairo.cairo_new_path(c);
    for (const DashPiece& piece : pieces) {
      cairo.cairo_move_to(c, piece.points[0].x, piece.points[0].y);
      for (size_t i = 1; i < piece.points.size(); ++i) cairo.cairo_line_to(c, piece.points[i].x, piece.points[i].y);
      if (piece.closed) cairo.cairo_close_path(c);
    }
  }
  cairo.cairo_stroke(c);
  if (clipPending_) cairo.cairo_append_path(c, whole);
  cairo.cairo_path_destroy(whole);
}
