#include "pdf/render/colour/color_manager.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/numbers.h"

namespace {

// NaN goes to the lower bound, so that no later rounding meets a value without a number.
double Clamp(double v, double lo, double hi) {
  if (!(v >= lo)) v = lo;
  if (v > hi) v = hi;
  return v;
}

COLORREF Byte(double unit) { return static_cast<COLORREF>(RoundHalfEven(unit * 255)); }

double LabInverse(double f) {
  constexpr double kDelta = 0.20689655172413793;        // 6/29
  constexpr double kOffset = 0.13793103448275862;       // 4/29
  constexpr double kSlope = 0.12841854934601665;        // 3 (6/29)^2
  return f >= kDelta ? f * f * f : (f - kOffset) * kSlope;
}

double ToSRGB(double v) { return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }

}  // namespace

void TPDFSimpleColorManager::CMYKToRGB(double c, double m, double y, double k, double& r, double& g,
                                       double& b) const {
  if (PolynomialCMYK == 0) {
    r = 1 - std::min(1.0, c * (1 - k) + k);
    g = 1 - std::min(1.0, m * (1 - k) + k);
    b = 1 - std::min(1.0, y * (1 - k) + k);
    return;
  }
  // The blend of the colours a press profile gives the sixteen ink corners (white, the inks and
  // their overprints, with and without black), written out as a polynomial; no clamping,
  // callers clamp when they pack.
  r = 1 - c - 0.8627 * k - 0.0745 * m + 0.2549 * c * m + 0.8627 * c * k + 0.0784 * k * m - 0.0275 * k * y +
      0.0039 * m * y - 0.2588 * c * k * m + 0.0275 * c * k * y + 0.0275 * c * m * y + 0.0157 * k * m * y -
      0.0471 * c * k * m * y;
  g = 1 - m - 0.8784 * k - 0.051 * y - 0.3216 * c + 0.2588 * c * k + 0.5138 * c * m + 0.8784 * k * m +
      0.0236 * c * y + 0.0314 * k * y + 0.1608 * m * y - 0.451 * c * k * m + 0.0117 * c * k * y -
      0.1137 * c * m * y - 0.1412 * k * m * y + 0.0784 * c * k * m * y;
  b = 1 - y - 0.8745 * k - 0.451 * m - 0.0627 * c + 0.0784 * c * k + 0.0862 * c * m + 0.3255 * k * m +
      0.3764 * c * y + 0.8745 * k * y + 0.5922 * m * y - 0.0941 * c * k * m - 0.3921 * c * k * y -
      0.3176 * c * m * y - 0.4667 * k * m * y + 0.3255 * c * k * m * y;
}

COLORREF TPDFSimpleColorManager::RGBToColor(double& r, double& g, double& b) const {
  r = Clamp(r, 0, 1);
  g = Clamp(g, 0, 1);
  b = Clamp(b, 0, 1);
  return Byte(r) | (Byte(g) << 8) | (Byte(b) << 16);
}

void TPDFSimpleColorManager::LabToRGB(double& l, double& a, double& bStar, double& r, double& g,
                                      double& b) const {
  l = Clamp(l, 0, 100);
  a = Clamp(a, AMin, AMax);
  bStar = Clamp(bStar, BMin, BMax);
  const double fy = (l + 16) / 116;
  const double fx = fy + a / 500;
  const double fz = fy - bStar / 200;
  const double x = WhitePointX * LabInverse(fx);
  const double yy = WhitePointY * LabInverse(fy);
  const double z = WhitePointZ * LabInverse(fz);
  // XYZ to linear sRGB: the bitmap is sRGB, and its tone curve follows.
  r = Clamp(ToSRGB(3.2406 * x - 1.5372 * yy - 0.4986 * z), 0, 1);
  g = Clamp(ToSRGB(-0.9689 * x + 1.8758 * yy + 0.0415 * z), 0, 1);
  b = Clamp(ToSRGB(0.0557 * x - 0.2040 * yy + 1.0570 * z), 0, 1);
}

bool TPDFSimpleColorManager::SetWhitePoint(double x, double y, double z) {
  if (x > 0 && y == 1.0 && z > 0 && std::isfinite(x) && std::isfinite(z)) {
    WhitePointX = x;
    WhitePointY = 1.0;
    WhitePointZ = z;
    return true;
  }
  WhitePointX = kDefaultWhiteX;
  WhitePointY = kDefaultWhiteY;
  WhitePointZ = kDefaultWhiteZ;
  return false;
}

void TPDFSimpleColorManager::SetRanges(double aMin, double aMax, double bMin, double bMax) {
  AMin = aMin;
  AMax = aMax;
  BMin = bMin;
  BMax = bMax;
}
