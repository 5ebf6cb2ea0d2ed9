#include "pdf/render/renderer/render_helpers.h"

#include <cmath>

#include "platform/rtl/numbers.h"

TPDFMatrix MakeMatrix(double a, double b, double c, double d, double e, double f) { return {a, b, c, d, e, f}; }

TPDFPoint MakePoint(double x, double y) { return {x, y}; }

TPDFPoint TransformPointBy(const TPDFMatrix& m, const TPDFPoint& p) {
  return {m[0] * p.X + m[2] * p.Y + m[4], m[1] * p.X + m[3] * p.Y + m[5]};
}

std::string NumberText(double value) { return FormatFixed(std::isfinite(value) ? value : 0.0, 3) + " "; }
