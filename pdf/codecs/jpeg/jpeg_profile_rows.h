// Decoded rows of a JPEG picture turned from the ICC profile its data carry into sRGB, as the
// canvas shows the picture when it loads it with colour management: colour rows through the
// profile when it is an RGB one; grey pictures (decoded as blue = green = red rows) through the
// profile as the canvas converts their grey palette, when it is a grey or an RGB one. Other
// profiles, and data without a profile or whose profile segments do not fit together, leave
// the rows as they are.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/profile_to_srgb.h"

class TJPEGProfileRows {
 public:
  // Data: the JPEG bytes; Grey: the picture is grey (one component).
  TJPEGProfileRows(std::string_view Data, bool Grey);

  // Whether rows change at all.
  bool Converts() const { return colour_ != nullptr || greyLevels_ != nullptr; }
  // Converts the first Rows rows of a 24-bit bitmap in place.
  void Apply(TBitmap& Band, int32_t Rows) const;

 private:
  std::unique_ptr<TProfileToSRGB> colour_;
  // Blue, green, red of each grey level.
  std::unique_ptr<std::array<uint8_t, 3 * 256>> greyLevels_;
};
