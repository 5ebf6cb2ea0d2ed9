// Small routines the renderer's parts share: matrices and points from numbers, and the
// number format of PostScript colour texts.
#pragma once

#include <string>

#include "pdf/core/matrix.h"

TPDFMatrix MakeMatrix(double a, double b, double c, double d, double e, double f);
TPDFPoint MakePoint(double x, double y);
// p under m: (a x + c y + e, b x + d y + f).
TPDFPoint TransformPointBy(const TPDFMatrix& m, const TPDFPoint& p);
// The value with three decimals and one trailing blank ("0.500 "); a value without a number
// writes as 0.
std::string NumberText(double value);
