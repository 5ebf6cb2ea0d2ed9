#include "pdf/core/matrix.h"

#include <gtest/gtest.h>

namespace {

void ExpectMatrix(const TPDFMatrix& got, const TPDFMatrix& want) {
  for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << "element " << i;
}

}  // namespace

TEST(Matrix, IdentityOnEitherSide) {
  const TPDFMatrix a = {2, 0.5, -1, 3, 10, -20};
  TPDFMatrix r;
  MatrixMultiply(r, kIdentityMatrix, a);
  ExpectMatrix(r, a);
  MatrixMultiply(r, a, kIdentityMatrix);
  ExpectMatrix(r, a);
}

TEST(Matrix, ProductAppliesTheFirstOperandFirst) {
  const TPDFMatrix scale = {2, 0, 0, 3, 0, 0};
  const TPDFMatrix shift = {1, 0, 0, 1, 5, 7};
  TPDFMatrix both;
  MatrixMultiply(both, scale, shift);
  ExpectMatrix(both, {2, 0, 0, 3, 5, 7});
  TPDFPoint p{1, 1}, viaBoth, step;
  MatrixTransformPoint(both, p, viaBoth);
  MatrixTransformPoint(scale, p, step);
  MatrixTransformPoint(shift, step, step);
  EXPECT_DOUBLE_EQ(viaBoth.X, 7);
  EXPECT_DOUBLE_EQ(viaBoth.Y, 10);
  EXPECT_DOUBLE_EQ(step.X, viaBoth.X);
  EXPECT_DOUBLE_EQ(step.Y, viaBoth.Y);
}

TEST(Matrix, ResultMayAliasAnOperand) {
  const TPDFMatrix a0 = {1, 2, 3, 4, 5, 6}, b0 = {-1, 0.5, 2, 1, 3, -4};
  TPDFMatrix expected;
  MatrixMultiply(expected, a0, b0);
  ExpectMatrix(expected, {3, 2.5, 5, 5.5, 10, 4.5});
  TPDFMatrix a = a0;
  MatrixMultiply(a, a, b0);
  ExpectMatrix(a, expected);
  TPDFMatrix b = b0;
  MatrixMultiply(b, a0, b);
  ExpectMatrix(b, expected);
}

TEST(Matrix, TransformPoint) {
  TPDFPoint r;
  MatrixTransformPoint({0, 1, -1, 0, 10, 20}, {3, 4}, r);  // quarter turn, then shift
  EXPECT_DOUBLE_EQ(r.X, 6);
  EXPECT_DOUBLE_EQ(r.Y, 23);
}
