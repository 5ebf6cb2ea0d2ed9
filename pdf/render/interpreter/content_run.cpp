#include "pdf/render/interpreter/content_run.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/object_parser.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"

TPDFGenericCanvas& TPDFContentRun::PathTarget() const {
  if (EPS != nullptr) return *EPS;
  return *Canvas;
}

void TPDFContentRun::Push(std::string_view token) {
  if (token.empty()) return;
  if (Operands.size() >= kOperandLimit) {
    // Operators take their operands from the top; what lies this deep is never used.
    Operands.erase(Operands.begin(), Operands.begin() + ptrdiff_t(Operands.size() / 2));
  }
  if (Operands.size() == Operands.capacity()) Operands.reserve(Operands.size() + 100);
  Operands.push_back(token);
}

double TPDFContentRun::PopNumber() {
  const double value = ParsePDFNumber(PopString());
  // A number too long for a double must not carry infinity into the geometry.
  return std::isfinite(value) ? value : 0.0;
}

std::string_view TPDFContentRun::PopString() {
  if (Operands.empty()) return {};
  const std::string_view top = Operands.back();
  Operands.pop_back();
  return top;
}

void TPDFContentRun::AddPathPoint(double x, double y) {
  if (PathMinX > PathMaxX) {
    PathMinX = PathMaxX = x;
    PathMinY = PathMaxY = y;
    LastPathX = x, LastPathY = y;
    return;
  }
  PathLength += std::hypot(x - LastPathX, y - LastPathY);
  LastPathX = x, LastPathY = y;
  PathMinX = std::min(PathMinX, x), PathMaxX = std::max(PathMaxX, x);
  PathMinY = std::min(PathMinY, y), PathMaxY = std::max(PathMaxY, y);
}
