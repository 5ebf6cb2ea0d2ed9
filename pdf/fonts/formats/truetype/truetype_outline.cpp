#include "pdf/fonts/formats/truetype/truetype_outline.h"

#include <cstdint>
#include <vector>

#include "pdf/fonts/formats/truetype/truetype_parser.h"
#include "pdf/render/canvas/generic_canvas.h"

namespace {

constexpr uint8_t kOnCurve = 1;

TPDFPoint Map(const TPDFMatrix& m, const TTrueTypePoint& p) {
  TPDFPoint out;
  MatrixTransformPoint(m, {double(p.X), double(p.Y)}, out);
  return out;
}

TPDFPoint Mid(const TPDFPoint& a, const TPDFPoint& b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

// One contour of points[first..last]. A contour that starts off the curve starts at the last
// point when that one is on it, else at the midpoint of the last and the first.
void RecordContour(const std::vector<TPDFPoint>& points, const std::vector<uint8_t>& flags, size_t first,
                   size_t last, TPDFGenericShape& shape) {
  const auto on = [&flags](size_t i) { return (flags[i] & kOnCurve) != 0; };
  TPDFPoint start;
  // The points walked after the start; when the start is the last point, it ends the walk.
  size_t begin = first;
  size_t stop = last;
  if (on(first)) {
    start = points[first];
    begin = first + 1;
  } else if (on(last)) {
    start = points[last];
    stop = last - 1;  // last > first here, as the two differ in their flags
  } else {
    start = Mid(points[last], points[first]);
  }
  shape.MoveTo(start.X, start.Y);
  bool pending = false;  // an off-curve control point waits for its end
  TPDFPoint control;
  const auto lineOrCurveTo = [&](const TPDFPoint& p) {
    if (pending) {
      shape.QuadCurveTo(control.X, control.Y, p.X, p.Y);
    } else {
      shape.LineTo(p.X, p.Y);
    }
    pending = false;
  };
  for (size_t i = begin; i <= stop; ++i) {
    const TPDFPoint& p = points[i];
    if (on(i)) {
      lineOrCurveTo(p);
    } else {
      if (pending) {
        const TPDFPoint m = Mid(control, p);
        shape.QuadCurveTo(control.X, control.Y, m.X, m.Y);
      }
      control = p;
      pending = true;
    }
  }
  // Back to the start: a waiting control point curves there; a straight edge is the close.
  if (pending) shape.QuadCurveTo(control.X, control.Y, start.X, start.Y);
  shape.ClosePath();
}

class TOutlineRecorder {
 public:
  TOutlineRecorder(const TPDFTrueTypeParser& parser, TPDFGenericShape& shape) : parser_(parser), shape_(shape) {}

  void Glyph(int index, const TPDFMatrix& matrix, int depth) {
    if (depth > kMaxCompositeDepth || work_ > kMaxRecordedWork) return;
    const TTrueTypeGlyph g = parser_.GetGlyph(index);
    // What reading the glyph took, also when its points could not be read.
    work_ += int64_t(g.EndPoints.size()) + int64_t(g.Flags.size()) + int64_t(g.Components.size()) + 1;
    if (!g.Valid || work_ > kMaxRecordedWork) return;
    if (g.NumberOfContours > 0) {
      Simple(g, matrix);
      return;
    }
    for (const TTrueTypeComponent& c : g.Components) {
      if (++parts_ > kMaxCompositeParts) return;
      TPDFMatrix m;
      MatrixMultiply(m, ComponentMatrix(c), matrix);
      Glyph(c.GlyphIndex, m, depth + 1);
    }
  }

  bool Recorded() const { return recorded_; }

 private:
  // The part's transformation: its 2 x 2 scale and, when the arguments are values, its offset.
  // Parts placed by matching points keep their own position.
  static TPDFMatrix ComponentMatrix(const TTrueTypeComponent& c) {
    const bool offset = (c.Flags & kTTArgsAreXYValues) != 0 || (c.Flags & kTTHaveTwoByTwo) != 0;
    return {c.XScale, c.Scale01, c.Scale10, c.YScale, offset ? double(c.Argument1) : 0.0,
            offset ? double(c.Argument2) : 0.0};
  }

  void Simple(const TTrueTypeGlyph& g, const TPDFMatrix& matrix) {
    std::vector<TPDFPoint> mapped(g.Points.size());
    for (size_t i = 0; i < g.Points.size(); ++i) mapped[i] = Map(matrix, g.Points[i]);
    size_t first = 0;
    for (const uint16_t end : g.EndPoints) {
      const size_t last = end;
      if (last >= mapped.size()) break;
      RecordContour(mapped, g.Flags, first, last, shape_);
      recorded_ = true;
      first = last + 1;
    }
  }

  const TPDFTrueTypeParser& parser_;
  TPDFGenericShape& shape_;
  int parts_ = 0;
  int64_t work_ = 0;
  bool recorded_ = false;
};

}  // namespace

bool RecordTrueTypeGlyph(const TPDFTrueTypeParser& parser, int index, const TPDFMatrix& matrix,
                         TPDFGenericShape& shape) {
  TOutlineRecorder recorder(parser, shape);
  recorder.Glyph(index, matrix, 0);
  return recorder.Recorded();
}
