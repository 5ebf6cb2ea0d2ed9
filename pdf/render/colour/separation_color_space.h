// A Separation colour space: one colorant whose tint a transform maps into an alternate space.
#pragma once

#include <string_view>

#include "pdf/render/colour/special_color_space.h"

class TPDFArray;

class TPDFSeparationColorSpace : public TPDFSpecialColorSpace {
 public:
  explicit TPDFSeparationColorSpace(TPDFColorManager* manager) : TPDFSpecialColorSpace(manager) {}

  // [/Separation name alternate tintTransform]; missing items leave the defaults.
  void Load(TPDFArray* array, std::string_view key);
  // Colour and colour text of a tint (the transform takes it as given); black with "0.5
  // setgray" when the transform or the alternate is not usable. colourOnly skips the text.
  void SetTint(double tint, bool colourOnly);

  std::string ColorantName;
};
