// Affine maps and the matrix entry points.
#include <cmath>

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {

Affine Then(const Affine& a, const Affine& b) {
  Affine r;
  r.m[0] = a.m[0] * b.m[0] + a.m[1] * b.m[2];
  r.m[1] = a.m[0] * b.m[1] + a.m[1] * b.m[3];
  r.m[2] = a.m[2] * b.m[0] + a.m[3] * b.m[2];
  r.m[3] = a.m[2] * b.m[1] + a.m[3] * b.m[3];
  r.m[4] = a.m[4] * b.m[0] + a.m[5] * b.m[2] + b.m[4];
  r.m[5] = a.m[4] * b.m[1] + a.m[5] * b.m[3] + b.m[5];
  return r;
}

bool Affine::IsFinite() const {
  for (double v : m)
    if (!std::isfinite(v)) return false;
  return true;
}

bool Affine::IsInvertible() const {
  const double det = Determinant();
  return IsFinite() && std::isfinite(det) && det != 0 && std::isfinite(1.0 / det);
}

bool Affine::Invert() {
  if (!IsInvertible()) return false;
  const double det = Determinant();
  Affine r;
  r.m[0] = m[3] / det;
  r.m[1] = -m[1] / det;
  r.m[2] = -m[2] / det;
  r.m[3] = m[0] / det;
  r.m[4] = -(m[4] * r.m[0] + m[5] * r.m[2]);
  r.m[5] = -(m[4] * r.m[1] + m[5] * r.m[3]);
  *this = r;
  return true;
}

extern "C" {

GpStatus GdipCreateMatrix2(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy, GpMatrix** matrix) {
  if (!matrix) return InvalidParameter;
  return Guarded([&] {
    *matrix = new GpMatrix{Affine{{m11, m12, m21, m22, dx, dy}}};
    return Ok;
  });
}

GpStatus GdipDeleteMatrix(GpMatrix* matrix) {
  if (!matrix) return InvalidParameter;
  delete matrix;
  return Ok;
}

GpStatus GdipInvertMatrix(GpMatrix* matrix) {
  if (!matrix) return InvalidParameter;
  return matrix->a.Invert() ? Ok : InvalidParameter;
}

GpStatus GdipGetMatrixElements(const GpMatrix* matrix, REAL* elements) {
  if (!matrix || !elements) return InvalidParameter;
  for (int i = 0; i < 6; ++i) elements[i] = REAL(matrix->a.m[i]);
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
