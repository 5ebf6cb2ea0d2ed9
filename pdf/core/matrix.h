// Affine transformation matrices in PDF order [a b c d e f], standing for the 3 x 3 matrix with
// rows (a b 0), (c d 0), (e f 1); points are row vectors, so x' = a x + c y + e, y' = b x + d y + f.
#pragma once

#include <array>

using TPDFMatrix = std::array<double, 6>;

struct TPDFPoint {
  double X = 0;
  double Y = 0;
};

inline constexpr TPDFMatrix kIdentityMatrix = {1, 0, 0, 1, 0, 0};

// result := a x b: a point is mapped by a first, then by b (the order of the cm operator).
// result may be the same object as a or b.
void MatrixMultiply(TPDFMatrix& result, const TPDFMatrix& a, const TPDFMatrix& b);
void MatrixTransformPoint(const TPDFMatrix& m, const TPDFPoint& p, TPDFPoint& result);
