#include "pdf/core/matrix.h"

void MatrixMultiply(TPDFMatrix& result, const TPDFMatrix& a, const TPDFMatrix& b) {
  // Products are summed in extended precision and stored once at the end, so the result may
  // overwrite either operand.
  using L = long double;
  const L r0 = L(a[0]) * b[0] + L(a[1]) * b[2];
  const L r1 = L(a[0]) * b[1] + L(a[1]) * b[3];
  const L r2 = L(a[2]) * b[0] + L(a[3]) * b[2];
  const L r3 = L(a[2]) * b[1] + L(a[3]) * b[3];
  const L r4 = L(a[4]) * b[0] + L(a[5]) * b[2] + b[4];
  const L r5 = L(a[4]) * b[1] + L(a[5]) * b[3] + b[5];
  result = {double(r0), double(r1), double(r2), double(r3), double(r4), double(r5)};
}

void MatrixTransformPoint(const TPDFMatrix& m, const TPDFPoint& p, TPDFPoint& result) {
  const double x = m[0] * p.X + m[2] * p.Y + m[4];
  const double y = m[1] * p.X + m[3] * p.Y + m[5];
  result = {x, y};
}
