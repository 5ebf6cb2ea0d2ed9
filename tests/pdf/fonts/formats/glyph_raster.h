// Test helpers for glyph outlines: a canvas that records the path it is given, its control
// bounds, and anti-aliased rendering of recorded paths and of FreeType's own glyphs through
// FreeType's rasterizer, so that an outline drawn through the glyph command list can be compared
// with FreeType's reading of the same font.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdf/render/canvas/generic_canvas.h"

namespace glyphtest {

struct TPathOp {
  enum TKind { kMove, kLine, kCurve, kClose } Kind;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0;
};

class TRecordingCanvas : public TPDFGenericCanvas {
 public:
  void NewPath() override { ops.clear(); }
  void MoveTo(double x, double y) override { ops.push_back({TPathOp::kMove, x, y}); }
  void LineTo(double x, double y) override { ops.push_back({TPathOp::kLine, x, y}); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
    ops.push_back({TPathOp::kCurve, x1, y1, x2, y2, x3, y3});
  }
  void QuadCurveTo(double, double, double, double) override { ++quads; }
  void ClosePath() override { ops.push_back({TPathOp::kClose}); }
  void Stroke() override {}
  void Fill() override {}
  void FillAndStroke() override {}
  void DrawImage(TGraphic&, double, double, double, double, double, double) override {}

  std::vector<TPathOp> ops;
  int quads = 0;
};

struct TBounds {
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};
// The control bounds of a path: every point of its moves, lines and curves. Empty without points.
std::optional<TBounds> ControlBounds(const std::vector<TPathOp>& ops);

struct TGrayBitmap {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;  // rows from the top
};
// Renders a path whose coordinates are pixels (y up, origin at the bitmap's lower-left corner)
// with the nonzero rule.
TGrayBitmap RenderPath(const std::vector<TPathOp>& ops, int width, int height);
// FreeType's own outline of a glyph (by name; "#n" for a glyph index) at ppem pixels per em,
// unhinted, its origin moved to (originX, originY) pixels; false when the font or the glyph is
// not there.
bool RenderFreeTypeGlyph(const std::string& fontPath, const std::string& glyph, double ppem, double originX,
                         double originY, int width, int height, TGrayBitmap& out);

struct TBitmapDifference {
  int MaxDifference = 0;
  int64_t Total = 0;
  int64_t Ink = 0;  // sum of the reference's coverage
};
TBitmapDifference CompareBitmaps(const TGrayBitmap& a, const TGrayBitmap& b);

}  // namespace glyphtest
