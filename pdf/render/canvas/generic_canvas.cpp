#include "pdf/render/canvas/generic_canvas.h"

TPDFGenericShape::TPDFGenericShape() : items_(size_t(kGrowBy)), capacity_(kGrowBy) {}

void TPDFGenericShape::AddItem(const TPDFShapeItem& item) {
  items_[size_t(count_)] = item;
  ++count_;
  if (count_ >= capacity_) {
    capacity_ += kGrowBy;
    items_.resize(size_t(capacity_));
  }
}

void TPDFGenericShape::MoveTo(double x, double y) { AddItem({kShapeMoveTo, x, y, 0, 0, 0, 0}); }

void TPDFGenericShape::LineTo(double x, double y) { AddItem({kShapeLineTo, x, y, 0, 0, 0, 0}); }

void TPDFGenericShape::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  AddItem({kShapeCurveTo, x1, y1, x2, y2, x3, y3});
}

void TPDFGenericShape::QuadCurveTo(double x1, double y1, double x2, double y2) {
  AddItem({kShapeQuadCurveTo, x1, y1, x2, y2, 0, 0});
}

void TPDFGenericShape::ClosePath() { AddItem({kShapeClosePath, 0, 0, 0, 0, 0, 0}); }

void TPDFGenericShape::DrawTo(TPDFGenericCanvas& canvas, const TPDFMatrix& m) const {
  // Extended precision keeps glyph coordinates stable under large translations.
  const long double a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5];
  auto mx = [&](double x, double y) { return double(a * x + c * y + e); };
  auto my = [&](double x, double y) { return double(b * x + d * y + f); };
  for (int32_t i = 0; i < count_; ++i) {
    const TPDFShapeItem& it = items_[size_t(i)];
    switch (it.Kind) {
      case kShapeNewPath: canvas.NewPath(); break;
      case kShapeMoveTo: canvas.MoveTo(mx(it.X1, it.Y1), my(it.X1, it.Y1)); break;
      case kShapeLineTo: canvas.LineTo(mx(it.X1, it.Y1), my(it.X1, it.Y1)); break;
      case kShapeCurveTo:
        canvas.CurveTo(mx(it.X1, it.Y1), my(it.X1, it.Y1), mx(it.X2, it.Y2), my(it.X2, it.Y2), mx(it.X3, it.Y3),
                       my(it.X3, it.Y3));
        break;
      case kShapeQuadCurveTo:
        canvas.QuadCurveTo(mx(it.X1, it.Y1), my(it.X1, it.Y1), mx(it.X2, it.Y2), my(it.X2, it.Y2));
        break;
      case kShapeClosePath: canvas.ClosePath(); break;
      case kShapeStroke: canvas.Stroke(); break;
      case kShapeFill: canvas.Fill(); break;
      case kShapeFillAndStroke: canvas.FillAndStroke(); break;
      default: break;  // unknown kinds are not replayed
    }
  }
}
