// A CIE L*a*b* colour space: its white point and a*/b* ranges, and the conversion of one
// L*a*b* triple through a colour manager.
#pragma once

#include "pdf/render/functions/pdf_resolve.h"
#include "platform/gdi/gdi_types.h"

class TPDFArray;
class TPDFColorManager;
class TPDFObject;

class TPDFLabColorSpace {
 public:
  TPDFLabColorSpace() = default;

  // [/Lab dict]: "WhitePoint" when three numbers, "Range" when four (else -100 100 -100 100).
  void Load(TPDFArray* array);
  // Hands a simple manager the space's white point and ranges first, then converts.
  COLORREF ToColor(double l, double a, double b, TPDFColorManager& manager) const;
  // Sample i of n on the a* and b* ranges.
  double DecodeA(double i, double n) const;
  double DecodeB(double i, double n) const;

  double WhitePointX = 0, WhitePointY = 0, WhitePointZ = 0;
  double AMin = -100, AMax = 100, BMin = -100, BMax = 100;
  TPDFResolveMethod Resolver;
  // The colour-space array the space was made from (the renderer reuses spaces by it).
  const TPDFObject* Source = nullptr;
};
