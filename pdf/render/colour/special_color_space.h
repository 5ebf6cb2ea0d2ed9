// What Separation and DeviceN spaces share: the alternate space read from a colour-space
// array item, and the colour a tint transform's outputs give in that alternate.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/functions/pdf_function.h"
#include "platform/gdi/gdi_types.h"

class TPDFColorManager;
class TPDFIndexedColorSpace;
class TPDFObject;

class TPDFSpecialColorSpace {
 public:
  explicit TPDFSpecialColorSpace(TPDFColorManager* manager);
  virtual ~TPDFSpecialColorSpace();
  TPDFSpecialColorSpace(const TPDFSpecialColorSpace&) = delete;
  TPDFSpecialColorSpace& operator=(const TPDFSpecialColorSpace&) = delete;

  std::string AlternateName;
  std::unique_ptr<TPDFLabColorSpace> Lab;  // when the alternate is a Lab space
  std::unique_ptr<TPDFIndexedColorSpace> Indexed;  // when the alternate is an Indexed space
  std::unique_ptr<TPDFFunction> TintTransform;
  std::string ResourceKey;
  COLORREF Color = 0;
  std::string ColorText;
  std::array<double, 4> CMYK{};
  std::array<double, 3> RGB{};
  TPDFColorManager* ColorManager;  // not owned
  TPDFResolveMethod Resolver;
  // The colour-space array the space was made from (the renderer reuses spaces by it).
  const TPDFObject* Source = nullptr;
  // How many special spaces this one lies inside (an Indexed space over it, set before
  // loading): an alternate that could name this space again is read only at depth 0.
  int Depth = 0;

 protected:
  TPDFObject* Resolve(TPDFObject* obj) const { return ResolvePDFObject(Resolver, obj); }
  // Clears the alternate, the text and the transform, then reads items 2 (alternate) and 3
  // (tint transform) of the array.
  void LoadAlternateAndTransform(TPDFObject* alternate, TPDFObject* transform);
  // Colour and text from outputs in gray (1 output over DeviceGray or CalGray), RGB (3 outputs
  // over DeviceRGB, CalRGB or ICCBased), Lab (3 outputs over Lab) or an index (1 output over an
  // Indexed space); false for any other combination.
  bool ColorFromOutputs(const std::vector<double>& outputs, bool colourOnly);
  // The colour of CMYK outputs (stored in CMYK and RGB).
  void ColorFromCMYK(const std::vector<double>& outputs);
};
