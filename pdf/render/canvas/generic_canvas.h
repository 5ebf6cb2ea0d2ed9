// The abstract path canvas that every drawing back end implements, and the recorded outline
// (a glyph, typically) that can be replayed on any canvas under a matrix. Coordinates are
// device units, as the caller delivers them: the canvas transforms nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pdf/core/matrix.h"

class TGraphic;

class TPDFGenericCanvas {
 public:
  virtual ~TPDFGenericCanvas() = default;

  // The ten operations, in slot order. Fill rule, colours, line style and clipping belong to
  // each descendant's own setters.
  virtual void NewPath() = 0;
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  virtual void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) = 0;
  virtual void QuadCurveTo(double x1, double y1, double x2, double y2) = 0;
  virtual void ClosePath() = 0;
  virtual void Stroke() = 0;
  virtual void Fill() = 0;
  virtual void FillAndStroke() = 0;
  // Draws the graphic so that its upper-left corner lands on (x1, y1), its upper-right corner
  // on (x2, y2) and its lower-left corner on (x3, y3).
  virtual void DrawImage(TGraphic& graphic, double x1, double y1, double x2, double y2, double x3, double y3) = 0;
};

// Item kinds equal the canvas slots they replay to.
enum : uint8_t {
  kShapeNewPath = 0,
  kShapeMoveTo = 1,
  kShapeLineTo = 2,
  kShapeCurveTo = 3,
  kShapeQuadCurveTo = 4,
  kShapeClosePath = 5,
  kShapeStroke = 6,
  kShapeFill = 7,
  kShapeFillAndStroke = 8,
};

// A move or line uses (x1, y1); a quadratic curve x1 to y2 (control, end); a cubic all six.
// The record is kept naturally aligned: callers take references to its coordinates.
struct TPDFShapeItem {
  uint8_t Kind = 0;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0;
};

class TPDFGenericShape {
 public:
  static constexpr int32_t kGrowBy = 20;

  TPDFGenericShape();

  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void QuadCurveTo(double x1, double y1, double x2, double y2);
  void ClosePath();
  // Appends a copy; the array always keeps one free item (Count < Capacity).
  void AddItem(const TPDFShapeItem& item);

  // Replays every item on the canvas with its points mapped by the matrix (a, b, c, d, e, f):
  // (x, y) -> (a x + c y + e, b x + d y + f). It neither begins a path nor paints unless the
  // items do; items of unknown kinds are skipped.
  void DrawTo(TPDFGenericCanvas& canvas, const TPDFMatrix& matrix) const;
  static void DrawTo(TPDFGenericCanvas& canvas, const TPDFGenericShape& shape, const TPDFMatrix& matrix) {
    shape.DrawTo(canvas, matrix);
  }

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  const TPDFShapeItem& Item(int32_t index) const { return items_[size_t(index)]; }

 private:
  std::vector<TPDFShapeItem> items_;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
};
