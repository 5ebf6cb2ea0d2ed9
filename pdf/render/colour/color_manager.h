// Colour management: the conversions that turn RGB, CMYK and CIE L*a*b* components into the
// 32-bit colour values every canvas takes (red in the low byte, green in the next, blue in
// the third). The renderer, the image decoder and the JPEG class share one manager; the colour
// spaces that need more than a formula (Lab, Separation, DeviceN) build on it.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi_types.h"

class TPDFColorManager {
 public:
  virtual ~TPDFColorManager() = default;

  // Components 0..1 in, red, green and blue out (not clamped).
  virtual void CMYKToRGB(double c, double m, double y, double k, double& r, double& g, double& b) const = 0;
  // Clamps the components to 0..1 in place, then packs them (halves round to even).
  virtual COLORREF RGBToColor(double& r, double& g, double& b) const = 0;
  // Clamps L* to 0..100 and a*, b* to the manager's ranges in place; red, green and blue
  // out, each 0..1.
  virtual void LabToRGB(double& l, double& a, double& bStar, double& r, double& g, double& b) const = 0;
  // True when CMYKToRGB is of degree one in each ink (no product holds an ink twice), so that
  // its colours follow from those at the corners of the ink cube.
  virtual bool MultilinearCMYK() const { return false; }
};

class TPDFSimpleColorManager : public TPDFColorManager {
 public:
  static constexpr double kDefaultWhiteX = 0.9505, kDefaultWhiteY = 1.0, kDefaultWhiteZ = 1.089;

  TPDFSimpleColorManager() = default;

  void CMYKToRGB(double c, double m, double y, double k, double& r, double& g, double& b) const override;
  COLORREF RGBToColor(double& r, double& g, double& b) const override;
  void LabToRGB(double& l, double& a, double& bStar, double& r, double& g, double& b) const override;
  // Both the polynomial and the naive formula (whose min never takes effect for inks 0..1).
  bool MultilinearCMYK() const override { return true; }

  // Accepted when x > 0, y == 1 exactly and z > 0; otherwise the default white point comes
  // back and the answer is false.
  bool SetWhitePoint(double x, double y, double z);
  void SetRanges(double aMin, double aMax, double bMin, double bMax);

  // 1: the polynomial that imitates a press profile; 0: the naive formula.
  uint8_t PolynomialCMYK = 1;
  double WhitePointX = kDefaultWhiteX, WhitePointY = kDefaultWhiteY, WhitePointZ = kDefaultWhiteZ;
  double AMin = -128, AMax = 127, BMin = -128, BMax = 127;
};
