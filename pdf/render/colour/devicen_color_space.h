// A DeviceN colour space: several colorants whose tints one transform maps into an alternate
// space. One-colorant spaces remember the colours they have computed.
#pragma once

#include <string_view>
#include <vector>

#include "pdf/render/colour/special_color_space.h"

class TPDFArray;

class TPDFDeviceNColorSpace : public TPDFSpecialColorSpace {
 public:
  // Colours remembered by a one-colorant space, at most.
  static constexpr size_t kCacheLimit = 4096;

  explicit TPDFDeviceNColorSpace(TPDFColorManager* manager) : TPDFSpecialColorSpace(manager) {}

  // [/DeviceN [names] alternate tintTransform ...]; the component count is the names' count.
  void Load(TPDFArray* array, std::string_view key);
  // Colour and colour text of one tint per component (the transform takes them as given).
  void SetTints(const std::vector<double>& tints, bool colourOnly);

  std::string ColorantText;  // "[Cyan,Spot]"
  int32_t ComponentCount = 0;
  // The cache: key texts and, beside them, colours and colour texts.
  std::vector<std::string> CacheKeys;
  std::vector<COLORREF> CacheColors;
  std::vector<std::string> CacheTexts;
};
